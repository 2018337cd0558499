#include "fields/Angles.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

struct AngleCase {
  const char* name;
  double (*fn)(double);
  double arg;
  double expected;
};

// Exact values: the helpers use the 15-digit pi, not the double nearest to pi.
TEST(AnglesTest, ExactValues) {
  const AngleCase cases[] = {
      {"Gr2Rad(180)", Gr2Rad, 180.0, 3.14159265358979},
      {"Gr2Rad(-90)", Gr2Rad, -90.0, -1.570796326794895},
      {"Rad2Gr(pi15)", Rad2Gr, 3.14159265358979, 180.0},
      {"Rad2Gr(pi15/2)", Rad2Gr, 1.570796326794895, 90.0},
      {"ACos(0)", ACos, 0.0, 1.570796326794895},
      {"ACos(1)", ACos, 1.0, 0.0},
      {"ACos(-1)", ACos, -1.0, 3.14159265358979},
      {"ACos(1.5)", ACos, 1.5, 0.0},
      {"ACos(-1.0000001)", ACos, -1.0000001, 0.0},
      {"ACos(NaN)", ACos, std::numeric_limits<double>::quiet_NaN(), 0.0},
  };
  for (const AngleCase& c : cases) {
    EXPECT_EQ(c.fn(c.arg), c.expected) << c.name;
  }
}

// Inside the range the arctangent form is the arc cosine, up to the 15-digit pi.
TEST(AnglesTest, ACosMatchesArcCosine) {
  for (double x = -0.999; x <= 0.999; x += 0.037) {
    EXPECT_NEAR(ACos(x), std::acos(x), 1e-13) << "x = " << StdText(x);
  }
}

}  // namespace
}  // namespace kalmoro
