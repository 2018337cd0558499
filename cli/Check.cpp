#include "cli/Check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cli/TerminalText.h"
#include "nc/ProgramReader.h"
#include "save/ErrnoText.h"
#include "text/Cp1251.h"

namespace kalmoro {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUnreadable = 2;

// The whole content of a file, or of standard input for "-"; nothing with errno set on failure.
std::optional<std::string> ReadAll(std::string_view name) {
  const bool stdinput = name == "-";
  std::FILE* file = stdinput ? stdin : std::fopen(std::string(name).c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char buf[65536];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) bytes.append(buf, n);
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  if (!stdinput) std::fclose(file);
  if (failed) {
    errno = error;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

int RunCheck(const std::vector<std::string_view>& files) {
  if (files.empty()) {
    std::fputs("kalmoro-gen: команде check нужен хотя бы один файл (или «-» для стандартного ввода)\n",
               stderr);
    return kExitUnreadable;
  }
  int status = kExitClean;
  for (const std::string_view name : files) {
    const std::string shown = name == "-" ? std::string("<stdin>") : Shown(name);
    errno = 0;
    const std::optional<std::string> bytes = ReadAll(name);
    if (!bytes) {
      std::fprintf(stderr, "kalmoro-gen: не удалось прочитать «%s»: %s\n", shown.c_str(),
                   ErrnoReason(errno, FileAccess::Read).c_str());
      status = kExitUnreadable;
      continue;
    }
    const ProgramReading reading = ReadProgram(DecodeCp1251(*bytes));
    for (const Problem& p : reading.problems)
      std::printf("%s:%d: %s\n", shown.c_str(), p.line, Shown(p.text).c_str());
    const std::string what = reading.encoded ? reading.encoded->description
                             : reading.header ? std::string("размеры не определены: контур не найден")
                                              : std::string("размеры не определены: нет заголовка отверстия");
    const std::string verdict =
        reading.problems.empty() ? "ошибок нет" : "ошибок: " + std::to_string(reading.problems.size());
    std::printf("%s: %s; кадров: %d; %s\n", shown.c_str(), what.c_str(), reading.blocks, verdict.c_str());
    if (!reading.problems.empty() && status == kExitClean) status = kExitProblems;
  }
  return std::fflush(stdout) == 0 ? status : kExitUnreadable;
}

}  // namespace kalmoro
