#include "holes/ConeHole.h"

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestText.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

using test::Lines;
using test::Word;

struct ConeInput {
  std::string h, lower, upper, angle;
};

GenResult Gen(const ConeInput& in) {
  return GenCone(in.h, in.lower, in.upper, in.angle);
}

std::string Label(const ConeInput& in) {
  return "H \"" + in.h + "\" D_d \"" + in.lower + "\" D_u \"" + in.upper + "\" A \"" + in.angle + "\"";
}

std::string Num(int n) {
  return StdText(n);
}

const std::string kHuge(400, '9');  // beyond the range of a double

TEST(ConeHoleTest, WorkedListing) {
  const std::vector<std::string> expected = Lines(test::Listing("cone-dd1-du0.8-h2.iso"));
  const GenResult result = GenCone("2", "1", "0.8", "5.72481");
  ASSERT_TRUE(result.Ok()) << result.error;
  const std::vector<std::string> lines = Lines(result.program);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], expected[i]) << "line " << Num(static_cast<int>(i) + 1);
}

// k follows from the lower diameter alone; the program has 4k + 13 numbered blocks, all linear.
TEST(ConeHoleTest, BlockCountFollowsLowerDiameter) {
  const struct {
    const char* lower;
    int blocks;
  } cases[] = {{"0.002", 17}, {"0.05", 17}, {"1", 45},     {"5", 89},        {"10", 121},
               {"20", 169},   {"100", 361}, {"999", 1121}, {"869700", 32765}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("D_d ") + c.lower);
    const GenResult result = GenCone("5", c.lower, "3", "0");
    ASSERT_TRUE(result.Ok()) << result.error;
    const std::vector<std::string> lines = Lines(result.program);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.blocks) + 1);
    for (int n = 1; n <= c.blocks; ++n) {
      ASSERT_TRUE(lines[n].starts_with('N') && lines[n].substr(1).starts_with(Num(n)))
          << "block " << Num(n) << " numbered in order: " << lines[n];
    }
    EXPECT_EQ(lines[3].substr(lines[3].find('G'), 3), "G01");
    const std::string& text = result.program;
    EXPECT_EQ(text.find("G01", text.find("G01") + 1), std::string::npos) << "G01 once";
    EXPECT_EQ(text.find("G03"), std::string::npos) << "no arc block";
  }
}

