#include "PassReader.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

namespace kalmoro {
namespace {

// Words have three decimals: two points written for one are this far apart at most.
constexpr double kSamePoint = 0.003;

// The area a path encloses with the straight line back to its start: positive when it runs
// counter-clockwise. An arc adds the segment between its chord and itself.
double SignedArea(std::span<const Move> moves) {
  double area = 0;
  for (const Move& m : moves) {
    area += (m.x0 * m.y - m.x * m.y0) / 2;
    if (m.kind != Move::Kind::Arc) continue;
    const double sweep = ArcSweep(m);
    const double r = std::hypot(m.x0 - m.i, m.y0 - m.j);
    area += r * r / 2 * (sweep - std::sin(sweep));
  }
  return area;
}

bool EndsAt(const Move& m, Point p) {
  return std::hypot(m.x - p.x, m.y - p.y) <= kSamePoint;
}

}  // namespace

void FindPasses(ProgramReading& r, const PassEvents& events, Point start) {
  const std::vector<Move>& moves = r.moves;
  // The runs of moves with compensation on: [first, end).
  struct Run {
    std::size_t first = 0, end = 0;
  };
  std::vector<Run> runs;
  for (std::size_t k = 0; k < moves.size();) {
    if (!moves[k].compensated) {
      ++k;
      continue;
    }
    Run run{k, k};
    while (run.end < moves.size() && moves[run.end].compensated) ++run.end;
    runs.push_back(run);
    k = run.end;
  }
  r.passes.clear();
  std::size_t passStart = 0;
  // The events are in the order of their moves; each is looked at by one pass, so a program of many
  // passes is read in linear time.
  std::size_t nextSide = 0, nextOffset = 0, nextStop = 0;
  for (std::size_t n = 0; n < runs.size(); ++n) {
    const Run& run = runs[n];
    PassReading p;
    p.number = static_cast<int>(n + 1);
    p.count = static_cast<int>(runs.size());
    p.firstMove = passStart;
    // Its return: the moves after the run up to the first that ends at the centre; the next pass's
    // lead-in after that. The last pass takes all that is left.
    std::size_t end = run.end;
    if (n + 1 == runs.size()) {
      end = moves.size();
    } else {
      while (end < runs[n + 1].first && !EndsAt(moves[end], start)) ++end;
      end = end < runs[n + 1].first ? end + 1 : run.end;
    }
    p.moveCount = end - p.firstMove;
    passStart = end;
    // The contour: from the run's first move once round, to where it first comes back to its start.
    const Move& m0 = moves[run.first];
    std::size_t contourEnd = run.end;
    double along = 0;
    for (std::size_t k = run.first; k < run.end; ++k) {
      along += PathLength(moves[k], false);
      if (along > kSamePoint && EndsAt(moves[k], {m0.x0, m0.y0})) {
        contourEnd = k + 1;
        break;
      }
    }
    p.contourFirst = run.first;
    p.contourCount = contourEnd - run.first;
    for (std::size_t k = p.firstMove; k < end; ++k) {
      if (moves[k].rapid) continue;
      (k >= run.first && k < contourEnd ? p.contourLength : p.leadInAndExitLength) +=
          PathLength(moves[k], false);
    }
    p.clockwise = SignedArea(std::span(moves).subspan(run.first, contourEnd - run.first)) < 0;
    // The last G41 or G42 up to the run's first move, and the first D word from there to the run's end.
    std::size_t sideAt = n > 0 ? runs[n - 1].end : 0;
    for (; nextSide < events.sides.size() && events.sides[nextSide].move <= run.first; ++nextSide) {
      const PassEvents::Side& side = events.sides[nextSide];
      if (side.move < sideAt) continue;
      p.rightSide = side.right;
      p.sideLine = side.line;
      sideAt = side.move;
    }
    for (; nextOffset < events.offsets.size() && events.offsets[nextOffset].move < run.end; ++nextOffset) {
      const PassEvents::Offset& offset = events.offsets[nextOffset];
      if (offset.move >= sideAt && !p.offsetRegister) {
        p.offsetRegister = offset.value;
        p.registerLine = offset.line;
      }
    }
    for (; nextStop < events.stops.size() && events.stops[nextStop].move < contourEnd; ++nextStop) {
      const PassEvents::Stop& stop = events.stops[nextStop];
      if (stop.move <= run.first || p.stopLine != 0) continue;
      p.stopLine = stop.line;
      p.stopMove = stop.move;
      for (std::size_t k = stop.move; k < contourEnd; ++k) p.stopLength += PathLength(moves[k], false);
    }
    r.passes.push_back(p);
  }
}

void CheckPassSides(ProgramReading& r) {
  for (const PassReading& p : r.passes) {
    if (p.sideLine == 0 || p.clockwise == p.rightSide) continue;
    r.problems.push_back(
        {p.sideLine, ProblemKind::Compensation,
         p.rightSide ? "Коррекция справа (G42) при обходе против часовой стрелки: проволока пойдёт снаружи "
                       "контура, по детали (против часовой стрелки нужна G41)"
                     : "Коррекция слева (G41) при обходе по часовой стрелке: проволока пойдёт снаружи "
                       "контура, по детали (по часовой стрелке нужна G42)"});
  }
}

}  // namespace kalmoro
