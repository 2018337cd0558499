#include "HoleCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ProblemText.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// A point written in words of three decimals lies within this of where it was meant: half a thousandth
// in X and in Y, with a margin for the sums of doubles.
constexpr double kPoint = 0.0011;
// A point of the upper contour is the sum of four rounded words (X + U, Y + V).
constexpr double kUpperPoint = 0.0021;
// An arc's path: its centre and its ends are rounded words.
constexpr double kArcPath = 0.002;
// The largest difference of a radius measured on rounded words from the value it was made from.
constexpr double kRoundedDistance = 0.003;
// The cone's chords stand this far from the lower circle at most (before rounding the steps down).
constexpr double kChordTolerance = 0.002;
// The steepest taper the generator writes, full cone angle in degrees.
constexpr double kMaxTaperAngle = 30;
// The exit arc of every hole program; a hole narrower than twice this cannot hold it.
constexpr double kExitRadius = 0.35;
// Problems of this check beyond this many are counted only.
constexpr std::size_t kMaxProblems = 500;

// The ideal boundary of a contour: a circle, or a rectangle with rounded corners, about the origin.
struct Shape {
  bool circle = true;
  double radius = 0;  // of the circle, or of the corners
  double halfWidth = 0, halfHeight = 0;

  // Signed distance from the boundary: negative inside. The rectangle is the rectangle of the corners'
  // centres, ±(halfWidth − radius) × ±(halfHeight − radius), widened by the radius.
  double Distance(Point p) const {
    if (circle) return std::hypot(p.x, p.y) - radius;
    const double qx = std::fabs(p.x) - (halfWidth - radius);
    const double qy = std::fabs(p.y) - (halfHeight - radius);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
  }
};

// One contour of the hole (lower, or the upper one of a cone): its boundary, how far a contour move may
// stand inside and outside it, and its name in messages.
struct Contour {
  Shape shape;
  bool upper = false;
  double inside = kArcPath, outside = kArcPath;
  const char* name = "контура отверстия";

  bool Fits(double d) const { return d <= outside && d >= -inside; }
};

// What a move's path does against a boundary: the signed distance at both ends and its extremes along
// the way, and how far it turns about the origin.
struct Trace {
  double start = 0, end = 0, low = 0, high = 0;
  double winding = 0;
};

// How many samples a path gets: the wanted number within [low, high], for any double (a path of 10¹¹ mm,
// infinity or NaN included) without converting one out of range.
int SampleCount(double wanted, int low, int high) {
  if (!(wanted > low)) return low;
  return wanted >= high ? high : static_cast<int>(std::ceil(wanted));
}

double Turn(Point a, Point b) {
  return std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
}

// The angles about an arc's centre `c` of radius r where the arc may reach an extreme distance from a
// shape's boundary: where it crosses a line on which the distance changes its formula, where it comes
// nearest to or farthest from a corner's centre, and where X or Y is extreme. Between two of them the
// distance is monotonic along the arc, so these and the arc's ends hold its lowest and highest value.
template <class Consider>
void CriticalAngles(const Shape& shape, Point c, double r, Consider&& consider) {
  const double a = shape.circle ? 0 : shape.halfWidth - shape.radius;
  const double b = shape.circle ? 0 : shape.halfHeight - shape.radius;
  // The corners' centres (the centre of a circle): the nearest and the farthest point.
  const double corners[4][2] = {{a, b}, {-a, b}, {-a, -b}, {a, -b}};
  for (int k = 0; k < (shape.circle ? 1 : 4); ++k) {
    const double dx = c.x - corners[k][0], dy = c.y - corners[k][1];
    if (dx == 0 && dy == 0) continue;
    const double away = std::atan2(dy, dx);
    consider(away);
    consider(away + std::numbers::pi);
  }
  if (shape.circle) return;
  // Lines n·p = d: the sides' lines through the corners' centres, the axes, and the lines where the
  // nearest side changes inside.
  const double lines[][3] = {{1, 0, a}, {1, 0, -a},     {1, 0, 0},      {0, 1, b},     {0, 1, -b},
                             {0, 1, 0}, {1, -1, a - b}, {1, -1, b - a}, {1, 1, a - b}, {1, 1, b - a}};
  for (const auto& l : lines) {
    const double norm = std::hypot(l[0], l[1]);
    const double cosine = (l[2] - (l[0] * c.x + l[1] * c.y)) / (r * norm);
    if (!(std::fabs(cosine) <= 1)) continue;
    const double towards = std::atan2(l[1], l[0]), off = std::acos(cosine);
    consider(towards + off);
    consider(towards - off);
  }
  for (int k = 0; k < 4; ++k) consider(k * std::numbers::pi / 2);
}

Trace TraceMove(const Move& m, const Contour& c) {
  Trace t;
  const Point a = PointAt(m, 0, c.upper);
  const Point b = PointAt(m, 1, c.upper);
  t.start = c.shape.Distance(a);
  t.end = c.shape.Distance(b);
  t.low = std::min(t.start, t.end);
  t.high = std::max(t.start, t.end);
  const bool straight = m.kind == Move::Kind::Line;
  if (straight) {
    // The distance from a convex boundary is convex along a straight path: its highest value is at an
    // end, its lowest found by golden section.
    double lo = 0, hi = 1;
    const auto at = [&](double s) {
      return c.shape.Distance({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)});
    };
    constexpr double kGolden = 0.6180339887498949;
    double s1 = hi - kGolden * (hi - lo), s2 = lo + kGolden * (hi - lo);
    double f1 = at(s1), f2 = at(s2);
    for (int k = 0; k < 48; ++k) {
      if (f1 < f2) {
        hi = s2;
        s2 = s1;
        f2 = f1;
        s1 = hi - kGolden * (hi - lo);
        f1 = at(s1);
      } else {
        lo = s1;
        s1 = s2;
        f1 = f2;
        s2 = lo + kGolden * (hi - lo);
        f2 = at(s2);
      }
    }
    t.low = std::min({t.low, f1, f2});
    t.winding = Turn(a, b);
    return t;
  }
  const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j), r1 = std::hypot(m.x - m.i, m.y - m.j);
  const double from = std::atan2(m.y0 - m.j, m.x0 - m.i);
  const double sweep = ArcSweep(m);
  // A circle arc: its ends as far from its centre as words allow, its taper the same along it.
  const bool circular = std::fabs(r1 - r0) <= kRoundedDistance && (!c.upper || (m.u0 == m.u && m.v0 == m.v));
  // The arc's point at fraction s, its radius changing evenly from start to end as PointAt has it.
  const auto pointAt = [&](double s) {
    const double angle = from + s * sweep, r = r0 + s * (r1 - r0);
    Point p{m.i + r * std::cos(angle), m.j + r * std::sin(angle)};
    if (c.upper) {
      p.x += m.u0 + s * (m.u - m.u0);
      p.y += m.v0 + s * (m.v - m.v0);
    }
    return p;
  };
  // The winding in chords of at most a sixteenth of a turn: exact unless the centre of the hole lies
  // between a chord and its arc.
  const int chords = SampleCount(std::fabs(sweep) / (std::numbers::pi / 8), 1, 16);
  Point last = a;
  for (int k = 1; k <= chords; ++k) {
    const Point p = k == chords ? b : pointAt(static_cast<double>(k) / chords);
    t.winding += Turn(last, p);
    last = p;
  }
  if (circular) {
    const Point centre{m.i + (c.upper ? m.u : 0), m.j + (c.upper ? m.v : 0)};
    CriticalAngles(c.shape, centre, (r0 + r1) / 2, [&](double angle) {
      double along = (angle - from) * (sweep < 0 ? -1 : 1);
      along -= std::floor(along / (2 * std::numbers::pi)) * 2 * std::numbers::pi;
      if (!(along <= std::fabs(sweep))) return;
      const double d = c.shape.Distance(pointAt(along / std::fabs(sweep)));
      t.low = std::min(t.low, d);
      t.high = std::max(t.high, d);
    });
    return t;
  }
  // An arc whose ends lie at different radii, or whose taper changes on the way: its path is no circle,
  // and is sampled.
  const double r = std::max(r0, r1);
  const int samples = SampleCount(std::fabs(sweep) * r / 0.02, 16, 2048);
  for (int k = 1; k < samples; ++k) {
    const double d = c.shape.Distance(pointAt(static_cast<double>(k) / samples));
    t.low = std::min(t.low, d);
    t.high = std::max(t.high, d);
  }
  return t;
}

