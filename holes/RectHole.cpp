#include "holes/RectHole.h"

#include <algorithm>
#include <string>
#include <variant>

#include "HoleBlocks.h"
#include "holes/DieOpening.h"
#include "holes/TaperedRect.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The smallest corner radius whose arcs keep a radius in words of three decimals.
constexpr double kMinRadius = 0.001;

std::string Mm(double value) {
  return FormatNumber(value, 0, 3);
}

// The relief's tapered rectangle, or the refusal of a relief the opening cannot take.
std::variant<TaperedRect, std::string> ReliefRect(double w, double h, double r, const Relief& relief,
                                                  double maxTaperAngle) {
  if (const auto refusal = ReliefRefusal(relief, std::min(w, h) / 2, maxTaperAngle)) return *refusal;
  const double below = relief.Below(), above = relief.Above();
  const TaperedRect rect{w + 2 * below,    h + 2 * below,    r,
                         relief.thickness, 2 * relief.angle, CornerMode::Cylindrical};
  if (ReliefCorners(w, h, r, relief) == CornerMode::Cylindrical) return rect;
  // Conical corners about the opening's corner centres: the radius shrinks to R − Above at the top.
  if (!(r >= above && r > 0))
    return "Освобождение не помещается в углы радиуса " + Mm(r) +
           " мм: над пояском его верх отходит внутрь на " + Mm(above) +
           " мм; радиус углов должен быть не больше " + Mm(std::min(w, h) / 2 - above) +
           " мм или не меньше " + Mm(above) + " мм.";
  TaperedRect conical = rect;
  conical.radius = r + below;
  conical.corners = CornerMode::Conical;
  return conical;
}

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
  const auto rect = ReliefRect(width, height, r, *relief, maxTaperAngle);
  if (const auto* refusal = std::get_if<std::string>(&rect)) return GenResult::Refusal(*refusal);
  const HoleContour tapered = TaperedContour(std::get<TaperedRect>(rect));
  contour.wireHeight = relief->thickness;
  return WriteHoleProgram(header, contour, holdCode, &tapered);
}

}  // namespace kalmoro
