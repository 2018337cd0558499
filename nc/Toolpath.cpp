#include "nc/Toolpath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kalmoro {
namespace {

// The extent of one move; an arc adds the axis points it passes.
void AddMove(Box& box, const Move& m, bool upper) {
  box.Add(PointAt(m, 0, upper));
  box.Add(PointAt(m, 1, upper));
  if (m.kind != Move::Kind::Arc) return;
  const double from = std::atan2(m.y0 - m.j, m.x0 - m.i);
  const double sweep = ArcSweep(m);
  for (int quarter = -8; quarter <= 8; ++quarter) {
    const double along = quarter * std::numbers::pi / 2 - from;
    if (along / sweep > 0 && along / sweep < 1) box.Add(PointAt(m, along / sweep, upper));
  }
}

}  // namespace

void Box::Add(Point p) {
  minX = std::min(minX, p.x);
  maxX = std::max(maxX, p.x);
  minY = std::min(minY, p.y);
  maxY = std::max(maxY, p.y);
}

void Box::Add(const Box& other) {
  if (other.Empty()) return;
  Add(Point{other.minX, other.minY});
  Add(Point{other.maxX, other.maxY});
}

double ArcSweep(const Move& m) {
  const double from = std::atan2(m.y0 - m.j, m.x0 - m.i);
  const double to = std::atan2(m.y - m.j, m.x - m.i);
  double sweep = m.clockwise ? from - to : to - from;
  while (sweep <= 1e-12) sweep += 2 * std::numbers::pi;
  return m.clockwise ? -sweep : sweep;
}

Point PointAt(const Move& m, double t, bool upper) {
  Point p;
  if (m.kind == Move::Kind::Arc) {
    const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j);
    const double r1 = std::hypot(m.x - m.i, m.y - m.j);
    const double a = std::atan2(m.y0 - m.j, m.x0 - m.i) + t * ArcSweep(m);
    const double r = r0 + t * (r1 - r0);
    p = {m.i + r * std::cos(a), m.j + r * std::sin(a)};
    if (t == 1) p = {m.x, m.y};
  } else {
    p = {m.x0 + t * (m.x - m.x0), m.y0 + t * (m.y - m.y0)};
  }
  if (upper) {
    p.x += m.u0 + t * (m.u - m.u0);
    p.y += m.v0 + t * (m.v - m.v0);
  }
  return p;
}

double PathLength(const Move& m, bool upper) {
  const bool evenTaper = m.u0 == m.u && m.v0 == m.v;
  if (m.kind == Move::Kind::Line || !upper || evenTaper) {
    if (m.kind == Move::Kind::Line) {
      const Point a = PointAt(m, 0, upper);
      const Point b = PointAt(m, 1, upper);
      return std::hypot(b.x - a.x, b.y - a.y);
    }
    const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j);
    const double r1 = std::hypot(m.x - m.i, m.y - m.j);
    return (r0 + r1) / 2 * std::fabs(ArcSweep(m));
  }
  // An arc whose taper changes on the way: summed in short chords.
  constexpr int kSteps = 64;
  double length = 0;
  Point last = PointAt(m, 0, true);
  for (int s = 1; s <= kSteps; ++s) {
    const Point p = PointAt(m, static_cast<double>(s) / kSteps, true);
    length += std::hypot(p.x - last.x, p.y - last.y);
    last = p;
  }
  return length;
}

double DistanceToPath(const Move& m, Point p, bool upper) {
  const auto segment = [p](Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  };
  if (m.kind == Move::Kind::Line) return segment(PointAt(m, 0, upper), PointAt(m, 1, upper));
  const double wanted = std::ceil(PathLength(m, upper) / 0.01);
  const int steps = !(wanted > 16) ? 16 : wanted < 1 << 16 ? static_cast<int>(wanted) : 1 << 16;
  double best = std::numeric_limits<double>::infinity();
  Point last = PointAt(m, 0, upper);
  for (int s = 1; s <= steps; ++s) {
    const Point next = PointAt(m, static_cast<double>(s) / steps, upper);
    best = std::min(best, segment(last, next));
    last = next;
  }
  return best;
}

Box BoundsOf(std::span<const Move> moves, bool upper) {
  Box box;
  for (const Move& m : moves) AddMove(box, m, upper);
  return box;
}

}  // namespace kalmoro
