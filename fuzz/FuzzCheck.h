#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: a property that does not hold prints what must hold and aborts, which
// libFuzzer reports as a finding together with the input that led to it.
namespace kalmoro::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Bytes shown with C escapes, at most limit of them, for a failure message.
inline std::string Escaped(std::string_view text, std::size_t limit = 2000) {
  std::string out;
  constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\\') {
      out += "\\\\";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\n') {
      out += "\\n\n";  // line by line, for programs
    } else if (b < 0x20 || b >= 0x7F) {
      out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
    } else {
      out += static_cast<char>(b);
    }
  }
  if (text.size() > limit) out += "… (" + std::to_string(text.size()) + " bytes)";
  return out;
}

[[noreturn]] inline void Fail(std::string_view what, std::string_view detail = {}) {
  std::fprintf(stderr, "\n*** must hold: %.*s\n", static_cast<int>(what.size()), what.data());
  if (!detail.empty()) std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void Require(bool ok, std::string_view what) {
  if (!ok) Fail(what);
}

// The fields of an input "text|text|…": n of them, missing ones empty, the last one taking the rest.
inline std::vector<std::string> Fields(std::string_view input, std::size_t n) {
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t end = i + 1 == n ? input.size() : std::min(input.find('|'), input.size());
    fields.emplace_back(input.substr(0, end));
    input.remove_prefix(std::min(end + 1, input.size()));
  }
  return fields;
}

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
inline bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    unsigned cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + n >= text.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    if ((n == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += n + 1;
  }
  return true;
}

}  // namespace kalmoro::fuzz
