#pragma once

#include <optional>

#include "nc/NcWriter.h"

// The blocks every hole program shares: the opening after the header and the way out of the contour
// back to the centre.
namespace kalmoro {

// Radius of the exit arc and distance of the exit line from the Y axis, in mm.
inline constexpr double kExitRadius = 0.35;

// The setup block (with the wire height for a tapered cut), the G60 block, then arc mode on so that
// the first linear block carries its motion word.
void WriteOpening(NcWriter& w, std::optional<double> wireHeight = std::nullopt);

// The quarter arc from the top point (0, top) into the hole and the line down to the centre's level.
void WriteExitArc(NcWriter& w, double top);

// Compensation off, back to the centre, end of program.
void WriteClosing(NcWriter& w);

}  // namespace kalmoro
