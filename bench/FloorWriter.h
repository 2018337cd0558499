#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

// The floor every program is measured against: numbers of the size of a large cone's coordinates,
// each formatted with std::to_chars to three decimals into one buffer.
namespace kalmoro::bench {

// count coordinates of a circle of the given radius, as a contour's X, Y, U, V words would be.
inline std::vector<double> CoordinateSample(std::size_t count, double radius) {
  std::vector<double> values(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double a = static_cast<double>(i) * 1.5707963267949 / static_cast<double>(count);
    values[i] = (i % 4 < 2 ? radius : 1e-3 * radius) * (i % 2 ? std::sin(a) : -std::cos(a));
  }
  return values;
}

// Each value as a word: a letter, the number with three decimals, and a line end every fourth word.
inline void FormatInto(const std::vector<double>& values, std::string& out) {
  out.resize(values.size() * 24);
  char* o = out.data();
  char* const end = o + out.size();
  for (std::size_t i = 0; i < values.size(); ++i) {
    *o++ = 'X';
    o = std::to_chars(o, end, values[i], std::chars_format::fixed, 3).ptr;
    if (i % 4 == 3) {
      *o++ = '\r';
      *o++ = '\n';
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

}  // namespace kalmoro::bench