// The path of the wire through the hole's waste, as every hole program cuts it: straight from the
// centre up to the top of the contour, and after the contour a quarter arc of kExitRadius into the
// hole, a line down to the centre's level and back to the centre; a clockwise pass mirrors the way out
// (X = +kExitRadius). A piece is a segment a → b, or a counter-clockwise quarter arc about c from a to b.
struct Piece {
  bool arc = false;
  Point a, b, c;
  double radius = 0;

  // Where p lies on the arc's circle within its quarter.
  bool OnQuarter(Point p) const {
    const double from = std::atan2(a.y - c.y, a.x - c.x);
    double along = std::atan2(p.y - c.y, p.x - c.x) - from;
    while (along < 0) along += 2 * std::numbers::pi;
    return along <= std::numbers::pi / 2;
  }
  double Distance(Point p) const {
    if (arc) {
      if (OnQuarter(p)) return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - radius);
      return std::min(std::hypot(p.x - a.x, p.y - a.y), std::hypot(p.x - b.x, p.y - b.y));
    }
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  }
  // The farthest a move whose ends both lie within `tolerance` of this piece strays from it, when that
  // can be told without sampling: a straight move along a segment (the distance from a segment is convex
  // along a straight path), a straight move within the quarter of an arc (the distance from its centre
  // is convex, lowest at the foot of the perpendicular), an arc on the arc's own circle. Nothing
  // otherwise.
  std::optional<double> Along(Point p0, Point p1, const Move& m, bool upper) const {
    if (!arc) {
      if (m.kind != Move::Kind::Line) return std::nullopt;
      return std::max(Distance(p0), Distance(p1));
    }
    if (!OnQuarter(p0) || !OnQuarter(p1)) return std::nullopt;
    if (m.kind == Move::Kind::Line) {
      const double dx = p1.x - p0.x, dy = p1.y - p0.y, len2 = dx * dx + dy * dy;
      const double t = len2 > 0 ? std::clamp(((c.x - p0.x) * dx + (c.y - p0.y) * dy) / len2, 0.0, 1.0) : 0;
      const double nearest = std::hypot(p0.x + t * dx - c.x, p0.y + t * dy - c.y);
      return std::max({Distance(p0), Distance(p1), radius - nearest});
    }
    if (upper && !(m.u0 == m.u && m.v0 == m.v)) return std::nullopt;
    const double sweep = ArcSweep(m);
    if (std::fabs(sweep) > std::numbers::pi / 2 + 1e-9) return std::nullopt;
    const double offX = upper ? m.u : 0, offY = upper ? m.v : 0;
    const double centreOff = std::hypot(m.i + offX - c.x, m.j + offY - c.y);
    const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j), r1 = std::hypot(m.x - m.i, m.y - m.j);
    return centreOff + std::max(std::fabs(r0 - radius), std::fabs(r1 - radius));
  }
};

struct WastePath {
  std::vector<Piece> pieces;
  double tolerance = kArcPath;

  // The way in and out of one direction, or of both: the lead-in after a pass of the other direction
  // starts where that pass's way out ended.
  enum class Way { Counterclockwise, Clockwise, Both };
  WastePath(double top, double tolerance, Way way) : tolerance(tolerance) {
    const double r = kExitRadius;
    pieces = {{false, {0, 0}, {0, top}, {}, 0}};
    for (const bool mirrored : {false, true}) {
      if (way == (mirrored ? Way::Counterclockwise : Way::Clockwise)) continue;
      const double side = mirrored ? r : -r;
      pieces.push_back(mirrored ? Piece{true, {r, top - r}, {0, top}, {0, top - r}, r}
                                : Piece{true, {0, top}, {-r, top - r}, {0, top - r}, r});
      pieces.push_back({false, {side, top - r}, {side, 0}, {}, 0});
      pieces.push_back({false, {side, 0}, {0, 0}, {}, 0});
    }
  }
  double Distance(Point p) const {
    double d = std::numeric_limits<double>::infinity();
    for (const Piece& piece : pieces) d = std::min(d, piece.Distance(p));
    return d;
  }
  // How far a move whose start lies on the path strays from it: told at once where one piece holds
  // both ends, else sampled.
  double Worst(const Move& m, bool upper) const {
    const Point p0 = PointAt(m, 0, upper), p1 = PointAt(m, 1, upper);
    for (const Piece& piece : pieces) {
      if (piece.Distance(p0) > tolerance || piece.Distance(p1) > tolerance) continue;
      if (const std::optional<double> along = piece.Along(p0, p1, m, upper)) return *along;
    }
    const int samples = SampleCount(PathLength(m, upper) / 0.05, 2, 64);
    double worst = 0;
    for (int k = 1; k < samples; ++k)
      worst = std::max(worst, Distance(PointAt(m, static_cast<double>(k) / samples, upper)));
    return worst;
  }
};

// The dimensions of a hole: from its header, or worked back from its contour.
struct Hole {
  Contour lower;
  std::optional<Contour> upper;
  double lowerRadius = 0, upperRadius = 0;  // of a cone
  double top = 0, upperTop = 0;             // where the contour starts, on the Y axis
  bool chords = false;                      // a cone's exit arc is written as chords
  // A tapered rectangle's corner centres (±a, ±b) and radius at the bottom and at the top (a2, b2, r2):
  // each upper point stands where its corner mode puts the twin of its lower point.
  struct Twin {
    double a = 0, b = 0, r = 0, a2 = 0, b2 = 0, r2 = 0;
  };
  std::optional<Twin> twin;
};

