#include "cli/MachineFile.h"

#include <cstdio>

#include "cli/TerminalText.h"
#include "load/InputFile.h"

namespace kalmoro {

std::optional<MachineProfile> ReadMachineProfile(const std::string& name) {
  const std::string shown = Shown(name);
  const InputFile file = ReadInputFile(name, FileUse::MachineProfile);
  if (!file.read) {
    std::fprintf(stderr, "kalmoro-gen: не удалось прочитать профиль станка «%s»: %s\n", shown.c_str(),
                 Shown(file.reason).c_str());
    return std::nullopt;
  }
  const MachineProfileReading reading = ParseMachineProfile(file.bytes);
  if (!reading.profile)
    std::fprintf(stderr, "kalmoro-gen: ошибка в профиле станка «%s», %s\n", shown.c_str(),
                 Shown(MachineProfileErrorText(reading)).c_str());
  return reading.profile;
}

}  // namespace kalmoro
