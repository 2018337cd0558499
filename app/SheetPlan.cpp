#include "app/SheetPlan.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "app/SetupSheet.h"
#include "app/preview/ContourColors.h"
#include "app/preview/Legend.h"
#include "app/preview/MoveLayer.h"
#include "app/preview/PassStyle.h"
#include "app/preview/ToolpathScene.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kLineMm = 0.35;  // the cut
constexpr double kPathMm = 0.18;  // lead-in, exit and the frame
// The upper contour's dashes and the gaps between them, whatever the line's width.
constexpr double kDashMm = 2.0;
constexpr double kDashGapMm = 1.0;
constexpr double kScreenPixelsPerInch = 96;  // the legend's samples are sized in screen pixels

// Millimetres on the device and its pixels.
class Millimetres {
 public:
  explicit Millimetres(const QPaintDevice& device)
      : m_x(device.logicalDpiX() / 25.4), m_y(device.logicalDpiY() / 25.4) {}
  double X(double mm) const { return mm * m_x; }
  double Y(double mm) const { return mm * m_y; }
  double ToMmX(double pixels) const { return pixels / m_x; }
  double ToMmY(double pixels) const { return pixels / m_y; }

 private:
  double m_x, m_y;
};

// The pen of a contour: solid for the lower one, dashed for the upper one.
QPen ContourPen(const Millimetres& mm, bool upper, double widthMm) {
  QPen pen(upper ? kUpperContour : kLowerContour, mm.X(widthMm));
  pen.setJoinStyle(Qt::RoundJoin);
  if (upper) {
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({kDashMm / widthMm, kDashGapMm / widthMm});  // in widths of the pen
  } else {
    pen.setCapStyle(Qt::RoundCap);
  }
  return pen;
}

// Moves between the holes of a job, without the wire: grey dots.
QPen TravelDots(const Millimetres& mm) {
  QPen pen(kSheetGrey, mm.X(kPathMm));
  pen.setStyle(Qt::DotLine);
  return pen;
}

std::vector<LegendEntry> Entries(const ToolpathScene& scene, const Millimetres& mm) {
  const bool tapered = scene.Tapered();
  std::vector<LegendEntry> entries;
  entries.push_back({kLowerContour, kLineMm,
                     tapered ? QStringLiteral("нижний контур") : QStringLiteral("контур"), false,
                     LegendMark::None, ContourPen(mm, false, kLineMm)});
  if (tapered)
    entries.push_back({kUpperContour, kLineMm, QStringLiteral("верхний контур (X+U, Y+V)"), true,
                       LegendMark::None, ContourPen(mm, true, kLineMm)});
  entries.push_back({kLowerContour, kPathMm, QStringLiteral("подвод и отвод"), false, LegendMark::None,
                     ContourPen(mm, false, kPathMm)});
  if (!scene.Stops().empty())
    entries.push_back({kSheetGrey, kPathMm, QStringLiteral("переход без проволоки"), true, LegendMark::None,
                       TravelDots(mm)});
  if (!scene.SlugStops().empty())
    entries.push_back({kSheetInk, 1, QStringLiteral("стоп: закрепить вырубку"), false, LegendMark::Slug});
  entries.push_back({kSheetInk, 0, QStringLiteral("начало")});
  if (scene.Holes().size() > 1) entries.push_back({QColor(), -1, QStringLiteral("числа — номера отверстий")});
  return entries;
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, 15 to 40 mm long on paper.
double BarLength(double reduction) {
  double length = std::pow(10.0, std::floor(std::log10(15 * reduction)));
  for (const double step : {1.0, 2.0, 5.0, 10.0}) {
    if (length * step / reduction >= 15) return length * step;
  }
  return length * 10;
}

// The pen of a layer of moves on paper.
QPen LayerPen(MoveLayer layer, const Millimetres& mm, bool upper) {
  switch (layer) {
    case MoveLayer::Travel:
      return TravelDots(mm);
    case MoveLayer::LeadInOut:
      return ContourPen(mm, upper, kPathMm);
    case MoveLayer::Cut:
      break;
  }
  return ContourPen(mm, upper, kLineMm);
}

// Each layer of a contour as one path, a run of moves one after another as one line, so that the dashes
// run on along the contour instead of starting anew at every short move.
std::array<QPainterPath, kLayerCount> ContourPaths(const ToolpathScene& scene, bool upper,
                                                   const QTransform& map) {
  std::array<QPainterPath, kLayerCount> layers;
  std::array<int, kLayerCount> last{};
  last.fill(-2);
  for (int m = 0; m < scene.MoveCount(); ++m) {
    const MoveLayer layer = LayerOf(scene, m);
    const auto points = scene.Points(m, upper);
    if ((upper && !OnUpperContour(layer)) || points.empty()) continue;
    const auto k = static_cast<std::size_t>(layer);
    if (last[k] != m - 1) layers[k].moveTo(map.map(points.front()));
    last[k] = m;
    for (const QPointF& p : points.subspan(1)) layers[k].lineTo(map.map(p));
  }
  return layers;
}

}  // namespace

