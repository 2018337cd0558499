#include "nc/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

#include "text/Ascii.h"

namespace kalmoro {
namespace {

// "[sign]digits[.digits]" at the start of text. Both digit runs may be empty.
struct DecimalSpan {
  std::size_t length = 0;
  bool negative = false;
  std::string_view intDigits;
  std::string_view fracDigits;
  bool HasDigits() const { return !intDigits.empty() || !fracDigits.empty(); }
};

DecimalSpan ScanDecimal(std::string_view text) {
  DecimalSpan span;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    span.negative = text[i] == '-';
    ++i;
  }
  const std::size_t intStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  span.intDigits = text.substr(intStart, i - intStart);
  std::size_t end = i;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fracStart = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    span.fracDigits = text.substr(fracStart, i - fracStart);
    // A point counts as part of the number only next to a digit.
    if (!span.intDigits.empty() || !span.fracDigits.empty()) end = i;
  }
  span.length = span.HasDigits() ? end : 0;
  return span;
}

// The value of a scanned span; an infinity for digits beyond the range of a double, a zero below it.
double SpanValue(const DecimalSpan& span) {
  std::string canon;
  canon.reserve(span.intDigits.size() + span.fracDigits.size() + 3);
  if (span.negative) canon += '-';
  canon += span.intDigits.empty() ? std::string_view("0") : span.intDigits;
  if (!span.fracDigits.empty()) {
    canon += '.';
    canon += span.fracDigits;
  }
  double value = 0.0;
  const auto result =
      std::from_chars(canon.data(), canon.data() + canon.size(), value, std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    const bool large = span.intDigits.find_first_not_of('0') != std::string_view::npos;
    value = large ? HUGE_VAL : 0.0;
    if (span.negative) value = -value;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return value;
}

}  // namespace

namespace {

// StdText into out (at least 32 chars); returns the length.
std::size_t StdTextTo(double value, char* out) {
  if (value == 0.0) {
    out[0] = '0';
    return 1;
  }
  const auto result = std::to_chars(out, out + 32, value, std::chars_format::general, 15);
  for (char* c = out; c != result.ptr; ++c) {
    if (*c == 'e') *c = 'E';
  }
  return static_cast<std::size_t>(result.ptr - out);
}

constexpr int kMaxDecimals = 20;
// Nothing a double can hold lies further before the point.
constexpr long long kMaxIntegerDigits = 400;

// The digits of a decimal mantissa "ddd.ddd" read one by one, the point skipped.
class MantissaDigits {
 public:
  MantissaDigits(std::string_view digits, std::size_t pointAt) : m_digits(digits), m_pointAt(pointAt) {}
  std::size_t Count() const { return m_digits.size() - (m_pointAt < m_digits.size() ? 1 : 0); }
  // The k-th digit, '0' beyond either end.
  char At(long long k) const {
    if (k < 0 || k >= static_cast<long long>(Count())) return '0';
    const auto i = static_cast<std::size_t>(k);
    return m_digits[i < m_pointAt ? i : i + 1];
  }

