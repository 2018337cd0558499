#pragma once

#include "cli/Args.h"
#include "holes/GenResult.h"

namespace kalmoro {

// The program of "circle", "rect" or "cone" with its options, as the window's page would generate it
// once the user typed the given values: the cone's angle or one diameter derived as the page's solver
// derives it, and all four cone values refused when the typed angle disagrees with the diameters and
// the height beyond the rounding of a derived angle (a typed angle must not hide the taper the program
// really cuts). The generator's own refusals come first.
GenResult Generate(const GenerateCommand& command);

}  // namespace kalmoro
