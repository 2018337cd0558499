#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "nc/CornerMode.h"
#include "nc/PassOptions.h"
#include "nc/Relief.h"

// What the header line of a program says about its hole, about its passes when it has more than one or
// a held slug, and about the relief cut below a die opening's land.
namespace kalmoro {

// The diameter as the field holds it: the header repeats the text, not the number read from it. A die
// opening with a land may have a relief pass after its passes.
struct CircleHeader {
  std::string diameter;
  PassOptions passes{};
  std::optional<Relief> relief{};
};
struct RectHeader {
  double width = 0, height = 0, radius = 0;
  PassOptions passes{};
  std::optional<Relief> relief{};
};
// The angle is the full cone angle without its sign.
struct ConeHeader {
  double lower = 0, upper = 0, height = 0, angle = 0;
  PassOptions passes{};
};
// A tapered rectangle: its bottom, the plate's thickness, the full angle with its sign (positive when the
// hole narrows upwards) and how its corners run.
struct RectTaperHeader {
  double width = 0, height = 0, radius = 0, thickness = 0, angle = 0;
  CornerMode corners = CornerMode::Cylindrical;
  PassOptions passes{};
};
using HoleHeader = std::variant<CircleHeader, RectHeader, ConeHeader, RectTaperHeader>;

// The passes the header states, whatever the hole.
const PassOptions& PassesOf(const HoleHeader& header);
PassOptions& PassesOf(HoleHeader& header);

// The header line without its line end: "%(CIRCLE: D10)", "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1:
// CORNERS=CYLINDRICAL)"; numbers in their standard text form. A relief adds ":LAND=3:RELIEF=1:T=20"
// (the land and the plate in mm, the angle per side in degrees) to a circle or a rectangle. Passes beyond
// today's single one add a suffix after that, each key only when it is in force, in this order:
// ":SKIMS=n" (1-4), ":STOP=mm" (the held slug), ":DIR=SAME" (skims that do not alternate):
// "%(CIRCLE: D10:SKIMS=2:STOP=3)", "%(CIRCLE: D10.5:LAND=3:RELIEF=1:T=20:SKIMS=2)".
std::string HeaderLine(const HoleHeader& header);

// Reads a header line (without its line end) back, its suffixes too: blanks around it and the case of its
// letters do not matter. Nothing when the line is not the header of one of the four holes, when one of
// its numbers does not read, or when a suffix is not the one HeaderLine writes (":DIR=ALTERNATE" and
// ":SKIMS=0" are read as well). A circle's diameter ends at the first ":".
std::optional<HoleHeader> ParseHeaderLine(std::string_view line);

// Whether a text can stand inside the header comment: no line end, no parenthesis that would end or
// nest the comment, no other control character.
bool FitsHeaderComment(std::string_view text);
// Whether a circle's diameter text can stand in its header: it fits the comment and holds no ":", which
// would begin the passes' suffix.
bool FitsCircleDiameter(std::string_view text);

}  // namespace kalmoro
