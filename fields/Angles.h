#pragma once

namespace kalmoro {

// The 15-digit value of pi the cone computations use (not the double nearest to pi).
inline constexpr double kPi15 = 3.14159265358979;

double Gr2Rad(double degrees);
double Rad2Gr(double radians);
// Arc cosine through the arctangent; 0 for |x| > 1, kPi15 for -1.
double ACos(double x);

}  // namespace kalmoro
