#include "check/MachineProfile.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

constexpr std::string_view kSection = "machine";
// Longer than any line a person or a script writes for these keys: anything longer is refused, so a
// binary file gives one short message.
constexpr std::size_t kMaxLine = 1000;

enum class Range { Positive, NotNegative, Angle, StopCode };

struct Key {
  std::string_view name;
  Range range;
  double MachineProfile::*value = nullptr;
  std::optional<double> MachineProfile::*optional = nullptr;
  std::string WireCodes::*code = nullptr;
  std::array<double, kMaxSkims> MachineProfile::*list = nullptr;  // a pass's value, at `index`
  std::size_t index = 0;
};

using Passes = std::array<double, kMaxSkims> MachineProfile::*;
constexpr Passes kStock = &MachineProfile::stock;
constexpr Passes kSkimGap = &MachineProfile::skimGap;
constexpr Passes kSkimTime = &MachineProfile::skimTime;

const std::array<Key, 24> kKeys{{
    {"wire_diameter", Range::Positive, &MachineProfile::wireDiameter, nullptr},
    {"spark_gap", Range::NotNegative, &MachineProfile::sparkGap, nullptr},
    {"rough_stock", Range::NotNegative, nullptr, nullptr, nullptr, kStock, 0},
    {"skim1_gap", Range::NotNegative, nullptr, nullptr, nullptr, kSkimGap, 0},
    {"skim1_stock", Range::NotNegative, nullptr, nullptr, nullptr, kStock, 1},
    {"skim1_time", Range::Positive, nullptr, nullptr, nullptr, kSkimTime, 0},
    {"skim2_gap", Range::NotNegative, nullptr, nullptr, nullptr, kSkimGap, 1},
    {"skim2_stock", Range::NotNegative, nullptr, nullptr, nullptr, kStock, 2},
    {"skim2_time", Range::Positive, nullptr, nullptr, nullptr, kSkimTime, 1},
    {"skim3_gap", Range::NotNegative, nullptr, nullptr, nullptr, kSkimGap, 2},
    {"skim3_stock", Range::NotNegative, nullptr, nullptr, nullptr, kStock, 3},
    {"skim3_time", Range::Positive, nullptr, nullptr, nullptr, kSkimTime, 2},
    {"skim4_gap", Range::NotNegative, nullptr, nullptr, nullptr, kSkimGap, 3},
    {"skim4_time", Range::Positive, nullptr, nullptr, nullptr, kSkimTime, 3},
    {"max_taper_angle", Range::Angle, &MachineProfile::maxTaperAngle, nullptr},
    {"travel_x", Range::Positive, nullptr, &MachineProfile::travelX},
    {"travel_y", Range::Positive, nullptr, &MachineProfile::travelY},
    {"travel_u", Range::Positive, nullptr, &MachineProfile::travelU},
    {"travel_v", Range::Positive, nullptr, &MachineProfile::travelV},
    {"cutting_rate", Range::Positive, &MachineProfile::cuttingRate, nullptr},
    {"height", Range::Positive, &MachineProfile::height, nullptr},
    {"cut_wire", Range::StopCode, nullptr, nullptr, &WireCodes::cut},
    {"thread_wire", Range::StopCode, nullptr, nullptr, &WireCodes::thread},
    {"hold_slug", Range::StopCode, nullptr, nullptr, &WireCodes::hold},
}};

// The keys of the window's choice of passes, read apart from the table: a count, a length, a word and
// a flag.
constexpr std::array<std::string_view, 4> kChoiceKeys{"skims", "stop", "direction", "rough_first"};

// The text of a key or value in a message in quotes: control characters as "?", cut after about 80
// bytes at a character's start.
std::string Quoted(std::string_view text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (out.size() >= 80 && (c & 0xC0) != 0x80) break;
    out += (c >= 0x20 && c != 0x7F) ? text[k] : '?';
  }
  if (out.size() < text.size()) out += "…";
  return "«" + out + "»";
}

const char* RangeText(Range range) {
  switch (range) {
    case Range::Positive:
      return "должно быть больше нуля";
    case Range::NotNegative:
      return "не может быть меньше нуля";
    case Range::Angle:
      return "должно быть больше 0 и меньше 180 градусов";
    case Range::StopCode:
      return "должно быть кодом M00–M999, кроме M02 и M30";
  }
  return "";
}

