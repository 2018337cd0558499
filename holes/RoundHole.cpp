#include "holes/RoundHole.h"

#include <string>

#include "holes/HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenCircle(NcWriter& w, std::string_view diameterText) {
  w.SetLastPoint(0, 0);
  const double r = LeadingValue(diameterText) / 2;
  if (!(r >= 1.0 / 2 && r <= 999.0 / 2)) return GenResult::Refusal(kMsgDiameterRange);

  NcWriter p = w.StartProgram("%(CIRCLE: D" + std::string(diameterText) + ")\r\n");
  WriteOpening(p, "G92X0.000Y0.000");
  p.GenL(0, r, true);
  WriteFixedBlock(p, "G41");
  p.GenA(-r, 0, 0, 0, false);
  p.Append(" D0\r\n");
  p.GenA(0, -r, 0, 0, true);
  p.GenA(r, 0, 0, 0, true);
  p.GenA(0, r, 0, 0, true);
  WriteExitArc(p, r);
  WriteClosing(p);
  w = std::move(p);
  return GenResult::Program(w.Text());
}

}  // namespace kalmoro
