#include "holes/RoundHole.h"

#include <string>

#include "HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenCircle(std::string_view diameterText, const PassOptions& passes, std::string_view holdCode) {
  const double r = LeadingValue(diameterText) / 2;
  if (!(r >= 1.0 / 2 && r <= 999.0 / 2)) return GenResult::Refusal(kMsgDiameterRange);
  if (!FitsCircleDiameter(diameterText)) return GenResult::Refusal(kMsgDiameterText);

  HoleContour contour;
  contour.top = r;
  // Four counter-clockwise quarter arcs about the centre, from the top point round to it.
  contour.steps = {{true, -r, 0, 0, 0}, {true, 0, -r, 0, 0}, {true, r, 0, 0, 0}, {true, 0, r, 0, 0}};
  return WriteHoleProgram(CircleHeader{std::string(diameterText), passes.Normalised()}, contour, holdCode);
}

}  // namespace kalmoro
