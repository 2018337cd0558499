// kalmoro-gen: the hole programs of the window from the command line, for scripts and batch work.

#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/Args.h"
#include "cli/Check.h"
#include "cli/Export.h"
#include "cli/LeftBackups.h"
#include "cli/TerminalText.h"
#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"
#include "save/ProgramFile.h"
#include "save/SaveInterrupt.h"

namespace {

using namespace kalmoro;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

void PrintMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", Shown(text).c_str());
}

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

GenResult Generate(const GenerateCommand& command) {
  if (command.hole == "circle") return GenCircle(command.Text("--diameter"));
  if (command.hole == "rect")
    return GenRect(command.Text("--width"), command.Text("--height"), command.Text("--radius"));
  const PlainConeFields cone = ConeValues(command);
  GenResult result = GenCone(cone.Text(ConeField::H), cone.Text(ConeField::DDown), cone.Text(ConeField::DUp),
                             cone.Text(ConeField::Ang));
  // The generator's own refusals first; then a typed angle that the other values do not make.
  if (!result.Ok()) return result;
  if (const auto disagreement = ConeDisagreement(command)) return GenResult::Refusal(*disagreement);
  return result;
}

int RunGenerate(const GenerateCommand& command) {
  const GenResult result = Generate(command);
  if (!result.Ok()) {
    PrintMessage(result.error);
    return kExitRefused;
  }
  if (command.output) {
    const SaveResult saved = SaveProgramFile(*command.output, result.program);
    if (!saved.message.empty()) PrintMessage(saved.message);  // on success, a note on what changed
    // A signal that came while the new program was being put in place: the save is done and said so,
    // and the tool ends by the signal as it would have.
    if (const int sig = TakeLateSignal()) {
      PrintMessage("Файл «" + saved.path +
                   "» сохранён; сигнал, пришедший во время сохранения, завершает программу.");
      std::raise(sig);
    }
    return saved.Saved() ? kExitOk : kExitRefused;
  }
  if (std::fwrite(result.program.data(), 1, result.program.size(), stdout) != result.program.size() ||
      std::fflush(stdout) != 0) {
    std::fputs("kalmoro-gen: не удалось вывести программу\n", stderr);
    return kExitRefused;
  }
  return kExitOk;
}

int Run(const std::vector<std::string_view>& args) {
  const Command command = ParseArgs(args);
  if (std::holds_alternative<HelpCommand>(command)) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (!args.empty() && args[0] == "export") return RunExport({args.begin() + 1, args.end()});
  if (const auto* check = std::get_if<CheckCommand>(&command)) {
    const std::vector<std::string_view> files(check->files.begin(), check->files.end());
    const int status = RunCheck(files, check->machine);
    PrintLeftBackups(files);
    return status;
  }
  if (const auto* error = std::get_if<UsageError>(&command)) {
    std::fprintf(stderr, "kalmoro-gen: %s\n%s", Shown(error->message).c_str(), kUsage);
    return kExitUsage;
  }
  return RunGenerate(std::get<GenerateCommand>(command));
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit fails the write with a message instead of ending the tool, and a signal that
  // ends the tool mid-save leaves the old program and no temporary file; one that comes as the new
  // program is put in place ends the tool once the save is reported.
  std::signal(SIGXFSZ, SIG_IGN);
  InstallSaveInterruptCleanup(LateSignal::KeepForCaller);
  std::vector<std::string_view> args(argv + 1, argv + argc);
  try {
    return Run(args);
  } catch (const std::exception& error) {
    PrintMessage(std::string("kalmoro-gen: внутренняя ошибка: ") + error.what());
    return kExitRefused;
  }
}