// The sagitta of the cone's chords on a circle of radius r, for a lower radius rd.
double ChordSagitta(double rd, double r) {
  const double c = std::clamp(1 - kChordTolerance / rd, -1.0, 1.0);
  const double theta = 2 * std::acos(c);
  const double n = theta > 0 ? std::numbers::pi / 2 / theta : 1;
  const double k = std::max(1.0, std::floor(n));
  return r * (1 - std::cos(std::numbers::pi / 2 / k / 2));
}

// A cone of the given diameters as the generator writes it: its lower circle in chords, each point with
// its upper twin on the same ray.
Hole ConeHole(double lower, double upper) {
  Hole h;
  h.lowerRadius = lower / 2;
  h.upperRadius = upper / 2;
  h.lower.shape = {true, h.lowerRadius, 0, 0};
  h.top = h.lowerRadius;
  h.upperTop = h.upperRadius;
  h.chords = true;
  h.lower.name = "нижнего контура";
  h.lower.outside = kPoint;
  h.lower.inside = kPoint + ChordSagitta(h.lowerRadius, h.lowerRadius);
  Contour up;
  up.shape = {true, h.upperRadius, 0, 0};
  up.upper = true;
  up.name = "верхнего контура";
  up.outside = kUpperPoint;
  up.inside = kUpperPoint + ChordSagitta(h.lowerRadius, h.upperRadius);
  h.upper = up;
  return h;
}

// A tapered rectangle of the given bottom, plate and full angle: its corners in chords within
// kChordTolerance of both arcs. Nothing for dimensions no such hole has.
std::optional<Hole> TaperHole(double width, double height, double radius, double thickness, double angle,
                              CornerMode corners) {
  const double d = thickness * std::tan(angle * std::numbers::pi / 360);
  const double r2 = corners == CornerMode::Conical ? radius - d : radius;
  const double w2 = width - 2 * d, h2 = height - 2 * d;
  if (!(width > 0 && height > 0 && radius >= 0 && 2 * radius <= std::min(width, height) + 1e-9 &&
        r2 >= -1e-9 && w2 > 0 && h2 > 0 && 2 * r2 <= std::min(w2, h2) + 1e-9))
    return std::nullopt;
  Hole h;
  h.lower.shape = {false, radius, width / 2, height / 2};
  h.lower.name = "нижнего контура";
  h.lower.outside = kPoint;
  h.lower.inside = kPoint + kChordTolerance;
  Contour up;
  up.shape = {false, std::max(r2, 0.0), w2 / 2, h2 / 2};
  up.upper = true;
  up.name = "верхнего контура";
  up.outside = kUpperPoint;
  up.inside = kUpperPoint + kChordTolerance;
  h.upper = up;
  h.top = height / 2;
  h.upperTop = h2 / 2;
  h.chords = true;
  h.twin = Hole::Twin{width / 2 - radius, height / 2 - radius, radius, w2 / 2 - r2, h2 / 2 - r2, r2};
  return h;
}

// The relief pass of a die opening whose header has one: the cone through the opening's circle, or the
// tapered rectangle through its rectangle, at the land's depth. Nothing without a relief.
std::optional<Hole> ReliefHoleOf(const HoleHeader& header) {
  if (const auto* circle = std::get_if<CircleHeader>(&header); circle && circle->relief) {
    const Relief& r = *circle->relief;
    const double d = LeadingValue(circle->diameter);
    if (!(d > 0 && d > 2 * r.Above())) return std::nullopt;
    return ConeHole(d + 2 * r.Below(), d - 2 * r.Above());
  }
  if (const auto* rect = std::get_if<RectHeader>(&header); rect && rect->relief) {
    const Relief& r = *rect->relief;
    const double below = r.Below();
    const CornerMode corners = ReliefCorners(rect->width, rect->height, rect->radius, r);
    const double radius = corners == CornerMode::Conical ? rect->radius + below : rect->radius;
    return TaperHole(rect->width + 2 * below, rect->height + 2 * below, radius, r.thickness, 2 * r.angle,
                     corners);
  }
  return std::nullopt;
}

std::optional<Hole> HoleOf(const HoleHeader& header) {
  Hole h;
  if (const auto* circle = std::get_if<CircleHeader>(&header)) {
    const double d = LeadingValue(circle->diameter);
    if (!(d > 0)) return std::nullopt;
    h.lower.shape = {true, d / 2, 0, 0};
    h.top = d / 2;
  } else if (const auto* rect = std::get_if<RectHeader>(&header)) {
    if (!(rect->width > 0 && rect->height > 0 && rect->radius >= 0 &&
          2 * rect->radius <= rect->width + 1e-9 && 2 * rect->radius <= rect->height + 1e-9))
      return std::nullopt;
    h.lower.shape = {false, rect->radius, rect->width / 2, rect->height / 2};
    h.top = rect->height / 2;
  } else if (const auto* cone = std::get_if<ConeHeader>(&header)) {
    if (!(cone->lower > 0 && cone->upper > 0)) return std::nullopt;
    h = ConeHole(cone->lower, cone->upper);
  } else if (const auto* taper = std::get_if<RectTaperHeader>(&header)) {
    const auto t =
        TaperHole(taper->width, taper->height, taper->radius, taper->thickness, taper->angle, taper->corners);
    if (!t) return std::nullopt;
    h = *t;
  }
  return h;
}

// The moves of a pass's contour: from its first one with compensation on, once round the origin; how
// far it turns about the origin (negative: clockwise).
struct ContourSpan {
  std::size_t first = 0, last = 0;
  bool closed = false;
  double winding = 0;
};

ContourSpan FindContour(const std::vector<Move>& moves, const Contour& lower, std::size_t first) {
  std::size_t end = first;
  while (end + 1 < moves.size() && moves[end + 1].compensated) ++end;
  const Move& m0 = moves[first];
  const Point start{m0.x0, m0.y0};
  ContourSpan span{first, end, false, 0};
  double best = std::numeric_limits<double>::infinity();
  std::size_t onBoundary = first;
  bool any = false;
  // The contour ends where, once round either way, it comes nearest its start: first among the moves
  // that end on the boundary, else among all (a contour of other dimensions than the header's).
  for (const bool onlyOnBoundary : {true, false}) {
    double winding = 0;
    for (std::size_t k = first; k <= end && !any; ++k) {
      const Trace t = TraceMove(moves[k], lower);
      winding += t.winding;
      const bool fits = lower.Fits(t.end);
      if (fits && onlyOnBoundary) onBoundary = k;
      if (std::fabs(winding) > 2.5 * std::numbers::pi) break;
      if (std::fabs(winding) >= 1.5 * std::numbers::pi && (fits || !onlyOnBoundary)) {
        const double gap = std::hypot(moves[k].x - start.x, moves[k].y - start.y);
        if (gap < best) {
          best = gap;
          span.last = k;
        }
      }
    }
    any = best < std::numeric_limits<double>::infinity();
    if (any) break;
  }
  if (!any) {
    span.last = onBoundary;
    best = std::hypot(moves[span.last].x - start.x, moves[span.last].y - start.y);
  }
  span.closed = best <= kPoint * 2;
  for (std::size_t k = span.first; k <= span.last; ++k) span.winding += TraceMove(moves[k], lower).winding;
  return span;
}

