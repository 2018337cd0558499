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

std::vector<QPointF> OffsetPolyline(std::span<const QPointF> points, double offset) {
  std::vector<QPointF> path;
  for (const QPointF& p : points)
    if (path.empty() || path.back() != p) path.push_back(p);
  if (path.size() < 2) return {};
  const auto left = [](QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    return QPointF(-d.y() / length, d.x() / length);
  };
  std::vector<QPointF> out;
  out.reserve(path.size() + 8);
  const auto corner = [&](QPointF at, QPointF n1, QPointF n2) {
    const QPointF sum = n1 + n2;
    const double squared = QPointF::dotProduct(sum, sum);
    // The sides meet 2·offset / |n1 + n2| from the corner, along the bisector.
    if (squared > 0.25) {
      out.push_back(at + sum * (2 * offset / squared));
    } else {
      out.push_back(at + n1 * offset);
      out.push_back(at + n2 * offset);
    }
  };
  // A closed contour has a corner where it ends and begins again, like any other.
  const bool closed = path.size() > 2 && path.front() == path.back();
  const QPointF first = left(path[0], path[1]), last = left(path[path.size() - 2], path.back());
  if (closed)
    corner(path.front(), last, first);
  else
    out.push_back(path.front() + first * offset);
  for (std::size_t k = 1; k + 1 < path.size(); ++k)
    corner(path[k], left(path[k - 1], path[k]), left(path[k], path[k + 1]));
  if (closed)
    out.push_back(out.front());
  else
    out.push_back(path.back() + last * offset);
  return out;
}

}  // namespace kalmoro
