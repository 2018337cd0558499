#include "cli/TerminalText.h"

#include "text/Utf8.h"

namespace kalmoro {
namespace {

// Characters that steer a terminal or the order of the text around them.
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

std::string Escaped(std::string_view text, bool doubleBackslash) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i);
    if (c.length == 0) {
      out += HexEscape("\\x", static_cast<unsigned char>(text[i]), 2);
      ++i;
      continue;
    }
    if (c.code == '\\' && doubleBackslash)
      out += "\\\\";
    else if (IsControl(c.code))
      out += c.code < 0x80 ? HexEscape("\\x", c.code, 2) : HexEscape("\\u", c.code, 4);
    else
      out.append(text.substr(i, c.length));
    i += c.length;
  }
  return out;
}

}  // namespace

std::string Shown(std::string_view text) {
  return Escaped(text, true);
}

std::string ShownEscaped(std::string_view text) {
  return Escaped(text, false);
}

}  // namespace kalmoro
