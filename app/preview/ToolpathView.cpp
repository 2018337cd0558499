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
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/preview/Legend.h"
#include "app/preview/ScreenGeometry.h"
#include "app/preview/ScreenPath.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

const QColor kPaper(255, 255, 255);
const QColor kGridLine(236, 238, 242);
const QColor kAxisLine(150, 156, 166);
const QColor kLabel(70, 74, 82);
const QColor kLower(28, 92, 196);
const QColor kUpper(222, 86, 18);
const QColor kWire(110, 116, 128, 120);
const QColor kHighlight(0, 190, 90, 150);
const QColor kStart(20, 20, 20);
const QColor kFault(214, 40, 40, 200);
const QColor kWireCentre(120, 40, 170);
const QColor kMeasure(0, 120, 110);
const QColor kTravel(90, 96, 108);
const QColor kCutStop(200, 30, 30);
const QColor kThreadStop(0, 140, 60);

constexpr double kCutWidth = 2.2;   // the cut with compensation on
constexpr double kPathWidth = 1.1;  // lead-in and exit
constexpr double kDegree = std::numbers::pi / 180;
constexpr double kOrbitDegreesPerPixel = 0.5;
constexpr double kSnapPixels = 10;  // a measured point this near a move's end or an arc's centre snaps to it
constexpr double kNearPixels = 24;  // a click farther than this from every move names none
constexpr double kMinZoom = 1.0 / 16;  // of the fitted scale
constexpr double kMaxScale = 1e5;      // pixels per millimetre: a pixel is 10 nm, labels keep 6 decimals

QString NumberLabel(double value) {
  return QString::fromStdString(FormatNumber(value, 0, 6));
}

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

