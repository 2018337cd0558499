#include "text/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "text/Utf8.h"

namespace kalmoro {
namespace {

// The code point of the byte Windows-1251 leaves undefined.
constexpr char16_t kUndefined = 0xFFFD;

// Bytes 0x80 to 0xFF of Windows-1251 as Unicode code points.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The same table the other way: the defined bytes of the upper half, sorted by code point.
struct CodeByte {
  char16_t code = 0;
  unsigned char byte = 0;
};
constexpr std::array<CodeByte, 127> kByCode = [] {
  std::array<CodeByte, 127> pairs{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
    if (kUpperHalf[i] != kUndefined) pairs[n++] = {kUpperHalf[i], static_cast<unsigned char>(0x80 + i)};
  }
  std::sort(pairs.begin(), pairs.end(), [](CodeByte a, CodeByte b) { return a.code < b.code; });
  return pairs;
}();

// The byte of a code point, or nothing when Windows-1251 cannot hold it.
std::optional<char> ByteOf(char32_t code) {
  if (code < 0x80) return static_cast<char>(code);
  const auto it = std::lower_bound(kByCode.begin(), kByCode.end(), code,
                                   [](CodeByte pair, char32_t c) { return pair.code < c; });
  if (it == kByCode.end() || it->code != code) return std::nullopt;
  return static_cast<char>(it->byte);
}

}  // namespace

std::string DecodeCp1251(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, b < 0x80 ? b : kUpperHalf[b - 0x80]);
  }
  return out;
}

std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar) {
  std::string out;
  out.reserve(utf8.size());  // never longer than its UTF-8 form
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, i);
    const std::optional<char> byte = c.length == 0 ? std::nullopt : ByteOf(c.code);
    if (!byte) {
      if (badChar) *badChar = std::string(utf8.substr(i, c.length == 0 ? 1 : c.length));
      return std::nullopt;
    }
    out += *byte;
    i += c.length;
  }
  return out;
}

}  // namespace kalmoro
