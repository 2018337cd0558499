#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "check/MachineCheck.h"
#include "check/MachineProfile.h"
#include "check/ProgramReader.h"
#include "nc/Toolpath.h"

namespace kalmoro {

class ToolpathScene;

// One reading of the program field's text, made once per change off the typing path and shared by
// everything that shows or uses it: the preview, the verdict beside the save button, the save guard, the
// setup sheet and the drawing export.
struct FieldReading {
  std::uint64_t version = 0;    // the version of the field's text it was made of (FieldReader counts)
  std::string text;             // UTF-8 with CR LF line ends: what a save writes, before its last CR LF
  std::vector<int> lineStarts;  // where each program line starts in the field's document
  ProgramReading reading;       // read and checked against the machine
  MachineProfile machine;       // the machine it was checked against
  std::string unencodable;      // the first character Windows-1251 cannot hold (UTF-8); empty for none
  std::shared_ptr<const ToolpathScene> scene;
  // What the preview's status gives of the path, worked out with the reading.
  struct Figures {
    double lowerLength = 0;  // the length of the path, the moves between the holes of a job left out
    double upperLength = 0;  // the same on the upper contour
    bool contour = false;    // some move has compensation on
    Box lowerBounds;         // of the moves with compensation on
    Box upperBounds;
    CuttingTime time;
  };
  Figures figures;
  bool failed = false;  // the text could not be read whole (out of memory): `text` may lack part of it

  // The program line (from 1) that holds a position of the field's document.
  int LineAt(int position) const;
  // Where a program line (from 1) starts in the field's document; lines beyond the last give its start.
  int StartOf(int line) const;
};

// Reads the field's raw document text (QTextDocument::toRawText), as the given version, and checks it
// against the machine. Safe on any thread. Never throws: a text too large for memory is a reading with
// one problem that says so.
std::shared_ptr<const FieldReading> ReadFieldText(const QString& raw, const MachineProfile& machine,
                                                  std::uint64_t version);

}  // namespace kalmoro
