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
  // Numbers the hole takes that have no initial text: they count only when given.
  std::vector<std::string> optional;
  bool die = false;  // a die opening: "--punch", "--material"
};

// A die opening's clearance and relief.
const std::vector<std::string> kDieNumbers = {"--clearance", "--sheet", "--land", "--relief", "--thickness"};

const std::vector<Hole>& Holes() {
  static const std::vector<Hole> holes = {
      {"circle", {{"--diameter", "10"}}, kDieNumbers, true},
      {"rect", {{"--width", "10"}, {"--height", "5"}, {"--radius", "0"}}, kDieNumbers, true},
      {"cone", {{"--height", "0"}, {"--lower", "0"}, {"--upper", "0"}, {"--angle", "0"}}, {}, false},
      {"rect-taper",
       {{"--width", "10"}, {"--height", "5"}, {"--radius", "0"}, {"--thickness", "0"}},
       {"--angle", "--top-width"},
       false},
  };
  return holes;
}

// "--punch": a diameter for a circle, "WxH" for a rectangle ("x", "X", "х" or "×" between them), each a
// plain decimal number; the field texts, or nothing.
std::optional<std::vector<std::string>> PunchTexts(std::string_view value, bool rect) {
  if (!rect) {
    const std::optional<std::string> d = ValueFieldText(value, false);
    if (!d) return std::nullopt;
    return std::vector<std::string>{*d};
  }
  for (const std::string_view times : {"x", "X", "\xD1\x85", "\xC3\x97"}) {
    const std::size_t at = value.find(times);
    if (at == std::string_view::npos) continue;
    const auto w = ValueFieldText(value.substr(0, at), false);
    const auto h = ValueFieldText(value.substr(at + times.size()), false);
    if (!w || !h) return std::nullopt;
    return std::vector<std::string>{*w, *h};
  }
  return std::nullopt;
}

// The options that go together, once all are read: a usage error, or nothing.
std::optional<std::string> Together(const GenerateCommand& c) {
  const auto given = [&c](const char* option) { return c.Given(option); };
  if (c.hole == "rect-taper" && given("--angle") == given("--top-width"))
    return "укажите ровно один из параметров --angle и --top-width";
  if (c.hole != "circle" && c.hole != "rect") return std::nullopt;
  const bool punch = given("--punch");
  const bool clearance = given("--clearance"), sheet = given("--sheet"), material = given("--material");
  if (punch) {
    if (given("--diameter") || given("--width") || given("--height"))
      return std::string("размер матрицы вычисляется по пуансону: не указывайте вместе с --punch ") +
             (c.hole == "circle" ? "--diameter" : "--width и --height");
    if (clearance && (sheet || material))
      return "зазор задаётся либо --clearance, либо --sheet с --material, но не обоими способами";
    if (!clearance && !sheet && !material)
      return "для --punch нужен зазор: --clearance ММ (на сторону) или --sheet ТОЛЩИНА --material МАТЕРИАЛ";
    if (!clearance && sheet != material)
      return std::string("--sheet и --material указываются вместе: нет ") +
             (sheet ? "--material" : "--sheet");
  } else if (clearance || sheet || material) {
    return "--clearance, --sheet и --material задают зазор матрицы по пуансону: укажите и --punch";
  }
  const bool land = given("--land"), relief = given("--relief"), thickness = given("--thickness");
  if ((land || relief || thickness) && !(land && relief && thickness)) {
    std::string missing;
    for (const auto& [option, has] :
         {std::pair{"--land", land}, {"--relief", relief}, {"--thickness", thickness}})
      if (!has) missing += (missing.empty() ? "" : ", ") + std::string(option);
    return "для освобождения под пояском нужны --land, --relief и --thickness: нет " + missing;
  }
  return std::nullopt;
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
  if (args.empty())
    return UsageError{"не указана команда (circle, rect, cone, rect-taper, materials, job или check)"};
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
    const std::string key(name);
    const bool special = (hole->die && (key == "--punch" || key == "--material")) ||
                         (hole->name == "rect-taper" && key == "--corners");
    bool known = special;
    for (const auto& option : hole->options) known = known || option.first == name;
    for (const auto& option : hole->optional) known = known || option == name;
    if (!known) return UsageError{"неизвестный параметр «" + std::string(name) + "» команды " + hole->name};
    if (command.Given(key)) return UsageError{"параметр " + key + " указан дважды"};
    command.given.insert(key);
    const auto bad = [&](const char* why) {
      return UsageError{"недопустимое значение параметра " + key + ": «" + std::string(*value) + "» (" + why +
                        ")"};
    };
    if (key == "--corners") {
      if (*value != "cylindrical" && *value != "conical") return bad("cylindrical или conical");
      command.corners = *value == "conical" ? CornerMode::Conical : CornerMode::Cylindrical;
    } else if (key == "--material") {
      if (value->empty()) return bad("название из таблицы kalmoro-gen materials");
      command.material = std::string(*value);
    } else if (key == "--punch") {
      const auto punch = PunchTexts(*value, hole->name == "rect");
      if (!punch)
        return bad(hole->name == "rect" ? "ширина и высота пуансона в мм: 20x10" : "диаметр пуансона в мм");
      command.punch = *punch;
    } else {
      const auto text = ValueFieldText(*value, key == "--angle");
      if (!text)
        return UsageError{"недопустимое значение параметра " + key + ": «" + std::string(*value) + "»"};
      command.texts[key] = *text;
    }
  }
  if (const std::optional<std::string> error = Together(command)) return UsageError{*error};
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
  if (!args.empty() && args[0] == "materials") {
    if (args.size() > 1)
      return UsageError{"лишний аргумент «" + std::string(args[1]) + "»: команда materials без параметров"};
    return MaterialsCommand{};
  }
  return ParseHoleArgs(args);
}

}  // namespace kalmoro
