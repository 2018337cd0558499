// The programs must not change under a C locale whose decimal separator is a comma, as a desktop with
// Russian regional settings gives once QApplication has called setlocale.

#include <gtest/gtest.h>
#include <clocale>
#include <cstdio>
#include <optional>
#include <string>

#include "holes/ConeHole.h"
#include "holes/JobList.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

class CommaLocale : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The test fixture builds this locale into LOCPATH; without it the test must fail, not skip.
    ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr) << "no ru_RU.UTF-8 locale (LOCPATH?)";
  }
  static void TearDownTestSuite() { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, LocaleReallyUsesAComma) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f", 1.5);
  EXPECT_STREQ(buf, "1,5") << "the test locale must have a decimal comma";
}

TEST_F(CommaLocale, ProgramsKeepTheDecimalPoint) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  const GenResult circle = GenCircle("10.5");
  ASSERT_TRUE(circle.Ok());
  EXPECT_NE(circle.program.find("N3G01X0.000Y5.250\r\n"), std::string::npos) << circle.program;
  EXPECT_EQ(circle.program.find(','), std::string::npos) << circle.program;

  const GenResult rect = GenRect("12.5", "7.25", "1.5");
  ASSERT_TRUE(rect.Ok());
  EXPECT_EQ(rect.program.rfind("%(RECTANGLE: W=12.5:H=7.25:R=1.5)\r\n", 0), 0u) << rect.program;
  EXPECT_EQ(rect.program.find(','), std::string::npos) << rect.program;

  const GenResult cone = GenCone("2", "1", "0.8", "5.72481");
  ASSERT_TRUE(cone.Ok()) << cone.error;
  EXPECT_EQ(cone.program.rfind("%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481)\r\n", 0), 0u) << cone.program;
  EXPECT_EQ(cone.program.find(','), std::string::npos);
}

TEST_F(CommaLocale, NumberTextIgnoresTheLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  EXPECT_EQ(StdText(1.5e-16), "1.5E-16");
  EXPECT_EQ(FormatNumber(11.4211862749993, 1, 6), "11.421186");
  EXPECT_EQ(LeadingValue("2.5"), 2.5);
  EXPECT_EQ(FullValue("0.8"), 0.8);
  EXPECT_FALSE(FullValue("0,8").has_value());
}

// The job page's positions: typed, shown, put on a bolt circle and read back from a job program.
TEST_F(CommaLocale, JobPositionsIgnoreTheLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  EXPECT_EQ(ParsePosition("-12,5"), -12.5);
  EXPECT_EQ(ParsePosition("0.125"), 0.125);
  EXPECT_EQ(PositionText(-63.301), "-63.301");
  JobList list;
  ASSERT_EQ(list.Add(GenCircle("10")), "");
  ASSERT_EQ(list.PlaceOnCircle(0, {"3", "2,5", "90", "0.5", "0"}), "");
  EXPECT_EQ(PositionText(list.Holes()[1].hole.x), "-0.583");
  const GenResult job = list.Generate({});
  ASSERT_TRUE(job.Ok()) << job.error;
  EXPECT_NE(job.program.find("(2: CIRCLE: D10 @ X-0.583 Y-0.625)\r\n"), std::string::npos) << job.program;
  JobList restored;
  ASSERT_EQ(restored.Restore(job.program), std::optional<std::size_t>(0));
  EXPECT_EQ(restored.Generate({}).program, job.program);
}

}  // namespace
}  // namespace kalmoro
