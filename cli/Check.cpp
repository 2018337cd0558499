#include "cli/Check.h"

#include <cstdio>
#include <optional>
#include <string>

#include "check/MachineCheck.h"
#include "check/MachineProfile.h"
#include "check/ProgramReader.h"
#include "check/StartHoles.h"
#include "cli/MachineFile.h"
#include "cli/TerminalText.h"
#include "load/ProgramLoad.h"

namespace kalmoro {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUnreadable = 2;

}  // namespace

int RunCheck(const std::vector<std::string_view>& files, const std::optional<std::string>& machineFile) {
  if (files.empty()) {
    std::fputs("kalmoro-gen: команде check нужен хотя бы один файл (или «-» для стандартного ввода)\n",
               stderr);
    return kExitUnreadable;
  }
  MachineProfile machine;
  if (machineFile) {
    const std::optional<MachineProfile> profile = ReadMachineProfile(*machineFile);
    if (!profile) return kExitUnreadable;
    machine = *profile;
  }
  int status = kExitClean;
  for (const std::string_view name : files) {
    const std::string shown = name == "-" ? std::string("<stdin>") : Shown(name);
    // Windows-1251 as programs are saved, or UTF-8 when a text editor saved it so; bytes no program
    // holds are read too, and named at their lines.
    const LoadResult loaded = LoadProgramFile(std::string(name), FileUse::Check);
    if (!loaded.loaded) {
      std::fprintf(stderr, "kalmoro-gen: не удалось прочитать «%s»: %s\n", shown.c_str(),
                   Shown(loaded.reason).c_str());
      status = kExitUnreadable;
      continue;
    }
    ProgramReading reading = ReadProgram(loaded.text);
    CheckMachine(reading, machine);
    for (const Problem& p : reading.problems)
      std::printf("%s:%d: %s%s\n", shown.c_str(), p.line, p.kind == ProblemKind::Note ? "примечание: " : "",
                  ShownEscaped(p.text).c_str());
    if (reading.problemsLeftOut > 0) std::printf("%s: и ещё %zu\n", shown.c_str(), reading.problemsLeftOut);
    std::printf("%s: %s\n", shown.c_str(), SummaryText(reading).c_str());
    if (!reading.empty) {
      const CuttingTime time = EstimateCuttingTime(reading, machine);
      std::printf("%s: %s%s\n", shown.c_str(), CuttingTimeText(time).c_str(),
                  machineFile ? "" : "; станок по умолчанию");
      for (const std::string& line : PassTexts(reading, machine, time, machineFile.has_value()))
        std::printf("%s: %s\n", shown.c_str(), line.c_str());
      // Where the driller puts each start hole before the plate comes to the wire machine.
      for (const StartHole& hole : StartHoles(reading))
        std::printf("%s: %s\n", shown.c_str(), StartHoleText(hole, reading.job.has_value()).c_str());
    }
    if (ProblemCount(reading) > 0 && status == kExitClean) status = kExitProblems;
  }
  return std::fflush(stdout) == 0 ? status : kExitUnreadable;
}

}  // namespace kalmoro
