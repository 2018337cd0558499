#pragma once

#include <string_view>

#include "check/ProgramReader.h"

namespace kalmoro {

// Reads a job program ("%(JOB: n)" first): each hole from its comment line on, checked as a single
// program against the header its comment line holds; between two holes a cut stop, the moves to the
// next centre and a thread stop, in that order, and the wire brought where the next hole's comment
// puts it. The moves are in the job's frame: the first hole's centre at its position.
ProgramReading ReadJob(std::string_view text);

}  // namespace kalmoro
