#include "holes/ConeHole.h"

#include <cmath>
#include <string>

#include "cone/Angles.h"
#include "holes/HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// Refusals for values that pass the four field checks but that the contour cannot be computed for.
constexpr const char* kMsgConeNotFinite = "Слишком большое число в размерах конуса.";
constexpr const char* kMsgConeTooSmall = "Нижний диаметр должен быть не меньше 0.002 мм.";
constexpr const char* kMsgConeTooLarge = "Нижний диаметр слишком велик: программа превысила бы 32767 кадров.";

constexpr double kChordTolerance = 0.002;  // greatest distance of a chord from the lower circle, mm
// From here on the lower radius is at least 0.001 mm and c of the step angle at least -1.
constexpr double kMinLowerDiameter = 0.002;
constexpr double kQuarterTurn = kPi15 / 2.0;
constexpr int kExitSteps = 5;
constexpr double kExitStep = 0.314159265358979;  // a tenth of kPi15: five steps make a quarter turn
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

}  // namespace

GenResult GenCone(NcWriter& writer, std::string_view heightText, std::string_view lowerText,
                  std::string_view upperText, std::string_view angleText) {
  const double height = LeadingValue(heightText);
  const double lower = LeadingValue(lowerText);
  const double upper = LeadingValue(upperText);
  const double angle = LeadingValue(angleText);

  writer.SetLastPoint(0, 0);
  writer.SetArcMode(true);

  if (height == 0.0) return GenResult::Refusal(kMsgConeHeight);
  if (lower == 0.0) return GenResult::Refusal(kMsgConeLower);
  if (upper == 0.0) return GenResult::Refusal(kMsgConeUpper);
  if (std::fabs(angle) > 30.0) return GenResult::Refusal(kMsgConeAngle);

  if (!std::isfinite(height) || !std::isfinite(lower) || !std::isfinite(upper) || !std::isfinite(angle)) {
    return GenResult::Refusal(kMsgConeNotFinite);
  }
  if (lower < kMinLowerDiameter) return GenResult::Refusal(kMsgConeTooSmall);
  const double rd = lower / 2.0;
  const double ru = upper / 2.0;
  const int k = StepsPerQuarter(rd);
  if (k == 0) return GenResult::Refusal(kMsgConeTooLarge);
  const double phi = kQuarterTurn / k;

  // The program is built apart and moved into the writer at the end, so that nothing half-written
  // can reach the buffer.
  const char sep = writer.Format().decimalSep;
  NcWriter p =
      writer.StartProgram("%(CONE: D-DOWN=" + StdText(lower, sep) + ":D-UP=" + StdText(upper, sep) +
                          ":H=" + StdText(height, sep) + ":ANG=" + StdText(std::fabs(angle), sep) + ")\r\n");
  WriteOpening(p, "G92X0.000Y0.000W0.000R" + p.Coord(height));
  p.GenLU(0, rd, 0, (upper - lower) / 2.0, true);
  WriteFixedBlock(p, "G41");

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
      const bool first = quarter == 0 && i == 1;
      p.GenLU(xd, yd, xu - xd, yu - yd, !first);
      if (first) p.Append(" D0\r\n");
    }
  }

  // Exit: a quarter circle of kExitRadius into the hole, its upper twin kept at the top point's taper.
  for (int m = 1; m <= kExitSteps; ++m) {
    const double b = m * kExitStep;
    const double x = -kExitRadius * std::sin(b);  // the same for both arcs, so U is 0
    const double yd = (rd - kExitRadius) + kExitRadius * std::cos(b);
    const double yu = (ru - kExitRadius) + kExitRadius * std::cos(b);
    p.GenLU(x, yd, 0.0, yu - yd, true);
  }
  p.GenLU(-kExitRadius, 0, 0, 0, true);
  WriteClosing(p);

  writer = std::move(p);
  return GenResult::Program(writer.Text());
}

}  // namespace kalmoro
