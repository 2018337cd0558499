// The rectangular-hole generator on any width, height and radius texts ("W|H|R"): a refusal, or a
// program that the reader reads back clean with the width, height and radius it was made from. The
// texts are tried as they come and as the field check leaves them, and the clean ones again with passes
// drawn from the input: a refusal, or a program read back pass by pass as asked; and again with a
// relief drawn from the input, its relief pass last.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ReadBack.h"
#include "fields/FieldCheck.h"
#include "holes/RectHole.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> raw = Fields(AsText(data, size), 3);
  for (const bool checked : {false, true}) {
    std::vector<std::string> f = raw;
    if (checked) {
      for (auto& text : f) text = CheckInputErr(text, false);
    }
    const std::string label =
        "W \"" + Escaped(f[0], 200) + "\" H \"" + Escaped(f[1], 200) + "\" R \"" + Escaped(f[2], 200) + "\"";
    const GenResult result = GenRect(f[0], f[1], f[2]);
    if (!IsProgram(result, label)) continue;
    const ProgramReading r = ReadBack(result.program, label, false);
    const auto* rect = std::get_if<RectHeader>(&r.encoded->dimensions);
    Require(rect != nullptr, "a rectangle program encodes a rectangular hole");
    RequireNear(rect->width, LeadingValue(f[0]), kLength, "the width", label);
    RequireNear(rect->height, LeadingValue(f[1]), kLength, "the height", label);
    RequireNear(rect->radius, LeadingValue(f[2]), kRadius, "the corner radius", label);
  }
  std::vector<std::string> f = raw;
  for (auto& text : f) text = CheckInputErr(text, false);
  const PassOptions passes = PassesFrom(AsText(data, size));
  const std::string label = "W \"" + Escaped(f[0], 200) + "\" H \"" + Escaped(f[1], 200) + "\" R \"" +
                            Escaped(f[2], 200) + "\" with passes";
  const GenResult result = GenRect(f[0], f[1], f[2], passes);
  if (IsProgram(result, label)) RequirePasses(ReadBack(result.program, label, false), passes, label);
  // The same opening with a relief below a land: a refusal, or the relief pass after the others.
  if (const std::optional<Relief> relief = ReliefFrom(AsText(data, size))) {
    const std::string withRelief = label + " and a relief " + HeaderLine(CircleHeader{"", {}, relief});
    const GenResult opening = GenRect(f[0], f[1], f[2], passes, kDefaultStopCode, relief);
    if (IsProgram(opening, withRelief))
      RequirePasses(ReadBack(opening.program, withRelief, false), passes, withRelief, true);
  }
  return 0;
}
