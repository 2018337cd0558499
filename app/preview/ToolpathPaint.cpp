// The painting of the toolpath view: the cached drawing (grid or axes, contours by their layers and
// passes, wires, faults, legend) and the highlighted move over it. The view's state and its events are in
// ToolpathView.cpp.
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DrawingFrame.h"
#include "ViewStyle.h"
#include "app/preview/ContourColors.h"
#include "app/preview/JobOverlay.h"
#include "app/preview/Legend.h"
#include "app/preview/MoveLayer.h"
#include "app/preview/PassStyle.h"
#include "app/preview/ScreenGeometry.h"
#include "app/preview/ScreenPath.h"
#include "app/preview/ToolpathView.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

void PaintArrows(QPainter& painter, const Arrows& arrows, const QColor& color) {
  QPainterPath head;
  head.moveTo(5, 0);
  head.lineTo(-5, -4.2);
  head.lineTo(-2.5, 0);
  head.lineTo(-5, 4.2);
  head.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  for (const Arrows::Arrow& arrow : arrows.Placed()) {
    painter.save();
    painter.translate(arrow.at);
    painter.rotate(arrow.angle * 180 / std::numbers::pi);
    painter.drawPath(head);
    painter.restore();
  }
  painter.setBrush(Qt::NoBrush);
}

// The drawing's layer of the passes of a style with as many passes after them in their hole.
std::size_t PassLayerOf(int style, int passesAfter) {
  return static_cast<std::size_t>(style) +
         static_cast<std::size_t>(kPassStyles) * static_cast<std::size_t>(passesAfter);
}

}  // namespace

void ToolpathView::PaintDrawing(QPainter& painter) const {
  if (m_scene->MoveCount() == 0) {
    painter.setPen(kLabel);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Нет перемещений: нечего показать"));
    return;
  }
  const QSizeF area = size();
  if (m_mode == Mode::Plan) {
    PaintPlanGrid(painter, m_scale, m_offset, area, LegendHeight());
  } else {
    const QRectF plan = m_scene->Bounds();
    const double reach = std::max({std::fabs(plan.left()), std::fabs(plan.right()), std::fabs(plan.top()),
                                   std::fabs(plan.bottom())}) *
                         1.2;
    const double top = m_scene->MaxHeight();
    if (reach > 0 && std::isfinite(reach))
      PaintAxes3d(painter, AtHeight(QPointF(0, 0), 0), AtHeight(QPointF(reach, 0), 0),
                  AtHeight(QPointF(0, reach), 0),
                  top != 0 ? std::optional(AtHeight(QPointF(0, 0), top)) : std::nullopt);
  }
  PaintContours(painter);
  PaintFaults(painter);
  PaintScaleBar(painter, m_scale, area, m_mode == Mode::Plan);
  PaintLegend(painter);
}

