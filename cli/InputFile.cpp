#include "cli/InputFile.h"

#include <cerrno>
#include <cstdio>

#include "cli/TerminalText.h"
#include "save/ErrnoText.h"

namespace kalmoro {

std::optional<std::string> ReadInput(std::string_view name) {
  const bool stdinput = name == "-";
  std::FILE* file = stdinput ? stdin : std::fopen(std::string(name).c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char buf[65536];
  std::size_t n = 0;
  bool tooLong = false;
  while (!tooLong && (n = std::fread(buf, 1, sizeof buf, file)) > 0) {
    bytes.append(buf, n);
    tooLong = bytes.size() > kMaxInputBytes;
  }
  const bool failed = tooLong || std::ferror(file) != 0;
  const int error = tooLong ? EFBIG : errno;
  if (!stdinput) std::fclose(file);
  if (failed) {
    errno = error;
    return std::nullopt;
  }
  return bytes;
}

std::string ReadReason(int error, std::string_view what) {
  if (error == EFBIG)
    return "файл больше " + std::to_string(kMaxInputBytes >> 20) + " МБ, " + std::string(what) +
           " не бывают такими";
  return ErrnoReason(error, FileAccess::Read);
}

std::optional<MachineProfile> ReadMachineProfile(const std::string& name) {
  const std::string shown = Shown(name);
  errno = 0;
  const std::optional<std::string> bytes = ReadInput(name);
  if (!bytes) {
    std::fprintf(stderr, "kalmoro-gen: не удалось прочитать профиль станка «%s»: %s\n", shown.c_str(),
                 ReadReason(errno).c_str());
    return std::nullopt;
  }
  const MachineProfileReading reading = ParseMachineProfile(*bytes);
  if (!reading.profile)
    std::fprintf(stderr, "kalmoro-gen: ошибка в профиле станка «%s», %s\n", shown.c_str(),
                 Shown(MachineProfileErrorText(reading)).c_str());
  return reading.profile;
}

}  // namespace kalmoro
