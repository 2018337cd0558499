#pragma once

#include "check/ProgramReader.h"

namespace kalmoro {

// Which of the header's passes a section holds, and where a missing one is named.
struct PassFrame {
  int firstPass = 1;
  int lastPass = 0;  // 0: the header's last
  int endLine = 0;   // the section's last line with text
};

// Holds every move of a reading whose header is one of the three holes against that hole, pass by pass
// (reading.passes, found by FindPasses): each pass's contour (its moves with compensation on, once
// round) must lie on the hole's boundary, lower and, for a cone, upper; every other move inside it, on
// the way every hole program takes in and out (mirrored for a clockwise pass); the contour runs one way,
// closes, and a cone's taper words agree with its header. The passes agree with the header's options:
// their number, their registers D0, D1, … in order, their directions, the held slug's stop in the rough
// pass only. Each fault is a problem at the line of the block at fault; the passes get their numbers as
// the header counts them. Also works the hole back from the first pass's contour (reading.encoded); when
// the contour is a clean hole of other dimensions than the header's, the disagreement is a problem at
// the header line instead. `wireHeightLine` is the line of the R word, 0 when there is none.
void CheckHoleAgainstHeader(ProgramReading& reading, int wireHeightLine, const PassFrame& frame = {});

}  // namespace kalmoro
