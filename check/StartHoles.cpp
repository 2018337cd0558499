#include "check/StartHoles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kalmoro {
namespace {

constexpr std::array kDrills = {0.5, 0.8, 1.0, 1.2, 1.5, 2.0, 2.5, 3.0,  3.5,
                                4.0, 4.5, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 12.0};

// A program returns to where its contour began within the rounding of its words.
constexpr double kClosed = 0.003;

// The distance from p to the nearest point of the moves' contour: the first run of compensated moves
// up to where it comes back to its start (the exit after it stays inside the hole); nothing when no
// move is compensated.
std::optional<double> Room(std::span<const Move> moves, Point p, bool tapered) {
  std::size_t k = 0;
  while (k < moves.size() && !moves[k].compensated) ++k;
  if (k == moves.size()) return std::nullopt;
  const Point start{moves[k].x0, moves[k].y0};
  double best = std::numeric_limits<double>::infinity();
  for (double length = 0; k < moves.size() && moves[k].compensated; ++k) {
    const Move& m = moves[k];
    best = std::min(best, DistanceToPath(m, p, false));
    if (tapered) best = std::min(best, DistanceToPath(m, p, true));
    length += PathLength(m, false);
    if (length > kClosed && std::hypot(m.x - start.x, m.y - start.y) <= kClosed) break;
  }
  return best;
}

}  // namespace

std::span<const double> StandardDrills() {
  return kDrills;
}

std::optional<double> DrillFor(double room) {
  std::optional<double> fits;
  for (const double d : kDrills)
    if (d / 2 + kStartHoleMargin <= room + kClosed / 2) fits = d;
  return fits;
}

std::vector<StartHole> StartHoles(const ProgramReading& reading) {
  std::vector<StartHole> holes;
  const std::span<const Move> moves(reading.moves);
  const auto add = [&](int number, Point at, std::span<const Move> own) {
    if (const std::optional<double> room = Room(own, at, reading.tapered))
      holes.push_back({number, at, *room, DrillFor(*room)});
  };
  if (reading.job) {
    for (const JobHoleReading& hole : reading.job->holes) {
      if (hole.firstMove > moves.size()) continue;
      add(static_cast<int>(hole.number), hole.origin,
          moves.subspan(hole.firstMove, std::min(hole.moveCount, moves.size() - hole.firstMove)));
    }
  } else if (!moves.empty()) {
    add(1, {moves.front().x0, moves.front().y0}, moves);
  }
  return holes;
}

}  // namespace kalmoro
