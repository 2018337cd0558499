// The program reader: every generated program reads back clean with the dimensions it was made from,
// and each kind of hand edit is caught at its line.

#include "check/ProgramReader.h"

#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <string>

#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

std::string Problems(const ProgramReading& r) {
  std::string text;
  for (const Problem& p : r.problems) text += "\n  line " + std::to_string(p.line) + ": " + p.text;
  return text.empty() ? " none" : text;
}

// A random decimal text with up to three decimals in [low, high].
std::string RandomText(std::mt19937& random, double low, double high) {
  return FormatNumber(std::uniform_real_distribution<double>(low, high)(random), 0, 3);
}

TEST(ProgramReader, GeneratedProgramsReadBackCleanWithTheirDimensions) {
  std::mt19937 random(20261208);
  int cones = 0;
  for (int n = 0; n < 400; ++n) {
    // Round hole.
    const std::string d = RandomText(random, 1, 999);
    const ProgramReading circle = ReadProgram(GenCircle(d).program);
    ASSERT_TRUE(circle.problems.empty()) << "D " << d << ", problems:" << Problems(circle);
    ASSERT_TRUE(circle.encoded);
    EXPECT_NEAR(LeadingValue(std::get<CircleHeader>(circle.encoded->dimensions).diameter), LeadingValue(d),
                0.0011);

    // Rectangle, a quarter of them with the largest corner radius.
    const double w = LeadingValue(RandomText(random, 1, 999));
    const double h = LeadingValue(RandomText(random, 1, 999));
    const double limit = std::min(w, h) / 2;
    const double r = n % 4 == 0 ? limit : LeadingValue(RandomText(random, 0, limit));
    const ProgramReading rect = ReadProgram(GenRect(StdText(w), StdText(h), StdText(r)).program);
    ASSERT_TRUE(rect.problems.empty()) << "W " << w << " H " << h << " R " << r << ":" << Problems(rect);
    const auto& found = std::get<RectHeader>(rect.encoded->dimensions);
    EXPECT_NEAR(found.width, w, 0.0011);
    EXPECT_NEAR(found.height, h, 0.0011);
    EXPECT_NEAR(found.radius, r, 0.0015);

    // Cone: the angle derived as the page derives it from the diameters and the height.
    PlainConeFields fields;
    for (const auto& [field, text] : {std::pair{ConeField::DDown, RandomText(random, 0.002, 2000)},
                                      {ConeField::DUp, RandomText(random, 0.002, 2000)},
                                      {ConeField::H, RandomText(random, 0.5, 3000)}}) {
      fields.SetText(field, text);
      OnConeKeyRelease(fields, field);
    }
    const auto text = [&](ConeField f) { return fields.Text(f); };
    const GenResult cone =
        GenCone(text(ConeField::H), text(ConeField::DDown), text(ConeField::DUp), text(ConeField::Ang));
    if (!cone.Ok()) continue;  // an angle above 30 degrees
    ++cones;
    const ProgramReading reading = ReadProgram(cone.program);
    const std::string label = "D_d " + text(ConeField::DDown) + " D_u " + text(ConeField::DUp) + " H " +
                              text(ConeField::H) + " A " + text(ConeField::Ang);
    ASSERT_TRUE(reading.problems.empty()) << label << ":" << Problems(reading);
    const auto& c = std::get<ConeHeader>(reading.encoded->dimensions);
    EXPECT_NEAR(c.lower, LeadingValue(text(ConeField::DDown)), 0.0011) << label;
    EXPECT_NEAR(c.upper, LeadingValue(text(ConeField::DUp)), 0.0021) << label;
    EXPECT_NEAR(c.height, LeadingValue(text(ConeField::H)), 0.0006) << label;
    EXPECT_TRUE(reading.tapered || c.lower == c.upper) << label;
  }
  EXPECT_GT(cones, 100) << "enough cones within 30 degrees";
}

// The smallest and largest values the generators accept, where the rounding of the words matters most.
TEST(ProgramReader, ProgramsAtTheLimitsOfTheGeneratorsReadBackClean) {
  const struct {
    const char* name;
    GenResult result;
  } cases[] = {
      {"SmallestCornerRadius", GenRect("20.0005", "10.0005", "0.001")},
      {"SmallestCornerRadiusOnWholeSides", GenRect("1", "1", "0.001")},
      {"LowestCone", GenCone("0.001", "1", "0.9995", "28.072487")},
      {"LargestHeight", GenCone("999999999999.999", "1", "1", "0")},
      {"LargeUpperDiameterAndHeight", GenCone("999999999999.999", "0.002", "100000000000", "-5.72481")},
      // The largest X and Y a program carries: the largest cone at the corner of a job's table.
      {"LargestConeAtTheCornerOfAJob",
       [] {
         const std::vector<JobHole> holes = {
             {GenCone("1", "869700", "869700", "0").program, 99999.999, -99999.999}};
         return GenJob(holes);
       }()},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.result.Ok()) << c.name << ": " << c.result.error;
    const ProgramReading r = ReadProgram(c.result.program);
    EXPECT_TRUE(r.problems.empty()) << c.name << ": problems:" << Problems(r);
  }
}

