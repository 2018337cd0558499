// Fast against careful rendering of coordinate words: CoordTextTo gives the same text as the two-step
// rule CoordTextCarefulTo for every double. The input is read two ways: each 8 bytes as a double, and
// the leading decimal text as a number whose neighbours and nearest half-way points of three decimals
// (and their neighbours, a few units in the last place away) are tried too.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

std::string Hex(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  char buf[17];
  const auto end = std::to_chars(buf, buf + sizeof buf, bits, 16).ptr;
  return "0x" + std::string(buf, end);
}

// Both renderings of value and of -value; a finite value gives "[-]digits.ddd", another none.
void Same(double value) {
  for (const double v : {value, -value}) {
    char fast[kNumberTextMax];
    char careful[kNumberTextMax];
    const std::string_view a(fast, CoordTextTo(v, fast));
    const std::string_view b(careful, CoordTextCarefulTo(v, careful));
    const std::string label = "double " + StdText(v) + " (bits " + Hex(v) + "): fast \"" + std::string(a) +
                              "\", careful \"" + std::string(b) + "\"";
    if (a != b) Fail("the fast rendering of a coordinate is the careful one", label);
    if (!std::isfinite(v)) {
      if (!a.empty()) Fail("infinity and NaN give no coordinate text", label);
      continue;
    }
    const std::size_t point = a.size() >= 5 ? a.size() - 4 : 0;
    bool ok = point > (a[0] == '-' ? 1u : 0u) && a[point] == '.';
    for (std::size_t i = a[0] == '-' ? 1 : 0; ok && i < a.size(); ++i) ok = i == point || IsDigit(a[i]);
    if (!ok || (a[0] == '-') != (v < 0))
      Fail("a coordinate is \"[-]digits.ddd\", with a minus exactly for a negative value", label);
  }
}

// value and its neighbours up to three units in the last place either way.
void AndNeighbours(double value) {
  double down = value;
  double up = value;
  Same(value);
  for (int i = 0; i < 3; ++i) {
    down = std::nextafter(down, -INFINITY);
    up = std::nextafter(up, INFINITY);
    Same(down);
    Same(up);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data + at, sizeof value);
    Same(value);
  }
  const std::string_view text = AsText(data, size);
  double value = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || !std::isfinite(value)) return 0;
  AndNeighbours(value);
  const double thousandths = std::floor(std::fabs(value) * 1000.0);
  if (thousandths < 1e13) {
    for (const double k : {thousandths - 1, thousandths, thousandths + 1}) AndNeighbours((k + 0.5) / 1000.0);
  }
  return 0;
}
