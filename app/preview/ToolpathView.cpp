#include "app/preview/ToolpathView.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
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
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kOrbitDegreesPerPixel = 0.5;
constexpr double kNearPixels = 24;     // a click farther than this from every move names none
constexpr double kMinZoom = 1.0 / 16;  // of the fitted scale
constexpr double kMaxScale = 1e5;      // pixels per millimetre: a pixel is 10 nm, labels keep 6 decimals

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

ToolpathView::ToolpathView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // the cursor's coordinates
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::ClickFocus);
}

void ToolpathView::SetScene(std::shared_ptr<const ToolpathScene> scene) {
  m_scene = scene ? std::move(scene) : std::make_shared<ToolpathScene>();
  m_measure.Clear();
  if (m_highlight >= m_scene->MoveCount()) m_highlight = -1;
  UpdateBounds();
  if (m_fitted) Fit();
  Invalidate();
}

void ToolpathView::SetMode(Mode mode) {
  if (mode == m_mode) return;
  m_mode = mode;
  m_measure.Clear();
  UpdateBounds();
  Fit();
}

void ToolpathView::SetStandardView(StandardView view) {
  switch (view) {
    case StandardView::Top:
      m_yaw = 0, m_pitch = 90;
      break;
    case StandardView::Front:
      m_yaw = 0, m_pitch = 0;
      break;
    case StandardView::Side:
      m_yaw = -90, m_pitch = 0;
      break;
    case StandardView::Isometric:
      m_yaw = -45, m_pitch = 35.264;
      break;
  }
  UpdateBounds();
  Fit();
}

void ToolpathView::SetWireCentreShown(bool shown) {
  if (shown == m_wireCentreShown) return;
  m_wireCentreShown = shown;
  Invalidate();
}

void ToolpathView::SetHighlight(int move) {
  if (move >= m_scene->MoveCount()) move = -1;
  if (move == m_highlight) return;
  m_highlight = move;
  update();  // the drawing itself is cached; only the highlight is painted again
}

double ToolpathView::UpperHeight(int move) const {
  return m_mode == Mode::Oblique ? m_scene->HeightOf(move) : 0;
}

// The 3D view is an orthographic one: the table turned by the yaw about the vertical, then tilted
// towards the viewer by the pitch. Every axis keeps its true scale; only what recedes is foreshortened.
QTransform ToolpathView::Projection(double height) const {
  if (m_mode == Mode::Plan) return {};
  const double cy = std::cos(m_yaw * kDegree), sy = std::sin(m_yaw * kDegree);
  const double sp = std::sin(m_pitch * kDegree), cp = std::cos(m_pitch * kDegree);
  return {cy, sy * sp, -sy, cy * sp, 0, height * cp};
}

QPointF ToolpathView::Project(QPointF p, double height) const {
  return Projection(height).map(p);
}

QPointF ToolpathView::PlaneToWidget(QPointF plane) const {
  return {m_offset.x() + plane.x() * m_scale, m_offset.y() - plane.y() * m_scale};
}

QPointF ToolpathView::WidgetToPlane(QPointF widget) const {
  return {(widget.x() - m_offset.x()) / m_scale, (m_offset.y() - widget.y()) / m_scale};
}

QTransform ToolpathView::ContourToWidget(double height) const {
  return Projection(height) * QTransform(m_scale, 0, 0, -m_scale, m_offset.x(), m_offset.y());
}

QPointF ToolpathView::ToWidget(QPointF point, bool upper) const {
  return AtHeight(point, upper && m_mode == Mode::Oblique ? m_scene->MaxHeight() : 0);
}

void ToolpathView::UpdateBounds() {
  if (m_mode == Mode::Plan || m_scene->MoveCount() == 0) {
    m_bounds = m_scene->Bounds();
    return;
  }
  Box box;
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    for (const QPointF& p : m_scene->Points(m, false)) AddFinite(box, Project(p, 0));
    const QTransform upper = Projection(m_scene->HeightOf(m));
    for (const QPointF& p : m_scene->Points(m, true)) AddFinite(box, upper.map(p));
  }
  m_bounds = RectOf(box);
}

void ToolpathView::Fit() {
  m_fitted = true;
  const QRectF area = FitArea();
  const QRectF b = m_bounds;
  if (m_scene->MoveCount() == 0 || area.width() <= 0 || area.height() <= 0 || !std::isfinite(b.width()) ||
      !std::isfinite(b.height())) {
    m_scale = 1;
    m_offset = QRectF(rect()).center();
  } else {
    const double span = std::max(b.width(), b.height());
    // A drawing without extent (a single point) gets a millimetre across the area.
    const double w = b.width() > span * 1e-9 ? b.width() : std::max(span, 1.0);
    const double h = b.height() > span * 1e-9 ? b.height() : std::max(span, 1.0);
    m_scale = std::min(area.width() / w, area.height() / h);
    m_offset =
        QPointF(area.center().x() - b.center().x() * m_scale, area.center().y() + b.center().y() * m_scale);
  }
  Invalidate();
}

void ToolpathView::Invalidate() {
  m_cacheValid = false;
  update();
}

void ToolpathView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_fitted) {
    Fit();
  } else {
    Invalidate();
  }
}

void ToolpathView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) Invalidate();
}

