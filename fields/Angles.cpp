#include "fields/Angles.h"

#include <cmath>

namespace kalmoro {

// Division first, so that 180 degrees gives exactly kPi15 and kPi15 exactly 180.
double Gr2Rad(double degrees) {
  return degrees / 180.0 * kPi15;
}

double Rad2Gr(double radians) {
  return radians / kPi15 * 180.0;
}

double ACos(double x) {
  if (x == 1.0) return 0.0;
  if (x == -1.0) return kPi15;
  // sqrt of a negative (|x| > 1) or any other non-finite step gives 0, as a failed step does.
  const double root = std::sqrt(1.0 - x * x);
  if (!(root > 0.0)) return 0.0;
  const double quotient = x / root;
  if (!std::isfinite(quotient)) return 0.0;
  return kPi15 / 2.0 - std::atan(quotient);
}

}  // namespace kalmoro