// Selected lines, by block number (the header is line 0).
TEST(ConeHoleTest, SelectedLines) {
  const struct {
    ConeInput in;
    std::size_t lineCount;
    std::vector<std::pair<std::size_t, const char*>> lines;
  } cases[] = {
      {{"20", "20", "10", "28.072487"},
       170,
       {{0, "%(CONE: D-DOWN=20:D-UP=10:H=20:ANG=28.072487)"},
        {1, "N1G92X0.000Y0.000W0.000R20.000"},
        {2, "N2G60"},
        {3, "N3G01X0.000Y10.000U0.000V-5.000"},
        {4, "N4G41"},
        {5, "N5X-0.403Y9.992U0.201V-4.996 D0"},
        {43, "N43X-10.000Y0.000U5.000V-0.000"},
        {160, "N160X0.000Y10.000U-0.000V-5.000"},
        {161, "N161X-0.108Y9.983U0.000V-5.000"},
        {165, "N165X-0.350Y9.650U0.000V-5.000"},
        {166, "N166X-0.350Y0.000U0.000V0.000"},
        {167, "N167G40"},
        {168, "N168X0.000Y0.000"},
        {169, "N169M02"}}},
      // Widening upwards: the taper words point outwards.
      {{"2", "1", "1.2", "-5.72481"},
       46,
       {{0, "%(CONE: D-DOWN=1:D-UP=1.2:H=2:ANG=5.72481)"},
        {3, "N3G01X0.000Y0.500U0.000V0.100"},
        {5, "N5X-0.098Y0.490U-0.020V0.098 D0"}}},
      // The smallest lower diameter: one block per quarter, a square through the axis points.
      {{"2", "0.002", "0.002", "0"},
       18,
       {{0, "%(CONE: D-DOWN=0.002:D-UP=0.002:H=2:ANG=0)"},
        {5, "N5X-0.001Y0.000U0.000V0.000 D0"},
        {8, "N8X0.000Y0.001U0.000V0.000"}}},
      // The header holds the numbers read, not the texts; the R word the height rounded.
      {{"2.1234", "1.50", "0.80", "-30"},
       54,
       {{0, "%(CONE: D-DOWN=1.5:D-UP=0.8:H=2.1234:ANG=30)"}, {1, "N1G92X0.000Y0.000W0.000R2.123"}}},
      {{"2", "1", "1", "30"}, 46, {{0, "%(CONE: D-DOWN=1:D-UP=1:H=2:ANG=30)"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Label(c.in));
    const GenResult result = Gen(c.in);
    ASSERT_TRUE(result.Ok()) << result.error;
    const std::vector<std::string> lines = Lines(result.program);
    ASSERT_EQ(lines.size(), c.lineCount);
    for (const auto& [index, text] : c.lines)
      EXPECT_EQ(lines[index], text) << "line of N" << Num(static_cast<int>(index));
  }
}

// A cylinder: upper and lower products are equal, so every taper word is exactly zero, unsigned.
TEST(ConeHoleTest, EqualDiametersGiveZeroTaper) {
  const GenResult result = GenCone("5", "10", "10", "0.0");
  ASSERT_TRUE(result.Ok()) << result.error;
  const std::vector<std::string> lines = Lines(result.program);
  EXPECT_EQ(lines[0], "%(CONE: D-DOWN=10:D-UP=10:H=5:ANG=0)");
  int tapered = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::size_t u = line.find('U');
    if (u == std::string::npos) continue;
    ++tapered;
    EXPECT_EQ(line.substr(u), "U0.000V0.000" + std::string(line.ends_with(" D0") ? " D0" : "")) << line;
  }
  EXPECT_EQ(tapered, 4 * 27 + 7);  // lead-in, contour, exit arc and exit line
}

TEST(ConeHoleTest, RefusalsInOrderWithoutAProgram) {
  // nullptr: a value the four checks let through but the contour cannot be computed for.
  const struct {
    ConeInput in;
    const char* message;
  } cases[] = {
      {{"0", "0", "0", "0"}, kMsgConeHeight},
      {{"", "1", "1", "0"}, kMsgConeHeight},
      {{"0", "0.001", "1", "45"}, kMsgConeHeight},
      {{"2", "0", "0", "0"}, kMsgConeLower},
      {{"2", ".", "1", "0"}, kMsgConeLower},
      {{"2", "1", "", "0"}, kMsgConeUpper},
      {{"10", "20", "10", "53.130102"}, kMsgConeAngle},
      {{"2", "1", "1", "-30.5"}, kMsgConeAngle},
      {{"2", "1", "1", "30.001"}, kMsgConeAngle},
      {{"2", "1", "1", kHuge}, kMsgConeAngle},
      {{"2", "0.001", "1", "0"}, nullptr},
      {{"2", "0.0019", "1", "0"}, nullptr},
      {{"2", "869710", "1", "0"}, nullptr},
      {{"2", "900000", "1", "0"}, nullptr},
      {{kHuge, "1", "1", "0"}, nullptr},
      {{"2", kHuge, "1", "0"}, nullptr},
      {{"2", "1", kHuge, "0"}, nullptr},
      // What the fields cannot hold but a direct caller may pass, and what no word of a program can carry.
      {{"-2", "1", "0.8", "0"}, nullptr},
      {{"0.0009", "1", "0.8", "0"}, nullptr},
      {{"2", "1", "-0.8", "0"}, nullptr},
      {{"2", "-1", "0.8", "0"}, nullptr},
      {{"1000000000000", "1", "1", "0"}, nullptr},
      {{"2", "1", "1000000000000", "0"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Label(c.in));
    const GenResult result = Gen(c.in);
    ASSERT_FALSE(result.Ok()) << "refused";
    if (c.message) {
      EXPECT_EQ(result.error, c.message);
    } else {
      EXPECT_FALSE(result.error.empty());
      for (const char* field : {kMsgConeHeight, kMsgConeLower, kMsgConeUpper, kMsgConeAngle}) {
        EXPECT_NE(result.error, field) << "a message of its own";
      }
    }
    EXPECT_EQ(result.program, "") << "a refusal carries no program";
  }
}

// Over many cones: every contour point lies on the lower circle, its upper twin (X + U, Y + V) on the
// upper circle along the same ray, the circle runs counter-clockwise once from the top point, and
// each chord stays within the tolerance that the rounded-down block count allows.
TEST(ConeHoleTest, ContourLiesOnBothCircles) {
  std::mt19937 random(20240611);
  std::uniform_real_distribution<double> exponent(0.0, 3.0);
  constexpr double kDigit = 0.0005;           // greatest change of one word by 3-decimal rounding
  constexpr double kRound = kDigit * 1.4143;  // greatest distance a point moves by it
  for (int cone = 0; cone < 60; ++cone) {
    const std::string lowerText = FormatNumber(std::pow(10.0, exponent(random)), 1, 3);  // 1 .. 1000
    const std::string upperText = FormatNumber(std::pow(10.0, exponent(random) - 1.0), 1, 3);
    SCOPED_TRACE(testing::Message() << "D_d " << lowerText << " D_u " << upperText);
    const double rd = LeadingValue(lowerText) / 2;
    const double ru = LeadingValue(upperText) / 2;
    const GenResult result = GenCone("10", lowerText, upperText, "0");
    ASSERT_TRUE(result.Ok()) << result.error;
    const std::vector<std::string> lines = Lines(result.program);
    ASSERT_GE(lines.size(), 18u);
    ASSERT_EQ((lines.size() - 1 - 13) % 4, 0u);
    const int k = static_cast<int>((lines.size() - 1 - 13) / 4);
    const double maxSagitta = 0.002 * ((k + 1.0) / k) * ((k + 1.0) / k) * 1.01;

    double px = 0, py = rd;  // the lead-in ends at the top point
    for (int n = 5; n <= 4 * k + 4; ++n) {
      const std::string& line = lines[n];
      const auto x = Word(line, 'X'), y = Word(line, 'Y'), u = Word(line, 'U'), v = Word(line, 'V');
      ASSERT_TRUE(x && y && u && v) << line;
      EXPECT_NEAR(std::hypot(*x, *y), rd, kRound) << line;
      EXPECT_NEAR(std::hypot(*x + *u, *y + *v), ru, 2 * kRound) << line;
      EXPECT_NEAR(*x + *u, *x * ru / rd, kDigit * (2 + ru / rd) + 1e-9) << "same ray: " << line;
      EXPECT_NEAR(*y + *v, *y * ru / rd, kDigit * (2 + ru / rd) + 1e-9) << "same ray: " << line;

      EXPECT_GT(px * *y - py * *x, 0.0) << "counter-clockwise: " << line;
      const double chord = std::hypot(*x - px, *y - py);
      const double sagitta = rd - std::sqrt(rd * rd - chord * chord / 4);
      const double allowance = 2 * kRound * chord / (2 * rd) + 1e-9;
      EXPECT_GE(sagitta, 0.002 - allowance) << "no more blocks than the tolerance needs: " << line;
      EXPECT_LE(sagitta, maxSagitta + allowance) << "chord too far from the circle: " << line;
      px = *x;
      py = *y;
    }
    EXPECT_NEAR(px, 0.0, kDigit) << "the contour closes at the top point";
    EXPECT_NEAR(py, rd, kDigit + 1e-9);
  }
}

}  // namespace
}  // namespace kalmoro
