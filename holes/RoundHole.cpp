#include "holes/RoundHole.h"

#include <string>
#include <variant>

#include "HoleBlocks.h"
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
  const auto cone = ReliefHoleContour(2 * r, 2 * r, 0, true, *relief, maxTaperAngle);
  if (const auto* refusal = std::get_if<std::string>(&cone)) return GenResult::Refusal(*refusal);
  contour.wireHeight = relief->thickness;
  return WriteHoleProgram(header, contour, holdCode, &std::get<HoleContour>(cone));
}

}  // namespace kalmoro
