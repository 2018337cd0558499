#include "cli/Args.h"

#include <algorithm>
#include <utility>

#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

struct Hole {
  std::string name;
  // Options of the hole, each with the field's initial text.
  std::vector<std::pair<std::string, std::string>> options;
};

const std::vector<Hole>& Holes() {
  static const std::vector<Hole> holes = {
      {"circle", {{"--diameter", "10"}}},
      {"rect", {{"--width", "10"}, {"--height", "5"}, {"--radius", "0"}}},
      {"cone", {{"--height", "0"}, {"--lower", "0"}, {"--upper", "0"}, {"--angle", "0"}}},
  };
  return holes;
}

bool IsPassOption(std::string_view name) {
  return name == "--skims" || name == "--stop" || name == "--direction";
}

// A pass option into the command: nothing when `name` is none, an empty text when it was taken, else
// the usage error.
std::optional<std::string> PassOption(GenerateCommand& command, std::string_view name,
                                      std::string_view value) {
  if (!IsPassOption(name)) return std::nullopt;
  const std::string key(name);
  if (command.Given(key)) return "параметр " + key + " указан дважды";
  command.given.insert(key);
  const auto bad = [&](const char* why) {
    return "недопустимое значение параметра " + key + ": «" + std::string(value) + "» (" + why + ")";
  };
  if (name == "--skims") {
    if (value.size() != 1 || !IsDigit(value[0]) || value[0] - '0' > kMaxSkims)
      return bad("число чистовых проходов от 0 до 4");
    command.passes.skims = value[0] - '0';
  } else if (name == "--stop") {
    const std::optional<std::string> text = ValueFieldText(value, false);
    const std::optional<double> stop = text ? FullValue(*text) : std::nullopt;
    if (!stop) return bad("длина в мм; 0 — без остановки");
    command.passes.stop = *stop;
  } else if (value == "alternate" || value == "same") {
    command.passes.direction = value == "same" ? SkimDirection::Same : SkimDirection::Alternate;
  } else {
    return bad("alternate или same");
  }
  return std::string();
}

}  // namespace

std::optional<std::string> ValueFieldText(std::string_view value, bool signAllowed) {
  std::string text;
  std::size_t i = 0;
  if (signAllowed && !value.empty() && (value[0] == '-' || value[0] == '+')) text += value[i++];
  bool sep = false;
  bool digit = false;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (IsDigit(c)) {
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

bool IsHoleCommand(std::string_view name) {
  return std::any_of(Holes().begin(), Holes().end(), [name](const Hole& h) { return h.name == name; });
}

Command ParseHoleArgs(const std::vector<std::string_view>& args) {
  if (args.empty()) return UsageError{"не указана команда (circle, rect, cone, job или check)"};
  const Hole* hole = nullptr;
  for (const auto& h : Holes()) {
    if (args[0] == h.name) hole = &h;
  }
  if (!hole) return UsageError{"неизвестная команда «" + std::string(args[0]) + "»"};

  GenerateCommand command;
  command.hole = hole->name;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (!name.starts_with("-")) return UsageError{"лишний аргумент «" + std::string(name) + "»"};
    std::optional<std::string_view> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (!value) {
      if (i + 1 >= args.size()) return UsageError{"у параметра " + std::string(name) + " нет значения"};
      value = args[++i];
    }
    if (name == "-o" || name == "--machine") {
      std::optional<std::string>& slot = name == "-o" ? command.output : command.machine;
      if (slot) return UsageError{"параметр " + std::string(name) + " указан дважды"};
      if (value->empty()) return UsageError{"пустое имя файла в " + std::string(name)};
      slot = std::string(*value);
      continue;
    }
    if (const std::optional<std::string> error = PassOption(command, name, *value)) {
      if (error->empty()) continue;
      return UsageError{*error};
    }
    bool known = false;
    for (const auto& option : hole->options) known = known || option.first == name;
    if (!known) return UsageError{"неизвестный параметр «" + std::string(name) + "» команды " + hole->name};
    const std::string key(name);
    if (command.Given(key)) return UsageError{"параметр " + key + " указан дважды"};
    const auto text = ValueFieldText(*value, key == "--angle");
    if (!text)
      return UsageError{"недопустимое значение параметра " + key + ": «" + std::string(*value) + "»"};
    command.texts[key] = *text;
    command.given.insert(key);
  }
  for (const auto& [option, initial] : hole->options) command.texts.emplace(option, initial);
  return command;
}

namespace {

// The profile option stands first; what follows it is files.
Command ParseCheck(const std::vector<std::string_view>& args) {
  CheckCommand command;
  std::size_t i = 1;
  constexpr std::string_view kMachine = "--machine";
  while (i < args.size() && args[i].starts_with(kMachine)) {
    std::string_view arg = args[i];
    std::optional<std::string_view> value;
    if (arg.size() > kMachine.size()) {
      if (arg[kMachine.size()] != '=') break;  // a file named "--machinery"
      value = arg.substr(kMachine.size() + 1);
    } else {
      if (i + 1 >= args.size()) return UsageError{"у параметра --machine нет значения"};
      value = args[++i];
    }
    if (command.machine) return UsageError{"параметр --machine указан дважды"};
    if (value->empty()) return UsageError{"пустое имя файла в --machine"};
    command.machine = std::string(*value);
    ++i;
  }
  command.files.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  return command;
}

// The options stand anywhere; the one argument that is not an option is the job file.
Command ParseJob(const std::vector<std::string_view>& args) {
  JobCommand command;
  std::optional<std::string> file;
  constexpr std::string_view kMachine = "--machine";
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name == "-" || !name.starts_with("-")) {
      if (file) return UsageError{"лишний аргумент «" + std::string(name) + "»: команде job нужен один файл"};
      file = std::string(name);
      continue;
    }
    if (name == "--rough-first") {
      if (command.roughFirst) return UsageError{"параметр --rough-first указан дважды"};
      command.roughFirst = true;
      continue;
    }
    std::optional<std::string_view> value;
    if (name.starts_with(kMachine) && name.size() > kMachine.size() && name[kMachine.size()] == '=') {
      value = name.substr(kMachine.size() + 1);
      name = kMachine;
    }
    if (name != kMachine && name != "-o")
      return UsageError{"неизвестный параметр «" + std::string(name) + "» команды job"};
    if (!value) {
      if (i + 1 >= args.size()) return UsageError{"у параметра " + std::string(name) + " нет значения"};
      value = args[++i];
    }
    std::optional<std::string>& slot = name == "-o" ? command.output : command.machine;
    if (slot) return UsageError{"параметр " + std::string(name) + " указан дважды"};
    if (value->empty()) return UsageError{"пустое имя файла в " + std::string(name)};
    slot = std::string(*value);
  }
  if (!file) return UsageError{"команде job нужен файл задания (или «-» для стандартного ввода)"};
  command.file = *file;
  return command;
}

}  // namespace

std::string GenerateCommand::Text(const std::string& option) const {
  const auto it = texts.find(option);
  return it == texts.end() ? std::string() : it->second;
}

Command ParseArgs(const std::vector<std::string_view>& args) {
  if (std::find(args.begin(), args.end(), "-h") != args.end() ||
      std::find(args.begin(), args.end(), "--help") != args.end())
    return HelpCommand{};
  if (!args.empty() && args[0] == "check") return ParseCheck(args);
  if (!args.empty() && args[0] == "job") return ParseJob(args);
  return ParseHoleArgs(args);
}

}  // namespace kalmoro
