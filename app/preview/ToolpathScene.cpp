#include "app/preview/ToolpathScene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/preview/ScreenGeometry.h"

namespace kalmoro {
namespace {

// Segments of a full turn of an arc: a degree each, fine enough at any zoom the view allows for
// the holes the generators make; fewer when a program holds so many arcs that memory would suffer.
constexpr int kSegmentsPerTurn = 360;
constexpr std::size_t kPointBudget = 1'000'000;
// Wires drawn along the cut in the 3D view.
constexpr int kWireSamples = 40;

QPointF ToQt(const Point& p) {
  return {p.x, p.y};
}

}  // namespace

ToolpathScene::ToolpathScene(const ProgramReading& reading, double wireOffset)
    : m_tapered(reading.tapered), m_wireHeight(reading.wireHeight) {
  if (m_wireHeight && *m_wireHeight == 0) m_wireHeight.reset();
  std::size_t arcs = 0;
  for (const Move& m : reading.moves) arcs += m.kind == Move::Kind::Arc ? 1 : 0;
  const int perTurn =
      arcs == 0 ? kSegmentsPerTurn
                : static_cast<int>(std::clamp<std::size_t>(kPointBudget / arcs, 8, kSegmentsPerTurn));
  m_first.reserve(reading.moves.size() + 1);
  m_lines.reserve(reading.moves.size());
  m_compensated.reserve(reading.moves.size());
  m_rapid.reserve(reading.moves.size());
  for (const Move& m : reading.moves) {
    int segments = 1;
    if (m.kind == Move::Kind::Arc) {
      const double turns = std::fabs(ArcSweep(m)) / (2 * std::numbers::pi);
      if (std::isfinite(turns))
        segments = std::clamp(static_cast<int>(std::ceil(turns * perTurn)), 2, perTurn);
    }
    AddMove(m, segments);
  }
  m_first.push_back(m_lower.size());

  Box box;
  for (const std::vector<QPointF>* points : {&m_lower, &m_upper}) {
    for (const QPointF& p : *points) AddFinite(box, p);
  }
  m_bounds = RectOf(box);
  SampleWires(reading.moves);
  // The moves at the lines of problems are drawn as faults; notes are none.
  m_faulty.assign(m_lines.size(), false);
  for (const Problem& p : reading.problems) {
    if (p.kind == ProblemKind::Note) continue;
    const auto [from, to] = std::equal_range(m_lines.begin(), m_lines.end(), p.line);
    for (auto it = from; it != to; ++it) m_faulty[static_cast<std::size_t>(it - m_lines.begin())] = true;
  }
  m_anyFaulty = std::find(m_faulty.begin(), m_faulty.end(), true) != m_faulty.end();

  m_snaps.reserve(reading.moves.size() * 2 + 1);
  if (!reading.moves.empty()) m_snaps.push_back(ToQt({reading.moves.front().x0, reading.moves.front().y0}));
  for (const Move& m : reading.moves) {
    m_snaps.push_back(ToQt({m.x, m.y}));
    if (m.kind == Move::Kind::Arc) m_snaps.push_back(ToQt({m.i, m.j}));
  }
  if (wireOffset > 0) {
    // Each run of moves with compensation on is a cut the wire's centre follows: one for each hole.
    std::vector<QPointF> cut;
    const auto flush = [&] {
      if (!cut.empty()) m_wireCentres.push_back(OffsetPolyline(cut, wireOffset));
      cut.clear();
    };
    for (int k = 0; k < MoveCount(); ++k) {
      if (!Compensated(k)) {
        flush();
        continue;
      }
      const auto points = Points(k, false);
      cut.insert(cut.end(), points.begin(), points.end());
    }
    flush();
  }
  if (reading.job) {
    for (const WireStop& stop : reading.job->stops)
      m_stops.push_back({ToQt(stop.at), stop.kind == WireStop::Kind::Thread});
    for (const JobHoleReading& hole : reading.job->holes) m_holes.push_back({ToQt(hole.origin), hole.number});
  }
}

void ToolpathScene::AddMove(const Move& move, int segments) {
  m_first.push_back(m_lower.size());
  m_lines.push_back(move.line);
  m_compensated.push_back(move.compensated);
  m_rapid.push_back(move.rapid);
  for (int s = 0; s <= segments; ++s) {
    const double t = static_cast<double>(s) / segments;
    m_lower.push_back(ToQt(PointAt(move, t, false)));
    if (m_tapered) m_upper.push_back(ToQt(PointAt(move, t, true)));
  }
}

void ToolpathScene::SampleWires(const std::vector<Move>& moves) {
  // Along the cut itself, the moves with compensation on; along the whole path when there are none.
  const bool anyCompensated =
      std::any_of(moves.begin(), moves.end(), [](const Move& m) { return m.compensated; });
  std::vector<const Move*> path;
  std::vector<double> lengths;
  double total = 0;
  for (const Move& m : moves) {
    if (anyCompensated && !m.compensated) continue;
    path.push_back(&m);
    lengths.push_back(PathLength(m, false));
    total += lengths.back();
  }
  if (!(total > 0) || !std::isfinite(total)) return;
  std::size_t at = 0;
  double before = 0;  // path length before the move at
  for (int k = 0; k < kWireSamples; ++k) {
    const double target = total * k / kWireSamples;
    while (at + 1 < path.size() && before + lengths[at] < target) before += lengths[at++];
    const double t = lengths[at] > 0 ? std::clamp((target - before) / lengths[at], 0.0, 1.0) : 0.0;
    m_wires.emplace_back(ToQt(PointAt(*path[at], t, false)), ToQt(PointAt(*path[at], t, true)));
    m_wireMoves.push_back(static_cast<int>(path[at] - moves.data()));
  }
}

std::span<const QPointF> ToolpathScene::Points(int move, bool upper) const {
  const auto m = static_cast<std::size_t>(move);
  const std::vector<QPointF>& points = upper && m_tapered ? m_upper : m_lower;
  return std::span<const QPointF>(points).subspan(m_first[m], m_first[m + 1] - m_first[m]);
}

int ToolpathScene::MoveAtLine(int line) const {
  const auto found = std::lower_bound(m_lines.begin(), m_lines.end(), line);
  if (found == m_lines.end() || *found != line) return -1;
  return static_cast<int>(found - m_lines.begin());
}

std::optional<QPointF> ToolpathScene::Start() const {
  if (m_lower.empty()) return std::nullopt;
  return m_lower.front();
}

}  // namespace kalmoro
