#include "cli/Generate.h"

#include <cmath>
#include <optional>
#include <string>

#include "check/MachineProfile.h"
#include "cli/ExitStatus.h"
#include "cli/MachineFile.h"
#include "cli/ProgramOutput.h"
#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/DieOpening.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The cone values as the page would hold them after the user typed the given ones: the angle derived
// from both diameters and the height, or one diameter derived from the other, the angle and the height.
PlainConeFields ConeValues(const GenerateCommand& command) {
  PlainConeFields fields;
  const auto type = [&fields](ConeField field, const std::string& text) {
    fields.SetText(field, text);
    OnConeKeyRelease(fields, field);
  };
  const bool hasAngle = command.Given("--angle");
  const bool hasLower = command.Given("--lower");
  const bool hasUpper = command.Given("--upper");
  const std::string h = command.Text("--height");
  const std::string lower = command.Text("--lower");
  const std::string upper = command.Text("--upper");
  if (!hasAngle && LeadingValue(h) != 0 && LeadingValue(lower) != 0 && LeadingValue(upper) != 0) {
    type(ConeField::DDown, lower);
    type(ConeField::DUp, upper);
    type(ConeField::H, h);
  } else if (hasAngle && hasLower != hasUpper) {
    type(hasLower ? ConeField::DDown : ConeField::DUp, hasLower ? lower : upper);
    type(ConeField::H, h);
    type(ConeField::Ang, command.Text("--angle"));
  } else {
    fields.SetText(ConeField::H, h);
    fields.SetText(ConeField::DDown, lower);
    fields.SetText(ConeField::DUp, upper);
    fields.SetText(ConeField::Ang, command.Text("--angle"));
  }
  return fields;
}

// All four cone values typed: the angle must be the one the diameters and the height make, within the
// rounding of a derived angle; a typed angle must not hide the taper the program really cuts.
std::optional<std::string> ConeDisagreement(const GenerateCommand& command) {
  if (!(command.Given("--angle") && command.Given("--lower") && command.Given("--upper")))
    return std::nullopt;
  GenerateCommand derived = command;
  derived.given.erase("--angle");
  const std::string h = command.Text("--height");
  if (LeadingValue(h) == 0 || LeadingValue(command.Text("--lower")) == 0 ||
      LeadingValue(command.Text("--upper")) == 0)
    return std::nullopt;
  const std::string made = ConeValues(derived).Text(ConeField::Ang);
  const double typed = std::fabs(LeadingValue(command.Text("--angle")));
  if (std::fabs(typed - std::fabs(LeadingValue(made))) <= 0.0000005 + 1e-9) return std::nullopt;
  return "Угол " + command.Text("--angle") + "° не согласуется с диаметрами и высотой: они дают угол " +
         made + "°. Не указывайте одно из значений, и его выведет программа.";
}

}  // namespace

GenResult Generate(const GenerateCommand& command, std::string_view holdCode, double maxTaperAngle,
                   std::string* arithmetic) {
  const PassOptions& passes = command.passes;
  if (command.hole == "rect-taper") {
    const std::string angle = command.Given("--angle")
                                  ? command.Text("--angle")
                                  : RectTaperAngleText(command.Text("--width"), command.Text("--top-width"),
                                                       command.Text("--thickness"));
    return GenRectTaper(command.Text("--width"), command.Text("--height"), command.Text("--radius"),
                        command.Text("--thickness"), angle.empty() ? "0" : angle, command.corners, passes,
                        holdCode);
  }
  if (command.hole == "circle" || command.hole == "rect") {
    std::optional<Relief> relief;
    if (command.Given("--land"))
      relief = Relief{LeadingValue(command.Text("--land")), LeadingValue(command.Text("--relief")),
                      LeadingValue(command.Text("--thickness"))};
    const bool round = command.hole == "circle";
    std::string diameter = command.Text("--diameter");
    std::string width = command.Text("--width"), height = command.Text("--height");
    std::string radius = command.Text("--radius");
    if (!command.punch.empty()) {
      const ClearanceTexts clearance{command.Text("--clearance"), command.Text("--sheet"), command.material};
      const DieResult die = round ? RoundDieFor(command.punch[0], clearance)
                                  : RectDieFor(command.punch[0], command.punch[1], radius, clearance);
      if (!die.die) return GenResult::Refusal(die.error);
      if (arithmetic) *arithmetic = die.die->arithmetic;
      diameter = StdText(die.die->width);
      width = StdText(die.die->width);
      height = StdText(die.die->height);
      radius = StdText(die.die->radius);
    }
    if (round) return GenCircle(diameter, passes, holdCode, relief, maxTaperAngle);
    return GenRect(width, height, radius, passes, holdCode, relief, maxTaperAngle);
  }
  const PlainConeFields cone = ConeValues(command);
  GenResult result = GenCone(cone.Text(ConeField::H), cone.Text(ConeField::DDown), cone.Text(ConeField::DUp),
                             cone.Text(ConeField::Ang), passes, holdCode);
  // The generator's own refusals first; then a typed angle that the other values do not make.
  if (!result.Ok()) return result;
  if (const auto disagreement = ConeDisagreement(command)) return GenResult::Refusal(*disagreement);
  return result;
}

int RunGenerate(const GenerateCommand& command) {
  MachineProfile machine;
  if (command.machine) {
    const std::optional<MachineProfile> profile = ReadMachineProfile(*command.machine);
    if (!profile) return kExitUsage;
    machine = *profile;
  }
  std::string arithmetic;
  const GenResult result = Generate(command, machine.wire.hold, machine.maxTaperAngle, &arithmetic);
  if (!arithmetic.empty()) PrintMessage(arithmetic);
  if (!result.Ok()) {
    PrintMessage(result.error);
    return kExitRefused;
  }
  return PutProgram(result.program, command.output);
}

}  // namespace kalmoro