// A pass as the check holds it: its moves, its contour, the way it runs, where its slug is held, and the
// hole it cuts (a die opening's relief pass cuts its own).
struct PassSpan {
  std::size_t first = 0, end = 0;  // its moves [first, end)
  ContourSpan contour;
  bool clockwise = false;    // the way its contour runs, or, when it hardly turns, the way it should
  std::size_t stopMove = 0;  // the stop stands before this move; 0: no stop
  const Hole* hole = nullptr;
};

class Checker {
 public:
  Checker(const std::vector<Move>& moves, const std::vector<PassSpan>& passes)
      : m_moves(moves), m_passes(passes) {}

  std::vector<Problem> Run(std::size_t& leftOut) {
    // The way in and out of each direction, on the lower and the upper contour, of each hole in turn.
    using Way = WastePath::Way;
    const std::array<Way, 3> ways = {Way::Counterclockwise, Way::Clockwise, Way::Both};
    const Hole* wasteOf = nullptr;
    std::vector<WastePath> lower, upper;
    for (std::size_t n = 0; n < m_passes.size(); ++n) {
      const PassSpan& pass = m_passes[n];
      m_pass = &pass;
      m_hole = pass.hole;
      m_afterStop = false;
      if (wasteOf != m_hole) {
        wasteOf = m_hole;
        lower.clear();
        upper.clear();
        for (const Way way : ways) {
          lower.emplace_back(m_hole->top, WasteTolerance(false), way);
          upper.emplace_back(m_hole->upperTop, WasteTolerance(true), way);
        }
      }
      const std::size_t own = pass.clockwise ? 1 : 0;
      // The lead-in after a pass of the other way begins where that pass left the wire.
      const std::size_t in = n > 0 && m_passes[n - 1].clockwise != pass.clockwise ? 2 : own;
      for (std::size_t k = pass.first; k < pass.end; ++k) {
        const bool onContour = k >= pass.contour.first && k <= pass.contour.last;
        const std::size_t way = k < pass.contour.first ? in : own;
        if (pass.stopMove != 0 && k == pass.stopMove) m_afterStop = true;
        Check(k, onContour, m_hole->lower, lower[way]);
        if (m_hole->upper) Check(k, onContour, *m_hole->upper, upper[way]);
        if (onContour && m_hole->twin)
          CheckTwin(k);
        else if (onContour && m_hole->upper)
          CheckTaper(k);
      }
    }
    leftOut = m_leftOut;
    return std::move(m_problems);
  }

 private:
  void Add(const Move& m, ProblemKind kind, std::string text) {
    if (m_problems.size() >= kMaxProblems) {
      ++m_leftOut;
      return;
    }
    // One problem of a kind at a line: the first one found says what is wrong there.
    for (const Problem& p : m_problems)
      if (p.line == m.line && p.kind == kind) return;
    m_problems.push_back({m.line, kind, BlockPrefix(m) + std::move(text)});
  }