void ToolpathView::paintEvent(QPaintEvent* /*event*/) {
  const qreal ratio = devicePixelRatioF();
  if (!m_cacheValid || m_cache.size() != size() * ratio) {
    m_cache = QPixmap(size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(kPaper);
    QPainter cachePainter(&m_cache);
    cachePainter.setRenderHint(QPainter::Antialiasing);
    cachePainter.setFont(font());
    PaintDrawing(cachePainter);
    m_cacheValid = true;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_cache);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintHighlight(painter);
  if (m_mode == Mode::Plan) m_measure.Paint(painter, ContourToWidget(0));
}

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

int ToolpathView::MoveNear(QPointF at) const {
  int best = -1;
  double bestDistance = kNearPixels * kNearPixels;
  const bool showUpper = ShowsUpper();
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    for (const bool upper : {false, true}) {
      if (upper && !showUpper) continue;
      const QTransform toWidget = ContourToWidget(upper ? UpperHeight(m) : 0);
      const auto points = m_scene->Points(m, upper);
      QPointF a = toWidget.map(points.front());
      for (std::size_t k = 1; k < points.size(); ++k) {
        const QPointF b = toWidget.map(points[k]);
        const double distance = SquaredDistanceToSegment(at, a, b);
        if (distance < bestDistance) {
          bestDistance = distance;
          best = m;
        }
        a = b;
      }
    }
  }
  // In 3D a click on a wire picks the move it stands on.
  if (m_mode == Mode::Oblique) {
    const auto& wires = m_scene->Wires();
    for (std::size_t w = 0; w < wires.size(); ++w) {
      const double height = m_scene->HeightOf(m_scene->WireMove(w));
      if (height == 0) continue;
      const double distance =
          SquaredDistanceToSegment(at, AtHeight(wires[w].first, 0), AtHeight(wires[w].second, height));
      if (distance < bestDistance) {
        bestDistance = distance;
        best = m_scene->WireMove(w);
      }
    }
  }
  return best;
}

QPointF ToolpathView::SnapAt(QPointF at) const {
  return MeasureTool::Snap(m_scene->SnapPoints(), ContourToWidget(0), at);
}

void ToolpathView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  m_pressed = true;
  m_dragging = false;
  m_afterDoubleClick = false;  // a new click, whatever ended the last one
  m_measuring = (event->modifiers() & Qt::ShiftModifier) != 0 && m_mode == Mode::Plan;
  m_pressAt = m_dragFrom = event->position();
}

void ToolpathView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (!m_pressed) {
    if (m_mode == Mode::Plan) {
      emit CursorMoved(WidgetToPlane(at));
    } else {
      emit CursorLeft();
    }
    return QWidget::mouseMoveEvent(event);
  }
  if (!m_dragging && (at - m_pressAt).manhattanLength() < QApplication::startDragDistance()) return;
  if (!m_dragging) setCursor(Qt::ClosedHandCursor);
  m_dragging = true;
  const QPointF step = at - m_dragFrom;
  m_dragFrom = at;
  if (m_mode == Mode::Oblique) {
    // Orbit: across turns about the vertical, up and down tilts, the table's origin staying put.
    const QPointF origin = PlaneToWidget(Project(QPointF(0, 0), 0));
    m_yaw = std::remainder(m_yaw - step.x() * kOrbitDegreesPerPixel, 360.0);
    m_pitch = std::clamp(m_pitch + step.y() * kOrbitDegreesPerPixel, -90.0, 90.0);
    UpdateBounds();
    m_offset += origin - PlaneToWidget(Project(QPointF(0, 0), 0));
  } else {
    m_offset += step;
  }
  m_fitted = false;
  Invalidate();
}

void ToolpathView::leaveEvent(QEvent* event) {
  emit CursorLeft();
  QWidget::leaveEvent(event);
}

void ToolpathView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_pressed) return QWidget::mouseReleaseEvent(event);
  m_pressed = false;
  if (m_dragging) {
    m_dragging = false;
    setCursor(Qt::CrossCursor);
    return;
  }
  if (std::exchange(m_afterDoubleClick, false)) return;
  if (m_measuring) {
    if (m_measure.Add(SnapAt(event->position())))
      emit Measured(m_measure.Points().front(), m_measure.Points().back());
    update();
    return;
  }
  emit MoveClicked(MoveNear(event->position()));
}

void ToolpathView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  m_afterDoubleClick = true;
  m_pressed = true;
  m_dragging = false;
  m_pressAt = m_dragFrom = event->position();
  Fit();
  emit DoubleClicked();
}

void ToolpathView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0 || m_scene->MoveCount() == 0) return;
  // The scale a fitted drawing would have, to keep the zoom within sane limits.
  const QRectF area = FitArea();
  const double span = std::max({m_bounds.width(), m_bounds.height(), 1e-9});
  const double fitScale = std::max(std::min(area.width(), area.height()), 1.0) / span;
  const double scale =
      std::clamp(m_scale * std::pow(1.25, steps), fitScale * kMinZoom, std::max(fitScale, kMaxScale));
  const QPointF at = event->position();
  const QPointF plane = WidgetToPlane(at);
  m_scale = scale;
  m_offset = QPointF(at.x() - plane.x() * m_scale, at.y() + plane.y() * m_scale);
  m_fitted = false;
  Invalidate();
  event->accept();
}

}  // namespace kalmoro
