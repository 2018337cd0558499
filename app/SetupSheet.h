#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

class QPagedPaintDevice;

// The setup sheet a machinist takes to the machine: on the first A4 page the plan to a stated scale,
// the hole, the start point, the lengths, the cutting time estimate and the check's result; the program
// text with its line numbers on the pages after it. Printed, or written as a PDF.
namespace kalmoro {

inline constexpr const char* kPrintAction = "Печать…";
inline constexpr const char* kSheetPdfAction = "Лист наладки в PDF…";
inline constexpr const char* kSheetTitle = "Лист наладки";

// What a sheet shows.
struct SheetContent {
  std::string program;     // UTF-8, any line ends
  ProgramReading reading;  // the program read and checked against the machine, as the preview shows it
  QString fileName;        // the program's file; empty for a program not yet saved
  QDate date;
  MachineProfile machine;
};

// The reduction n of the drawing scale 1:n for a drawing of the given size (millimetres) in an area
// (millimetres on paper): 1 when it fits as it is, otherwise the first standard reduction (2, 2.5, 4,
// 5, 10, 15, 20, 25, 40, 50, 75, 100, 200, …) at which it fits. Nothing when no reduction up to 1:10¹⁵
// makes it fit (a size that is not finite, an area of nothing).
std::optional<double> DrawingReduction(double width, double height, double areaWidth, double areaHeight);
// "М 1:1", "М 1:2.5".
QString ScaleText(double reduction);

// One printed row of the program: a whole line, or a piece of one too long for the page's width.
struct SheetRow {
  int line = 0;            // the program line, from 1
  bool continued = false;  // a further piece of that line, printed without its number
  QString text;
};
using SheetPage = std::vector<SheetRow>;

// The program's lines (ended by CR LF, LF or CR; an empty last line is no line) in pages of at most
// rowsPerPage rows; a line longer than columns characters goes on as many rows as it takes, split
// between characters, never inside one. Nothing is left out. No pages for an empty text.
std::vector<SheetPage> PaginateProgram(std::string_view program, int columns, int rowsPerPage);

// A4 upright with 15 mm margins: set on a printer or a PDF writer before painting.
void SetSheetPageLayout(QPagedPaintDevice& device);
// Paints the sheet on the device's pages, the first page and then the program. Returns the number of
// pages painted, 0 when the device could not be painted on.
int PaintSetupSheet(const SheetContent& content, QPagedPaintDevice& device);

// Writes the sheet as a PDF to path (a name ending in ".pdf"), replaced as a save replaces a program,
// never half-written. Returns the Russian message of a failure, or nothing when the file was written.
std::optional<QString> WriteSetupSheetPdf(const SheetContent& content, const QString& path);

}  // namespace kalmoro