void ToolpathView::PaintContours(QPainter& painter) const {
  const QRectF clip = QRectF(rect()).adjusted(-8, -8, 8, 8);
  const int moves = m_scene->MoveCount();
  const bool showUpper = ShowsUpper();

  Arrows arrows(size()), upperArrows(size());
  auto paintContour = [&](bool upper, const QColor& color) {
    std::vector<Coverage> covers(kLayerCount, Coverage(size()));
    std::vector<ScreenPath> layers;
    layers.reserve(kLayerCount + 8);
    for (const MoveLayer layer : kLayers)
      layers.emplace_back(clip, &covers[static_cast<std::size_t>(layer)],
                          HasArrows(layer) ? (upper ? &upperArrows : &arrows) : nullptr);
    // The passes of a hole run along one contour: on the lower one each pass's cut is a layer of its own,
    // by its style and its width (the passes after it in its hole), painted after the others with coverage
    // of its own, so that a skim is drawn over the rough pass. Made as the drawing meets them.
    const bool apart = !upper && m_scene->PassesApart();
    constexpr std::size_t kPassLayers = static_cast<std::size_t>(kPassStyles) * (kMaxSkims + 1);
    std::vector<int> passLayer(apart ? kPassLayers : 0, -1);
    std::deque<Coverage> passCovers;
    std::vector<int> last(kLayerCount, -2);  // the last move of each layer, to break its runs between
    double height = 0;
    QTransform toWidget = ContourToWidget(height);
    for (int m = 0; m < moves; ++m) {
      const MoveLayer kind = LayerOf(*m_scene, m);
      if (upper && !OnUpperContour(kind)) continue;
      // In 3D each hole of a job stands at its own height.
      if (const double h = upper ? UpperHeight(m) : 0; h != height) toWidget = ContourToWidget(height = h);
      auto k = static_cast<std::size_t>(kind);
      if (const int pass = m_scene->PassOf(m); apart && kind == MoveLayer::Cut && pass >= 0) {
        const ScenePass& p = m_scene->Passes()[static_cast<std::size_t>(pass)];
        int& slot = passLayer[PassLayerOf(PassStyleOf(p), PassesAfter(p))];
        if (slot < 0) {
          slot = static_cast<int>(layers.size());
          passCovers.emplace_back(size());
          layers.emplace_back(clip, &passCovers.back(), &arrows);
          last.push_back(-2);
        }
        k = static_cast<std::size_t>(slot);
      }
      if (last[k] != m - 1) layers[k].Break();
      last[k] = m;
      for (const QPointF& p : m_scene->Points(m, upper)) layers[k].Add(toWidget.map(p));
    }
    for (const MoveLayer layer : kLayers) {
      painter.setPen(LayerPen(layer, color));
      painter.drawPath(layers[static_cast<std::size_t>(layer)].Path());
    }
    // The earlier passes first: the thicker under the thinner.
    for (int style = 1; apart && style < kPassStyles; ++style) {
      for (int after = kMaxSkims; after >= 0; --after) {
        const int slot = passLayer[PassLayerOf(style, after)];
        if (slot < 0) continue;
        painter.setPen(PassPen(style, after));
        painter.drawPath(layers[static_cast<std::size_t>(slot)].Path());
      }
    }
  };

  // The upper contour first, so that the lower one, which the table cuts, stays on top where they meet.
  if (showUpper) paintContour(true, kUpperContour);
  PaintWires(painter);
  paintContour(false, kLowerContour);
  if (showUpper) PaintArrows(painter, upperArrows, kUpperContour.darker(120));
  PaintArrows(painter, arrows, kLowerContour.darker(120));
  if (m_wireCentreShown && !m_scene->WireCentres().empty()) {
    // One path for each style of pass when the passes are drawn apart, in its pass's colour.
    const bool apart = m_scene->PassesApart();
    std::vector<ScreenPath> centres(apart ? kPassStyles : 1, ScreenPath(clip, nullptr, nullptr));
    const QTransform toWidget = ContourToWidget(0);
    const auto& runs = m_scene->WireCentres();
    for (std::size_t r = 0; r < runs.size(); ++r) {
      const int pass = m_scene->WireCentrePass(r);
      ScreenPath& centre = apart && pass >= 0 ? centres[static_cast<std::size_t>(PassStyleOf(
                                                    m_scene->Passes()[static_cast<std::size_t>(pass)]))]
                                              : centres.front();
      centre.Break();
      for (const QPointF& p : runs[r]) centre.Add(toWidget.map(p));
    }
    for (std::size_t k = 0; k < centres.size(); ++k) {
      QPen pen(apart && k > 0 ? PassColor(static_cast<int>(k)).darker(130) : kWireCentre, 1);
      pen.setStyle(Qt::DashLine);
      painter.setPen(pen);
      painter.drawPath(centres[k].Path());
    }
  }

  PaintJobMarks(painter, *m_scene, ContourToWidget(0));
  for (const ToolpathScene::SlugStop& stop : m_scene->SlugStops())
    PaintSlugStop(painter, AtHeight(stop.at, 0), QString::fromUtf8(kSlugStopLabel));
  if (const auto start = m_scene->Start()) {
    painter.setPen(QPen(kPaper, 1.5));
    painter.setBrush(kStart);
    painter.drawEllipse(AtHeight(*start, 0), 4.5, 4.5);
    painter.setBrush(Qt::NoBrush);
  }
}

// The wire along the cut in 3D, from the lower contour to the upper one at its hole's height.
void ToolpathView::PaintWires(QPainter& painter) const {
  if (m_mode != Mode::Oblique || m_scene->MaxHeight() == 0) return;
  painter.setPen(QPen(kWire, 1));
  const auto& wires = m_scene->Wires();
  for (std::size_t w = 0; w < wires.size(); ++w) {
    const double height = m_scene->HeightOf(m_scene->WireMove(w));
    if (height != 0) painter.drawLine(AtHeight(wires[w].first, 0), AtHeight(wires[w].second, height));
  }
}

