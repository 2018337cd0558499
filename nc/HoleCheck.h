#pragma once

#include "nc/ProgramReader.h"

namespace kalmoro {

// Works the hole back from the contour of a reading whose header is one of the three holes, and adds
// a problem for each way the contour disagrees with that header.
void CheckHoleAgainstHeader(ProgramReading& reading);

}  // namespace kalmoro
