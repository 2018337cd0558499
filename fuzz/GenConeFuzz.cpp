// The conical-hole generator on any height, lower diameter, upper diameter and angle texts
// ("H|D_d|D_u|A"): a refusal, or a program that the reader reads back with the diameters and height it
// was made from. With the angle as typed (the texts as they come and as the field check leaves them)
// the header's angle may disagree with the contour, and that is the one problem allowed; with the
// angle the page derives from the other three, the program must read back without any problem, and so
// must it with passes drawn from the input, pass by pass as asked (or be refused).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ReadBack.h"
#include "fields/ConeSolver.h"
#include "fields/FieldCheck.h"
#include "holes/ConeHole.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

void Generate(const std::vector<std::string>& f, bool angleMayDisagree, const PassOptions& passes = {}) {
  const std::string label = "H \"" + Escaped(f[0], 200) + "\" D_d \"" + Escaped(f[1], 200) + "\" D_u \"" +
                            Escaped(f[2], 200) + "\" A \"" + Escaped(f[3], 200) + "\"" +
                            (passes.Single() ? "" : " with passes");
  const GenResult result = GenCone(f[0], f[1], f[2], f[3], passes);
  if (!IsProgram(result, label)) return;
  const ProgramReading r = ReadBack(result.program, label, angleMayDisagree);
  if (!passes.Single()) RequirePasses(r, passes, label);
  const auto* cone = std::get_if<ConeHeader>(&r.encoded->dimensions);
  Require(cone != nullptr, "a cone program encodes a conical hole");
  RequireNear(cone->height, LeadingValue(f[0]), kHeight, "the height", label);
  RequireNear(cone->lower, LeadingValue(f[1]), kLength, "the lower diameter", label);
  RequireNear(cone->upper, LeadingValue(f[2]), kUpperLength, "the upper diameter", label);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> raw = Fields(AsText(data, size), 4);
  Generate(raw, true);
  std::vector<std::string> checked = raw;
  for (std::size_t i = 0; i < checked.size(); ++i) checked[i] = CheckInputErr(checked[i], i == 3);
  Generate(checked, true);

  // The diameters and the height typed in the page's order; the solver derives the angle.
  PlainConeFields fields;
  for (const auto& [field, text] :
       {std::pair{ConeField::DDown, raw[1]}, {ConeField::DUp, raw[2]}, {ConeField::H, raw[0]}}) {
    fields.SetText(field, text);
    OnConeKeyRelease(fields, field);
  }
  const std::vector<std::string> derived = {fields.Text(ConeField::H), fields.Text(ConeField::DDown),
                                            fields.Text(ConeField::DUp), fields.Text(ConeField::Ang)};
  Generate(derived, false);
  Generate(derived, false, PassesFrom(AsText(data, size)));
  return 0;
}