const std::string kCircle = GenCircle("10").program;
const std::string kCone = GenCone("2", "1", "0.8", "5.72481").program;

// The base program with the first occurrence of from replaced by to.
std::string Edit(const std::string& base, const std::string& from, const std::string& to) {
  std::string text = base;
  const std::size_t at = text.find(from);
  if (at == std::string::npos)
    ADD_FAILURE() << "no \"" << from << "\" in the program";
  else
    text.replace(at, from.size(), to);
  return text;
}

struct BrokenCase {
  const char* name;
  std::string program;
  int line;  // where the problem must be reported; 0: no problem at all
  ProblemKind kind;
};

TEST(ProgramReader, HandEditsAreFlaggedAtTheirLine) {
  const std::string kRect = GenRect("20", "10", "2").program;
  const BrokenCase cases[] = {
      {"ArcCentreMoved", Edit(kCircle, "N5G03X-5.000Y0.000I0.000", "N5G03X-5.000Y0.000I0.400"), 6,
       ProblemKind::Arc},
      {"ContourWiderThanHeader",
       Edit(Edit(kCircle, "N6X0.000Y-5.000", "N6X0.000Y-5.400"), "N7X5.000", "N7X5.400"), 7,
       ProblemKind::Deviation},
      {"HeaderChangedContourNot", Edit(kCircle, "D10)", "D12)"), 1, ProblemKind::Header},
      {"RectHeaderDisagreesWithContour", Edit(kRect, "W=20", "W=22"), 1, ProblemKind::Header},
      {"ZeroRadiusArc", Edit(kCircle, "N9X-0.350Y4.650I0.000J4.650", "N9X-0.350Y4.650I0.000J5.000"), 10,
       ProblemKind::Arc},
      {"BlockNumberSkipped", Edit(kCircle, "N7X", "N8X"), 8, ProblemKind::BlockNumber},
      {"UnknownWord", Edit(kCircle, "N2G60", "N2G60Q1"), 3, ProblemKind::UnknownWord},
      {"ClockwiseArc", Edit(kCircle, "N5G03", "N5G02"), 6, ProblemKind::Direction},
      {"RightHandCompensation", Edit(kCircle, "N4G41", "N4G42"), 5, ProblemKind::Compensation},
      {"NoOffsetWord", Edit(kCircle, " D0", ""), 6, ProblemKind::Compensation},
      {"CoordinateWithoutPoint", Edit(kCircle, "N3G01X0.000Y5.000", "N3G01X0.000Y5"), 4,
       ProblemKind::WordFormat},
      {"CoordinateWithFourDecimals", Edit(kCircle, "N3G01X0.000Y5.000", "N3G01X0.000Y5.0004"), 4,
       ProblemKind::WordFormat},
      {"NoReturnToStart", Edit(Edit(kCircle, "N12X0.000Y0.000\r\n", ""), "N13M02", "N12M02"), 13,
       ProblemKind::Structure},
      {"CornerArcDeleted", Edit(Edit(kRect, "N6G03X-10.000Y3.000I-8.000J3.000\r\n", ""), "N7G01", "N6G01"), 7,
       ProblemKind::Deviation},
      {"CoordinateBeyondAnyMachine",
       Edit(kCircle, "N3G01X0.000Y5.000", "N3G01X99999999999999999999.999Y5.000"), 4,
       ProblemKind::WordFormat},
      {"TaperOffsetBeyondAnyMachine", Edit(kCone, "U0.000V-0.100", "U1000000000000.000V-0.100"), 4,
       ProblemKind::WordFormat},
      {"IncrementalMovesAddUpBeyondAnyMachine",
       "%\r\nN1G92X0.000Y0.000\r\nN2G91G01X999999.000Y0.000\r\nN3X999999.000Y0.000\r\nN4M02", 4,
       ProblemKind::WordFormat},
      {"MalformedNumber", Edit(kCircle, "N3G01X0.000", "N3G01X0.0.0"), 4, ProblemKind::Spelling},
      {"ForeignCharacter", Edit(kCircle, "N2G60", "N2G60Ж"), 3, ProblemKind::Spelling},
      {"MotionBeforeSetup", Edit(kCircle, "N1G92X0.000Y0.000", "N1X0.000Y0.000"), 2, ProblemKind::Structure},
      {"MotionAfterEnd", kCircle + "N14X1.000Y1.000\r\n", 15, ProblemKind::Structure},
      {"MissingEnd", Edit(kCircle, "N13M02\r\n", ""), 13, ProblemKind::Structure},
      {"CompensationLeftOn", Edit(Edit(kCircle, "N11G40\r\n", ""), "N12X", "N11X"), 13,
       ProblemKind::Structure},
      {"HeaderNotOnTheFirstLine", "N0G60\r\n" + kCircle, 2, ProblemKind::Structure},
      {"NoContour", Edit(Edit(kCircle, "N4G41\r\n", ""), " D0", ""), 5, ProblemKind::Contour},
      {"ContourNotClosed", Edit(kCircle, "N8X0.000Y5.000I0.000J0.000", "N8X3.536Y3.536I0.000J0.000"), 9,
       ProblemKind::Contour},
      {"ArcWithoutCentre", Edit(kCircle, "N6X0.000Y-5.000I0.000J0.000", "N6X0.000Y-5.000"), 7,
       ProblemKind::Arc},
      {"ConeWithoutHeight", Edit(kCone, "W0.000R2.000", ""), 1, ProblemKind::Header},
      {"CentreWordsWithoutMove", Edit(kCircle, "N2G60", "N2G60I1.000"), 3, ProblemKind::Structure},
      {"TaperWordWithoutMotion", Edit(kCone, "N4G41\r\n", "N4G41U0.100V0.100\r\n"), 5,
       ProblemKind::Structure},
      {"TaperWordOff", Edit(kCone, "N20X-0.000Y-0.500U0.000V0.100", "N20X-0.000Y-0.500U0.050V0.100"), 21,
       ProblemKind::Deviation},
      {"BlockWithoutNumber", Edit(kCircle, "N2G60", "G60"), 3, ProblemKind::BlockNumber},
      {"CentreWordsInALine", Edit(kCircle, "N10G01X-0.350Y0.000", "N10G01X-0.350Y0.000I1.000"), 11,
       ProblemKind::Arc},
      {"HeightWordOutsideSetup", Edit(kCircle, "N2G60", "N2G60R2.000"), 3, ProblemKind::Structure},
      {"UnclosedComment", Edit(kCircle, "N2G60", "N2G60(note"), 3, ProblemKind::Spelling},
      {"WireHeightNotPositive", Edit(kCone, "R2.000", "R-2.000"), 2, ProblemKind::Structure},
      {"ConeHeightDisagrees", Edit(kCone, "R2.000", "R2.500"), 2, ProblemKind::Header},
      {"ConeUpperDiameterDisagrees", Edit(kCone, "D-UP=0.8", "D-UP=0.9"), 1, ProblemKind::Header},
      // What a user may reasonably type reads without a problem.
      {"LowerCaseBlanksAndShortCodes",
       Edit(Edit(kCircle, "N3G01X0.000Y5.000", "n3 g1 x0 y5.0"), "N10G01X-0.350Y0.000",
            "N10 G1 X-.35 Y0 (exit)"),
       0, ProblemKind::Structure},
      {"LineFeedsOnlyAndNoLastLineEnd",
       "%(CIRCLE: D10)\nN1G92X0Y0\nN2G60\nN3G01X0Y5.\nN4G41\nN5G03X-5.Y0I0J0 D0\n"
       "N6X0Y-5.I0J0\nN7X5.Y0I0J0\nN8X0Y5.I0J0\nN9X-0.35Y4.65I0J4.65\nN10G01X-0.35Y0\n"
       "N11G40\nN12X0Y0\nN13M02",
       0, ProblemKind::Structure},
      {"EmptyProgram", "", 0, ProblemKind::Structure},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramReading r = ReadProgram(c.program);
    if (c.line == 0) {
      EXPECT_TRUE(r.problems.empty()) << "problems:" << Problems(r);
      continue;
    }
    bool found = false;
    for (const Problem& p : r.problems) found = found || (p.line == c.line && p.kind == c.kind);
    EXPECT_TRUE(found) << "expected at line " << c.line << " a problem of kind " << static_cast<int>(c.kind)
                       << "; problems:" << Problems(r);
  }
}

