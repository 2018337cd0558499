#include "nc/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace kalmoro {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

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

std::string StdText(double value, char decimalSep) {
  if (value == 0.0) return "0";
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string text(buf, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
    if (c == '.') c = decimalSep;
  }
  return text;
}

std::string FormatPattern(std::string_view text, int minDecimals, int maxDecimals, char decimalSep) {
  // Mantissa digits and the position of the decimal point among them.
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string digits;
  long long pointPos = 0;
  bool sawSep = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits += c;
      if (!sawSep) ++pointPos;
    } else if (c == decimalSep && !sawSep) {
      sawSep = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return {};
  if (i < text.size()) {
    if (text[i] != 'E' && text[i] != 'e') return {};
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
      expNegative = text[i] == '-';
      ++i;
    }
    if (i == text.size()) return {};
    long long exponent = 0;
    for (; i < text.size(); ++i) {
      if (!IsDigit(text[i])) return {};
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    pointPos += expNegative ? -exponent : exponent;
  }
  // Nothing a double can hold lies this far before the point.
  if (pointPos > 400) return {};

  const bool exactZero = digits.find_first_not_of('0') == std::string::npos;
  std::string intPart;
  std::string fracPart;
  const long long limit = maxDecimals + 2;
  if (pointPos <= 0) {
    // Digits that start beyond the first kept decimal and the rounding digit round to zero.
    if (-pointPos < limit) fracPart = std::string(static_cast<std::size_t>(-pointPos), '0') + digits;
  } else if (pointPos >= static_cast<long long>(digits.size())) {
    intPart = digits + std::string(static_cast<std::size_t>(pointPos) - digits.size(), '0');
  } else {
    intPart = digits.substr(0, static_cast<std::size_t>(pointPos));
    fracPart = digits.substr(static_cast<std::size_t>(pointPos));
  }
  const auto keep = static_cast<std::size_t>(maxDecimals);
  if (fracPart.size() < keep + 1) fracPart.resize(keep + 1, '0');
  const bool roundUp = fracPart[keep] >= '5';
  std::string kept = intPart + fracPart.substr(0, keep);
  if (roundUp) {
    std::size_t k = kept.size();
    while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
    if (k == 0) {
      kept.insert(kept.begin(), '1');
      intPart.insert(intPart.begin(), '0');  // one more integer digit
    } else {
      ++kept[k - 1];
    }
  }
  std::string whole = kept.substr(0, intPart.size());
  std::string decimals = kept.substr(intPart.size());
  const std::size_t firstNonZero = whole.find_first_not_of('0');
  whole = firstNonZero == std::string::npos ? "0" : whole.substr(firstNonZero);
  while (static_cast<int>(decimals.size()) > minDecimals && decimals.back() == '0') decimals.pop_back();

  std::string out;
  if (negative && !exactZero) out += '-';
  out += whole;
  if (!decimals.empty()) {
    out += decimalSep;
    out += decimals;
  }
  return out;
}

std::string Formating(std::string_view text, char decimalSep) {
  return FormatPattern(text, 3, 3, decimalSep);
}

std::string FormatNumber(double value, int minDecimals, int maxDecimals, char decimalSep) {
  return FormatPattern(StdText(value, decimalSep), minDecimals, maxDecimals, decimalSep);
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