  // Who a move's stray path is blamed on: the move itself, unless it is an arc that ends right but starts
  // off its own circle; then the move before put its start in the wrong place.
  const Move& Owner(std::size_t k) const {
    const Move& m = m_moves[k];
    if (k == 0 || m.kind != Move::Kind::Arc) return m;
    const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j), r1 = std::hypot(m.x - m.i, m.y - m.j);
    // The arc's own radius, measured at its end, is one the hole has: its start is what is off.
    const double own = m_hole->lower.shape.radius;
    const bool endRight =
        std::fabs(r1 - own) <= kRoundedDistance || std::fabs(r1 - kExitRadius) <= kRoundedDistance;
    return std::fabs(r0 - r1) > kRoundedDistance && endRight ? m_moves[k - 1] : m;
  }

  static double Excess(double d, const Contour& c) { return d > c.outside ? d : d < -c.inside ? -d : 0; }

  void Check(std::size_t k, bool onContour, const Contour& c, const WastePath& waste) {
    const Move& m = m_moves[k];
    const ContourSpan& span = m_pass->contour;
    if (onContour) {
      const Trace t = TraceMove(m, c);
      // After the held slug's stop the contour goes on from where it stopped: a move that leaves it
      // before it goes on is named as such.
      const bool strays = !(c.Fits(t.start) && c.Fits(t.end) && c.Fits(t.low) && c.Fits(t.high));
      if (m_afterStop && strays) {
        const double off =
            std::max({Excess(t.start, c), Excess(t.end, c), Excess(t.low, c), Excess(t.high, c)});
        Add(m, ProblemKind::Deviation,
            "перемещение между остановкой и остатком контура отходит от " + std::string(c.name) + " на " +
                Num(off) + " мм");
        return;
      }
      m_afterStop = false;
      if (k == span.first && !c.Fits(t.start)) {
        // The contour's first point is where the move before it ended.
        const Move& owner = k > 0 ? m_moves[k - 1] : m;
        Add(owner, ProblemKind::Deviation,
            std::string("точка отклоняется от ") + c.name + " на " + Num(std::fabs(t.start)) + " мм");
      }
      if (!c.Fits(t.end)) {
        Add(m, ProblemKind::Deviation,
            std::string("точка отклоняется от ") + c.name + " на " + Num(std::fabs(t.end)) + " мм");
      } else if (c.Fits(t.start) && !(c.Fits(t.low) && c.Fits(t.high))) {
        const double off = std::max(Excess(t.low, c), Excess(t.high, c));
        Add(Owner(k), ProblemKind::Deviation,
            std::string("перемещение отклоняется от ") + c.name + " на " + Num(off) + " мм");
      }
      const double radius = std::hypot(PointAt(m, 0, c.upper).x, PointAt(m, 0, c.upper).y);
      const double way = m_pass->clockwise ? -1 : 1;
      if (!c.upper && t.winding * way * std::max(radius, 1e-9) < -kArcPath)
        Add(m, ProblemKind::Direction,
            m_pass->clockwise
                ? "контур идёт против часовой стрелки: проход обходит отверстие по часовой (G02)"
                : "контур идёт по часовой стрелке: отверстие обходится против часовой (G03)");
      if (k == span.last && !span.closed) {
        const Move& m0 = m_moves[span.first];
        Add(m, ProblemKind::Contour,
            "Контур не замкнут: от конца этого кадра до начала контура " +
                Num(std::hypot(m.x - m0.x0, m.y - m0.y0)) + " мм не вырезано");
      }
      return;
    }
    // Off the contour the wire moves through the hole's waste, on the path every hole program takes, and
    // cuts as it goes: the lead-in of the rough pass runs through the slug.
    if (m.rapid && !c.upper)
      Add(m, ProblemKind::Structure,
          "ускоренное перемещение G00 внутри отверстия: подвод и отвод режутся на рабочей подаче (G01)");
    const double atStart = waste.Distance(PointAt(m, 0, c.upper));
    const double atEnd = waste.Distance(PointAt(m, 1, c.upper));
    if (atEnd > waste.tolerance) {
      Add(m, ProblemKind::Deviation,
          std::string("точка отходит от пути подвода и отвода ") + c.name + " на " + Num(atEnd) + " мм");
      return;
    }
    if (atStart > waste.tolerance) return;  // the move before put it there
    const double worst = waste.Worst(m, c.upper);
    if (worst > waste.tolerance)
      Add(Owner(k), ProblemKind::Deviation,
          std::string("перемещение отходит от пути подвода и отвода ") + c.name + " на " + Num(worst) +
              " мм");
  }

  // A cone writes its exit arc as five chords of a quarter circle of kExitRadius.
  double WasteTolerance(bool upper) const {
    const double chord = m_hole->chords ? kExitRadius * (1 - std::cos(std::numbers::pi / 20)) : 0;
    return (upper ? kUpperPoint : kArcPath) + chord;
  }

  // A cone's taper words put the upper point on the ray of the lower one: off that ray, the wire leans
  // sideways even when both points lie on their circles.
  void CheckTaper(std::size_t k) {
    const Move& m = m_moves[k];
    const double rl = std::hypot(m.x, m.y);
    if (!(rl > 0) || !(m_hole->lowerRadius > 0)) return;
    const double scale = m_hole->upperRadius / rl - 1;
    const double eu = m.u - m.x * scale, ev = m.v - m.y * scale;
    const double off = std::hypot(eu, ev);
    const double tolerance = kUpperPoint + kPoint * (1 + m_hole->upperRadius / m_hole->lowerRadius) +
                             ChordSagitta(m_hole->lowerRadius, m_hole->upperRadius);
    if (off > tolerance)
      Add(m, ProblemKind::Deviation, "слова U, V отклоняются от конусности на " + Num(off) + " мм");
  }

  // A tapered rectangle's taper words put the upper point where the corner mode puts the twin of the
  // lower one: on a side the same share of the way along the upper side, on a corner the same direction
  // from the upper corner's centre. A point moved along the upper contour stays on it, and is caught
  // only here.
  void CheckTwin(std::size_t k) {
    const Move& m = m_moves[k];
    const Hole::Twin& t = *m_hole->twin;
    const bool outX = std::fabs(m.x) > t.a, outY = std::fabs(m.y) > t.b;
    if (!outX && !outY) return;  // off the contour: the boundary says so
    const double sx = m.x < 0 ? -1 : 1, sy = m.y < 0 ? -1 : 1;
    const double scaleX = t.a > 0 ? t.a2 / t.a : 0, scaleY = t.b > 0 ? t.b2 / t.b : 0;
    Point want;
    double slack = 0;
    if (outX && outY) {
      const double dx = m.x - sx * t.a, dy = m.y - sy * t.b, len = std::hypot(dx, dy);
      want = {sx * t.a2 + (len > 0 ? t.r2 * dx / len : 0), sy * t.b2 + (len > 0 ? t.r2 * dy / len : 0)};
      // The direction from a small corner's centre is known only as well as the words allow.
      slack = t.r > 0 ? std::min(2 * t.r2, 2 * kPoint * t.r2 / t.r) : 0;
    } else if (outY) {
      want = {m.x * scaleX, sy * (t.b2 + t.r2)};
      slack = kPoint * std::max(std::fabs(scaleX) - 1, 0.0);
    } else {
      want = {sx * (t.a2 + t.r2), m.y * scaleY};
      slack = kPoint * std::max(std::fabs(scaleY) - 1, 0.0);
    }
    const double off = std::hypot(m.x + m.u - want.x, m.y + m.v - want.y);
    if (off > kUpperPoint + kPoint + slack + 1e-9)
      Add(m, ProblemKind::Deviation, "слова U, V отклоняются от уклона на " + Num(off) + " мм");
  }

  const std::vector<Move>& m_moves;
  const std::vector<PassSpan>& m_passes;
  const Hole* m_hole = nullptr;
  const PassSpan* m_pass = nullptr;
  bool m_afterStop = false;
  std::vector<Problem> m_problems;
  std::size_t m_leftOut = 0;
};

// "проход 2 из 3 (D1)", or at the start of a message "Проход 2 из 3 (D1)".
std::string PassName(int number, int count, bool first = false) {
  return (first ? "Проход " : "проход ") + std::to_string(number) + " из " + std::to_string(count) + " (D" +
         std::to_string(number - 1) + ")";
}

// The passes against the header's options: as many as it asks for (in a rough-first job, those of this
// part), each with its register in order; numbers them. A register that skips a pass says which one is
// missing, where it should have been.
void NumberPasses(ProgramReading& r, std::span<PassReading> passes, const PassOptions& o,
                  const PassFrame& frame) {
  const int count = o.Passes();
  const int last = frame.lastPass > 0 ? frame.lastPass : count;
  int expected = frame.firstPass;
  for (PassReading& p : passes) {
    p.count = count;
    const int line = p.registerLine != 0 ? p.registerLine : p.sideLine;
    const double reg = p.offsetRegister.value_or(expected - 1);
    if (expected > last) {
      p.number = expected++;
      const int atLine = p.sideLine != 0 ? p.sideLine : r.moves[p.contourFirst].line;
      r.problems.push_back({atLine, ProblemKind::Structure,
                            last < count
                                ? "Чистовой проход в черновой части задания: чистовые проходы идут "
                                  "после черновых всех отверстий"
                                : "Лишний проход: заголовок задаёт проходов: " + std::to_string(count)});
      continue;
    }
    if (reg != expected - 1) {
      const bool skips = reg > expected - 1 && reg <= last - 1 && std::floor(reg) == reg;
      if (skips) {
        for (int missing = expected; missing <= static_cast<int>(reg); ++missing)
          r.problems.push_back({line, ProblemKind::Structure,
                                "Нет прохода: " + PassName(missing, count) + "; здесь корректор D" +
                                    Num(reg) + " следующего прохода"});
        expected = static_cast<int>(reg) + 1;
      } else {
        r.problems.push_back({line, ProblemKind::Compensation,
                              PassName(expected, count, true) + " режется с корректором D" + Num(reg) +
                                  ", а нужен D" + std::to_string(expected - 1)});
      }
    }
    p.number = expected++;
  }
  for (; expected <= last; ++expected)
    r.problems.push_back({frame.endLine, ProblemKind::Structure,
                          "Нет прохода: " + PassName(expected, count) +
                              ", а заголовок задаёт чистовых проходов: " + std::to_string(o.skims)});
}

