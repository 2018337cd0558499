#include "save/ProgramName.h"

#include <array>

#include "nc/NcGrammar.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

using grammar::kHeaderOpen;
constexpr std::string_view kHeaderClose(&grammar::kHeaderClose, 1);

bool SafeChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '.' || c == '+' || c == '-';
}

bool Trimmed(char c) {
  return c == '.' || c == '-' || c == '_';
}

std::string TrimEnds(std::string name) {
  std::size_t first = 0;
  while (first < name.size() && Trimmed(name[first])) ++first;
  std::size_t last = name.size();
  while (last > first && Trimmed(name[last - 1])) --last;
  return name.substr(first, last - first);
}

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices on Windows, whatever follows a ".".
bool WindowsDeviceName(std::string_view name) {
  std::string stem;
  for (const char c : name.substr(0, name.find('.'))) stem += Upper(c);
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kDevices)
    if (stem == device) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

}  // namespace

std::string ProgramBaseName(std::string_view program) {
  const std::string_view line = Trim(program.substr(0, program.find_first_of("\r\n")));
  if (line.size() < kHeaderOpen.size() + kHeaderClose.size() || !line.starts_with(kHeaderOpen) ||
      !line.ends_with(kHeaderClose))
    return {};
  const std::string_view inner =
      line.substr(kHeaderOpen.size(), line.size() - kHeaderOpen.size() - kHeaderClose.size());

  // The kind and the words are separated by ":" and become parts joined by "_"; "=" joins a word's
  // name and value without a mark; every other unsafe character becomes "_", and runs of "_" one.
  std::string name;
  for (const char c : Trim(inner)) {
    if (c == '=') continue;
    const char safe = SafeChar(c) ? c : '_';
    if (safe == '_' && !name.empty() && name.back() == '_') continue;
    name += safe;
  }
  name = TrimEnds(std::move(name));
  if (WindowsDeviceName(name)) name = "NC_" + name;
  if (name.size() > kMaxProgramNameLength) name = TrimEnds(name.substr(0, kMaxProgramNameLength));
  return name;
}

}  // namespace kalmoro
