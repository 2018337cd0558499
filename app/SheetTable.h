#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

class QPainter;

// The tables of the setup sheet: the passes of each hole with the registers the operator types into the
// control, and the start holes the driller works from before the plate comes to the wire machine.
namespace kalmoro {

struct SheetTable {
  QString title;
  QStringList columns;
  std::vector<QStringList> rows;  // each as many cells as columns
};

// Each pass of each hole in the order of the holes, then of the passes: the hole (in a job), the pass,
// its way and side, its register Dk (RegisterOf, as `check --machine` gives it), the offset the register
// holds, the stock it leaves, the stop where the slug is held, and its time at the machine's rate.
SheetTable PassTable(const ProgramReading& reading, const MachineProfile& machine);
// One row per start hole (StartHoles): the hole, where it is drilled, the largest standard drill and its
// room to the contour.
SheetTable StartHoleTable(const ProgramReading& reading);

// Paints a table from row `first` on, from y down: its title and column heads, then as many rows as fit
// above bottom; y moves below them. Returns the first row not painted, or nothing (and paints nothing)
// when not even the heads and one row fit. With paint false, only works out where the rows go.
std::optional<std::size_t> PaintSheetTable(QPainter& painter, const SheetTable& table, std::size_t first,
                                           double width, double& y, double bottom, bool paint = true);

// Where the painting of several tables stands: the table, and its next row.
using SheetTablePlace = std::pair<std::size_t, std::size_t>;
// Paints the tables from place on, one below the other, as far as they fit above bottom; place moves on.
// Returns whether every row is painted.
bool PaintSheetTables(QPainter& painter, const std::vector<SheetTable>& tables, SheetTablePlace& place,
                      double width, double& y, double bottom, bool paint = true);

}  // namespace kalmoro
