// Coordinate words: the direct rounding must give the digits of the two-step rule (standard text form,
// then the pattern "0.000") for every double.

#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

std::string Fast(double value) {
  char buf[kNumberTextMax];
  return std::string(buf, CoordTextTo(value, buf));
}

std::string Careful(double value) {
  char buf[kNumberTextMax];
  return std::string(buf, CoordTextCarefulTo(value, buf));
}

// Counts values where the two disagree, reporting the first few.
class Agreement {
 public:
  void Check(double value) {
    ++m_checked;
    const std::string fast = Fast(value);
    const std::string careful = Careful(value);
    if (fast == careful) return;
    if (++m_mismatches <= 5) {
      ADD_FAILURE() << "value " << StdText(value) << " (" << std::hexfloat << value << std::defaultfloat
                    << "): fast \"" << fast << "\", two-step \"" << careful << "\"";
    }
  }
  long Mismatches() const { return m_mismatches; }
  long Checked() const { return m_checked; }

 private:
  long m_mismatches = 0;
  long m_checked = 0;
};

struct CoordCase {
  double value;
  const char* text;
};

TEST(CoordText, RoundingRules) {
  const double max = std::numeric_limits<double>::max();
  const CoordCase cases[] = {
      {-0.0, "0.000"},
      {-1e-16, "-0.000"},  // a negative value rounding to zero keeps its minus
      {0.0005, "0.001"},
      {2.0625, "2.063"},
      {-2.0625, "-2.063"},
      {1.0005, "1.001"},  // half-way is decided on the 15-digit text, not on the binary value
      {4.65, "4.650"},
      {434849.99999999994, "434850.000"},
      {999999.9995, "1000000.000"},
      {std::numeric_limits<double>::denorm_min(), "0.000"},
      {-std::numeric_limits<double>::denorm_min(), "-0.000"},
      {1e21, "1000000000000000000000.000"},
      {std::numeric_limits<double>::infinity(), ""},
      {std::numeric_limits<double>::quiet_NaN(), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Careful(c.value), c.text) << "two-step rule for " << StdText(c.value);
    EXPECT_EQ(Fast(c.value), c.text) << "fast path for " << StdText(c.value);
  }
  const std::string largest = Careful(max);
  EXPECT_EQ(largest.size(), 309u + 4u) << "the largest double has 309 integer digits";
  EXPECT_EQ(Fast(-max), "-" + largest);
}

TEST(CoordText, FastPathAgreesWithTheTwoStepRuleOnEveryKindOfDouble) {
  Agreement agreement;
  const auto both = [&](double v) {
    agreement.Check(v);
    agreement.Check(-v);
  };
  // Next to every half-way point of three decimals up to 1000 mm, and just outside the guard band.
  for (long k = 0; k < 1000000; ++k) {
    const double half = (static_cast<double>(k) + 0.5) / 1000.0;
    both(half);
    both(std::nextafter(half, 0.0));
    both(std::nextafter(half, 1e9));
    both((static_cast<double>(k) + 0.5 + 1.001e-5) / 1000.0);
    both((static_cast<double>(k) + 0.5 - 1.001e-5) / 1000.0);
  }
  std::mt19937_64 random(20261208);
  // Half-way points and their neighbours at larger magnitudes, up to 1e7.
  std::uniform_int_distribution<long long> thousandths(0, 10'000'000'000LL);
  for (int n = 0; n < 300000; ++n) {
    const double half = (static_cast<double>(thousandths(random)) + 0.5) / 1000.0;
    for (int step = -3; step <= 3; ++step) {
      double v = half;
      for (int s = 0; s < std::abs(step); ++s) v = std::nextafter(v, step < 0 ? 0.0 : 1e300);
      both(v);
    }
  }
  // Magnitudes from 1e-4 to 1e7, evenly in the exponent.
  std::uniform_real_distribution<double> exponent(-4.0, 7.0);
  for (int n = 0; n < 1000000; ++n) both(std::pow(10.0, exponent(random)));
  // Any bit pattern: subnormals, huge values, infinities and NaNs included.
  for (int n = 0; n < 1000000; ++n) {
    const std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    agreement.Check(v);
  }
  for (const double v : {0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                         std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity()}) {
    both(v);
  }
  EXPECT_EQ(agreement.Mismatches(), 0) << "of " << agreement.Checked() << " doubles";
  EXPECT_GT(agreement.Checked(), 14'000'000);
}

}  // namespace
}  // namespace kalmoro