QFont SheetFont(double points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

SheetPlanLayout PaintSheetPlan(QPainter& painter, const ToolpathScene& scene, const QRectF& area) {
  SheetPlanLayout layout;
  const QPaintDevice& device = *painter.device();
  const Millimetres mm(device);
  painter.setPen(QPen(kSheetGrey, mm.X(kPathMm)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);
  const QFont label = SheetFont(9);
  const QFontMetricsF labelMetrics(label, &device);
  painter.setFont(label);
  painter.setPen(kSheetInk);
  if (scene.MoveCount() == 0) {
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("В программе нет перемещений: чертить нечего."));
    return layout;
  }

  // From the top: the caption, the legend, the drawing; the scale bar in a strip along the bottom.
  const QRectF inset = area.adjusted(mm.X(2), mm.Y(1.5), -mm.X(2), -mm.Y(1.5));
  const QFont legendFont = SheetFont(8);
  const QFontMetricsF legendMetrics(legendFont, &device);
  const double unit = device.logicalDpiX() / kScreenPixelsPerInch;
  const std::vector<LegendEntry> entries = Entries(scene, mm);
  // The legend lines up with the caption: LayOutLegend's own margin is taken back.
  const double margin = 10 * unit;
  LegendLayout legend = LayOutLegend(entries, legendMetrics, inset.width() + 2 * margin, unit);
  const QPointF legendAt(inset.left() - margin, inset.top() + labelMetrics.lineSpacing());
  for (QPointF& place : legend.places) place += legendAt;
  for (QRectF& box : legend.boxes) box.translate(legendAt);
  const double barStrip = mm.Y(10);
  const QRectF inner(area.left() + mm.X(5), legendAt.y() + legend.height + mm.Y(1), area.width() - mm.X(10),
                     area.bottom() - barStrip - (legendAt.y() + legend.height + mm.Y(1)));
  const QRectF bounds = scene.Bounds();
  const std::optional<double> reduction =
      inner.height() > 0 ? DrawingReduction(bounds.width(), bounds.height(), mm.ToMmX(inner.width()),
                                            mm.ToMmY(inner.height()))
                         : std::nullopt;
  if (!reduction) {
    painter.drawText(area, Qt::AlignCenter,
                     QStringLiteral("Чертёж не помещается на лист ни в одном масштабе."));
    return layout;
  }
  const QString caption = QStringLiteral("План, ") + ScaleText(*reduction);
  layout.caption =
      QRectF(inset.topLeft(), QSizeF(labelMetrics.horizontalAdvance(caption), labelMetrics.height()));
  painter.drawText(layout.caption, Qt::AlignLeft | Qt::AlignTop, caption);
  painter.save();
  painter.setFont(legendFont);
  PaintLegendEntries(painter, entries, legend, kSheetGrey, unit);
  painter.restore();
  layout.legend = legend.boxes;

  // Millimetres of the part to device pixels, Y up, the drawing's centre at the centre of its room.
  const double sx = mm.X(1) / *reduction, sy = mm.Y(1) / *reduction;
  QTransform& toDevice = layout.toDevice;
  toDevice.translate(inner.center().x(), inner.center().y());
  toDevice.scale(sx, -sy);
  toDevice.translate(-bounds.center().x(), -bounds.center().y());
  layout.drawing = toDevice.mapRect(bounds);

  painter.save();
  painter.setClipRect(area);
  // The upper contour first, so that the lower one stays on top where they meet.
  for (const bool upper : {true, false}) {
    if (upper && !scene.Tapered()) continue;
    const std::array<QPainterPath, kLayerCount> layers = ContourPaths(scene, upper, toDevice);
    for (const MoveLayer layer : kLayers) {
      painter.setPen(LayerPen(layer, mm, upper));
      painter.drawPath(layers[static_cast<std::size_t>(layer)]);
    }
  }
  if (scene.Holes().size() > 1) {
    painter.setPen(kSheetInk);
    for (const ToolpathScene::HoleMark& hole : scene.Holes())
      painter.drawText(toDevice.map(hole.at) + QPointF(mm.X(1.2), -mm.Y(1.2)),
                       QString::fromStdString(std::to_string(hole.number)));
  }
  for (const ToolpathScene::SlugStop& stop : scene.SlugStops()) {
    // The screen's mark, grown to the paper as the legend's samples are.
    painter.save();
    painter.translate(toDevice.map(stop.at));
    painter.scale(unit, unit);
    PaintSlugStop(painter, QPointF(0, 0));
    painter.restore();
  }
  if (const auto start = scene.Start()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSheetInk);
    painter.drawEllipse(toDevice.map(*start), mm.X(0.8), mm.Y(0.8));
    painter.setBrush(Qt::NoBrush);
  }
  painter.restore();

  // The scale bar: a printer that scales the page shows here.
  const double bar = BarLength(*reduction);
  const QPointF barStart(area.left() + mm.X(5), area.bottom() - mm.Y(5));
  const QPointF barEnd = barStart + QPointF(bar * sx, 0);
  painter.setPen(QPen(kSheetInk, mm.X(kPathMm)));
  painter.drawLine(barStart, barEnd);
  for (const QPointF& end : {barStart, barEnd})
    painter.drawLine(end - QPointF(0, mm.Y(1)), end + QPointF(0, mm.Y(1)));
  const QString length = QString::fromStdString(StdText(bar)) + QStringLiteral(" мм");
  const QRectF lengthBox(barEnd.x() + mm.X(2), barStart.y() - labelMetrics.height() / 2,
                         labelMetrics.horizontalAdvance(length), labelMetrics.height());
  painter.drawText(lengthBox, Qt::AlignLeft | Qt::AlignVCenter, length);
  layout.scaleBar = QRectF(barStart - QPointF(0, mm.Y(1)), barEnd + QPointF(0, mm.Y(1))).united(lengthBox);
  return layout;
}

}  // namespace kalmoro
