#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

// What the header line of a program says about its hole.
namespace kalmoro {

// The diameter as the field holds it: the header repeats the text, not the number read from it.
struct CircleHeader {
  std::string diameter;
};
struct RectHeader {
  double width = 0, height = 0, radius = 0;
};
// The angle is the full cone angle without its sign.
struct ConeHeader {
  double lower = 0, upper = 0, height = 0, angle = 0;
};
using HoleHeader = std::variant<CircleHeader, RectHeader, ConeHeader>;

// The header line without its line end: "%(CIRCLE: D10)"; numbers in their standard text form.
std::string HeaderLine(const HoleHeader& header);

// Reads a header line (without its line end) back: blanks around it and the case of its letters do
// not matter. Nothing when the line is not the header of one of the three holes, or when one of its
// numbers does not read.
std::optional<HoleHeader> ParseHeaderLine(std::string_view line);

// Whether a text can stand inside the header comment: no line end, no parenthesis that would end or
// nest the comment, no other control character.
bool FitsHeaderComment(std::string_view text);

}  // namespace kalmoro
