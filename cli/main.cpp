// kalmoro-gen: the hole programs of the window from the command line, for scripts and batch work.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Check.h"
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

constexpr const char* kUsage =
    "Использование:\n"
    "  kalmoro-gen circle [--diameter D]\n"
    "  kalmoro-gen rect   [--width W] [--height H] [--radius R]\n"
    "  kalmoro-gen cone   [--height H] [--lower DD] [--upper DU] [--angle A]\n"
    "  kalmoro-gen check  ФАЙЛ...   проверить программы (\"-\" читает стандартный ввод)\n"
    "Общие параметры:\n"
    "  -o ИМЯ      записать программу в файл ИМЯ (\".iso\" добавляется, если его нет)\n"
    "  -h, --help  эта справка\n"
    "Размеры в мм, угол (полный угол конуса) в градусах; дробная часть через \".\" или \",\".\n"
    "Без -o программа выводится на стандартный вывод.\n";

struct Command {
  std::string name;
  // Options of the sub-command, each with the field's initial text.
  std::vector<std::pair<std::string, std::string>> options;
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"circle", {{"--diameter", "10"}}},
      {"rect", {{"--width", "10"}, {"--height", "5"}, {"--radius", "0"}}},
      {"cone", {{"--height", "0"}, {"--lower", "0"}, {"--upper", "0"}, {"--angle", "0"}}},
  };
  return commands;
}

void PrintMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", Shown(text).c_str());
}

struct UsageError {
  std::string message;
};

// A value as the field would hold it: digits with at most one "." or "," (read as the point), and for
// the angle one leading sign. Returns the field text, or nothing when the value is not such a number.
std::optional<std::string> FieldText(std::string_view value, bool signAllowed) {
  std::string text;
  std::size_t i = 0;
  if (signAllowed && !value.empty() && (value[0] == '-' || value[0] == '+')) text += value[i++];
  bool sep = false;
  bool digit = false;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (c >= '0' && c <= '9') {
      digit = true;
      text += c;
    } else if ((c == '.' || c == ',') && !sep) {
      sep = true;
      text += '.';
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  return text;
}

struct Parsed {
  const Command* command = nullptr;
  std::map<std::string, std::string> given;  // option -> field text
  std::optional<std::string> output;
  bool help = false;
};

Parsed Parse(const std::vector<std::string_view>& args) {
  Parsed parsed;
  for (const auto arg : args) {
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
      return parsed;
    }
  }
  if (args.empty()) throw UsageError{"не указана команда (circle, rect, cone или check)"};
  for (const auto& command : Commands()) {
    if (args[0] == command.name) parsed.command = &command;
  }
  if (!parsed.command) throw UsageError{"неизвестная команда «" + std::string(args[0]) + "»"};

  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (!name.starts_with("-")) throw UsageError{"лишний аргумент «" + std::string(name) + "»"};
    std::optional<std::string_view> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError{"у параметра " + std::string(name) + " нет значения"};
      value = args[++i];
    }
    if (name == "-o") {
      if (parsed.output) throw UsageError{"параметр -o указан дважды"};
      if (value->empty()) throw UsageError{"пустое имя файла в -o"};
      parsed.output = std::string(*value);
      continue;
    }
    bool known = false;
    for (const auto& option : parsed.command->options) known = known || option.first == name;
    if (!known) {
      throw UsageError{"неизвестный параметр «" + std::string(name) + "» команды " + parsed.command->name};
    }
    const std::string key(name);
    if (parsed.given.count(key)) throw UsageError{"параметр " + key + " указан дважды"};
    const auto text = FieldText(*value, key == "--angle");
    if (!text) throw UsageError{"недопустимое значение параметра " + key + ": «" + std::string(*value) + "»"};
    parsed.given[key] = *text;
  }
  return parsed;
}

std::string Value(const Parsed& parsed, const std::string& option) {
  if (const auto it = parsed.given.find(option); it != parsed.given.end()) return it->second;
  for (const auto& [name, initial] : parsed.command->options) {
    if (name == option) return initial;
  }
  return {};
}

// The cone values as the page would hold them after the user typed the given ones: the angle derived
// from both diameters and the height, or one diameter derived from the other, the angle and the height.
PlainConeFields ConeValues(const Parsed& parsed) {
  PlainConeFields fields;
  const auto type = [&fields](ConeField field, const std::string& text) {
    fields.SetText(field, text);
    OnConeKeyRelease(fields, field);
  };
  const bool hasAngle = parsed.given.count("--angle") > 0;
  const bool hasLower = parsed.given.count("--lower") > 0;
  const bool hasUpper = parsed.given.count("--upper") > 0;
  const std::string h = Value(parsed, "--height");
  const std::string lower = Value(parsed, "--lower");
  const std::string upper = Value(parsed, "--upper");
  if (!hasAngle && LeadingValue(h) != 0 && LeadingValue(lower) != 0 && LeadingValue(upper) != 0) {
    type(ConeField::DDown, lower);
    type(ConeField::DUp, upper);
    type(ConeField::H, h);
  } else if (hasAngle && hasLower != hasUpper) {
    type(hasLower ? ConeField::DDown : ConeField::DUp, hasLower ? lower : upper);
    type(ConeField::H, h);
    type(ConeField::Ang, Value(parsed, "--angle"));
  } else {
    fields.SetText(ConeField::H, h);
    fields.SetText(ConeField::DDown, lower);
    fields.SetText(ConeField::DUp, upper);
    fields.SetText(ConeField::Ang, Value(parsed, "--angle"));
  }
  return fields;
}

GenResult Generate(const Parsed& parsed) {
  const std::string& name = parsed.command->name;
  if (name == "circle") return GenCircle(Value(parsed, "--diameter"));
  if (name == "rect")
    return GenRect(Value(parsed, "--width"), Value(parsed, "--height"), Value(parsed, "--radius"));
  const PlainConeFields cone = ConeValues(parsed);
  return GenCone(cone.Text(ConeField::H), cone.Text(ConeField::DDown), cone.Text(ConeField::DUp),
                 cone.Text(ConeField::Ang));
}

int Run(const std::vector<std::string_view>& args) {
  const bool help = std::find(args.begin(), args.end(), "-h") != args.end() ||
                    std::find(args.begin(), args.end(), "--help") != args.end();
  if (!help && !args.empty() && args[0] == "check") {
    const std::vector<std::string_view> files(args.begin() + 1, args.end());
    const int status = RunCheck(files);
    PrintLeftBackups(files);
    return status;
  }
  Parsed parsed;
  try {
    parsed = Parse(args);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "kalmoro-gen: %s\n%s", Shown(error.message).c_str(), kUsage);
    return kExitUsage;
  }
  if (parsed.help) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  const GenResult result = Generate(parsed);
  if (!result.Ok()) {
    PrintMessage(result.error);
    return kExitRefused;
  }
  if (parsed.output) {
    const SaveResult saved = SaveProgramFile(*parsed.output, result.program);
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
