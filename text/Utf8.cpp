#include "text/Utf8.h"

#include <algorithm>
#include <charconv>

#include "text/Ascii.h"

namespace kalmoro {

Utf8Char DecodeUtf8(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || at + length > text.size()) return {};
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return {};
    code = code << 6 | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no characters.
  if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
      (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
    return {};
  return {code, length};
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i);
    if (c.length == 0) return false;
    i += c.length;
  }
  return true;
}

std::string HexEscape(const char* prefix, unsigned value, int width) {
  char buf[8];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, 16);
  std::string digits(buf, result.ptr);
  for (char& c : digits) c = Upper(c);
  return prefix +
         std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0') +
         digits;
}

std::string EscapedCharAt(std::string_view text, std::size_t at, std::size_t& step) {
  const Utf8Char c = DecodeUtf8(text, at);
  if (c.length == 0 || c.code < 0x20 || c.code == 0x7F) {
    step = 1;
    return HexEscape("\\x", static_cast<unsigned char>(text[at]), 2);
  }
  step = c.length;
  return std::string(text.substr(at, c.length));
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace kalmoro
