#pragma once

#include "check/ProgramReader.h"

namespace kalmoro {

// Holds every move of a reading whose header is one of the three holes against that hole: the contour
// (the moves with compensation on, once round) must lie on the hole's boundary, lower and, for a cone,
// upper; every other move inside it; the contour runs counter-clockwise, closes, and a cone's taper
// words agree with its header. Each fault is a problem at the line of the block at fault. Also works
// the hole back from the contour (reading.encoded); when the contour is a clean hole of other
// dimensions than the header's, the disagreement is a problem at the header line instead.
// `wireHeightLine` is the line of the R word, 0 when there is none.
void CheckHoleAgainstHeader(ProgramReading& reading, int wireHeightLine);

}  // namespace kalmoro
