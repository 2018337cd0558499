#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Number text without locales: every conversion between doubles and text in the project goes through
// here, so that a desktop with a decimal comma never changes a digit of a program. The decimal
// separator is always ".".
namespace kalmoro {

// Room for any text these functions write into a caller's buffer: the pattern of the largest double
// (309 integer digits), the largest text exponent accepted (400 integer digits) and up to 20 decimals.
inline constexpr std::size_t kNumberTextMax = 440;

// Standard text form: at most 15 significant digits, trailing zeros dropped, exponent form as
// "1.5E-16" / "1E+15" where the shortest general form uses it; zero (negative zero too) is "0".
// Infinity and NaN give "inf", "-inf", "nan".
std::string StdText(double value);

// A double rendered with the given decimals (at most 20): its standard text form (StdText), rounded
// half away from zero on the decimal digits of that text, at least one digit before the point, no
// grouping, between minDecimals and maxDecimals digits after it (trailing zeros beyond minDecimals
// dropped). A negative value that rounds to zero keeps its minus; zero has none. Infinity and NaN, and
// decimals out of range, give "".
std::string FormatNumber(double value, int minDecimals, int maxDecimals);

// A coordinate word's number, the pattern "0.000" of every NC coordinate ("Formating"):
// FormatNumber(value, 3, 3) written into out (kNumberTextMax chars) without touching the heap; returns
// the length. Values below 1e6 in magnitude that are not within a hair of a half-way point are rounded
// directly from value * 1000, which gives the same digits as the two steps (see CoordTextCarefulTo); all
// others take the two steps.
std::size_t CoordTextTo(double value, char* out);

// The reference for CoordTextTo, which tests compare it with: the standard text form, then the pattern
// "0.000", step by step.
std::size_t CoordTextCarefulTo(double value, char* out);

// Leading-number value: the longest leading part "[sign]digits[.digits]" of the text, "." as the
// decimal point; 0 when there is none. Never fails: a run of digits beyond the range of a double
// gives an infinity of its sign, one below the smallest double a zero.
double LeadingValue(std::string_view text);

// Full conversion: the whole text must be "[sign]digits[.digits]" (or "digits." / ".digits") with "."
// as the decimal point; otherwise, or beyond the range of a double, there is no value.
std::optional<double> FullValue(std::string_view text);

}  // namespace kalmoro
