#pragma once

#include <optional>
#include <string>

#include "check/ProgramReader.h"
#include "save/SaveResult.h"

// The contours of a program as a DXF drawing (AutoCAD R12, which every CAD program reads): the lower
// contour on the layer "LOWER", for a tapered program the upper one on "UPPER"; straight moves as LINE
// entities and arcs as ARC entities, in millimetres, one entity per move.
namespace kalmoro {

inline constexpr const char* kLowerLayer = "LOWER";
inline constexpr const char* kUpperLayer = "UPPER";

// The DXF text of the reading's moves, or nothing with the reason in error (Russian). An arc whose
// taper offsets change along it has no arc above it; its upper path is written as kTaperedArcLines
// lines.
std::optional<std::string> ContourDxf(const ProgramReading& reading, std::string* error = nullptr);
inline constexpr int kTaperedArcLines = 32;

// Writes ContourDxf to path through ReplaceFileContents: never half-written. A program without moves
// is refused.
SaveResult SaveContourDxf(const ProgramReading& reading, const std::string& path);

}  // namespace kalmoro
