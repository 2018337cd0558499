#pragma once

#include <optional>
#include <string>

#include "check/ProgramReader.h"
#include "save/SaveResult.h"

// The moves of a program as a DXF drawing (AutoCAD R12, which every CAD program reads), in millimetres
// ($INSUNITS 4), one entity per move (straight moves as LINE, arcs as ARC), each part on a layer of its
// own: the contour (the moves with compensation on, every pass round the hole) on "LOWER" and, where it
// carries a taper, its upper path (X + U, Y + V) on "UPPER"; the way in and out (lead-in, exit, the
// moves to and from the centre) on "LEADS"; rapid moves between holes on "TRAVEL". LEADS and TRAVEL are
// drawn on the lower plane.
namespace kalmoro {

inline constexpr const char* kLowerLayer = "LOWER";
inline constexpr const char* kUpperLayer = "UPPER";
inline constexpr const char* kLeadsLayer = "LEADS";
inline constexpr const char* kTravelLayer = "TRAVEL";

// Why a reading cannot be drawn at all: the first value of its moves beyond what a program's words may
// hold (ProgramInterpreter.h), with its line ("в строке 4 координата 1E+238 мм вне пределов станка (…)");
// nothing when every value is within. Whatever draws a program asks this first.
std::optional<std::string> BeyondAnyMachine(const ProgramReading& reading);

// The DXF text of the reading's moves, or nothing with the reason in error (Russian): a program without
// moves, or with a coordinate beyond what a program's words may hold (ProgramInterpreter.h), which is
// named with its line before anything is drawn. An arc whose taper offsets change along it has no arc
// above it; its upper path is written as kTaperedArcLines lines. Nothing is written to any file.
std::optional<std::string> ContourDxf(const ProgramReading& reading, std::string* error = nullptr);
inline constexpr int kTaperedArcLines = 32;

// Writes ContourDxf to path through ReplaceFileContents: never half-written; on a refusal the file is not
// touched.
SaveResult SaveContourDxf(const ProgramReading& reading, const std::string& path);

}  // namespace kalmoro