bool InRange(double v, Range range) {
  switch (range) {
    case Range::Positive:
      return v > 0;
    case Range::NotNegative:
      return v >= 0;
    case Range::Angle:
      return v > 0 && v < 180;
    case Range::StopCode:
      return false;
  }
  return false;
}

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

// Reads one key of the window's choice of passes into the profile, or says why it does not read.
std::optional<std::string> ReadChoice(std::string_view name, std::string_view value,
                                      MachineProfile& profile) {
  if (name == "direction") {
    const std::string word = UpperText(value);
    if (word != "ALTERNATE" && word != "SAME")
      return "значение ключа «direction» должно быть alternate или same, а стоит " + Quoted(value);
    profile.passes.direction = word == "SAME" ? SkimDirection::Same : SkimDirection::Alternate;
    return std::nullopt;
  }
  const std::optional<double> number = FullValue(value);
  if (!number || !std::isfinite(*number))
    return "значение " + Quoted(value) + " ключа " + Quoted(name) +
           " не число (дробная часть пишется через точку)";
  if (name == "stop") {
    if (*number < 0) return std::string("значение ключа «stop» не может быть меньше нуля");
    profile.passes.stop = *number;
  } else if (name == "skims") {
    if (*number != std::floor(*number) || *number < 0 || *number > kMaxSkims)
      return "значение ключа «skims» должно быть целым числом от 0 до " + std::to_string(kMaxSkims);
    profile.passes.skims = static_cast<int>(*number);
  } else {
    if (*number != 0 && *number != 1) return std::string("значение ключа «rough_first» должно быть 0 или 1");
    profile.roughFirst = *number == 1;
  }
  return std::nullopt;
}

}  // namespace

MachineProfileReading ParseMachineProfile(std::string_view text) {
  MachineProfileReading r;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  MachineProfile profile;
  std::array<bool, kKeys.size() + kChoiceKeys.size()> seen{};
  bool inSection = false;
  bool sawSection = false;
  const auto fail = [&r](int line, std::string error) {
    r.line = line;
    r.error = std::move(error);
    return r;
  };
  int lineNo = 1;
  for (std::size_t start = 0; start < text.size(); ++lineNo) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
    if (line.size() > kMaxLine)
      return fail(lineNo, "строка длиннее " + std::to_string(kMaxLine) + " символов");
    if (const std::size_t comment = line.find(';'); comment != std::string_view::npos)
      line = line.substr(0, comment);
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail(lineNo, "раздел без закрывающей скобки: " + Quoted(line));
      const std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (name != kSection)
        return fail(lineNo,
                    "неизвестный раздел " + Quoted(name) + ": ключи станка стоят в разделе [machine]");
      if (sawSection) return fail(lineNo, "раздел [machine] повторяется");
      inSection = sawSection = true;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
      return fail(lineNo, "нужна запись «ключ = значение», а стоит " + Quoted(line));
    const std::string_view name = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    std::size_t index = 0;
    while (index < kKeys.size() && kKeys[index].name != name) ++index;
    std::size_t choice = 0;
    while (choice < kChoiceKeys.size() && kChoiceKeys[choice] != name) ++choice;
    if (index == kKeys.size() && choice == kChoiceKeys.size())
      return fail(lineNo, "неизвестный ключ " + Quoted(name));
    if (!inSection) return fail(lineNo, "ключ " + Quoted(name) + " стоит вне раздела [machine]");
    const std::size_t seenAt = index < kKeys.size() ? index : kKeys.size() + choice;
    if (seen[seenAt]) return fail(lineNo, "ключ " + Quoted(name) + " повторяется");
    seen[seenAt] = true;
    if (value.empty()) return fail(lineNo, "у ключа " + Quoted(name) + " нет значения");
    if (index == kKeys.size()) {
      if (const std::optional<std::string> error = ReadChoice(name, value, profile))
        return fail(lineNo, *error);
      continue;
    }
    const Key& key = kKeys[index];
    if (key.code) {
      const std::string code = UpperText(value);
      if (!IsWireCode(code))
        return fail(lineNo, "значение ключа " + Quoted(name) + " " + RangeText(key.range));
      profile.wire.*key.code = code;
      continue;
    }
    const std::optional<double> number = FullValue(value);
    if (!number || !std::isfinite(*number))
      return fail(lineNo, "значение " + Quoted(value) + " ключа " + Quoted(name) +
                              " не число (дробная часть пишется через точку)");
    if (!InRange(*number, key.range))
      return fail(lineNo, "значение ключа " + Quoted(name) + " " + RangeText(key.range));
    if (key.value)
      profile.*key.value = *number;
    else if (key.list)
      (profile.*key.list)[key.index] = *number;
    else
      profile.*key.optional = *number;
  }
  r.profile = profile;
  return r;
}