 private:
  std::string_view m_digits;
  std::size_t m_pointAt;
};

// Renders the number a standard-form text holds with the given decimals (at most 20) into out
// (kNumberTextMax chars): rounded half away from zero on the decimal digits of the text, at least one
// digit before the point, no grouping, between minDecimals and maxDecimals digits after it (trailing
// zeros beyond minDecimals dropped). A negative value that rounds to zero keeps its minus; an exact zero
// has none. Returns the length written, 0 for a text that is not such a number.
std::size_t FormatPatternTo(std::string_view text, int minDecimals, int maxDecimals, char* out) {
  if (maxDecimals < 0 || maxDecimals > kMaxDecimals || minDecimals > maxDecimals) return 0;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  // The mantissa: digits with at most one point among them.
  const std::size_t mantissaStart = i;
  std::size_t pointAt = std::string_view::npos;
  std::size_t digitCount = 0;
  bool nonZero = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digitCount;
      nonZero = nonZero || c != '0';
    } else if (c == '.' && pointAt == std::string_view::npos) {
      pointAt = i - mantissaStart;
    } else {
      break;
    }
  }
  if (digitCount == 0) return 0;
  const std::string_view mantissa = text.substr(mantissaStart, i - mantissaStart);
  long long pointPos = static_cast<long long>(pointAt == std::string_view::npos ? digitCount : pointAt);
  if (i < text.size()) {
    if (text[i] != 'E' && text[i] != 'e') return 0;
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
      expNegative = text[i] == '-';
      ++i;
    }
    if (i == text.size()) return 0;
    long long exponent = 0;
    for (; i < text.size(); ++i) {
      if (!IsDigit(text[i])) return 0;
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    pointPos += expNegative ? -exponent : exponent;
  }
  if (pointPos > kMaxIntegerDigits) return 0;
  const MantissaDigits digit(mantissa, pointAt == std::string_view::npos ? mantissa.size() : pointAt);

  // Kept digits: the integer part and maxDecimals decimals, with one slot in front for a carry.
  const long long intCount = pointPos > 0 ? pointPos : 0;
  char kept[kMaxIntegerDigits + kMaxDecimals + 1];
  const long long keptCount = 1 + intCount + maxDecimals;
  kept[0] = '0';
  const long long first = pointPos - intCount;  // the mantissa digit in the first integer slot
  for (long long k = 1; k < keptCount; ++k) kept[k] = digit.At(first + k - 1);
  if (digit.At(first + keptCount - 1) >= '5') {
    long long k = keptCount - 1;
    while (kept[k] == '9') kept[k--] = '0';
    ++kept[k];
  }

  // Leading zeros of the integer part go, down to one digit; trailing decimal zeros down to minDecimals.
  long long from = 0;
  while (from < intCount && kept[from] == '0') ++from;
  long long decimals = maxDecimals;
  while (decimals > minDecimals && kept[keptCount - (maxDecimals - decimals) - 1] == '0') --decimals;
  char* o = out;
  if (negative && nonZero) *o++ = '-';
  for (long long k = from; k <= intCount; ++k) *o++ = kept[k];
  if (decimals > 0) {
    *o++ = '.';
    for (long long k = 0; k < decimals; ++k) *o++ = kept[1 + intCount + k];
  }
  return static_cast<std::size_t>(o - out);
}

}  // namespace

std::string StdText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buf[32];
  return std::string(buf, StdTextTo(value, buf));
}

std::string FormatNumber(double value, int minDecimals, int maxDecimals) {
  char buf[kNumberTextMax];
  return std::string(buf, FormatPatternTo(StdText(value), minDecimals, maxDecimals, buf));
}

std::size_t CoordTextCarefulTo(double value, char* out) {
  if (!std::isfinite(value)) return 0;  // "inf" and "nan" are no numbers to the pattern
  char standard[32];
  return FormatPatternTo(std::string_view(standard, StdTextTo(value, standard)), 3, 3, out);
}

std::size_t CoordTextTo(double value, char* out) {
  // Below 1e6 the standard form keeps at least nine decimals, so it lies within 0.5e-9 of value, and
  // value * 1000 is computed within 6e-8 of its true product: apart from a hair around a half-way
  // point, both round to the same thousandth.
  constexpr double kDirectLimit = 1e6;
  constexpr double kHalfWayGuard = 1e-5;  // in thousandths
  const double magnitude = std::fabs(value);
  if (magnitude < kDirectLimit) {
    const double scaled = magnitude * 1000.0;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact
    if (std::fabs(fraction - 0.5) > kHalfWayGuard) {
      auto thousandths = static_cast<unsigned long long>(whole) + (fraction > 0.5 ? 1 : 0);
      char* o = out;
      if (value < 0) *o++ = '-';  // a negative value that rounds to zero keeps its minus
      char digits[16];
      const auto end = std::to_chars(digits, digits + sizeof digits, thousandths / 1000).ptr;
      for (const char* d = digits; d != end; ++d) *o++ = *d;
      thousandths %= 1000;
      *o++ = '.';
      *o++ = static_cast<char>('0' + thousandths / 100);
      *o++ = static_cast<char>('0' + thousandths / 10 % 10);
      *o++ = static_cast<char>('0' + thousandths % 10);
      return static_cast<std::size_t>(o - out);
    }
  }
  return CoordTextCarefulTo(value, out);
}

double LeadingValue(std::string_view text) {
  const DecimalSpan span = ScanDecimal(text);
  return span.HasDigits() ? SpanValue(span) : 0.0;
}

std::optional<double> FullValue(std::string_view text) {
  const DecimalSpan span = ScanDecimal(text);
  if (!span.HasDigits() || span.length != text.size()) return std::nullopt;
  const double value = SpanValue(span);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace kalmoro
