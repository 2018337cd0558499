#include "cli/TerminalText.h"

#include <algorithm>
#include <charconv>

namespace kalmoro {
namespace {

std::string Hex(const char* prefix, unsigned value, int width) {
  char buf[8];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, 16);
  std::string digits(buf, result.ptr);
  for (char& c : digits) c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
  return prefix +
         std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0') +
         digits;
}

// Characters that steer a terminal or the order of the text around them.
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string Shown(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t len = lead < 0x80   ? 1
                            : lead < 0xC2 ? 0
                            : lead < 0xE0 ? 2
                            : lead < 0xF0 ? 3
                            : lead < 0xF5 ? 4
                                          : 0;
    char32_t c = len == 1 ? lead : lead & (0x7F >> len);
    bool valid = len > 0 && i + len <= text.size();
    for (std::size_t k = 1; valid && k < len; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
    valid = valid && !(len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) &&
            !(len == 4 && (c < 0x10000 || c > 0x10FFFF));
    if (!valid) {
      out += Hex("\\x", lead, 2);
      ++i;
      continue;
    }
    if (c == '\\')
      out += "\\\\";
    else if (IsControl(c))
      out += c < 0x80 ? Hex("\\x", c, 2) : Hex("\\u", c, 4);
    else
      out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

}  // namespace kalmoro
