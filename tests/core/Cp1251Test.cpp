#include "text/Cp1251.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

#include "text/Utf8.h"

namespace kalmoro {
namespace {

// The byte Windows-1251 leaves undefined, and what it decodes to: U+FFFD.
constexpr unsigned kUndefinedByte = 0x98;
const std::string kReplacement = "\xEF\xBF\xBD";

std::string Hex(unsigned byte) {
  return HexEscape("0x", byte, 2);
}

TEST(Cp1251, EveryDefinedByteDecodesToACharacterThatEncodesBackToIt) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string decoded = DecodeCp1251(std::string(1, static_cast<char>(byte)));
    ASSERT_TRUE(IsValidUtf8(decoded)) << "byte " << Hex(byte) << " decodes to well-formed UTF-8";
    ASSERT_EQ(DecodeUtf8(decoded, 0).length, decoded.size()) << "byte " << Hex(byte) << " is one character";
    std::string bad;
    const auto encoded = EncodeCp1251(decoded, &bad);
    if (byte == kUndefinedByte) {
      EXPECT_EQ(decoded, kReplacement) << "the undefined byte 0x98 decodes to U+FFFD";
      EXPECT_FALSE(encoded.has_value()) << "U+FFFD has no byte in Windows-1251";
      EXPECT_EQ(bad, kReplacement);
    } else {
      EXPECT_EQ(encoded, std::string(1, static_cast<char>(byte)))
          << "byte " << Hex(byte) << " decodes to \"" << decoded << "\", which must encode back to it";
    }
  }
}

TEST(Cp1251, TwoHundredFiftyFiveBytesDecodeToAsManyCharacters) {
  std::set<std::string> characters;
  for (unsigned byte = 0; byte < 256; ++byte)
    if (byte != kUndefinedByte) characters.insert(DecodeCp1251(std::string(1, static_cast<char>(byte))));
  EXPECT_EQ(characters.size(), 255u) << "no two bytes decode to the same character";
  EXPECT_EQ(characters.count(kReplacement), 0u);
}

TEST(Cp1251, EveryCharacterOutsideTheCodePageIsRefusedAndNamed) {
  std::set<char32_t> inCodePage;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string decoded = DecodeCp1251(std::string(1, static_cast<char>(byte)));
    if (byte != kUndefinedByte) inCodePage.insert(DecodeUtf8(decoded, 0).code);
  }
  int refused = 0;
  for (char32_t code = 0; code < 0x110000; ++code) {
    if ((code >= 0xD800 && code <= 0xDFFF) || inCodePage.count(code) != 0) continue;
    std::string character;
    AppendUtf8(character, code);
    std::string bad;
    const std::string text = "N1G60 (" + character + ")";
    ASSERT_FALSE(EncodeCp1251(text, &bad).has_value()) << HexEscape("U+", code, 4) << " has no byte";
    ASSERT_EQ(bad, character) << "the refusal of " << HexEscape("U+", code, 4) << " names it";
    ++refused;
  }
  EXPECT_EQ(refused, 0x110000 - 0x800 - 255);
}

struct RefusalCase {
  const char* name;
  std::string text;
  std::string bad;
};

TEST(Cp1251, FirstCharacterOrByteThatCannotBeEncodedIsNamed) {
  const RefusalCase cases[] = {
      {"emoji before CJK", "N1 ok \xF0\x9F\x98\x80 then \xE4\xB8\xAD", "\xF0\x9F\x98\x80"},
      {"CJK alone", "\xE4\xB8\xAD", "\xE4\xB8\xAD"},
      {"Latin-1 letter", "\xD0\x96 \xC3\x80", "\xC3\x80"},
      {"stray continuation byte", "ab\x80", "\x80"},
      {"overlong form", "a\xC0\xAF", "\xC0"},
      {"cut-off character", "a\xD0", "\xD0"},
      {"surrogate", "\xED\xA0\x80", "\xED"},
  };
  for (const RefusalCase& c : cases) {
    std::string bad = "unchanged";
    EXPECT_FALSE(EncodeCp1251(c.text, &bad).has_value()) << c.name;
    EXPECT_EQ(bad, c.bad) << c.name;
    EXPECT_FALSE(EncodeCp1251(c.text).has_value()) << c.name << ", without badChar";
  }
}

TEST(Cp1251, CyrillicToOneBytePerCharacter) {
  const auto bytes = EncodeCp1251("Текст Программы\r\n");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "\xD2\xE5\xEA\xF1\xF2 \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\r\n");
  EXPECT_EQ(DecodeCp1251(*bytes), "Текст Программы\r\n");
  EXPECT_EQ(EncodeCp1251("N1G92X0.000Y0.000"), "N1G92X0.000Y0.000");
  EXPECT_EQ(EncodeCp1251(std::string("a\0b", 3)), std::string("a\0b", 3)) << "a NUL is a character like any";
  EXPECT_EQ(EncodeCp1251(""), "");
}

}  // namespace
}  // namespace kalmoro
