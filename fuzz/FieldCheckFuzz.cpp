// The field check on any text, in both forms (8-bit and UTF-16) and with and without a sign: the result
// holds only what a field may hold (ASCII digits, one "." and, where allowed, one leading sign), keeps
// every digit in its order, a second check changes nothing, and the caret stays within the text.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "fields/FieldCheck.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

template <typename Char>
bool IsDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

template <typename Char>
std::basic_string<Char> Digits(std::basic_string_view<Char> text) {
  std::basic_string<Char> digits;
  for (const Char c : text) {
    if (IsDigit(c)) digits += c;
  }
  return digits;
}

// Only digits, at most one ".", and a sign only in front and only where allowed; the point is there
// exactly when the text had a separator, the sign exactly when it had one and one is allowed.
template <typename Char>
void RequireClean(std::basic_string_view<Char> input, std::basic_string_view<Char> out, bool sign,
                  const std::string& label) {
  int points = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const Char c = out[i];
    const bool signHere = i == 0 && sign && (c == Char('-') || c == Char('+'));
    if (c == Char('.')) ++points;
    if (!IsDigit(c) && c != Char('.') && !signHere)
      Fail("a checked field holds only digits, one point and a leading sign where allowed", label);
  }
  if (points > 1) Fail("a checked field holds at most one point", label);
  if (Digits(out) != Digits(input)) Fail("the field check keeps every digit in its order", label);
  const bool separator =
      std::any_of(input.begin(), input.end(), [](Char c) { return c == Char(',') || c == Char('.'); });
  if ((points == 1) != separator) Fail("the first \",\" or \".\" of the text becomes the point", label);
  const auto signAt =
      std::find_if(input.begin(), input.end(), [](Char c) { return c == Char('-') || c == Char('+'); });
  const bool signKept = sign && signAt != input.end();
  if (signKept != (!out.empty() && (out[0] == Char('-') || out[0] == Char('+'))) ||
      (signKept && out[0] != *signAt))
    Fail("the first sign of the text goes in front where a sign is allowed, and no other", label);
}

std::string Label(std::string_view input, bool sign) {
  return std::string(sign ? "with" : "without") + " sign, text \"" + Escaped(input) + "\"";
}

void CheckUtf16(std::u16string_view text, bool sign, const std::string& label) {
  const int size = static_cast<int>(text.size());
  for (const int caret : {INT_MIN, -1, 0, size / 2, size, size + 7, INT_MAX}) {
    const CheckedText once = CheckInputErr(text, caret, sign);
    RequireClean(text, std::u16string_view(once.text), sign, label + " (UTF-16)");
    if (once.caret != std::clamp(caret, 0, static_cast<int>(once.text.size())))
      Fail("the caret keeps its index, within the checked text", label + " caret " + std::to_string(caret));
    const CheckedText twice = CheckInputErr(once.text, once.caret, sign);
    if (twice.text != once.text || twice.caret != once.caret)
      Fail("a second check changes neither the text nor the caret", label + " (UTF-16)");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);
  // Each byte as one UTF-16 unit, and each pair of bytes as one unit (surrogates and all).
  std::u16string widened(input.begin(), input.end());
  std::transform(input.begin(), input.end(), widened.begin(),
                 [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

  for (const bool sign : {false, true}) {
    const std::string label = Label(input, sign);
    const std::string once = CheckInputErr(input, sign);
    RequireClean(input, std::string_view(once), sign, label);
    if (CheckInputErr(once, sign) != once) Fail("a second check changes nothing", label);
    CheckUtf16(widened, sign, label);
    CheckUtf16(units, sign, label);
    if (CheckInputErr(widened, 0, sign).text != std::u16string(once.begin(), once.end()))
      Fail("the 8-bit and the UTF-16 check agree on the same characters", label);
  }
  return 0;
}
