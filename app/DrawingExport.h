#pragma once

#include <QString>
#include <optional>

#include "check/ProgramReader.h"

// The program's drawing for other programs: the plan as an SVG or PNG picture, the contours as DXF.
namespace kalmoro {

inline constexpr const char* kExportAction = "Экспорт чертежа…";
inline constexpr const char* kExportTitle = "Экспорт чертежа";
// The size of the exported plan, in pixels (SVG: user units).
inline constexpr int kExportWidth = 1200;
inline constexpr int kExportHeight = 900;

// Writes the drawing of a program, as read, to path, the kind chosen by the name's ending: ".svg" and
// ".png" the plan as the preview draws it, fitted; ".dxf" the contours (export/ContourDxf.h). The file
// is replaced as a save replaces a program, never half-written; a program with a coordinate beyond any
// machine (BeyondAnyMachine) is refused whatever the kind. Returns the Russian message of a failure, or
// nothing when the file was written.
std::optional<QString> ExportDrawing(const ProgramReading& reading, const QString& path);

}  // namespace kalmoro
