#include "save/ProgramName.h"

#include <gtest/gtest.h>
#include <cctype>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

namespace kalmoro {
namespace {

struct NameCase {
  const char* name;
  std::string program;
  std::string expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgramBaseNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ProgramBaseNameTest, ProposesNameFromHeader) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ProgramBaseName(c.program), c.expected)
      << "the name proposed for a program starting with \"" << c.program.substr(0, 60) << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ProgramBaseNameTest,
    testing::Values(NameCase{"Circle", "%(CIRCLE: D10)\r\nN1G92X0.000Y0.000\r\n", "CIRCLE_D10"},
                    NameCase{"Rectangle", "%(RECTANGLE: W=20:H=10:R=2.5)\r\n", "RECTANGLE_W20_H10_R2.5"},
                    NameCase{"Cone", "%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481)\r\n",
                             "CONE_D-DOWN1_D-UP0.8_H2_ANG5.72481"},
                    NameCase{"ExponentValue", "%(CIRCLE: D1E+15)", "CIRCLE_D1E+15"},
                    NameCase{"LoneLfAndBlanks", "  %(CIRCLE: D10)  \nN1", "CIRCLE_D10"},
                    NameCase{"SlashColonControlBecomeOneMark",
                             "%(A/B\\C:: D\x01\x7F"
                             "E*?\"<>|F)",
                             "A_B_C_D_E_F"},
                    NameCase{"CyrillicDropped", "%(\xD0\x94\xD0\x95\xD0\xA2\xD0\x90\xD0\x9B\xD0\xAC: D10)",
                             "D10"},
                    NameCase{"NoLeadingDotOrDash", "%(../-x.)", "x"}, NameCase{"OnlyMarks", "%(../..)", ""},
                    NameCase{"EmptyHeader", "%()", ""}, NameCase{"UnclosedHeader", "%(CIRCLE: D10\r\n", ""},
                    NameCase{"HeaderNotFirst", "N1\r\n%(CIRCLE: D10)\r\n", ""},
                    NameCase{"InitialFieldText", "\xD0\xA2\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82", ""},
                    NameCase{"Empty", "", ""}, NameCase{"WindowsDevice", "%(nul)", "NC_nul"},
                    NameCase{"WindowsDeviceWithDot", "%(COM1.x)", "NC_COM1.x"},
                    NameCase{"NotADevice", "%(COM0)", "COM0"},
                    NameCase{"CutAtMaximumLength", "%(" + std::string(150, 'A') + ")",
                             std::string(kMaxProgramNameLength, 'A')},
                    NameCase{"CutThenTrimmed", "%(" + std::string(kMaxProgramNameLength - 1, 'A') + ":B)",
                             std::string(kMaxProgramNameLength - 1, 'A')}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// Whatever a hand edit puts into the header, the name is safe: only the kept characters, no mark at
// either end, no longer than the limit.
TEST(ProgramBaseName, AnyHeaderGivesSafeName) {
  std::mt19937 random(20080704);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 140);
  for (int i = 0; i < 5000; ++i) {
    std::string header = "%(";
    for (int n = length(random); n > 0; --n) header += static_cast<char>(byte(random));
    const std::string name = ProgramBaseName(header + ")");
    EXPECT_LE(name.size(), kMaxProgramNameLength);
    if (name.empty()) continue;
    for (const char c : name)
      ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == '_')
          << "\"" << name << "\" holds character " << int(static_cast<unsigned char>(c));
    const std::string_view marks = "._-";
    EXPECT_TRUE(marks.find(name.front()) == std::string_view::npos &&
                marks.find(name.back()) == std::string_view::npos)
        << "\"" << name << "\" must neither start nor end with \".\", \"_\" or \"-\"";
  }
}

}  // namespace
}  // namespace kalmoro
