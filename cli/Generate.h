#pragma once

#include <string_view>

#include "cli/Args.h"
#include "holes/GenResult.h"

namespace kalmoro {

// The program of "circle", "rect" or "cone" with its options, as the window's page would generate it
// once the user typed the given values: the cone's angle or one diameter derived as the page's solver
// derives it, and all four cone values refused when the typed angle disagrees with the diameters and
// the height beyond the rounding of a derived angle (a typed angle must not hide the taper the program
// really cuts). The generator's own refusals come first. The passes are the command's, the slug held at
// holdCode.
GenResult Generate(const GenerateCommand& command, std::string_view holdCode = kDefaultStopCode);

// "kalmoro-gen circle|rect|cone …": the program of Generate, the slug held at the hold_slug code of the
// command's machine profile (M00 without one), put out as ProgramOutput.h says. Returns the exit status:
// 0 put out, 1 refused (the message on standard error) or not written, 2 a profile that cannot be read.
int RunGenerate(const GenerateCommand& command);

}  // namespace kalmoro
