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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> raw = Fields(AsText(data, size), 5);
  for (const CornerMode corners : {CornerMode::Cylindrical, CornerMode::Conical}) {
    for (const bool checked : {false, true}) {
      std::vector<std::string> f = raw;
      if (checked) {
        for (std::size_t k = 0; k < f.size(); ++k) f[k] = CheckInputErr(f[k], k == 4);
      }
      const std::string label = Escaped(f[0] + "|" + f[1] + "|" + f[2] + "|" + f[3] + "|" + f[4], 1000) +
                                (corners == CornerMode::Conical ? ", conical" : ", cylindrical");
      const GenResult result = GenRectTaper(f[0], f[1], f[2], f[3], f[4], corners);
      if (!IsProgram(result, label)) continue;
      const ProgramReading r = ReadBack(result.program, label, false);
      const auto* taper = std::get_if<RectTaperHeader>(&r.encoded->dimensions);
      Require(taper != nullptr, "a tapered rectangle's program encodes a tapered rectangle");
      RequireNear(taper->width, LeadingValue(f[0]), kLength, "the width", label);
      RequireNear(taper->height, LeadingValue(f[1]), kLength, "the height", label);
      // The angle from the bottom's and the top's width over the plate, each end a rounded word or two.
      const double plate = LeadingValue(f[3]);
      RequireNear(taper->thickness, plate, kHeight, "the plate", label);
      RequireNear(taper->angle, LeadingValue(f[4]), 2 * (kLength + kUpperLength) / plate * 57.3, "the angle",
                  label);
    }
    std::vector<std::string> f = raw;
    for (std::size_t k = 0; k < f.size(); ++k) f[k] = CheckInputErr(f[k], k == 4);
    const PassOptions passes = PassesFrom(AsText(data, size));
    const std::string label =
        Escaped(f[0] + "|" + f[1] + "|" + f[2] + "|" + f[3] + "|" + f[4], 1000) + " with passes";
    const GenResult result = GenRectTaper(f[0], f[1], f[2], f[3], f[4], corners, passes);
    if (IsProgram(result, label)) RequirePasses(ReadBack(result.program, label, false), passes, label);
  }
  return 0;
}
