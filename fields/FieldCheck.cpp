#include "fields/FieldCheck.h"

#include <algorithm>

namespace kalmoro {
namespace {

// One pass over the characters; works for any character type.
template <typename Char>
std::basic_string<Char> CleanNumberText(std::basic_string_view<Char> text, bool sign) {
  std::basic_string<Char> out;
  out.reserve(text.size());
  bool sepSeen = false;
  bool signSeen = false;
  for (const Char c : text) {
    if (c >= Char('0') && c <= Char('9')) {
      out += c;
    } else if (c == Char(',') || c == Char('.')) {
      if (!sepSeen) out += Char('.');
      sepSeen = true;
    } else if (sign && (c == Char('-') || c == Char('+'))) {
      if (!signSeen) out.insert(out.begin(), c);
      signSeen = true;
    }
  }
  return out;
}

}  // namespace

CheckedText CheckInputErr(std::u16string_view text, int caret, bool sign) {
  CheckedText result;
  result.text = CleanNumberText(text, sign);
  result.caret = std::clamp(caret, 0, static_cast<int>(result.text.size()));
  return result;
}

std::string CheckInputErr(std::string_view text, bool sign) {
  return CleanNumberText(text, sign);
}

}  // namespace kalmoro
