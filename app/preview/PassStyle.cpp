#include "app/preview/PassStyle.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <string>

#include "ViewStyle.h"
#include "app/preview/ContourColors.h"
#include "app/preview/ToolpathScene.h"

namespace kalmoro {
namespace {

// The rough pass in the lower contour's blue, as a single pass is drawn; the skims in colours that keep
// apart from it, from the upper contour's orange and from each other.
const std::array<QColor, kPassStyles> kPassColors = {
    kLowerContour,         // unused: no pass has style 0
    kLowerContour,         // the rough pass
    QColor(0, 150, 136),   // skim 1
    QColor(196, 40, 140),  // skim 2
    QColor(96, 140, 20),   // skim 3
    QColor(150, 90, 40),   // skim 4
    QColor(170, 30, 60),   // the relief pass
};
constexpr double kWidthStep = 1.6;  // pixels each earlier pass is thicker than the one after it
const QColor kSlugStop(150, 20, 20);

}  // namespace

int PassStyleOf(const ScenePass& pass) {
  if (pass.relief) return kPassStyles - 1;
  return std::clamp(pass.number, 1, kPassStyles - 2);
}

QColor PassColor(int style) {
  return kPassColors[static_cast<std::size_t>(std::clamp(style, 0, kPassStyles - 1))];
}

int PassesAfter(const ScenePass& pass) {
  return pass.relief ? 0 : std::clamp(pass.count - pass.number, 0, kMaxSkims);
}

QPen PassPen(int style, int passesAfter) {
  if (style == kPassStyles - 1) {
    QPen pen(PassColor(style), kCutWidth, Qt::DashLine);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
  }
  return LinePen(PassColor(style), kCutWidth + kWidthStep * std::max(0, passesAfter));
}

QString PassLabel(const ScenePass& pass) {
  const QString d = QString::fromStdString("D" + std::to_string(pass.offsetRegister));
  if (pass.relief) return QStringLiteral("Освобождение (%1)").arg(d);
  return QStringLiteral("Проход %1 (%2)").arg(QString::fromStdString(std::to_string(pass.number)), d);
}

void PaintSlugStop(QPainter& painter, QPointF at, const QString& label) {
  constexpr double kHalf = 4.5;
  painter.save();
  painter.setPen(QPen(kSlugStop, 2));
  painter.setBrush(kPaper);
  painter.drawRect(QRectF(at - QPointF(kHalf, kHalf), at + QPointF(kHalf, kHalf)));
  painter.setBrush(kSlugStop);
  painter.setPen(Qt::NoPen);
  painter.drawRect(QRectF(at - QPointF(1.5, 1.5), at + QPointF(1.5, 1.5)));
  if (!label.isEmpty()) {
    painter.setPen(kSlugStop);
    painter.drawText(at + QPointF(kHalf + 4, -kHalf - 2), label);
  }
  painter.restore();
}

std::vector<LegendEntry> PassLegend(const ToolpathScene& scene) {
  std::vector<LegendEntry> entries;
  if (scene.PassesApart()) {
    // Each style by the first pass that has it, drawn as that pass is.
    std::array<const ScenePass*, kPassStyles> first{};
    for (const ScenePass& pass : scene.Passes()) {
      const int style = PassStyleOf(pass);
      if (!first[static_cast<std::size_t>(style)]) first[static_cast<std::size_t>(style)] = &pass;
    }
    for (int style = 1; style < kPassStyles; ++style) {
      const ScenePass* pass = first[static_cast<std::size_t>(style)];
      if (!pass) continue;
      const QPen pen = PassPen(style, PassesAfter(*pass));
      entries.push_back(
          {pen.color(), pen.widthF(), PassLabel(*pass), pen.style() == Qt::DashLine, LegendMark::None, pen});
    }
  }
  if (!scene.SlugStops().empty())
    entries.push_back({kSlugStop, 1, QStringLiteral("Стоп: закрепить вырубку"), false, LegendMark::Slug});
  return entries;
}

}  // namespace kalmoro
