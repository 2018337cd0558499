#pragma once

#include <string_view>

#include "cli/Args.h"
#include "holes/GenResult.h"

namespace kalmoro {

// The program of "circle", "rect", "cone" or "rect-taper" with its options, as the window's page would
// generate it once the user typed the given values: the cone's angle or one diameter derived as the
// page's solver derives it, and all four cone values refused when the typed angle disagrees with the
// diameters and the height beyond the rounding of a derived angle (a typed angle must not hide the taper
// the program really cuts); a tapered rectangle's angle derived from its top width, rounded as the cone
// page rounds a derived angle. The generator's own refusals come first. The passes are the command's,
// the slug held at holdCode. A die opening from its punch is worked out first (RoundDieFor, RectDieFor)
// and its arithmetic put into `arithmetic` when one is given; a relief is held to the machine's full
// taper angle maxTaperAngle.
GenResult Generate(const GenerateCommand& command, std::string_view holdCode = kDefaultStopCode,
                   double maxTaperAngle = 30, std::string* arithmetic = nullptr);

// "kalmoro-gen circle|rect|cone|rect-taper …": the program of Generate, the slug held at the hold_slug
// code of the command's machine profile (M00 without one) and a relief held to its max_taper_angle, put
// out as ProgramOutput.h says; a die worked out from its punch has its arithmetic on standard error
// first, one line. Returns the exit status: 0 put out, 1 refused (the message on standard error) or not
// written, 2 a profile that cannot be read.
int RunGenerate(const GenerateCommand& command);

}  // namespace kalmoro
