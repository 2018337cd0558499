// The leading-number value and the full conversion on any text: neither crashes or gives a NaN; where
// the full conversion has a value the leading number is that value; on a text as the field check leaves
// it, the full conversion has a value whenever the text holds a digit and the number is within range,
// and text after the number does not change the leading value. The decimal patterns of any double give
// nothing for an infinity or NaN, otherwise "[-]digits[.digits]" with the decimals asked for.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "fields/FieldCheck.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

bool SameDouble(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void Agree(std::string_view text) {
  const double leading = LeadingValue(text);
  const std::optional<double> full = FullValue(text);
  const std::string label = "text \"" + Escaped(text) + "\", leading " + StdText(leading);
  if (std::isnan(leading)) Fail("the leading-number value is a number", label);
  if (full && (!std::isfinite(*full) || !SameDouble(*full, leading)))
    Fail("a text's full conversion, when it has one, is finite and its leading-number value", label);
}

// FormatNumber of any double: nothing for an infinity or NaN, otherwise an optional minus, digits, and
// minDecimals to maxDecimals decimals after a point.
void Pattern(double value, int minDecimals, int maxDecimals) {
  const std::string out = FormatNumber(value, minDecimals, maxDecimals);
  if (out.empty() != !std::isfinite(value))
    Fail("a number pattern gives a text exactly for a finite value", "value " + StdText(value));
  if (out.empty()) return;
  const std::size_t point = out.find('.');
  const std::size_t decimals = point == std::string::npos ? 0 : out.size() - point - 1;
  const std::size_t from = out[0] == '-' ? 1 : 0;
  bool ok = decimals >= static_cast<std::size_t>(minDecimals) &&
            decimals <= static_cast<std::size_t>(maxDecimals) &&
            (point == std::string::npos ? out.size() : point) > from;
  for (std::size_t i = from; ok && i < out.size(); ++i) ok = i == point || IsDigit(out[i]);
  if (!ok)
    Fail("a number pattern gives \"[-]digits[.digits]\" with the decimals asked for",
         "value " + StdText(value) + ", " + std::to_string(minDecimals) + " to " +
             std::to_string(maxDecimals) + " decimals: \"" + out + "\"");
}

// The patterns of the text's leading number and, for eight bytes or more, of the first eight as a double.
void Patterns(std::string_view input) {
  std::vector<double> values{LeadingValue(input)};
  if (input.size() >= sizeof(double)) {
    double bits = 0;
    std::memcpy(&bits, input.data(), sizeof bits);
    values.push_back(bits);
  }
  for (const double value : values) {
    Pattern(value, 3, 3);
    Pattern(value, 1, 6);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);
  Agree(input);
  Patterns(input);
  const std::string clean = CheckInputErr(input, true);
  Agree(clean);
  const double leading = LeadingValue(clean);
  const bool digit = clean.find_first_of("0123456789") != std::string::npos;
  const std::string label = "clean text \"" + Escaped(clean) + "\", leading " + StdText(leading);
  if (FullValue(clean).has_value() != (digit && std::isfinite(leading)))
    Fail("a clean text has a full value exactly when it holds a digit and is within range", label);
  if (!digit && !SameDouble(leading, 0.0)) Fail("a text without a number reads as 0", label);
  for (const char* after : {"x", "-", "e9", " 5", ",5"}) {
    const std::string longer = clean + after;
    if (!SameDouble(LeadingValue(longer), leading))
      Fail("text after the number leaves the leading value as it is", label + ", then \"" + after + "\"");
    if (FullValue(longer)) Fail("a text with more than a number has no full value", label + " then " + after);
  }
  return 0;
}