// Each pass's direction against the header's, and the held slug's stop: in the rough pass only, as far
// before the contour closes as the header says.
void CheckPassOptions(ProgramReading& r, const PassOptions& o, const std::vector<PassSpan>& spans) {
  // The stop point is a rounded word, and an arc's length is measured on the radius its words give: half
  // a thousandth off over up to a whole turn.
  constexpr double kStopTolerance = 0.005;
  for (std::size_t n = 0; n < r.passes.size(); ++n) {
    const PassReading& p = r.passes[n];
    const PassSpan& span = spans[n];
    if (p.relief) {
      // The relief pass runs as the rough pass does, and nothing stops it.
      if (span.clockwise)
        r.problems.push_back({r.moves[span.contour.first].line, ProblemKind::Direction,
                              "Проход освобождения идёт по часовой стрелке, а режется против часовой стрелки "
                              "(G03, G41)"});
      if (p.stopLine != 0)
        r.problems.push_back({p.stopLine, ProblemKind::Structure,
                              "Остановка внутри прохода освобождения: вырубку закрепляют только в черновом "
                              "проходе"});
      continue;
    }
    if (p.number <= o.Passes() && span.clockwise != o.Clockwise(p.number))
      r.problems.push_back({r.moves[span.contour.first].line, ProblemKind::Direction,
                            PassName(p.number, p.count, true) + " идёт " +
                                (span.clockwise ? "по часовой стрелке" : "против часовой стрелки") +
                                ", а по заголовку — " +
                                (o.Clockwise(p.number) ? "по часовой стрелке (G02, G42)"
                                                       : "против часовой стрелки (G03, G41)")});
    if (p.number > 1) {
      if (p.stopLine != 0)
        r.problems.push_back({p.stopLine, ProblemKind::Structure,
                              "Остановка внутри чистового прохода " + std::to_string(p.number) +
                                  ": вырубку закрепляют только в черновом проходе"});
      continue;
    }
    if (o.stop == 0) {
      if (p.stopLine != 0)
        r.problems.push_back({p.stopLine, ProblemKind::Header,
                              "Остановка для закрепления вырубки за " + Num(p.stopLength) +
                                  " мм до замыкания контура, а в заголовке нет STOP"});
    } else if (p.stopLine == 0) {
      r.problems.push_back(
          {r.moves[span.contour.last].line, ProblemKind::Structure,
           "Черновой проход без остановки для закрепления вырубки: заголовок задаёт STOP=" + Num(o.stop)});
    } else if (std::fabs(p.stopLength - o.stop) > kStopTolerance) {
      r.problems.push_back({p.stopLine, ProblemKind::Header,
                            "Остановка за " + Num(p.stopLength) +
                                " мм до замыкания контура, а заголовок задаёт STOP=" + Num(o.stop)});
    }
  }
}

// One dimension of the header against the contour.
struct Dimension {
  std::string label;  // "D", "W=", …
  double header;
  double contour;
  double tolerance;
};

// Adds a problem at the header line for each dimension the contour does not have; whether it added any.
bool CompareWithHeader(ProgramReading& r, const std::vector<Dimension>& dims) {
  bool any = false;
  for (const Dimension& d : dims) {
    if (std::fabs(d.header - d.contour) <= d.tolerance) continue;
    const bool angle = d.label == "ANG=" || d.label == "RELIEF=";
    r.problems.push_back({r.headerLine, ProblemKind::Header,
                          "Заголовок: " + d.label + (angle ? FormatNumber(d.header, 0, 6) : Num(d.header)) +
                              ", контур: " + d.label +
                              (angle ? FormatNumber(d.contour, 0, 6) : Num(d.contour))});
    any = true;
  }
  return any;
}

// The full cone angle, in degrees, of a taper between two diameters over a height, and how far the
// rounding of the words and the six decimals of the field can move it.
double ConeAngle(double lower, double upper, double height) {
  return std::fabs(2 * std::atan((lower - upper) / (2 * height)) * 180 / std::numbers::pi);
}
double AngleTolerance(double lower, double upper, double height) {
  const double taper = lower - upper;
  const double t = taper / (2 * height);
  const double slack =
      (0.004 + std::fabs(taper) * 0.0005 / std::fabs(height)) / (std::fabs(height) * (1 + t * t));
  return slack * 180 / std::numbers::pi + 1e-6;
}

// The radius of a rounded rectangle's corner worked back from its points (its corners in chords): from
// the point of the top-left corner nearest its middle, u from the left side and w from the top, which
// lies on the corner's circle: (R − u)² + (R − w)² = R².
double CornerRadius(std::span<const Move> path, const Box& box, bool upper) {
  double best = std::numeric_limits<double>::infinity(), radius = 0;
  for (const Move& m : path) {
    const Point p = PointAt(m, 1, upper);
    const double u = p.x - box.minX, w = box.maxY - p.y;
    if (!(u <= box.Width() / 2 && w <= box.Height() / 2) || std::fabs(u - w) >= best) continue;
    best = std::fabs(u - w);
    radius = std::max(u, 0.0) + std::max(w, 0.0) + std::sqrt(2 * std::max(u, 0.0) * std::max(w, 0.0));
  }
  return radius;
}

// Whether a pass's contour carries a taper: the relief pass does, a vertical one not.
bool Tapered(const std::vector<Move>& moves, const PassReading& p) {
  for (std::size_t k = p.contourFirst; k < p.contourFirst + p.contourCount && k < moves.size(); ++k)
    if (std::hypot(moves[k].u, moves[k].v) > kUpperPoint) return true;
  return false;
}

// The relief a relief pass's contour encodes below an opening of width `opening`: the angle per side and
// the land from its bottom and top width over the plate. Nothing for a contour that does not lean out.
std::optional<Relief> EncodedRelief(double opening, double bottom, double top, double thickness) {
  const double slope = (bottom - top) / (2 * thickness);
  if (!(slope > 0 && thickness > 0)) return std::nullopt;
  return Relief{(opening - top) / (2 * slope), std::atan(slope) * 180 / std::numbers::pi, thickness};
}

// How far the rounding of the words can move the land and the angle a relief contour encodes.
std::vector<Dimension> ReliefDimensions(const Relief& header, const Relief& contour) {
  const double slope = std::tan(contour.angle * std::numbers::pi / 180);
  const double spread = kPoint + kUpperPoint;  // per side, bottom or top against the opening
  const double angle = spread / contour.thickness / (1 + slope * slope) * 180 / std::numbers::pi + 1e-6;
  const double land = (spread + std::fabs(contour.land) * spread / contour.thickness) / slope + 1e-6;
  return {{"LAND=", header.land, contour.land, land}, {"RELIEF=", header.angle, contour.angle, angle}};
}

// A value worked back from rounded words, with as many decimals as its uncertainty leaves (at most
// three, at most six for an angle): a land read to ±0.09 mm is "3", not "2.98".
std::string Worked(double value, double uncertainty, int most = 3) {
  const int decimals = uncertainty > 0 ? static_cast<int>(std::floor(-std::log10(uncertainty))) : most;
  return FormatNumber(value, 0, std::clamp(decimals, 0, most));
}

