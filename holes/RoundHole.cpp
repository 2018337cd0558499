#include "holes/RoundHole.h"

#include <string>

#include "HoleBlocks.h"
#include "holes/DieOpening.h"
#include "holes/HolePasses.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenCircle(std::string_view diameterText, const PassOptions& passes, std::string_view holdCode,
                    const std::optional<Relief>& relief, double maxTaperAngle) {
  const double r = LeadingValue(diameterText) / 2;
  if (!(r >= 1.0 / 2 && r <= 999.0 / 2)) return GenResult::Refusal(kMsgDiameterRange);
  if (!FitsCircleDiameter(diameterText)) return GenResult::Refusal(kMsgDiameterText);

  HoleContour contour;
  contour.top = r;
  // Four counter-clockwise quarter arcs about the centre, from the top point round to it.
  contour.steps = {{true, -r, 0, 0, 0}, {true, 0, -r, 0, 0}, {true, r, 0, 0, 0}, {true, 0, r, 0, 0}};
  const CircleHeader header{std::string(diameterText), passes.Normalised(), relief};
  if (!relief) return WriteHoleProgram(header, contour, holdCode);
  if (const auto refusal = ReliefRefusal(*relief, r, maxTaperAngle)) return GenResult::Refusal(*refusal);
  const std::optional<HoleContour> cone =
      ConeContour(2 * (r + relief->Below()), 2 * (r - relief->Above()), relief->thickness);
  if (!cone) return GenResult::Refusal(kMsgPassBlocks);
  contour.wireHeight = relief->thickness;
  return WriteHoleProgram(header, contour, holdCode, &*cone);
}

}  // namespace kalmoro
