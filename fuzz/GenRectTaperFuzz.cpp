// The tapered-rectangle generator on any width, height, radius, plate and angle texts ("W|H|R|T|A"),
// with cylindrical and with conical corners: a refusal with its message, or a program that the reader
// reads back clean, with the bottom, the plate and the angle it was made from and the corners it was
// asked for. The texts are tried as they come and as the field check leaves them (the angle with its
// sign), and the clean ones again with passes drawn from the input, read back pass by pass as asked.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ReadBack.h"
#include "fields/FieldCheck.h"
#include "holes/RectTaperHole.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

std::string Label(const std::vector<std::string>& f, CornerMode corners) {
  return "W \"" + Escaped(f[0], 200) + "\" H \"" + Escaped(f[1], 200) + "\" R \"" + Escaped(f[2], 200) +
         "\" T \"" + Escaped(f[3], 200) + "\" A \"" + Escaped(f[4], 200) + "\"" +
         (corners == CornerMode::Conical ? ", conical corners" : ", cylindrical corners");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> raw = Fields(AsText(data, size), 5);
  for (const CornerMode corners : {CornerMode::Cylindrical, CornerMode::Conical}) {
    for (const bool checked : {false, true}) {
      std::vector<std::string> f = raw;
      if (checked) {
        for (std::size_t k = 0; k < f.size(); ++k) f[k] = CheckInputErr(f[k], k == 4);
      }
      const std::string label = Label(f, corners);
      const GenResult result = GenRectTaper(f[0], f[1], f[2], f[3], f[4], corners);
      if (!IsProgram(result, label)) continue;
      const ProgramReading r = ReadBack(result.program, label, false);
      const auto* taper = std::get_if<RectTaperHeader>(&r.encoded->dimensions);
      Require(taper != nullptr, "a tapered rectangle's program encodes a tapered rectangle");
      RequireNear(taper->width, LeadingValue(f[0]), kLength, "the width", label);
      RequireNear(taper->height, LeadingValue(f[1]), kLength, "the height", label);
      RequireNear(taper->thickness, LeadingValue(f[3]), kHeight, "the plate", label);
      // The angle from the bottom and top widths over the plate: the top's ends are sums of two words.
      const double plate = LeadingValue(f[3]);
      RequireNear(taper->angle, LeadingValue(f[4]), 2 * (kLength + kUpperLength) / plate * 180 / 3.14159,
                  "the angle", label);
    }
    std::vector<std::string> f = raw;
    for (std::size_t k = 0; k < f.size(); ++k) f[k] = CheckInputErr(f[k], k == 4);
    const PassOptions passes = PassesFrom(AsText(data, size));
    const std::string label = Label(f, corners) + " with passes";
    const GenResult result = GenRectTaper(f[0], f[1], f[2], f[3], f[4], corners, passes);
    if (IsProgram(result, label)) RequirePasses(ReadBack(result.program, label, false), passes, label);
  }
  return 0;
}