std::string ReliefDescription(const Relief& r, const std::vector<Dimension>& dims) {
  return ", поясок " + Worked(r.land, dims[0].tolerance) + " мм, освобождение " +
         Worked(r.angle, dims[1].tolerance) + "° на сторону, T=" + Num(r.thickness);
}

}  // namespace

void CheckHoleAgainstHeader(ProgramReading& r, int wireHeightLine, const PassFrame& frame) {
  if (!r.header) return;
  const std::optional<Hole> hole = HoleOf(*r.header);
  if (!hole) {
    r.problems.push_back({r.headerLine, ProblemKind::Header, "Заголовок: размеры отверстия невозможны"});
    return;
  }
  // A die opening's relief pass comes after its last vertical pass: in a rough-first job, with the skims.
  const bool hasRelief = std::visit(
      [](const auto& h) {
        if constexpr (requires { h.relief; }) return h.relief.has_value();
        return false;
      },
      *r.header);
  const std::optional<Hole> reliefHole = hasRelief ? ReliefHoleOf(*r.header) : std::nullopt;
  if (hasRelief && !reliefHole) {
    r.problems.push_back({r.headerLine, ProblemKind::Header, "Заголовок: освобождение невозможно"});
    return;
  }
  const bool wantsRelief = reliefHole && frame.lastPass == 0;
  if (r.passes.empty()) {
    // Without compensation the wire cuts the contour half its width too far in: named where the
    // contour begins, when a move runs along it.
    int line = r.headerLine;
    for (const Move& m : r.moves) {
      const Trace t = TraceMove(m, hole->lower);
      if (hole->lower.Fits(t.start) && hole->lower.Fits(t.end) && hole->lower.Fits(t.low)) {
        line = m.line;
        break;
      }
    }
    r.problems.push_back({line, ProblemKind::Contour, "Контур не найден: нет перемещений с коррекцией G41"});
    return;
  }
  const PassOptions& options = PassesOf(*r.header);
  // The relief pass is the last one, after the vertical passes: it leans, or it is one pass too many
  // (the last vertical pass's register is also the relief's).
  std::size_t vertical = r.passes.size();
  if (wantsRelief && r.passes.size() >= 2) {
    const PassReading& last = r.passes.back();
    if (Tapered(r.moves, last) || r.passes.size() > static_cast<std::size_t>(options.Passes())) --vertical;
  }
  NumberPasses(r, std::span(r.passes.data(), vertical), options, frame);
  if (vertical < r.passes.size()) {
    PassReading& relief = r.passes.back();
    relief.relief = true;
    relief.number = options.Passes() + 1;
    relief.count = options.Passes();
    if (relief.offsetRegister && *relief.offsetRegister != options.skims)
      r.problems.push_back(
          {relief.registerLine, ProblemKind::Compensation,
           "Проход освобождения режется с корректором D" + Num(*relief.offsetRegister) + ", а нужен D" +
               std::to_string(options.skims) +
               ", как у последнего прохода по пояску: освобождение опирается на готовый поясок"});
  } else if (wantsRelief) {
    // Moves after the last pass's return to the centre are a relief cut without compensation: named
    // where they begin, and left out of that pass.
    PassReading& last = r.passes.back();
    const Point centre{r.moves.front().x0, r.moves.front().y0};
    const std::size_t end = last.firstMove + last.moveCount;
    std::size_t k = last.contourFirst + last.contourCount;
    while (k < end && std::hypot(r.moves[k].x - centre.x, r.moves[k].y - centre.y) > kPoint * 2) ++k;
    if (k + 1 < end) {
      last.moveCount = k + 1 - last.firstMove;
      // Either the pass's compensation was never switched off, and runs on into the relief, or the
      // relief was never given its own.
      if (r.moves[k].compensated)
        r.problems.push_back({r.moves[k].line, ProblemKind::Compensation,
                              "Коррекция не выключена после прохода (нет G40): возврат в центр и проход "
                              "освобождения идут с ней"});
      else
        r.problems.push_back(
            {r.moves[k + 1].line, ProblemKind::Compensation,
             "Проход освобождения без коррекции: перед его контуром нет G41 с корректором D0"});
    } else {
      r.problems.push_back({frame.endLine, ProblemKind::Structure,
                            "Нет прохода освобождения: заголовок задаёт поясок и освобождение под ним"});
    }
  }
  std::vector<PassSpan> spans;
  spans.reserve(r.passes.size());
  for (PassReading& p : r.passes) {
    const Hole* own = p.relief ? &*reliefHole : &*hole;
    PassSpan s{
        p.firstMove, p.firstMove + p.moveCount,        FindContour(r.moves, own->lower, p.contourFirst),
        false,       p.stopLine != 0 ? p.stopMove : 0, own};
    // A contour that hardly turns has no way of its own: it is held to the way the header asks for.
    const bool turns = std::fabs(s.contour.winding) >= std::numbers::pi;
    s.clockwise = turns ? s.contour.winding < 0 : !p.relief && options.Clockwise(p.number);
    if (turns) p.clockwise = s.clockwise;
    spans.push_back(s);
  }
  CheckPassOptions(r, options, spans);
  const ContourSpan& first = spans.front().contour;
  const std::span<const Move> path(r.moves.data() + first.first, first.last - first.first + 1);
  const Box lower = BoundsOf(path, false);
  const Box upper = BoundsOf(path, true);
  // The relief the relief pass's contour encodes, over the plate of the R word.
  std::optional<Relief> reliefFound;
  if (vertical < r.passes.size() && r.wireHeight) {
    const ContourSpan& c = spans.back().contour;
    const std::span<const Move> reliefPath(r.moves.data() + c.first, c.last - c.first + 1);
    const double opening = std::holds_alternative<CircleHeader>(*r.header)
                               ? lower.Width()
                               : std::min(lower.Width(), lower.Height());
    const Box bottom = BoundsOf(reliefPath, false), top = BoundsOf(reliefPath, true);
    reliefFound = EncodedRelief(opening, std::min(bottom.Width(), bottom.Height()),
                                std::min(top.Width(), top.Height()), *r.wireHeight);
  }
  // The hole the contour encodes, in the header's terms.
  std::vector<Dimension> dims;
  std::optional<HoleHeader> found;
  const auto* cone = std::get_if<ConeHeader>(&*r.header);
  const auto* taper = std::get_if<RectTaperHeader>(&*r.header);
  // The plate of a tapered hole: the R word against the header, at the R word's line.
  const auto plate = [&](double header, const char* label) -> std::optional<double> {
    if (!r.wireHeight) {
      r.problems.push_back(
          {r.headerLine, ProblemKind::Header, std::string("Нет высоты ") + label + ": слово R в кадре G92"});
      return std::nullopt;
    }
    if (std::fabs(header - *r.wireHeight) > 0.0006)
      r.problems.push_back({wireHeightLine, ProblemKind::Header,
                            "Высота R" + Num(*r.wireHeight) +
                                " не совпадает с заголовком: " + (cone ? "H=" : "T=") + Num(header)});
    return *r.wireHeight;
  };
  if (const auto* circle = std::get_if<CircleHeader>(&*r.header)) {
    const double d = lower.Width();
    found = CircleHeader{Num(d), {}, reliefFound};
    dims = {{"D", LeadingValue(circle->diameter), d, kPoint}};
    std::string relief;
    if (circle->relief) plate(circle->relief->thickness, "плиты");
    if (reliefFound) {
      const std::vector<Dimension> more =
          ReliefDimensions(circle->relief.value_or(*reliefFound), *reliefFound);
      relief = ReliefDescription(*reliefFound, more);
      if (circle->relief) dims.insert(dims.end(), more.begin(), more.end());
    }
    r.encoded = EncodedHole{*found, "круглое отверстие D" + Num(d) + relief};
  } else if (const auto* rect = std::get_if<RectHeader>(&*r.header)) {
    double radius = 0;
    for (const Move& m : path) {
      if (m.kind == Move::Kind::Arc) {
        radius = std::hypot(m.x0 - m.i, m.y0 - m.j);
        break;
      }
    }
    const RectHeader f{lower.Width(),
                       lower.Height(),
                       std::min({radius, lower.Width() / 2, lower.Height() / 2}),
                       {},
                       reliefFound};
    found = f;
    dims = {{"W=", rect->width, f.width, kPoint},
            {"H=", rect->height, f.height, kPoint},
            {"R=", rect->radius, radius, kRoundedDistance / 2}};
    std::string relief;
    if (rect->relief) plate(rect->relief->thickness, "плиты");
    if (reliefFound) {
      const std::vector<Dimension> more = ReliefDimensions(rect->relief.value_or(*reliefFound), *reliefFound);
      relief = ReliefDescription(*reliefFound, more);
      if (rect->relief) dims.insert(dims.end(), more.begin(), more.end());
    }
    r.encoded = EncodedHole{f, "прямоугольное отверстие W=" + Num(f.width) + " H=" + Num(f.height) +
                                   " R=" + Num(radius) + relief};
  } else if (cone) {
    if (const std::optional<double> h = plate(cone->height, "конуса")) {
      const double angle = ConeAngle(lower.Width(), upper.Width(), *h);
      const ConeHeader f{lower.Width(), upper.Width(), *h, angle};
      found = f;
      r.encoded = EncodedHole{f, "коническое отверстие D-DOWN=" + Num(f.lower) + " D-UP=" + Num(f.upper) +
                                     " H=" + Num(*h) + " ANG=" + FormatNumber(angle, 0, 6)};
      dims = {{"D-DOWN=", cone->lower, f.lower, kPoint}, {"D-UP=", cone->upper, f.upper, kUpperPoint}};
    }
    // The header's angle against its own diameters and height: a typed angle must not hide the taper.
    if (cone->height > 0) {
      const double angle = ConeAngle(cone->lower, cone->upper, cone->height);
      if (std::fabs(angle - cone->angle) > AngleTolerance(cone->lower, cone->upper, cone->height))
        r.problems.push_back({r.headerLine, ProblemKind::Header,
                              "Заголовок: ANG=" + FormatNumber(cone->angle, 0, 6) +
                                  ", по диаметрам и высоте: ANG=" + FormatNumber(angle, 0, 6)});
    }
  } else if (taper) {
    if (const std::optional<double> t = plate(taper->thickness, "плиты")) {
      const double radius = CornerRadius(path, lower, false);
      const double topRadius = CornerRadius(path, upper, true);
      const double offset = (lower.Width() - upper.Width()) / 2;
      const double angle = 2 * std::atan(offset / *t) * 180 / std::numbers::pi;
      // Corners that keep their radius are cylindrical; when the taper leaves no difference, the header's.
      CornerMode corners = taper->corners;
      if (std::fabs(offset) > 4 * kUpperPoint)
        corners = std::fabs(topRadius - (radius - offset)) < std::fabs(topRadius - radius)
                      ? CornerMode::Conical
                      : CornerMode::Cylindrical;
      const RectTaperHeader f{lower.Width(), lower.Height(), radius, *t, angle, corners};
      found = f;
      const double signedTolerance = AngleTolerance(f.width, upper.Width(), *t);
      r.encoded =
          EncodedHole{f, "прямоугольное отверстие с уклоном W=" + Num(f.width) + " H=" + Num(f.height) +
                             " R=" + Worked(radius, 0.01) + " T=" + Num(*t) +
                             " ANG=" + Worked(angle, 2 * kPoint / *t * 180 / std::numbers::pi, 6) +
                             ", углы " + (corners == CornerMode::Conical ? "конические" : "цилиндрические")};
      dims = {{"W=", taper->width, f.width, kPoint},
              {"H=", taper->height, f.height, kPoint},
              {"R=", taper->radius, radius, 0.01},
              {"ANG=", taper->angle, angle, signedTolerance}};
    }
  }

  std::size_t leftOut = 0;
  std::vector<Problem> problems = Checker(r.moves, spans).Run(leftOut);
  if (!problems.empty() && found) {
    // A contour that is a clean hole of other dimensions: the header is what disagrees.
    std::size_t ignored = 0;
    const std::optional<Hole> encoded = HoleOf(*found);
    const std::optional<Hole> encodedRelief = reliefHole ? ReliefHoleOf(*found) : std::nullopt;
    if (encoded && (!reliefHole || encodedRelief)) {
      std::vector<PassSpan> again = spans;
      for (PassSpan& s : again) s.hole = s.hole == &*hole ? &*encoded : &*encodedRelief;
      if (Checker(r.moves, again).Run(ignored).empty() && CompareWithHeader(r, dims)) return;
    }
  }
  for (Problem& p : problems) r.problems.push_back(std::move(p));
  r.problemsLeftOut += leftOut;

  // The steepest taper a block writes, against the generator's limit.
  if ((cone || taper || reliefHole) && r.wireHeight && *r.wireHeight > 0) {
    const double h = *r.wireHeight;
    for (const Move& m : r.moves) {
      const double taperOffset = std::hypot(m.u, m.v);
      const double angle = 2 * std::atan(taperOffset / h) * 180 / std::numbers::pi;
      const double slack = 2 * kUpperPoint / h * 180 / std::numbers::pi + 1e-6;
      if (angle > kMaxTaperAngle + slack) {
        r.problems.push_back({m.line, ProblemKind::Taper,
                              BlockPrefix(m) + "конусность " + FormatNumber(angle, 0, 3) +
                                  "° круче предела " + FormatNumber(kMaxTaperAngle, 0, 3) + "°"});
        break;
      }
    }
  }
}

}  // namespace kalmoro
