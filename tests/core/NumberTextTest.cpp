#include "nc/NumberText.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <string>

namespace kalmoro {
namespace {

struct StdTextCase {
  double value;
  const char* text;
};

TEST(StdText, FifteenDigitsNoTrailingZerosUpperCaseExponent) {
  const StdTextCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {10, "10"},
      {12.5, "12.5"},
      {-0.35, "-0.35"},
      {0.1 + 0.2, "0.3"},
      {1.5e-16, "1.5E-16"},
      {1e15, "1E+15"},
      {123456789012345.0, "123456789012345"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {2.0 / 3.0, "0.666666666666667"},
      {-4.89858719658941e-16, "-4.89858719658941E-16"},
  };
  for (const auto& c : cases) EXPECT_EQ(StdText(c.value), c.text) << "value " << c.text;
}

struct PatternCase {
  double value;
  std::string rendered;
};

// The pattern "0.000" rounds the decimal digits of the standard text form, not the double itself.
TEST(FormatNumber, ThreeDecimalsHalfAwayFromZeroOnTheStandardText) {
  const PatternCase cases[] = {
      {5, "5.000"},
      {10, "10.000"},
      {-0.35, "-0.350"},
      {4.65, "4.650"},
      {499.5, "499.500"},
      {1.5e-16, "0.000"},
      {-1.5e-16, "-0.000"},  // a negative value rounding to zero keeps its minus
      {-0.0004, "-0.000"},
      {0.0, "0.000"},
      {-0.0, "0.000"},  // an exact zero never
      {0.0005, "0.001"},
      {-0.0005, "-0.001"},
      {2.0625, "2.063"},
      {-2.0625, "-2.063"},
      {9.9995, "10.000"},
      {999.9999, "1000.000"},
      {.5, "0.500"},
      {1e15, "1000000000000000.000"},
      {1.23456789012345e20, "123456789012345000000.000"},
      {0.0004999, "0.000"},
      {1e308, "1" + std::string(308, '0') + ".000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, 3, 3), c.rendered) << "value " << StdText(c.value);
    char careful[kNumberTextMax];
    EXPECT_EQ(std::string(careful, CoordTextCarefulTo(c.value, careful)), c.rendered)
        << "the coordinate words' reference rendering of " << StdText(c.value);
  }
}

TEST(FormatNumber, InfinityAndNaNGiveNoText) {
  for (const double value :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(FormatNumber(value, 3, 3), "") << "value " << StdText(value);
    EXPECT_EQ(FormatNumber(value, 1, 6), "") << "value " << StdText(value);
  }
}

TEST(FormatNumber, ConeFieldPatternsDropTrailingZerosToOneDecimal) {
  EXPECT_EQ(FormatNumber(90.0000000000001, 1, 6), "90.0");
  EXPECT_EQ(FormatNumber(11.4211862749993, 1, 6), "11.421186");
  EXPECT_EQ(FormatNumber(-10.0012890000004, 1, 6), "-10.001289");
  EXPECT_EQ(FormatNumber(10.1745373558, 1, 3), "10.175");
  EXPECT_EQ(FormatNumber(11.7497732, 1, 3), "11.75");
  EXPECT_EQ(FormatNumber(10, 1, 3), "10.0");
  EXPECT_EQ(FormatNumber(0, 1, 6), "0.0");
  EXPECT_EQ(FormatNumber(-218.6009, 1, 3), "-218.601");
}

struct ValueCase {
  const char* text;
  double leading;
};

TEST(LeadingValue, LongestLeadingNumberOrZero) {
  const ValueCase cases[] = {
      {"", 0},         {".", 0},
      {"-", 0},        {"+", 0},
      {"abc", 0},      {"10", 10},
      {"10.", 10},     {".5", 0.5},
      {"010", 10},     {"12a3", 12},
      {"-2.5x", -2.5}, {"+7", 7},
      {"1.2.3", 1.2},  {"10.0005", 10.0005},
      {" 5", 0},       {"-.5", -0.5},
      {"1e5", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingValue(c.text), c.leading) << "text '" << c.text << "'";
}

TEST(LeadingValue, OutOfRangeDigitRunsAreInfiniteOrZeroNeverUndefined) {
  const std::string huge(400, '9');
  EXPECT_EQ(LeadingValue(huge), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingValue("-" + huge), -std::numeric_limits<double>::infinity());
  const std::string tiny = "0." + std::string(400, '0') + "1";
  EXPECT_EQ(LeadingValue(tiny), 0.0);
  EXPECT_EQ(LeadingValue(std::string(100000, '1') + ".5"), std::numeric_limits<double>::infinity());
}

TEST(FullValue, WholeTextMustBeANumber) {
  EXPECT_EQ(FullValue("10"), 10.0);
  EXPECT_EQ(FullValue("-1.5"), -1.5);
  EXPECT_EQ(FullValue("1."), 1.0);
  EXPECT_EQ(FullValue(".25"), 0.25);
  for (const char* text : {"", ".", "-", "1a", "1.2.3", " 1", "1 ", "1,5", "1e5"}) {
    EXPECT_FALSE(FullValue(text).has_value()) << "text '" << text << "'";
  }
  EXPECT_FALSE(FullValue(std::string(400, '9')).has_value());
}

}  // namespace
}  // namespace kalmoro
