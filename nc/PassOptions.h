#pragma once

#include <string_view>

// What a hole's program cuts besides one rough pass: skims that take the last hundredths off, the
// direction they run in, and a stop before the rough contour closes where the operator secures the slug.
namespace kalmoro {

inline constexpr int kMaxSkims = 4;
// The stop code a program uses to hold the slug when the machine gives none.
inline constexpr std::string_view kDefaultStopCode = "M00";

// Alternate: every second pass runs clockwise (G02 with G42), so that the wire enters each skim from the
// other side; same: every pass counter-clockwise, as the rough pass.
enum class SkimDirection { Alternate, Same };

struct PassOptions {
  int skims = 0;    // 0 … kMaxSkims
  double stop = 0;  // mm along the contour before the rough pass closes it; 0: no stop
  SkimDirection direction = SkimDirection::Alternate;

  int Passes() const { return skims + 1; }
  // Whether pass `pass` (1 = the rough pass) runs clockwise.
  bool Clockwise(int pass) const { return direction == SkimDirection::Alternate && pass % 2 == 0; }
  // Today's single pass without a stop: the program is the one-pass program.
  bool Single() const { return skims == 0 && stop == 0; }
  // The options as a header states them: the direction matters only when there are skims.
  PassOptions Normalised() const {
    PassOptions o = *this;
    if (o.skims == 0) o.direction = SkimDirection::Alternate;
    return o;
  }
  bool operator==(const PassOptions&) const = default;
};

}  // namespace kalmoro
