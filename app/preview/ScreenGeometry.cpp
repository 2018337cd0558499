#include "app/preview/ScreenGeometry.h"

#include <algorithm>
#include <cmath>

namespace kalmoro {

double NiceStep(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= value * (1 - 1e-9)) return m * power;
  }
  return 10 * power;
}

bool ClipSegment(const QRectF& rect, QPointF& a, QPointF& b, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(), rect.bottom() - a.y()};
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

double SquaredDistanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF ab = b - a;
  const double length2 = QPointF::dotProduct(ab, ab);
  const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
  const QPointF d = a + t * ab - p;
  return QPointF::dotProduct(d, d);
}

void AddFinite(Box& box, QPointF point) {
  if (std::isfinite(point.x()) && std::isfinite(point.y())) box.Add(Point{point.x(), point.y()});
}

QRectF RectOf(const Box& box) {
  if (box.Empty()) return {};
  return {QPointF(box.minX, box.minY), QPointF(box.maxX, box.maxY)};
}

}  // namespace kalmoro
