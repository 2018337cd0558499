#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number text without locales: every conversion between doubles and text in the project goes through
// here, so that a desktop with a decimal comma never changes a digit of a program.
namespace kalmoro {

// The decimal separator the writer renders with. Programs for the machine always use the point; the
// comma is kept as a writer capability.
struct NumberFormat {
  char decimalSep = '.';
};
inline constexpr NumberFormat kPointFormat{'.'};
inline constexpr NumberFormat kCommaFormat{','};

// Standard text form: at most 15 significant digits, trailing zeros dropped, exponent form as
// "1.5E-16" / "1E+15" where the shortest general form uses it; zero (negative zero too) is "0".
// Infinity and NaN give "inf", "-inf", "nan".
std::string StdText(double value, char decimalSep = '.');

// Renders the number a standard-form text holds with the given decimals: rounded half away from zero
// on the decimal digits of the text, at least one digit before the separator, no grouping, between
// minDecimals and maxDecimals digits after it (trailing zeros beyond minDecimals dropped). A negative
// value that rounds to zero keeps its minus; an exact zero has none. Returns "" for a text that is
// not such a number.
std::string FormatPattern(std::string_view text, int minDecimals, int maxDecimals, char decimalSep = '.');

// Pattern "0.000" of every NC coordinate.
std::string Formating(std::string_view text, char decimalSep = '.');

// A double through its standard text form and then a pattern.
std::string FormatNumber(double value, int minDecimals, int maxDecimals, char decimalSep = '.');

// Leading-number value: the longest leading part "[sign]digits[.digits]" of the text, "." as the
// decimal point; 0 when there is none. Never fails: a run of digits beyond the range of a double
// gives an infinity of its sign, one below the smallest double a zero.
double LeadingValue(std::string_view text);

// Full conversion: the whole text must be "[sign]digits[.digits]" (or "digits." / ".digits") with "."
// as the decimal point; otherwise, or beyond the range of a double, there is no value.
std::optional<double> FullValue(std::string_view text);

}  // namespace kalmoro
