#pragma once

#include <string_view>

// ASCII character classes that never depend on the C locale (unlike <cctype>, which QApplication's
// setlocale changes).
namespace kalmoro {

// A blank between words: space or tab.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The ASCII letter in upper case; any other byte as it is.
constexpr char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsLetter(char c) {
  return Upper(c) >= 'A' && Upper(c) <= 'Z';
}

// The text without the blanks at either end.
constexpr std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace kalmoro
