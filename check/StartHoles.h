#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "check/ProgramReader.h"

// The start holes a plate needs before it comes to the wire machine: one where each hole's program
// starts, and the largest standard drill that leaves the contour untouched.
namespace kalmoro {

// The drill stays this far inside the nearest point of the programmed contour: room for the wire's
// offset (its radius, the spark gap and the stock of the rough pass) and for the drill's wander.
inline constexpr double kStartHoleMargin = 0.5;

struct StartHole {
  int hole = 1;                 // the hole's number in a job, 1 for a single program
  Point at;                     // where the program starts it, in the job's frame
  double room = 0;              // distance from there to the nearest point of the contour, mm
  std::optional<double> drill;  // the largest standard drill that fits, mm; none when none does
};

// The standard drill diameters offered, mm, smallest first.
std::span<const double> StandardDrills();

// The largest standard drill whose radius keeps kStartHoleMargin from the contour `room` mm away.
std::optional<double> DrillFor(double room);

// One start hole per hole of the reading, where its program starts: held against the contour of the
// hole's first pass, its rough pass (ProgramReading::passes), lower and upper contour alike, since the
// drill goes through the plate. A hole without a pass gets none.
std::vector<StartHole> StartHoles(const ProgramReading& reading);

// What `check` and the setup sheet say of a start hole: "стартовое отверстие: X0 Y0, сверло Ø9 мм (до
// контура 5 мм)", in a job with the hole's number ("стартовое отверстие 2: …"), or that no standard
// drill fits ("… ни одно сверло не помещается: до контура 0.5 мм, а сверлу Ø0.5 нужно 0.75 мм").
std::string StartHoleText(const StartHole& hole, bool job);

}  // namespace kalmoro
