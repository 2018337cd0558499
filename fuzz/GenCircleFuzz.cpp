// The round-hole generator on any diameter text: a refusal, or a program that the reader reads back
// clean with the diameter it was made from. The text is tried as it comes and as the field check
// leaves it; a clean text is refused only outside 1-999 mm. The clean text is tried again with passes
// drawn from the input: a refusal, or a program read back pass by pass as asked; and again with a
// relief drawn from the input, its relief pass last.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ReadBack.h"
#include "fields/FieldCheck.h"
#include "holes/RoundHole.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);
  for (const bool checked : {false, true}) {
    const std::string text = checked ? CheckInputErr(input, false) : std::string(input);
    const std::string label = "diameter \"" + Escaped(text) + "\"";
    const double d = LeadingValue(text);
    const GenResult result = GenCircle(text);
    if (checked && result.Ok() != (d >= 1 && d <= 999))
      Fail("a clean diameter text is refused exactly when it lies outside 1-999 mm",
           label + "\n" + result.error);
    if (!IsProgram(result, label)) continue;
    const ProgramReading r = ReadBack(result.program, label, false);
    const auto* circle = std::get_if<CircleHeader>(&r.encoded->dimensions);
    Require(circle != nullptr, "a circle program encodes a round hole");
    RequireNear(LeadingValue(circle->diameter), d, kLength, "the diameter", label);
  }
  const std::string text = CheckInputErr(input, false);
  const PassOptions passes = PassesFrom(input);
  const std::string label = "diameter \"" + Escaped(text) + "\" with passes";
  const GenResult result = GenCircle(text, passes);
  if (IsProgram(result, label)) RequirePasses(ReadBack(result.program, label, false), passes, label);
  // The same opening with a relief below a land: a refusal, or the relief pass after the others.
  if (const std::optional<Relief> relief = ReliefFrom(input)) {
    const std::string withRelief = label + " and a relief " + HeaderLine(CircleHeader{"", {}, relief});
    const GenResult opening = GenCircle(text, passes, kDefaultStopCode, relief);
    if (IsProgram(opening, withRelief))
      RequirePasses(ReadBack(opening.program, withRelief, false), passes, withRelief, true);
  }
  return 0;
}