QPen LinePen(const QColor& color, double width) {
  QPen pen(color, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

QFont SmallFont(const QFont& base) {
  QFont font = base;
  font.setPixelSize(std::max(9, (base.pixelSize() > 0 ? base.pixelSize() : 12) - 1));
  return font;
}

// The stops of a job: a cross where the wire is cut, a diamond where it is threaded again.
void PaintStopMark(QPainter& painter, QPointF at, bool thread) {
  constexpr double kSize = 4.5;
  painter.setPen(QPen(thread ? kThreadStop : kCutStop, 2));
  if (thread) {
    const QPointF diamond[] = {at + QPointF(0, -kSize), at + QPointF(kSize, 0), at + QPointF(0, kSize),
                               at + QPointF(-kSize, 0)};
    painter.setBrush(kPaper);
    painter.drawPolygon(diamond, 4);
    painter.setBrush(Qt::NoBrush);
  } else {
    painter.drawLine(at + QPointF(-kSize, -kSize), at + QPointF(kSize, kSize));
    painter.drawLine(at + QPointF(-kSize, kSize), at + QPointF(kSize, -kSize));
  }
}

QPen TravelPen() {
  QPen pen(kTravel, 1.2);
  pen.setStyle(Qt::DashLine);
  return pen;
}

std::vector<LegendEntry> LegendEntries(bool upper, bool oblique, std::optional<double> height, bool faults,
                                       bool wireCentre, bool job) {
  std::vector<LegendEntry> entries = {{kLower, kCutWidth, QStringLiteral("Нижний контур (X, Y)")}};
  if (upper) entries.push_back({kUpper, kCutWidth, QStringLiteral("Верхний контур (X+U, Y+V)")});
  entries.push_back({kLower, kPathWidth, QStringLiteral("Подход и отход (без коррекции)")});
  if (oblique && height) entries.push_back({kWire.darker(120), 1, QStringLiteral("Проволока")});
  if (wireCentre) entries.push_back({kWireCentre, 1, QStringLiteral("Центр проволоки")});
  if (job) {
    entries.push_back({kTravel, 1.2, QStringLiteral("Переход без проволоки (G00)"), true});
    entries.push_back({kCutStop, 1, QStringLiteral("Обрезка проволоки"), false, LegendMark::Cross});
    entries.push_back({kThreadStop, 1, QStringLiteral("Заправка проволоки"), false, LegendMark::Diamond});
  }
  if (faults) entries.push_back({kFault, kCutWidth, QStringLiteral("Кадр с ошибкой")});
  entries.push_back({kHighlight, 7, QStringLiteral("Строка под курсором")});
  entries.push_back({kStart, 0, QStringLiteral("Начало")});
  if (oblique) {
    entries.push_back({QColor(), -1,
                       height ? QStringLiteral("Высота (R): %1 мм").arg(NumberLabel(*height))
                              : QStringLiteral("Высота (слово R) не задана: контуры на одной высоте")});
  }
  return entries;
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
  m_measure.clear();
  if (m_highlight >= m_scene->MoveCount()) m_highlight = -1;
  UpdateBounds();
  if (m_fitted) Fit();
  Invalidate();
}

void ToolpathView::SetMode(Mode mode) {
  if (mode == m_mode) return;
  m_mode = mode;
  m_measure.clear();
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

double ToolpathView::Height() const {
  return m_scene->WireHeight().value_or(0);
}

// The 3D view is an orthographic one: the table turned by the yaw about the vertical, then tilted
// towards the viewer by the pitch. Every axis keeps its true scale; only what recedes is foreshortened.
QTransform ToolpathView::Projection(bool upper) const {
  if (m_mode == Mode::Plan) return {};
  const double cy = std::cos(m_yaw * kDegree), sy = std::sin(m_yaw * kDegree);
  const double sp = std::sin(m_pitch * kDegree), cp = std::cos(m_pitch * kDegree);
  return {cy, sy * sp, -sy, cy * sp, 0, upper ? Height() * cp : 0};
}

QPointF ToolpathView::Project(QPointF p, bool upper) const {
  return Projection(upper).map(p);
}

QPointF ToolpathView::PlaneToWidget(QPointF plane) const {
  return {m_offset.x() + plane.x() * m_scale, m_offset.y() - plane.y() * m_scale};
}

QPointF ToolpathView::WidgetToPlane(QPointF widget) const {
  return {(widget.x() - m_offset.x()) / m_scale, (m_offset.y() - widget.y()) / m_scale};
}

QTransform ToolpathView::ContourToWidget(bool upper) const {
  return Projection(upper) * QTransform(m_scale, 0, 0, -m_scale, m_offset.x(), m_offset.y());
}

QPointF ToolpathView::ToWidget(QPointF point, bool upper) const {
  return ContourToWidget(upper).map(point);
}

void ToolpathView::UpdateBounds() {
  if (m_mode == Mode::Plan || m_scene->MoveCount() == 0) {
    m_bounds = m_scene->Bounds();
    return;
  }
  Box box;
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    for (const bool upper : {false, true}) {
      for (const QPointF& p : m_scene->Points(m, upper)) AddFinite(box, Project(p, upper));
    }
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
  PaintMeasure(painter);
}

void ToolpathView::PaintMeasure(QPainter& painter) const {
  if (m_measure.empty() || m_mode != Mode::Plan) return;
  painter.save();
  painter.setPen(QPen(kMeasure, 1.5));
  const QPointF a = ToWidget(m_measure.front(), false);
  if (m_measure.size() == 2) {
    const QPointF b = ToWidget(m_measure.back(), false);
    painter.drawLine(a, b);
    const QPointF d = m_measure.back() - m_measure.front();
    painter.setFont(SmallFont(font()));
    painter.drawText(
        (a + b) / 2 + QPointF(6, -6),
        QString::fromStdString(FormatNumber(std::hypot(d.x(), d.y()), 3, 3)) + QStringLiteral(" мм"));
  }
  for (const QPointF& p : m_measure) {
    const QPointF w = ToWidget(p, false);
    painter.drawLine(w + QPointF(-6, 0), w + QPointF(6, 0));
    painter.drawLine(w + QPointF(0, -6), w + QPointF(0, 6));
  }
  painter.restore();
}

void ToolpathView::PaintDrawing(QPainter& painter) const {
  if (m_scene->MoveCount() == 0) {
    painter.setPen(kLabel);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Нет перемещений: нечего показать"));
    return;
  }
  if (m_mode == Mode::Plan) {
    PaintGrid(painter);
  } else {
    PaintAxes3d(painter);
  }
  PaintContours(painter);
  PaintFaults(painter);
  PaintScaleBar(painter);
  PaintLegend(painter);
}

void ToolpathView::PaintGrid(QPainter& painter) const {
  const double step = NiceStep(70 / m_scale);
  const QPointF topLeft = WidgetToPlane(QPointF(0, 0));
  const QPointF bottomRight = WidgetToPlane(QPointF(width(), height()));
  const double firstX = std::ceil(topLeft.x() / step), lastX = std::floor(bottomRight.x() / step);
  const double firstY = std::ceil(bottomRight.y() / step), lastY = std::floor(topLeft.y() / step);
  if (lastX - firstX > 400 || lastY - firstY > 400) return;  // cannot happen at a sane scale

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (double k = firstX; k <= lastX; ++k) {
    const double x = PlaneToWidget(QPointF(k * step, 0)).x();
    painter.setPen(QPen(k == 0 ? kAxisLine : kGridLine, 1));
    painter.drawLine(QPointF(x, 0), QPointF(x, height()));
  }
  for (double k = firstY; k <= lastY; ++k) {
    const double y = PlaneToWidget(QPointF(0, k * step)).y();
    painter.setPen(QPen(k == 0 ? kAxisLine : kGridLine, 1));
    painter.drawLine(QPointF(0, y), QPointF(width(), y));
  }
  painter.restore();

  // Millimetre labels along the bottom and the left edge, on a strip of paper of their own.
  painter.save();
  painter.setFont(SmallFont(painter.font()));
  const QFontMetricsF metrics(painter.font());
  const double strip = metrics.height() + 4;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(QRectF(0, height() - strip, width(), strip));
  double leftStrip = 0;
  for (double k = firstY; k <= lastY; ++k)
    leftStrip = std::max(leftStrip, metrics.horizontalAdvance(NumberLabel(k * step)) + 8);
  painter.drawRect(QRectF(0, 0, leftStrip, height() - strip));
  painter.setPen(kLabel);
  for (double k = firstX; k <= lastX; ++k) {
    const double x = PlaneToWidget(QPointF(k * step, 0)).x();
    const QString text = NumberLabel(k * step);
    const double w = metrics.horizontalAdvance(text);
    if (x - w / 2 < leftStrip + 2 || x + w / 2 > width() - 2) continue;
    painter.drawText(QPointF(x - w / 2, height() - 3 - metrics.descent()), text);
  }
  for (double k = firstY; k <= lastY; ++k) {
    const double y = PlaneToWidget(QPointF(0, k * step)).y();
    if (y - metrics.ascent() / 2 < LegendHeight() + 2 || y + metrics.ascent() / 2 > height() - strip - 2)
      continue;
    const QString text = NumberLabel(k * step);
    painter.drawText(QPointF(leftStrip - 4 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2 - 1),
                     text);
  }
  // The axis names where the axes meet the edges of the drawing.
  const QPointF origin = PlaneToWidget(QPointF(0, 0));
  QFont bold = painter.font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(kAxisLine.darker(130));
  if (origin.y() > 12 && origin.y() < height() - strip - 4)
    painter.drawText(QPointF(width() - 16, origin.y() - 4), QStringLiteral("X"));
  if (origin.x() > leftStrip + 4 && origin.x() < width() - 14)
    painter.drawText(QPointF(origin.x() + 4, LegendHeight() + 14), QStringLiteral("Y"));
  painter.restore();
}

void ToolpathView::PaintAxes3d(QPainter& painter) const {
  const QRectF plan = m_scene->Bounds();
  const double reach = std::max({std::fabs(plan.left()), std::fabs(plan.right()), std::fabs(plan.top()),
                                 std::fabs(plan.bottom())}) *
                       1.2;
  if (!(reach > 0) || !std::isfinite(reach)) return;
  const QPointF o = PlaneToWidget(Project(QPointF(0, 0), false));
  struct Axis {
    QPointF end;
    QString name;
  };
  std::vector<Axis> axes = {{ToWidget(QPointF(reach, 0), false), QStringLiteral("X")},
                            {ToWidget(QPointF(0, reach), false), QStringLiteral("Y")}};
  if (Height() != 0) axes.push_back({ToWidget(QPointF(0, 0), true), QStringLiteral("Z")});
  painter.save();
  QFont bold = SmallFont(painter.font());
  bold.setBold(true);
  painter.setFont(bold);
  for (const Axis& axis : axes) {
    painter.setPen(QPen(kAxisLine, 1, Qt::DashLine));
    painter.drawLine(o, axis.end);
    const QPointF d = axis.end - o;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1) continue;
    const QPointF unit = d / length;
    painter.setPen(kAxisLine.darker(130));
    painter.drawText(axis.end + unit * 8 + QPointF(-4, 5), axis.name);
  }
  painter.restore();
}

void ToolpathView::PaintContours(QPainter& painter) const {
  const QRectF clip = QRectF(rect()).adjusted(-8, -8, 8, 8);
  const int moves = m_scene->MoveCount();
  const bool oblique = m_mode == Mode::Oblique;
  const bool showUpper = ShowsUpper();

  Arrows arrows(size()), upperArrows(size());
  auto paintContour = [&](bool upper, const QColor& color) {
    Coverage cutCover(size()), pathCover(size());
    const QTransform toWidget = ContourToWidget(upper);
    Arrows* marks = upper ? &upperArrows : &arrows;
    ScreenPath cut(clip, &cutCover, marks);
    ScreenPath path(clip, &pathCover, marks);
    ScreenPath travel(clip, nullptr, nullptr);
    int lastCut = -2, lastPath = -2;
    for (int m = 0; m < moves; ++m) {
      if (m_scene->Rapid(m)) {
        // Without the wire, at the lower guide only: dashed, under the cut.
        if (upper) continue;
        travel.Break();
        for (const QPointF& p : m_scene->Points(m, false)) travel.Add(toWidget.map(p));
        continue;
      }
      const bool compensated = m_scene->Compensated(m);
      ScreenPath& layer = compensated ? cut : path;
      int& last = compensated ? lastCut : lastPath;
      if (last != m - 1) layer.Break();
      last = m;
      for (const QPointF& p : m_scene->Points(m, upper)) layer.Add(toWidget.map(p));
    }
    painter.setPen(TravelPen());
    painter.drawPath(travel.Path());
    painter.setPen(LinePen(color, kPathWidth));
    painter.drawPath(path.Path());
    painter.setPen(LinePen(color, kCutWidth));
    painter.drawPath(cut.Path());
  };

  // The upper contour first, so that the lower one, which the table cuts, stays on top where they meet.
  if (showUpper) paintContour(true, kUpper);
  if (oblique && Height() != 0) {
    painter.setPen(QPen(kWire, 1));
    for (const ToolpathScene::Wire& wire : m_scene->Wires())
      painter.drawLine(ToWidget(wire.first, false), ToWidget(wire.second, true));
  }
  paintContour(false, kLower);
  if (showUpper) PaintArrows(painter, upperArrows, kUpper.darker(120));
  PaintArrows(painter, arrows, kLower.darker(120));
  if (m_wireCentreShown && !m_scene->WireCentres().empty()) {
    ScreenPath centre(clip, nullptr, nullptr);
    const QTransform toWidget = ContourToWidget(false);
    for (const std::vector<QPointF>& run : m_scene->WireCentres()) {
      centre.Break();
      for (const QPointF& p : run) centre.Add(toWidget.map(p));
    }
    QPen pen(kWireCentre, 1);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawPath(centre.Path());
  }

  for (const ToolpathScene::Stop& stop : m_scene->Stops())
    PaintStopMark(painter, ToWidget(stop.at, false), stop.thread);
  if (m_scene->Holes().size() > 1) {
    painter.setPen(kLabel);
    for (const ToolpathScene::HoleMark& hole : m_scene->Holes())
      painter.drawText(ToWidget(hole.at, false) + QPointF(7, -7),
                       QString::fromStdString(std::to_string(hole.number)));
  }
  if (const auto start = m_scene->Start()) {
    painter.setPen(QPen(kPaper, 1.5));
    painter.setBrush(kStart);
    painter.drawEllipse(ToWidget(*start, false), 4.5, 4.5);
    painter.setBrush(Qt::NoBrush);
  }
}

void ToolpathView::PaintLegend(QPainter& painter) const {
  painter.save();
  painter.setFont(SmallFont(font()));
  const QFontMetricsF metrics(painter.font());
  const std::vector<LegendEntry> entries = Legend();
  const LegendLayout layout = LayOutLegend(entries, metrics, width());
  const double strip = layout.height;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 235));
  painter.drawRect(QRectF(0, 0, width(), strip));
  painter.setPen(QPen(kGridLine.darker(110), 1));
  painter.drawLine(QPointF(0, strip - 0.5), QPointF(width(), strip - 0.5));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const LegendEntry& entry = entries[k];
    const QPointF at = layout.places[k];  // left end of the entry, on its middle line
    double textLeft = at.x();
    if (entry.mark != LegendMark::None) {
      PaintStopMark(painter, at + QPointF(kLegendSwatch / 2, 0), entry.mark == LegendMark::Diamond);
      textLeft += kLegendSwatch + kLegendSwatchGap;
    } else if (entry.width > 0) {
      painter.setPen(entry.dashed ? TravelPen() : LinePen(entry.color, entry.width));
      painter.drawLine(at + QPointF(1, 0), at + QPointF(kLegendSwatch - 1, 0));
      textLeft += kLegendSwatch + kLegendSwatchGap;
    } else if (entry.width == 0) {
      painter.setPen(QPen(kPaper, 1.5));
      painter.setBrush(entry.color);
      painter.drawEllipse(at + QPointF(kLegendSwatch / 2, 0), 4.5, 4.5);
      painter.setBrush(Qt::NoBrush);
      textLeft += kLegendSwatch + kLegendSwatchGap;
    }
    painter.setPen(kLabel);
    painter.drawText(QPointF(textLeft, at.y() + metrics.ascent() / 2 - 1.5), entry.text);
  }
  painter.restore();
}

