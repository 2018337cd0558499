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
