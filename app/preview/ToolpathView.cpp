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

constexpr double kCutWidth = 2.2;   // the cut with compensation on
constexpr double kPathWidth = 1.1;  // lead-in and exit
constexpr double kArrowSpacing = 110;
constexpr double kKeepDistance = 0.6;  // pixels: closer points of a polyline are left out
// Oblique view: the Y axis recedes at this angle, shortened by half; heights are upright.
constexpr double kDepthAngle = 35 * std::numbers::pi / 180;
constexpr double kDepthScale = 0.5;
constexpr double kNearPixels = 24;     // a click farther than this from every move names none
constexpr double kMinZoom = 1.0 / 16;  // of the fitted scale
constexpr double kMaxScale = 1e5;      // pixels per millimetre: a pixel is 10 nm, labels keep 6 decimals

// The smallest of 1, 2, 5 times a power of ten that is at least value.
double NiceStep(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= value * (1 - 1e-9)) return m * power;
  }
  return 10 * power;
}

QString NumberLabel(double value) {
  return QString::fromStdString(FormatNumber(value, 0, 6));
}

// Cuts the segment a-b to the rectangle (Liang–Barsky); false when nothing of it lies inside.
bool ClipSegment(const QRectF& r, QPointF& a, QPointF& b, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const QPointF from = a;
  a = from + t0 * QPointF(dx, dy);
  b = from + t1 * QPointF(dx, dy);
  return true;
}

// The direction arrows of a drawing: at most one in each patch of the widget and a bounded number in
// all, however often the path passes by.
class Arrows {
 public:
  explicit Arrows(const QSize& size)
      : m_columns(static_cast<std::size_t>(std::max(size.width(), 0) / kArrowCell + 1)),
        m_rows(static_cast<std::size_t>(std::max(size.height(), 0) / kArrowCell + 1)),
        m_taken(m_columns * m_rows) {}

  void Add(QPointF at, double angle) {
    const double column = std::floor(at.x() / kArrowCell), row = std::floor(at.y() / kArrowCell);
    if (m_placed.size() >= kMaxArrows || !(column >= 0 && row >= 0) ||
        column >= static_cast<double>(m_columns) || row >= static_cast<double>(m_rows))
      return;
    const std::size_t cell = static_cast<std::size_t>(row) * m_columns + static_cast<std::size_t>(column);
    if (m_taken[cell]) return;
    m_taken[cell] = true;
    m_placed.push_back({at, angle});
  }

  void Paint(QPainter& painter, const QColor& color) const {
    QPainterPath head;
    head.moveTo(5, 0);
    head.lineTo(-5, -4.2);
    head.lineTo(-2.5, 0);
    head.lineTo(-5, 4.2);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const auto& [at, angle] : m_placed) {
      painter.save();
      painter.translate(at);
      painter.rotate(angle * 180 / std::numbers::pi);
      painter.drawPath(head);
      painter.restore();
    }
    painter.setBrush(Qt::NoBrush);
  }

 private:
  static constexpr int kArrowCell = 40;
  static constexpr std::size_t kMaxArrows = 200;
  std::size_t m_columns, m_rows;
  std::vector<bool> m_taken;
  std::vector<std::pair<QPointF, double>> m_placed;  // where, and the direction in radians
};