std::vector<LegendEntry> ToolpathView::Legend() const {
  return LegendEntries(ShowsUpper(), m_mode == Mode::Oblique,
                       m_mode == Mode::Oblique ? m_scene->WireHeight() : std::nullopt, m_scene->AnyFaulty(),
                       m_wireCentreShown && !m_scene->WireCentres().empty(), !m_scene->Stops().empty());
}

double ToolpathView::LegendHeight() const {
  if (m_scene->MoveCount() == 0) return 0;
  const std::vector<LegendEntry> entries = Legend();
  return LayOutLegend(entries, QFontMetricsF(SmallFont(font())), width()).height;
}

bool ToolpathView::ShowsUpper() const {
  return m_scene->Tapered() || (m_mode == Mode::Oblique && Height() != 0);
}

QRectF ToolpathView::FitArea() const {
  const double top = LegendHeight() + (m_mode == Mode::Plan ? 22 : 14);
  return QRectF(rect()).adjusted(m_mode == Mode::Plan ? 58 : 20, top, -24, m_mode == Mode::Plan ? -46 : -40);
}

void ToolpathView::PaintScaleBar(QPainter& painter) const {
  const double length = NiceStep(90 / m_scale);
  const double pixels = length * m_scale;
  painter.save();
  painter.setFont(SmallFont(painter.font()));
  const QFontMetricsF metrics(painter.font());
  const double bottom = height() - (m_mode == Mode::Plan ? metrics.height() + 4 : 0) - 10;
  const double right = width() - 14;
  const QString text = NumberLabel(length) + QStringLiteral(" мм");
  const double boxWidth = std::max(pixels, metrics.horizontalAdvance(text)) + 12;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(
      QRectF(right - boxWidth + 6, bottom - metrics.height() - 12, boxWidth, metrics.height() + 16));
  painter.setPen(QPen(kLabel, 1.5, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(right - pixels, bottom), QPointF(right, bottom));
  painter.drawLine(QPointF(right - pixels, bottom - 4), QPointF(right - pixels, bottom + 2));
  painter.drawLine(QPointF(right, bottom - 4), QPointF(right, bottom + 2));
  painter.drawText(QPointF(right - pixels / 2 - metrics.horizontalAdvance(text) / 2, bottom - 6), text);
  painter.restore();
}

void ToolpathView::PaintFaults(QPainter& painter) const {
  if (!m_scene->AnyFaulty()) return;
  const QRectF clip = QRectF(rect()).adjusted(-8, -8, 8, 8);
  const bool showUpper = ShowsUpper();
  painter.setPen(LinePen(kFault, kCutWidth + 1));
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    if (!m_scene->Faulty(m)) continue;
    for (const bool upper : {false, true}) {
      if (upper && !showUpper) continue;
      ScreenPath path(clip, nullptr, nullptr);
      for (const QPointF& p : m_scene->Points(m, upper)) path.Add(ToWidget(p, upper));
      painter.drawPath(path.Path());
    }
  }
}

