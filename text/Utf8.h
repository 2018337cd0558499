#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one UTF-8 decoder: what the reader, the terminal and the file encoder take a character to be.
namespace kalmoro {

// One decoded character: its code point and its length in bytes. A byte that starts no well-formed
// character (a stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, a cut-off
// sequence) decodes with length 0; the caller steps over that one byte.
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;
};

// The character that starts at byte `at` of the text (at < text.size()).
Utf8Char DecodeUtf8(std::string_view text, std::size_t at);

// Whether the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// The character at `at` as it stands, or "\xNN" for an ASCII control byte or a byte that starts no
// character; `step` gets the bytes taken.
std::string EscapedCharAt(std::string_view text, std::size_t at, std::size_t& step);

// Appends the UTF-8 form of a code point below U+110000.
void AppendUtf8(std::string& out, char32_t code);

// "\xNN" (width 2) or "\uNNNN" (width 4) in upper-case hex.
std::string HexEscape(const char* prefix, unsigned value, int width);

}  // namespace kalmoro