// The pixels a layer of the drawing has covered already. A piece of path that only goes over them
// again adds nothing to the picture and is left out, so that a program that runs round the same
// contour a thousand times costs no more to draw than one that runs round it once.
class Coverage {
 public:
  explicit Coverage(const QSize& size)
      : m_width(std::max(size.width(), 0)),
        m_height(std::max(size.height(), 0)),
        m_bits(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)) {}

  bool Covered(QPointF a, QPointF b) const {
    const int samples = std::clamp(static_cast<int>(Distance(a, b) / 3), 1, 8);
    for (int k = 0; k <= samples; ++k) {
      if (!At(a + (b - a) * (static_cast<double>(k) / samples))) return false;
    }
    return true;
  }
  // Marks every pixel within half a pixel of the segment (across each axis), so that any point of it
  // counts as covered when it is drawn again, whatever pixels its samples fall into.
  void Mark(QPointF a, QPointF b) {
    const int samples = std::max(1, static_cast<int>(std::ceil(Distance(a, b) * 2)));
    for (int k = 0; k <= samples; ++k) {
      const QPointF p = a + (b - a) * (static_cast<double>(k) / samples);
      for (const QPointF corner :
           {QPointF(-0.5, -0.5), QPointF(0.5, -0.5), QPointF(-0.5, 0.5), QPointF(0.5, 0.5)}) {
        if (const auto index = Index(p + corner)) m_bits[*index] = 1;
      }
    }
  }

 private:
  static double Distance(QPointF a, QPointF b) {
    const QPointF d = b - a;
    return std::sqrt(QPointF::dotProduct(d, d));
  }
  std::optional<std::size_t> Index(QPointF p) const {
    const double x = std::floor(p.x()), y = std::floor(p.y());
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return std::nullopt;
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
  }
  bool At(QPointF p) const {
    const auto index = Index(p);
    return index && m_bits[*index] != 0;
  }

  int m_width, m_height;
  std::vector<unsigned char> m_bits;
};

// A polyline in widget coordinates as it is drawn: points closer than a fraction of a pixel to the
// last one kept are left out, pieces outside the widget are cut away and pieces that only retrace
// covered pixels are dropped, so that the cost of a repaint follows what can be seen rather than
// the number of blocks. Optionally places arrows at even distances along each run.
class ScreenPath {
 public:
  ScreenPath(const QRectF& clip, Coverage* coverage, Arrows* arrows)
      : m_clip(clip), m_coverage(coverage), m_arrows(arrows) {}

  void Add(QPointF p) {
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {  // a point beyond any sane size
      Break();
      return;
    }
    if (!m_open) {
      m_last = p;
      m_open = true;
      m_hasPending = false;
      m_runLength = 0;
      m_nextArrow = 0;
      return;
    }
    const QPointF d = p - m_last;
    if (d.x() * d.x() + d.y() * d.y() < kKeepDistance * kKeepDistance) {
      m_pending = p;
      m_hasPending = true;
      return;
    }
    Segment(m_last, p);
    m_last = p;
    m_hasPending = false;
  }
  // The next point starts a new run.
  void Break() {
    if (m_open && m_hasPending) Segment(m_last, m_pending);
    m_open = false;
  }
  const QPainterPath& Path() {
    Break();
    return m_path;
  }

 private:
  void Segment(QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double length = std::sqrt(QPointF::dotProduct(d, d));
    const double runStart = m_runLength;
    m_runLength += length;
    double t0 = 0, t1 = 1;
    if (!ClipSegment(m_clip, a, b, t0, t1)) return;
    if (m_coverage) {
      if (m_coverage->Covered(a, b)) return;
      m_coverage->Mark(a, b);
    }
    if (m_path.isEmpty() || m_path.currentPosition() != a) m_path.moveTo(a);
    m_path.lineTo(b);
    if (!m_arrows || !(length > 0) || !std::isfinite(m_runLength)) return;
    // Arrows stand at half a spacing, one and a half, …, from the start of the run.
    const double seenFrom = runStart + t0 * length, seenTo = runStart + t1 * length;
    m_nextArrow = std::max(m_nextArrow, std::ceil(seenFrom / kArrowSpacing - 0.5));
    const double angle = std::atan2(b.y() - a.y(), b.x() - a.x());
    // The visible piece is at most the widget's diagonal long; the count also guards against runs so
    // long that adding one spacing no longer changes the number.
    for (int k = 0; k < 64; ++k, ++m_nextArrow) {
      const double at = (m_nextArrow + 0.5) * kArrowSpacing;
      if (at > seenTo) break;
      m_arrows->Add(a + (b - a) * ((at - seenFrom) / std::max(seenTo - seenFrom, 1e-12)), angle);
    }
  }

  QRectF m_clip;
  Coverage* m_coverage;
  Arrows* m_arrows;
  QPainterPath m_path;
  QPointF m_last, m_pending;
  bool m_open = false;
  bool m_hasPending = false;
  double m_runLength = 0;
  double m_nextArrow = 0;
};

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

