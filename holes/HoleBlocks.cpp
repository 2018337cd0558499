#include "HoleBlocks.h"

namespace kalmoro {

void WriteOpening(NcWriter& w, std::optional<double> wireHeight) {
  w.GenSetup(wireHeight);
  w.GenFixed(FixedWord::G60);
  w.SetArcMode(true);
}

void WriteExitArc(NcWriter& w, double top) {
  w.GenA(-kExitRadius, top - kExitRadius, 0, top - kExitRadius, true);
  w.GenL(-kExitRadius, 0, true);
}

void WriteClosing(NcWriter& w) {
  w.GenFixed(FixedWord::CompensationOff);
  w.GenL(0, 0, true);
  w.GenFixed(FixedWord::ProgramEnd);
}

}  // namespace kalmoro