std::string MachineProfileErrorText(const MachineProfileReading& reading) {
  if (reading.line <= 0) return reading.error;
  return "строка " + std::to_string(reading.line) + ": " + reading.error;
}

std::string MachineProfileText(const MachineProfile& p) {
  std::string out = "[machine]\n";
  const auto putText = [&out](std::string_view key, const std::string& value, std::string_view comment) {
    std::string line = std::string(key) + " = " + value;
    if (!comment.empty()) {
      if (line.size() < 26) line.append(26 - line.size(), ' ');
      line += "; ";
      line += comment;
    }
    out += line + "\n";
  };
  // Plain decimals, never the exponent form, which the reader does not take.
  const auto put = [&putText](const std::string& key, double value, std::string_view comment) {
    putText(key, FormatNumber(value, 0, 15), comment);
  };
  put("wire_diameter", p.wireDiameter, "mm");
  put("spark_gap", p.sparkGap, "mm, each side: the rough pass's");
  put("rough_stock", p.stock[0], "mm, each side, that the rough pass leaves for the skims");
  for (std::size_t k = 0; k < kMaxSkims; ++k) {
    const std::string skim = "skim" + std::to_string(k + 1);
    put(skim + "_gap", p.skimGap[k], k == 0 ? "mm, spark gap of skim 1" : "");
    if (k + 1 < kMaxSkims)
      put(skim + "_stock", p.stock[k + 1], k == 0 ? "mm that skim 1 leaves for the skims after it" : "");
    put(skim + "_time", p.skimTime[k], k == 0 ? "skim 1's time over the rough pass's on the same path" : "");
  }
  put("max_taper_angle", p.maxTaperAngle, "degrees, full cone angle the machine can cut");
  if (p.travelX) put("travel_x", *p.travelX, "mm, table range centred on the start point");
  if (p.travelY) put("travel_y", *p.travelY, "");
  if (p.travelU) put("travel_u", *p.travelU, "mm, taper head range");
  if (p.travelV) put("travel_v", *p.travelV, "");
  put("cutting_rate", p.cuttingRate, "mm²/min (contour length × height per minute)");
  put("height", p.height, "mm, workpiece height for holes whose program gives none");
  putText("cut_wire", p.wire.cut, "stop code to cut the wire between the holes of a job");
  putText("thread_wire", p.wire.thread, "stop code to thread it at the next hole");
  putText("hold_slug", p.wire.hold, "stop code to secure the slug before the rough contour closes");
  // The window's choice of passes, written only when it is not the default, so that a profile saved
  // without one reads as before.
  if (p.passes.skims != 0)
    putText("skims", std::to_string(p.passes.skims), "the window's skims for new programs");
  if (p.passes.stop != 0) put("stop", p.passes.stop, "mm, the slug held this far before the contour closes");
  if (p.passes.direction == SkimDirection::Same) putText("direction", "same", "skims all counter-clockwise");
  if (p.roughFirst) putText("rough_first", "1", "jobs rough every hole first");
  return out;
}

PassRegister RegisterOf(const MachineProfile& m, int pass, int passes) {
  passes = std::clamp(passes, 1, kMaxSkims + 1);
  pass = std::clamp(pass, 1, passes);
  PassRegister r;
  r.pass = pass;
  r.wireRadius = m.wireDiameter / 2;
  const auto k = static_cast<std::size_t>(pass - 1);
  r.gap = pass == 1 ? m.sparkGap : m.skimGap[k - 1];
  r.stock = pass == passes ? 0 : m.stock[k];
  r.offset = r.wireRadius + r.gap + r.stock;
  r.timeFactor = pass == 1 ? 1 : m.skimTime[k - 1];
  return r;
}

std::vector<PassRegister> RegisterTable(const MachineProfile& m, int passes) {
  passes = std::clamp(passes, 1, kMaxSkims + 1);
  std::vector<PassRegister> table;
  for (int pass = 1; pass <= passes; ++pass) table.push_back(RegisterOf(m, pass, passes));
  return table;
}

}  // namespace kalmoro
