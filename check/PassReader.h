#pragma once

#include <cstddef>
#include <vector>

#include "check/ProgramReader.h"

// Finds the passes of one hole's moves (a single program, or one part of a job) from what its blocks
// said about compensation, and holds each pass's side against the way its contour runs.
namespace kalmoro {

// What the blocks of a section said, each at the index the next move would take in the section's moves.
struct PassEvents {
  struct Side {
    std::size_t move = 0;
    bool right = false;
    int line = 0;
  };
  struct Offset {
    std::size_t move = 0;
    double value = 0;
    int line = 0;
  };
  struct Stop {
    std::size_t move = 0;
    int line = 0;
  };
  std::vector<Side> sides;      // G41, G42
  std::vector<Offset> offsets;  // D words
  std::vector<Stop> stops;      // blocks of M words only: stops for the operator
};

// Fills reading.passes from its moves (in the section's frame, starting at `start`), numbered in order,
// each contour's way from the area it encloses (the hole check, which knows the hole, may correct it).
void FindPasses(ProgramReading& reading, const PassEvents& events, Point start);

// A problem at the G41/G42 line of each pass whose side puts the wire outside its contour: G41 with a
// clockwise contour, G42 with a counter-clockwise one.
void CheckPassSides(ProgramReading& reading);

}  // namespace kalmoro