void ToolpathView::PaintHighlight(QPainter& painter) const {
  if (m_highlight < 0 || m_highlight >= m_scene->MoveCount()) return;
  const QRectF clip = QRectF(rect()).adjusted(-8, -8, 8, 8);
  const bool oblique = m_mode == Mode::Oblique;
  const bool showUpper = ShowsUpper();
  painter.setPen(LinePen(kHighlight, 7));
  for (const bool upper : {false, true}) {
    if (upper && !showUpper) continue;
    ScreenPath path(clip, nullptr, nullptr);
    for (const QPointF& p : m_scene->Points(m_highlight, upper)) path.Add(ToWidget(p, upper));
    painter.drawPath(path.Path());
  }
  if (oblique && Height() != 0) {
    // The wire where the move starts and where it ends.
    const auto lower = m_scene->Points(m_highlight, false);
    const auto upper = m_scene->Points(m_highlight, true);
    painter.setPen(LinePen(kHighlight.darker(130), 1.5));
    painter.drawLine(ToWidget(lower.front(), false), ToWidget(upper.front(), true));
    painter.drawLine(ToWidget(lower.back(), false), ToWidget(upper.back(), true));
  }
}

int ToolpathView::MoveNear(QPointF at) const {
  int best = -1;
  double bestDistance = kNearPixels * kNearPixels;
  const bool showUpper = ShowsUpper();
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    for (const bool upper : {false, true}) {
      if (upper && !showUpper) continue;
      const QTransform toWidget = ContourToWidget(upper);
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
  if (m_mode == Mode::Oblique && Height() != 0) {
    const auto& wires = m_scene->Wires();
    for (std::size_t w = 0; w < wires.size(); ++w) {
      const double distance =
          SquaredDistanceToSegment(at, ToWidget(wires[w].first, false), ToWidget(wires[w].second, true));
      if (distance < bestDistance) {
        bestDistance = distance;
        best = m_scene->WireMove(w);
      }
    }
  }
  return best;
}

QPointF ToolpathView::SnapAt(QPointF at) const {
  QPointF best = WidgetToPlane(at);
  double bestDistance = kSnapPixels * kSnapPixels;
  for (const QPointF& p : m_scene->SnapPoints()) {
    const QPointF d = ToWidget(p, false) - at;
    const double distance = QPointF::dotProduct(d, d);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = p;
    }
  }
  return best;
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
    const QPointF origin = PlaneToWidget(Project(QPointF(0, 0), false));
    m_yaw = std::remainder(m_yaw - step.x() * kOrbitDegreesPerPixel, 360.0);
    m_pitch = std::clamp(m_pitch + step.y() * kOrbitDegreesPerPixel, -90.0, 90.0);
    UpdateBounds();
    m_offset += origin - PlaneToWidget(Project(QPointF(0, 0), false));
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
    if (m_measure.size() >= 2) m_measure.clear();
    m_measure.push_back(SnapAt(event->position()));
    if (m_measure.size() == 2) emit Measured(m_measure[0], m_measure[1]);
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
