#include "holes/HoleBlocks.h"

namespace kalmoro {

void WriteOpening(NcWriter& w, std::string_view g92Words) {
  w.GenN(true);
  w.Append(g92Words);
  w.EndLine();
  WriteFixedBlock(w, "G60");
  w.SetArcMode(true);
}

void WriteFixedBlock(NcWriter& w, std::string_view words) {
  w.GenN(false);
  w.Append(words);
  w.EndLine();
}

void WriteExitArc(NcWriter& w, double top) {
  w.GenA(-kExitRadius, top - kExitRadius, 0, top - kExitRadius, true);
  w.GenL(-kExitRadius, 0, true);
}

void WriteClosing(NcWriter& w) {
  WriteFixedBlock(w, "G40");
  w.GenL(0, 0, true);
  WriteFixedBlock(w, "M02");
}

}  // namespace kalmoro
