#include "app/preview/ToolpathScene.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
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
    : ToolpathScene(reading, nullptr, wireOffset) {}

ToolpathScene::ToolpathScene(const ProgramReading& reading, const MachineProfile& machine)
    : ToolpathScene(reading, &machine, machine.WireOffset()) {}

ToolpathScene::ToolpathScene(const ProgramReading& reading, const MachineProfile* machine, double wireOffset)
    : m_tapered(reading.tapered), m_wireHeight(reading.wireHeight) {
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

  AddSnapPoints(reading.moves);
  SetHeights(reading, machine);
  SetPasses(reading, machine);
  if (wireOffset > 0 || machine) AddWireCentres(wireOffset);
  if (reading.job) {
    for (const WireStop& stop : reading.job->stops)
      m_stops.push_back({ToQt(stop.at), stop.kind == WireStop::Kind::Thread});
    for (const JobHoleReading& hole : reading.job->holes) m_holes.push_back({ToQt(hole.origin), hole.number});
  }
}

void ToolpathScene::SetPasses(const ProgramReading& reading, const MachineProfile* machine) {
  const std::size_t moves = reading.moves.size();
  if (!reading.passes.empty()) m_passOf.assign(moves, -1);
  for (const PassReading& p : reading.passes) {
    ScenePass pass;
    pass.number = p.number;
    pass.count = p.count;
    pass.relief = p.relief;
    // A relief pass pivots on the finished land: it is cut with the last vertical pass's register.
    pass.offsetRegister = (p.relief ? p.count : p.number) - 1;
    if (machine) pass.offset = RegisterOf(*machine, pass.offsetRegister + 1, p.count).offset;
    pass.rightSide = p.rightSide;
    pass.hole = p.hole;
    m_passesApart = m_passesApart || p.count > 1 || p.relief;
    const auto index = static_cast<int>(m_passes.size());
    m_passes.push_back(pass);
    for (std::size_t k = p.firstMove; k < std::min(p.firstMove + p.moveCount, moves); ++k)
      m_passOf[k] = index;
    if (p.stopLine != 0 && p.stopMove < moves)
      m_slugStops.push_back({ToQt(PointAt(reading.moves[p.stopMove], 0, false)), p.stopLine});
  }
}

void ToolpathScene::AddWireCentres(double wireOffset) {
  // Each run of moves with compensation on is a cut the wire's centre follows, to the side of its pass's
  // G41 or G42 by its register: one for each pass of each hole.
  std::vector<QPointF> cut;
  int cutPass = -1;
  const auto flush = [&] {
    if (!cut.empty()) {
      const ScenePass* pass = cutPass >= 0 ? &m_passes[static_cast<std::size_t>(cutPass)] : nullptr;
      const double offset = pass && pass->offset > 0 ? pass->offset : wireOffset;
      if (offset > 0) {
        m_wireCentres.push_back(OffsetPolyline(cut, pass && pass->rightSide ? -offset : offset));
        m_wireCentrePasses.push_back(cutPass);
      }
    }
    cut.clear();
  };
  for (int k = 0; k < MoveCount(); ++k) {
    if (!Compensated(k) || PassOf(k) != cutPass) flush();
    cutPass = PassOf(k);
    if (!Compensated(k)) continue;
    const auto points = Points(k, false);
    cut.insert(cut.end(), points.begin(), points.end());
  }
  flush();
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

void ToolpathScene::AddSnapPoints(const std::vector<Move>& moves) {
  m_snaps.reserve((moves.size() * 2 + 1) * (m_tapered ? 2 : 1));
  for (const bool upper : {false, true}) {
    if (upper && !m_tapered) break;
    const auto at = [upper](double x, double y, double u, double v) {
      return upper ? QPointF(x + u, y + v) : QPointF(x, y);
    };
    if (!moves.empty()) {
      const Move& first = moves.front();
      m_snaps.push_back(at(first.x0, first.y0, first.u0, first.v0));
    }
    for (const Move& m : moves) {
      m_snaps.push_back(at(m.x, m.y, m.u, m.v));
      // An upper arc whose taper changes along it is no arc and has no centre.
      if (m.kind == Move::Kind::Arc && (!upper || (m.u == m.u0 && m.v == m.v0)))
        m_snaps.push_back(at(m.i, m.j, m.u, m.v));
    }
  }
}

void ToolpathScene::SetHeights(const ProgramReading& reading, const MachineProfile* machine) {
  const auto tapered = [](std::span<const Move> moves) {
    return std::any_of(moves.begin(), moves.end(),
                       [](const Move& m) { return m.u != 0 || m.v != 0 || m.u0 != 0 || m.v0 != 0; });
  };
  const auto given = [](const std::optional<double>& h) { return h && std::isfinite(*h) && *h != 0; };
  bool first = true;
  const auto note = [&](double height) {
    m_minHeight = first ? height : std::min(m_minHeight, height);
    m_maxHeight = first ? height : std::max(m_maxHeight, height);
    first = false;
  };
  // Where a program gives no height, the machine's profile does.
  const std::optional<double> fallback =
      machine && given(machine->height) ? std::optional(machine->height) : std::nullopt;
  if (fallback) m_profileHeight = *fallback;
  if (!reading.job) {
    if (!given(m_wireHeight)) m_wireHeight.reset();
    const std::optional<double> height = m_wireHeight ? m_wireHeight : fallback;
    m_heights.assign(reading.moves.size(), height.value_or(0));
    if (height && !reading.moves.empty()) note(*height);
    if (!m_wireHeight && fallback && !reading.moves.empty()) m_atProfileHeight.push_back(0);
    if (!height && m_tapered) m_taperedWithoutHeight.push_back(0);
    return;
  }
  // A job: each hole at the height its own setup block gives, the skims of a rough-first job at theirs or
  // else at their hole's.
  m_heights.assign(reading.moves.size(), 0);
  const auto place = [&](std::size_t first, std::size_t count, double height) {
    if (first >= reading.moves.size()) return std::size_t{0};
    count = std::min(count, reading.moves.size() - first);
    std::fill_n(m_heights.begin() + static_cast<std::ptrdiff_t>(first), count, height);
    if (count > 0) note(height);
    return count;
  };
  for (const JobHoleReading& hole : reading.job->holes) {
    const std::optional<double> own = given(hole.wireHeight) ? hole.wireHeight : std::nullopt;
    const std::optional<double> height = own ? own : fallback;
    std::size_t drawn = 0;
    if (height) {
      drawn += place(hole.firstMove, hole.moveCount, *height);
      if (hole.skimPart) {
        const JobHoleReading::SkimPart& skims = *hole.skimPart;
        drawn +=
            place(skims.firstMove, skims.moveCount, given(skims.wireHeight) ? *skims.wireHeight : *height);
      }
      if (!own && drawn > 0) m_atProfileHeight.push_back(hole.number);
      continue;
    }
    if (hole.firstMove >= reading.moves.size()) continue;
    const std::size_t count = std::min(hole.moveCount, reading.moves.size() - hole.firstMove);
    if (tapered(std::span<const Move>(reading.moves).subspan(hole.firstMove, count)))
      m_taperedWithoutHeight.push_back(hole.number);
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
