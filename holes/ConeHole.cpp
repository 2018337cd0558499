#include "holes/ConeHole.h"

#include <algorithm>
#include <cmath>

#include "HoleBlocks.h"
#include "fields/Angles.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// Refusals for values that pass the four field checks but that the contour cannot be computed for, or
// that a program cannot carry: a number of 1e12 mm or more has no thousandths left in its words of 15
// significant digits, a height below 0.001 mm gives the setup block a wire height of 0, and a negative
// height or upper diameter (which the fields cannot hold, but a direct caller may pass) is no cone.
constexpr const char* kMsgConeNotFinite = "Слишком большое число в размерах конуса.";
constexpr const char* kMsgConeLowHeight = "Высота должна быть не меньше 0.001 мм.";
constexpr const char* kMsgConeNegativeUpper = "Верхний диаметр не должен быть отрицательным.";
constexpr const char* kMsgConeTooSmall = "Нижний диаметр должен быть не меньше 0.002 мм.";
constexpr const char* kMsgConeTooLarge = "Нижний диаметр слишком велик: программа превысила бы 32767 кадров.";

constexpr double kChordTolerance = 0.002;  // greatest distance of a chord from the lower circle, mm
// From here on the lower radius is at least 0.001 mm and c of the step angle at least -1.
constexpr double kMinLowerDiameter = 0.002;
constexpr double kMinHeight = 0.001;
constexpr double kLargestValue = 1e12;  // excluded
constexpr double kQuarterTurn = kPi15 / 2.0;
// 4 * k contour blocks and 13 others must fit the block numbers up to 32767.
constexpr int kMaxStepsPerQuarter = (NcWriter::kMaxBlockNum - 13) / 4;

// Straight blocks per quarter of the lower circle of radius lowerRadius, or 0 when there are more
// than the block numbers allow or no step angle exists.
int StepsPerQuarter(double lowerRadius) {
  const double c = 1.0 - kChordTolerance / lowerRadius;
  const double theta = 2.0 * ACos(c);  // angle of a chord kChordTolerance away from the circle
  if (!(theta > 0.0)) return 0;
  const double n = kQuarterTurn / theta;
  if (!(n < kMaxStepsPerQuarter + 1)) return 0;
  const int k = static_cast<int>(std::floor(n));
  return k == 0 ? 1 : k;
}

// Room for the text of one pass: 4k + 13 blocks, none longer than a block number and four words with
// the integer digits of the largest coordinate or taper word.
std::size_t PassBytes(int k, double lowerRadius, double upperRadius) {
  const double largest = std::max({1.0, lowerRadius, upperRadius}) * 2;
  const auto intDigits = static_cast<std::size_t>(std::log10(largest)) + 1;
  return static_cast<std::size_t>(4 * k + 13) * (8 + 4 * (intDigits + 6) + 2);
}

}  // namespace

std::optional<HoleContour> ConeContour(double lower, double upper, double height) {
  const double rd = lower / 2.0;
  const double ru = upper / 2.0;
  const int k = StepsPerQuarter(rd);
  if (k == 0) return std::nullopt;
  const double phi = kQuarterTurn / k;
  HoleContour contour;
  contour.top = rd;
  contour.tapered = true;
  contour.topV = (upper - lower) / 2.0;
  contour.upperTop = ru;
  contour.wireHeight = height;
  contour.bytesPerPass = PassBytes(k, std::fabs(rd), std::fabs(ru));
  contour.steps.reserve(4 * static_cast<std::size_t>(k));
  // The circle counter-clockwise from the top point, a quarter at a time. Each taper word is the
  // difference of the upper and the lower product, so that it is exactly 0 for a cylinder.
  for (int quarter = 0; quarter < 4; ++quarter) {
    for (int i = 1; i <= k; ++i) {
      const double a = i * phi;
      const double s = std::sin(a);
      const double c = std::cos(a);
      // Direction of the point from the centre: top -> left -> bottom -> right -> top.
      const double dir[4][2] = {{-s, c}, {-c, -s}, {s, -c}, {c, s}};
      const double xd = rd * dir[quarter][0];
      const double yd = rd * dir[quarter][1];
      const double xu = ru * dir[quarter][0];
      const double yu = ru * dir[quarter][1];
      contour.steps.push_back({false, xd, yd, 0, 0, xu - xd, yu - yd});
    }
  }
  return contour;
}

GenResult GenCone(std::string_view heightText, std::string_view lowerText, std::string_view upperText,
                  std::string_view angleText, const PassOptions& passes, std::string_view holdCode) {
  const double height = LeadingValue(heightText);
  const double lower = LeadingValue(lowerText);
  const double upper = LeadingValue(upperText);
  const double angle = LeadingValue(angleText);

  if (height == 0.0) return GenResult::Refusal(kMsgConeHeight);
  if (lower == 0.0) return GenResult::Refusal(kMsgConeLower);
  if (upper == 0.0) return GenResult::Refusal(kMsgConeUpper);
  if (std::fabs(angle) > 30.0) return GenResult::Refusal(kMsgConeAngle);

  if (!(std::fabs(height) < kLargestValue && std::fabs(lower) < kLargestValue &&
        std::fabs(upper) < kLargestValue && std::isfinite(angle))) {
    return GenResult::Refusal(kMsgConeNotFinite);
  }
  if (height < kMinHeight) return GenResult::Refusal(kMsgConeLowHeight);
  if (upper < 0) return GenResult::Refusal(kMsgConeNegativeUpper);
  if (lower < kMinLowerDiameter) return GenResult::Refusal(kMsgConeTooSmall);
  const std::optional<HoleContour> contour = ConeContour(lower, upper, height);
  if (!contour) return GenResult::Refusal(kMsgConeTooLarge);
  return WriteHoleProgram(ConeHeader{lower, upper, height, std::fabs(angle), passes.Normalised()}, *contour,
                          holdCode);
}

}  // namespace kalmoro
