#include "cli/Check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cli/TerminalText.h"
#include "nc/MachineCheck.h"
#include "nc/MachineProfile.h"
#include "nc/ProgramReader.h"
#include "save/ErrnoText.h"
#include "text/Cp1251.h"

namespace kalmoro {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUnreadable = 2;

// A program for the machine is at most a few megabytes (the largest the generators write is 1.4 MB);
// anything longer is refused unread, so that memory stays bounded for any file, /dev/zero included.
constexpr std::size_t kMaxInputBytes = 64u << 20;

// The whole content of a file, or of standard input for "-"; nothing with errno set on failure (EFBIG
// past kMaxInputBytes).
std::optional<std::string> ReadAll(std::string_view name) {
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

// Why a file could not be read, in Russian.
std::string ReadReason(int error) {
  if (error == EFBIG)
    return "файл больше " + std::to_string(kMaxInputBytes >> 20) +
           " МБ, программы для станка не бывают такими";
  return ErrnoReason(error, FileAccess::Read);
}

// The profile named on the command line, or a message on standard error.
std::optional<MachineProfile> ReadProfile(const std::string& name) {
  const std::string shown = Shown(name);
  errno = 0;
  const std::optional<std::string> bytes = ReadAll(name);
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

}  // namespace

int RunCheck(const std::vector<std::string_view>& files, const std::optional<std::string>& machineFile) {
  if (files.empty()) {
    std::fputs("kalmoro-gen: команде check нужен хотя бы один файл (или «-» для стандартного ввода)\n",
               stderr);
    return kExitUnreadable;
  }
  MachineProfile machine;
  if (machineFile) {
    const std::optional<MachineProfile> profile = ReadProfile(*machineFile);
    if (!profile) return kExitUnreadable;
    machine = *profile;
  }
  int status = kExitClean;
  for (const std::string_view name : files) {
    const std::string shown = name == "-" ? std::string("<stdin>") : Shown(name);
    std::string text;
    {
      errno = 0;
      const std::optional<std::string> bytes = ReadAll(name);
      if (!bytes) {
        std::fprintf(stderr, "kalmoro-gen: не удалось прочитать «%s»: %s\n", shown.c_str(),
                     ReadReason(errno).c_str());
        status = kExitUnreadable;
        continue;
      }
      text = DecodeCp1251(*bytes);  // the bytes go before the reading begins
    }
    ProgramReading reading = ReadProgram(text);
    CheckMachine(reading, machine);
    for (const Problem& p : reading.problems)
      std::printf("%s:%d: %s%s\n", shown.c_str(), p.line, p.kind == ProblemKind::Note ? "примечание: " : "",
                  Shown(p.text).c_str());
    if (reading.problemsLeftOut > 0) std::printf("%s: и ещё %zu\n", shown.c_str(), reading.problemsLeftOut);
    std::printf("%s: %s\n", shown.c_str(), SummaryText(reading).c_str());
    if (!reading.empty)
      std::printf("%s: %s%s\n", shown.c_str(), CuttingTimeText(EstimateCuttingTime(reading, machine)).c_str(),
                  machineFile ? "" : "; станок по умолчанию");
    if (ProblemCount(reading) > 0 && status == kExitClean) status = kExitProblems;
  }
  return std::fflush(stdout) == 0 ? status : kExitUnreadable;
}

}  // namespace kalmoro
