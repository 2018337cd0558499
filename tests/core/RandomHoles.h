#pragma once

// Generated hole programs for tests: random holes of the three kinds as their generators write them,
// and the program text as lines.

#include <random>
#include <string>
#include <vector>

#include "nc/PassOptions.h"

namespace kalmoro {

using Lines = std::vector<std::string>;

// The lines of a program without their CR LF ends, and back.
Lines Split(const std::string& program);
std::string Join(const Lines& lines);

struct Program {
  std::string kind;
  std::string text;
};

// A random hole: a circle (which 0), a rectangle (1) or a cone (2) of a few to some tens of mm, its
// values with at most three decimals; a tapered rectangle with cylindrical (3) or conical corners (4);
// a round (5) or rectangular die opening (6) with a land and a relief; with the passes asked for.
Program RandomProgram(std::mt19937& random, int which, const PassOptions& passes = {});
inline constexpr int kHoleKinds = 7;

// Random passes: 1 to 4 skims, either direction, and a held slug of 1 to 5 mm on one hole in two.
PassOptions RandomPasses(std::mt19937& random);

}  // namespace kalmoro