TEST(ProgramReader, MovesCarryTheirBlockLineAndTaper) {
  const ProgramReading r = ReadProgram(kCone);
  ASSERT_EQ(r.moves.size(), 40u);
  const Move& leadIn = r.moves.front();
  EXPECT_EQ(leadIn.block, 3);
  EXPECT_EQ(leadIn.line, 4);
  EXPECT_FALSE(leadIn.compensated);
  EXPECT_DOUBLE_EQ(leadIn.y, 0.5);
  EXPECT_DOUBLE_EQ(leadIn.v, -0.1);
  const Move& first = r.moves[1];
  EXPECT_TRUE(first.compensated);
  EXPECT_EQ(first.block, 5);
  EXPECT_EQ(r.wireHeight, 2.0);
  EXPECT_EQ(r.blocks, 45);
  // The upper contour of the worked cone is a circle of radius 0.4.
  const Point upper = PointAt(r.moves[8], 1, true);
  EXPECT_NEAR(std::hypot(upper.x, upper.y), 0.4, 0.0015);
  // A full quarter arc of the round hole: sweep and length.
  const ProgramReading circle = ReadProgram(kCircle);
  const Move& arc = circle.moves[1];
  ASSERT_EQ(arc.kind, Move::Kind::Arc);
  EXPECT_NEAR(ArcSweep(arc), 3.14159265358979 / 2, 1e-12);
  EXPECT_NEAR(PathLength(arc, false), 5 * 3.14159265358979 / 2, 1e-9);
}

}  // namespace
}  // namespace kalmoro
