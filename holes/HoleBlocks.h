#pragma once

#include <string_view>

#include "nc/NcWriter.h"

// The blocks every hole program shares: the opening after the header, the fixed-word blocks and the
// way out of the contour back to the centre.
namespace kalmoro {

// Radius of the exit arc and distance of the exit line from the Y axis, in mm.
inline constexpr double kExitRadius = 0.35;

// "N1" with the G92 words, "N2G60", then arc mode on so that the first linear block carries "G01".
void WriteOpening(NcWriter& w, std::string_view g92Words);

// A numbered block of fixed words ("G41", "G40", "M02").
void WriteFixedBlock(NcWriter& w, std::string_view words);

// The quarter arc from the top point (0, top) into the hole and the line down to the centre's level.
void WriteExitArc(NcWriter& w, double top);

// Compensation off, back to the centre, end of program.
void WriteClosing(NcWriter& w);

}  // namespace kalmoro
