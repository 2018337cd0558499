#include "holes/RectHole.h"

#include <string>
#include <variant>

#include "HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The smallest corner radius whose arcs keep a radius in words of three decimals.
constexpr double kMinRadius = 0.001;

}  // namespace

GenResult GenRect(std::string_view widthText, std::string_view heightText, std::string_view radiusText,
                  const PassOptions& passes, std::string_view holdCode, const std::optional<Relief>& relief,
                  double maxTaperAngle) {
  const double width = LeadingValue(widthText);
  const double height = LeadingValue(heightText);
  const double r = LeadingValue(radiusText);
  if (!(width >= 1 && height >= 1 && width <= 999 && height <= 999)) return GenResult::Refusal(kMsgRectRange);
  if (r != 0 && !(r >= kMinRadius)) return GenResult::Refusal(kMsgRectRadiusSmall);
  if (!(2 * r <= height && 2 * r <= width)) return GenResult::Refusal(kMsgRectRadius);

  const double hw = width / 2;
  const double hh = height / 2;
  HoleContour contour;
  contour.top = hh;
  // Counter-clockwise from the middle of the top side: left along it, down, right, up and back. The
  // sides vanish where 2·R is the width or the height; the writer drops a move that goes nowhere, and
  // the register goes on the first block written (the top-left corner arc when 2·R = W).
  const auto line = [&contour](double x, double y) { contour.steps.push_back({false, x, y, 0, 0}); };
  const auto corner = [&contour, r](double x, double y, double i, double j) {
    if (r != 0) contour.steps.push_back({true, x, y, i, j});
  };
  line(-(hw - r), hh);
  corner(-hw, hh - r, -(hw - r), hh - r);
  line(-hw, -(hh - r));
  corner(-(hw - r), -hh, -(hw - r), -(hh - r));
  line(hw - r, -hh);
  corner(hw, -(hh - r), hw - r, -(hh - r));
  line(hw, hh - r);
  corner(hw - r, hh, hw - r, hh - r);
  line(0, hh);
  const RectHeader header{width, height, r, passes.Normalised(), relief};
  if (!relief) return WriteHoleProgram(header, contour, holdCode);
  const auto tapered = ReliefHoleContour(width, height, r, false, *relief, maxTaperAngle);
  if (const auto* refusal = std::get_if<std::string>(&tapered)) return GenResult::Refusal(*refusal);
  contour.wireHeight = relief->thickness;
  return WriteHoleProgram(header, contour, holdCode, &std::get<HoleContour>(tapered));
}

}  // namespace kalmoro
