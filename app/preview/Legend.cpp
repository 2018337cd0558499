#include "app/preview/Legend.h"

#include <QPainter>
#include <QStringList>
#include <string>

#include "ViewStyle.h"
#include "app/preview/JobOverlay.h"
#include "app/preview/PassStyle.h"
#include "app/preview/ToolpathScene.h"

namespace kalmoro {
namespace {

constexpr double kMargin = 10;    // at the left and right of the strip
constexpr double kEntryGap = 20;  // between entries of a row

}  // namespace

LegendLayout LayOutLegend(const std::vector<LegendEntry>& entries, const QFontMetricsF& metrics, double width,
                          double unit) {
  LegendLayout layout;
  const double rowHeight = metrics.height() + 6 * unit;
  const double margin = kMargin * unit;
  double x = margin, y = 4 * unit + rowHeight / 2;
  for (const LegendEntry& entry : entries) {
    const double w = (entry.width >= 0 ? (kLegendSwatch + kLegendSwatchGap) * unit : 0) +
                     metrics.horizontalAdvance(entry.text);
    if (x > margin && x + w > width - margin) {
      x = margin;
      y += rowHeight;
    }
    layout.places.emplace_back(x, y);
    layout.boxes.emplace_back(x, y - metrics.height() / 2, w, metrics.height());
    x += w + kEntryGap * unit;
  }
  layout.height = y + rowHeight / 2 + 4 * unit;
  return layout;
}

QString HeightNote(const ToolpathScene& scene) {
  if (scene.MaxHeight() == 0) return QStringLiteral("Высота (слово R) не задана: контуры на одной высоте");
  QString note = scene.MinHeight() == scene.MaxHeight()
                     ? QStringLiteral("Высота (R): %1 мм").arg(NumberLabel(scene.MaxHeight()))
                     : QStringLiteral("Высота (R) у каждого отверстия своя: %1…%2 мм")
                           .arg(NumberLabel(scene.MinHeight()), NumberLabel(scene.MaxHeight()));
  if (const std::vector<long>& profile = scene.AtProfileHeight(); !profile.empty()) {
    const QString height = NumberLabel(scene.ProfileHeight());
    if (profile.size() == 1 && profile.front() == 0)
      return QStringLiteral("Высота (R) не задана: по профилю станка %1 мм").arg(height);
    QStringList numbers;
    for (const long number : profile) numbers << QString::fromStdString(std::to_string(number));
    note += (profile.size() == 1 ? QStringLiteral("; у отверстия %1 не задана: по профилю станка %2 мм")
                                 : QStringLiteral("; у отверстий %1 не задана: по профилю станка %2 мм"))
                .arg(numbers.join(QStringLiteral(", ")), height);
  }
  const std::vector<long>& missing = scene.TaperedWithoutHeight();
  if (!missing.empty()) {
    QStringList numbers;
    for (const long number : missing) numbers << QString::fromStdString(std::to_string(number));
    note += (missing.size() == 1 ? QStringLiteral("; у отверстия %1 не задана, его контуры на одной высоте")
                                 : QStringLiteral("; у отверстий %1 не задана, их контуры на одной высоте"))
                .arg(numbers.join(QStringLiteral(", ")));
  }
  return note;
}

void PaintLegendEntries(QPainter& painter, const std::vector<LegendEntry>& entries,
                        const LegendLayout& layout, const QColor& textColor, double unit) {
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double swatch = kLegendSwatch * unit;
  for (std::size_t k = 0; k < entries.size() && k < layout.places.size(); ++k) {
    const LegendEntry& entry = entries[k];
    const QPointF at = layout.places[k];  // left end of the entry, on its middle line
    double textLeft = at.x();
    if (entry.mark != LegendMark::None) {
      painter.save();
      painter.translate(at + QPointF(swatch / 2, 0));
      painter.scale(unit, unit);
      if (entry.mark == LegendMark::Slug)
        PaintSlugStop(painter, QPointF(0, 0));
      else
        PaintStopMark(painter, QPointF(0, 0), entry.mark == LegendMark::Diamond);
      painter.restore();
    } else if (entry.width > 0) {
      painter.setPen(entry.pen      ? *entry.pen
                     : entry.dashed ? QPen(entry.color, entry.width * unit, Qt::DashLine)
                                    : LinePen(entry.color, entry.width * unit));
      painter.drawLine(at + QPointF(unit, 0), at + QPointF(swatch - unit, 0));
    } else if (entry.width == 0) {
      painter.setPen(QPen(kPaper, 1.5 * unit));
      painter.setBrush(entry.color);
      painter.drawEllipse(at + QPointF(swatch / 2, 0), 4.5 * unit, 4.5 * unit);
      painter.setBrush(Qt::NoBrush);
    }
    if (entry.width >= 0) textLeft += swatch + kLegendSwatchGap * unit;
    painter.setPen(textColor);
    painter.drawText(QPointF(textLeft, at.y() + metrics.ascent() / 2 - 1.5 * unit), entry.text);
  }
}

}  // namespace kalmoro
