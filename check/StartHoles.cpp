#include "check/StartHoles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "ProblemText.h"

namespace kalmoro {
namespace {

constexpr std::array kDrills = {0.5, 0.8, 1.0, 1.2, 1.5, 2.0, 2.5, 3.0,  3.5,
                                4.0, 4.5, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 12.0};

// A program returns to where its contour began within the rounding of its words.
constexpr double kClosed = 0.003;

// The distance from p to the nearest point of a pass's contour, on the lower path and, for a tapered
// program, on the upper one.
double Room(std::span<const Move> contour, Point p, bool tapered) {
  double best = std::numeric_limits<double>::infinity();
  for (const Move& m : contour) {
    best = std::min(best, DistanceToPath(m, p, false));
    if (tapered) best = std::min(best, DistanceToPath(m, p, true));
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
  // Each hole's first pass is its rough pass: the first contour the wire cuts from the start hole. A
  // rough-first job comes back to a hole for its skims.
  std::vector<bool> seen(reading.job ? reading.job->holes.size() + 1 : 1, false);
  for (const PassReading& p : reading.passes) {
    const std::size_t index = p.hole < 0 ? 0 : static_cast<std::size_t>(p.hole) + 1;
    if (index >= seen.size() || seen[index] || p.contourCount == 0 || p.contourFirst >= moves.size())
      continue;
    seen[index] = true;
    int number = 1;
    Point at{moves.front().x0, moves.front().y0};
    if (reading.job) {
      if (p.hole < 0) continue;
      const JobHoleReading& hole = reading.job->holes[static_cast<std::size_t>(p.hole)];
      number = static_cast<int>(hole.number);
      at = hole.origin;
    }
    const double room =
        Room(moves.subspan(p.contourFirst, std::min(p.contourCount, moves.size() - p.contourFirst)), at,
             reading.tapered);
    holes.push_back({number, at, room, DrillFor(room)});
  }
  return holes;
}

std::string StartHoleText(const StartHole& hole, bool job) {
  std::string text = "стартовое отверстие";
  if (job) text += " " + std::to_string(hole.hole);
  text += ": X" + Num(hole.at.x + 0.0) + " Y" + Num(hole.at.y + 0.0) + ", ";
  if (hole.drill) return text + "сверло Ø" + Num(*hole.drill) + " мм (до контура " + Num(hole.room) + " мм)";
  return text + "ни одно сверло не помещается: до контура " + Num(hole.room) + " мм, а сверлу Ø" +
         Num(kDrills.front()) + " нужно " + Num(kDrills.front() / 2 + kStartHoleMargin) + " мм";
}

}  // namespace kalmoro
