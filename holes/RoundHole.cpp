#include "holes/RoundHole.h"

#include <string>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {
constexpr double kExit = 0.35;  // radius of the exit arc and distance of the exit line from the Y axis
}

GenResult GenCircle(NcWriter& w, std::string_view diameterText) {
  w.SetLastPoint(0, 0);
  const double r = LeadingValue(diameterText) / 2;
  if (!(r >= 1.0 / 2 && r <= 999.0 / 2)) return GenResult::Refusal(kMsgDiameterRange);

  NcWriter p = w.StartProgram("%(CIRCLE: D" + std::string(diameterText) + ")\r\n");
  p.GenN(true);
  p.Append("G92X0.000Y0.000\r\n");
  p.GenN(false);
  p.Append("G60\r\n");
  p.SetArcMode(true);
  p.GenL(0, r, true);
  p.GenN(false);
  p.Append("G41\r\n");
  p.GenA(-r, 0, 0, 0, false);
  p.Append(" D0\r\n");
  p.GenA(0, -r, 0, 0, true);
  p.GenA(r, 0, 0, 0, true);
  p.GenA(0, r, 0, 0, true);
  p.GenA(-kExit, r - kExit, 0, r - kExit, true);
  p.GenL(-kExit, 0, true);
  p.GenN(false);
  p.Append("G40\r\n");
  p.GenL(0, 0, true);
  p.GenN(false);
  p.Append("M02\r\n");
  w = std::move(p);
  return GenResult::Program(w.Text());
}

}  // namespace kalmoro
