#include "holes/RectTaperHole.h"

#include <algorithm>
#include <cmath>

#include "HoleBlocks.h"
#include "holes/TaperedRect.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The chords of a corner stand at most this far from its lower and its upper arc, as the cone's do.
constexpr double kChordTolerance = 0.002;

}  // namespace

HoleContour TaperedContour(const TaperedRect& rect) {
  const std::vector<TaperPoint> points = TaperedRectContour(rect, kChordTolerance);
  HoleContour contour;
  contour.top = rect.height / 2;
  contour.tapered = true;
  contour.topV = -rect.Offset();
  contour.upperTop = rect.TopHeight() / 2;
  contour.wireHeight = rect.thickness;
  // A block number, four words of up to three integer digits, and the line end.
  contour.bytesPerPass = (points.size() + 13) * (8 + 4 * 10 + 2);
  contour.steps.reserve(points.size());
  for (const TaperPoint& p : points)
    contour.steps.push_back(
        {false, p.lower.x, p.lower.y, 0, 0, p.upper.x - p.lower.x, p.upper.y - p.lower.y});
  return contour;
}

GenResult GenRectTaper(std::string_view widthText, std::string_view heightText, std::string_view radiusText,
                       std::string_view thicknessText, std::string_view angleText, CornerMode corners,
                       const PassOptions& passes, std::string_view holdCode) {
  const TaperedRect rect{LeadingValue(widthText),     LeadingValue(heightText), LeadingValue(radiusText),
                         LeadingValue(thicknessText), LeadingValue(angleText),  corners};
  if (const auto refusal = TaperedRectRefusal(rect)) return GenResult::Refusal(*refusal);
  return WriteHoleProgram(RectTaperHeader{rect.width, rect.height, rect.radius, rect.thickness, rect.angle,
                                          corners, passes.Normalised()},
                          TaperedContour(rect), holdCode);
}

std::string RectTaperAngleText(std::string_view widthText, std::string_view topWidthText,
                               std::string_view thicknessText) {
  const double thickness = LeadingValue(thicknessText);
  if (!(thickness > 0)) return {};
  return FormatNumber(TaperAngleForTopWidth(LeadingValue(widthText), LeadingValue(topWidthText), thickness),
                      1, 6);
}

RectTaperTop RectTaperTopTexts(std::string_view widthText, std::string_view heightText,
                               std::string_view radiusText, std::string_view thicknessText,
                               std::string_view angleText, CornerMode corners) {
  const TaperedRect rect{LeadingValue(widthText),     LeadingValue(heightText), LeadingValue(radiusText),
                         LeadingValue(thicknessText), LeadingValue(angleText),  corners};
  return {FormatNumber(rect.TopWidth(), 1, 3), FormatNumber(rect.TopHeight(), 1, 3),
          FormatNumber(rect.TopRadius(), 1, 3)};
}

}  // namespace kalmoro
