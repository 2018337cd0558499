#pragma once

#include <string>
#include <string_view>

// The character check of the dimension fields: keeps a field to an optionally signed decimal number
// with "." as the separator, whatever is typed or pasted.
namespace kalmoro {

struct CheckedText {
  std::u16string text;
  int caret = 0;
};

// Keeps the ASCII digits, turns the first "," or "." into "." and drops further ones, keeps one sign
// ("-" or "+", moved to the front) only when sign is true, drops everything else. The caret keeps its
// index, clamped to the new length. text is UTF-16 as a text field holds it; caret counts its units.
CheckedText CheckInputErr(std::u16string_view text, int caret, bool sign);

// The same on 8-bit text (bytes outside ASCII are dropped), for fields held as plain strings.
std::string CheckInputErr(std::string_view text, bool sign);

}  // namespace kalmoro