constexpr double kSwatch = 24;

struct LegendEntry {
  QColor color;
  double width;  // of the line; 0 for the start marker, below 0 for a note without a sample
  QString text;
};

std::vector<LegendEntry> LegendEntries(bool upper, bool oblique, std::optional<double> height) {
  std::vector<LegendEntry> entries = {{kLower, kCutWidth, QStringLiteral("Нижний контур (X, Y)")}};
  if (upper) entries.push_back({kUpper, kCutWidth, QStringLiteral("Верхний контур (X+U, Y+V)")});
  entries.push_back({kLower, kPathWidth, QStringLiteral("Подход и отход (без коррекции)")});
  if (oblique && height) entries.push_back({kWire.darker(120), 1, QStringLiteral("Проволока")});
  entries.push_back({kStart, 0, QStringLiteral("Начало")});
  if (oblique) {
    entries.push_back({QColor(), -1,
                       height ? QStringLiteral("Высота (R): %1 мм").arg(NumberLabel(*height))
                              : QStringLiteral("Высота (слово R) не задана: контуры на одной высоте")});
  }
  return entries;
}

// Places the entries in rows across the top of a drawing of the given width; returns the height of
// the strip they take, and where each entry starts (left end, middle line) when asked.
double LayOutLegend(const std::vector<LegendEntry>& entries, const QFontMetricsF& metrics, double width,
                    std::vector<QPointF>* places) {
  const double rowHeight = metrics.height() + 6;
  double x = 10, y = 4 + rowHeight / 2;
  for (const LegendEntry& entry : entries) {
    const double w = (entry.width >= 0 ? kSwatch + 6 : 0) + metrics.horizontalAdvance(entry.text);
    if (x > 10 && x + w > width - 10) {
      x = 10;
      y += rowHeight;
    }
    if (places) places->emplace_back(x, y);
    x += w + 20;
  }
  return y + rowHeight / 2 + 4;
}

}  // namespace

ToolpathView::ToolpathView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::ClickFocus);
}

void ToolpathView::SetScene(std::shared_ptr<const ToolpathScene> scene) {
  m_scene = scene ? std::move(scene) : std::make_shared<ToolpathScene>();
  if (m_highlight >= m_scene->MoveCount()) m_highlight = -1;
  UpdateBounds();
  if (m_fitted) Fit();
  Invalidate();
}