void ToolpathView::PaintLegend(QPainter& painter) const {
  painter.save();
  painter.setFont(SmallFont(font()));
  const std::vector<LegendEntry> entries = Legend();
  const LegendLayout layout = LayOutLegend(entries, QFontMetricsF(painter.font()), width());
  const double strip = layout.height;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 235));
  painter.drawRect(QRectF(0, 0, width(), strip));
  painter.setPen(QPen(kGridLine.darker(110), 1));
  painter.drawLine(QPointF(0, strip - 0.5), QPointF(width(), strip - 0.5));
  painter.setBrush(Qt::NoBrush);
  PaintLegendEntries(painter, entries, layout, kLabel);
  painter.restore();
}

std::vector<LegendEntry> ToolpathView::Legend() const {
  const bool oblique = m_mode == Mode::Oblique;
  // Passes drawn apart take the place of the lower contour's entry.
  std::vector<LegendEntry> entries = PassLegend(*m_scene);
  if (!m_scene->PassesApart())
    entries.insert(entries.begin(), {kLowerContour, kCutWidth, QStringLiteral("Нижний контур (X, Y)")});
  if (ShowsUpper())
    entries.push_back({kUpperContour, kCutWidth, QStringLiteral("Верхний контур (X+U, Y+V)")});
  entries.push_back({kLowerContour, kPathWidth, QStringLiteral("Подход и отход (без коррекции)")});
  if (oblique && m_scene->MaxHeight() != 0)
    entries.push_back({kWire.darker(120), 1, QStringLiteral("Проволока")});
  if (m_wireCentreShown && !m_scene->WireCentres().empty())
    entries.push_back({kWireCentre, 1,
                       m_scene->PassesApart()
                           ? QStringLiteral("Центр проволоки (цветом прохода, по его регистру)")
                           : QStringLiteral("Центр проволоки")});
  AddJobLegend(*m_scene, entries);
  if (m_scene->AnyFaulty()) entries.push_back({kFault, kCutWidth, QStringLiteral("Кадр с ошибкой")});
  entries.push_back({kHighlight, kHighlightWidth, QStringLiteral("Строка под курсором")});
  entries.push_back({kStart, 0, QStringLiteral("Начало")});
  if (oblique) entries.push_back({QColor(), -1, HeightNote(*m_scene)});
  return entries;
}

double ToolpathView::LegendHeight() const {
  if (m_scene->MoveCount() == 0) return 0;
  const std::vector<LegendEntry> entries = Legend();
  return LayOutLegend(entries, QFontMetricsF(SmallFont(font())), width()).height;
}

bool ToolpathView::ShowsUpper() const {
  return m_scene->Tapered() || (m_mode == Mode::Oblique && m_scene->MaxHeight() != 0);
}

QRectF ToolpathView::FitArea() const {
  const double top = LegendHeight() + (m_mode == Mode::Plan ? 22 : 14);
  return QRectF(rect()).adjusted(m_mode == Mode::Plan ? 58 : 20, top, -24, m_mode == Mode::Plan ? -46 : -40);
}

QPainterPath ToolpathView::MovePath(int move, bool upper) const {
  ScreenPath path(QRectF(rect()).adjusted(-8, -8, 8, 8), nullptr, nullptr);
  const QTransform toWidget = ContourToWidget(upper ? UpperHeight(move) : 0);
  for (const QPointF& p : m_scene->Points(move, upper)) path.Add(toWidget.map(p));
  return path.Path();
}

void ToolpathView::PaintFaults(QPainter& painter) const {
  if (!m_scene->AnyFaulty()) return;
  const bool showUpper = ShowsUpper();
  painter.setPen(LinePen(kFault, kCutWidth + 1));
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    if (!m_scene->Faulty(m)) continue;
    painter.drawPath(MovePath(m, false));
    if (showUpper) painter.drawPath(MovePath(m, true));
  }
}

void ToolpathView::PaintHighlight(QPainter& painter) const {
  if (m_highlight < 0 || m_highlight >= m_scene->MoveCount()) return;
  painter.setPen(LinePen(kHighlight, kHighlightWidth));
  painter.drawPath(MovePath(m_highlight, false));
  if (ShowsUpper()) painter.drawPath(MovePath(m_highlight, true));
  if (const double height = UpperHeight(m_highlight); height != 0) {
    // The wire where the move starts and where it ends.
    const auto lower = m_scene->Points(m_highlight, false);
    const auto upper = m_scene->Points(m_highlight, true);
    painter.setPen(LinePen(kHighlight.darker(130), 1.5));
    painter.drawLine(AtHeight(lower.front(), 0), AtHeight(upper.front(), height));
    painter.drawLine(AtHeight(lower.back(), 0), AtHeight(upper.back(), height));
  }
}

}  // namespace kalmoro
