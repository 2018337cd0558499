#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "nc/PassOptions.h"

// What the header line of a program says about its hole, and about its passes when it has more than
// one or a held slug.
namespace kalmoro {

// The diameter as the field holds it: the header repeats the text, not the number read from it.
struct CircleHeader {
  std::string diameter;
  PassOptions passes{};
};
struct RectHeader {
  double width = 0, height = 0, radius = 0;
  PassOptions passes{};
};
// The angle is the full cone angle without its sign.
struct ConeHeader {
  double lower = 0, upper = 0, height = 0, angle = 0;
  PassOptions passes{};
};
using HoleHeader = std::variant<CircleHeader, RectHeader, ConeHeader>;

// The passes the header states, whatever the hole.
const PassOptions& PassesOf(const HoleHeader& header);
PassOptions& PassesOf(HoleHeader& header);

// The header line without its line end: "%(CIRCLE: D10)"; numbers in their standard text form. Passes
// beyond today's single one add a suffix, each key only when it is in force, in this order:
// ":SKIMS=n" (1-4), ":STOP=mm" (the held slug), ":DIR=SAME" (skims that do not alternate):
// "%(CIRCLE: D10:SKIMS=2:STOP=3)".
std::string HeaderLine(const HoleHeader& header);

// Reads a header line (without its line end) back, its suffix too: blanks around it and the case of its
// letters do not matter. Nothing when the line is not the header of one of the three holes, when one of
// its numbers does not read, or when the suffix is not the one HeaderLine writes (":DIR=ALTERNATE" and
// ":SKIMS=0" are read as well). A circle's diameter ends at the first ":".
std::optional<HoleHeader> ParseHeaderLine(std::string_view line);

// Whether a text can stand inside the header comment: no line end, no parenthesis that would end or
// nest the comment, no other control character.
bool FitsHeaderComment(std::string_view text);
// Whether a circle's diameter text can stand in its header: it fits the comment and holds no ":", which
// would begin the passes' suffix.
bool FitsCircleDiameter(std::string_view text);

}  // namespace kalmoro