void ToolpathView::SetMode(Mode mode) {
  if (mode == m_mode) return;
  m_mode = mode;
  UpdateBounds();
  Fit();
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

QTransform ToolpathView::Projection(bool upper) const {
  if (m_mode == Mode::Plan) return {};
  return {1,
          0,
          kDepthScale * std::cos(kDepthAngle),
          kDepthScale * std::sin(kDepthAngle),
          0,
          upper ? Height() : 0};
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
  double minX = std::numeric_limits<double>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
  for (int m = 0; m < m_scene->MoveCount(); ++m) {
    for (const bool upper : {false, true}) {
      for (const QPointF& p : m_scene->Points(m, upper)) {
        const QPointF q = Project(p, upper);
        if (!std::isfinite(q.x()) || !std::isfinite(q.y())) continue;
        minX = std::min(minX, q.x());
        maxX = std::max(maxX, q.x());
        minY = std::min(minY, q.y());
        maxY = std::max(maxY, q.y());
      }
    }
  }
  m_bounds = minX <= maxX ? QRectF(QPointF(minX, minY), QPointF(maxX, maxY)) : QRectF();
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

  Arrows arrows(size());
  auto paintContour = [&](bool upper, const QColor& color) {
    Coverage cutCover(size()), pathCover(size());
    const QTransform toWidget = ContourToWidget(upper);
    ScreenPath cut(clip, &cutCover, upper ? nullptr : &arrows);
    ScreenPath path(clip, &pathCover, upper ? nullptr : &arrows);
    int lastCut = -2, lastPath = -2;
    for (int m = 0; m < moves; ++m) {
      const bool compensated = m_scene->Compensated(m);
      ScreenPath& layer = compensated ? cut : path;
      int& last = compensated ? lastCut : lastPath;
      if (last != m - 1) layer.Break();
      last = m;
      for (const QPointF& p : m_scene->Points(m, upper)) layer.Add(toWidget.map(p));
    }
    painter.setPen(LinePen(color, kPathWidth));
    painter.drawPath(path.Path());
    painter.setPen(LinePen(color, kCutWidth));
    painter.drawPath(cut.Path());
  };

  paintContour(false, kLower);
  if (oblique && Height() != 0) {
    painter.setPen(QPen(kWire, 1));
    for (const ToolpathScene::Wire& wire : m_scene->Wires())
      painter.drawLine(ToWidget(wire.first, false), ToWidget(wire.second, true));
  }
  if (showUpper) paintContour(true, kUpper);
  arrows.Paint(painter, kLower.darker(120));

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
  const std::vector<LegendEntry> entries = LegendEntries(
      ShowsUpper(), m_mode == Mode::Oblique, m_mode == Mode::Oblique ? m_scene->WireHeight() : std::nullopt);
  std::vector<QPointF> places;
  const double strip = LayOutLegend(entries, metrics, width(), &places);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 235));
  painter.drawRect(QRectF(0, 0, width(), strip));
  painter.setPen(QPen(kGridLine.darker(110), 1));
  painter.drawLine(QPointF(0, strip - 0.5), QPointF(width(), strip - 0.5));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const LegendEntry& entry = entries[k];
    const QPointF at = places[k];  // left end of the entry, on its middle line
    double textLeft = at.x();
    if (entry.width > 0) {
      painter.setPen(LinePen(entry.color, entry.width));
      painter.drawLine(at + QPointF(1, 0), at + QPointF(kSwatch - 1, 0));
      textLeft += kSwatch + 6;
    } else if (entry.width == 0) {
      painter.setPen(QPen(kPaper, 1.5));
      painter.setBrush(entry.color);
      painter.drawEllipse(at + QPointF(kSwatch / 2, 0), 4.5, 4.5);
      painter.setBrush(Qt::NoBrush);
      textLeft += kSwatch + 6;
    }
    painter.setPen(kLabel);
    painter.drawText(QPointF(textLeft, at.y() + metrics.ascent() / 2 - 1.5), entry.text);
  }
  painter.restore();
}

double ToolpathView::LegendHeight() const {
  if (m_scene->MoveCount() == 0) return 0;
  const std::vector<LegendEntry> entries = LegendEntries(
      ShowsUpper(), m_mode == Mode::Oblique, m_mode == Mode::Oblique ? m_scene->WireHeight() : std::nullopt);
  return LayOutLegend(entries, QFontMetricsF(SmallFont(font())), width(), nullptr);
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
        const QPointF ab = b - a;
        const double length2 = QPointF::dotProduct(ab, ab);
        const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(at - a, ab) / length2, 0.0, 1.0) : 0.0;
        const QPointF d = a + t * ab - at;
        const double distance = QPointF::dotProduct(d, d);
        if (distance < bestDistance) {
          bestDistance = distance;
          best = m;
        }
        a = b;
      }
    }
  }
  return best;
}

void ToolpathView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  m_pressed = true;
  m_dragging = false;
  m_pressAt = m_dragFrom = event->position();
}

void ToolpathView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_pressed) return QWidget::mouseMoveEvent(event);
  const QPointF at = event->position();
  if (!m_dragging && (at - m_pressAt).manhattanLength() < QApplication::startDragDistance()) return;
  if (!m_dragging) setCursor(Qt::ClosedHandCursor);
  m_dragging = true;
  m_offset += at - m_dragFrom;
  m_dragFrom = at;
  m_fitted = false;
  Invalidate();
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
  const int move = MoveNear(event->position());
  if (move >= 0) emit MoveClicked(move);
}

void ToolpathView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  m_afterDoubleClick = true;
  m_pressed = true;
  m_dragging = false;
  m_pressAt = m_dragFrom = event->position();
  Fit();
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
