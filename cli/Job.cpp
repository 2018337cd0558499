#include "cli/Job.h"

#include <cstdio>
#include <optional>
#include <string>

#include "check/MachineProfile.h"
#include "cli/ExitStatus.h"
#include "cli/JobFile.h"
#include "cli/MachineFile.h"
#include "cli/ProgramOutput.h"
#include "cli/TerminalText.h"
#include "holes/Job.h"
#include "load/InputFile.h"

namespace kalmoro {

int RunJob(const JobCommand& command) {
  MachineProfile machine;
  if (command.machine) {
    const std::optional<MachineProfile> profile = ReadMachineProfile(*command.machine);
    if (!profile) return kExitUsage;
    machine = *profile;
  }
  JobFileReading reading;
  {
    InputFile file = ReadInputFile(command.file, FileUse::Job);
    if (!file.read) {
      const std::string shown = command.file == "-" ? std::string("<stdin>") : Shown(command.file);
      std::fprintf(stderr, "kalmoro-gen: не удалось прочитать «%s»: %s\n", shown.c_str(),
                   Shown(file.reason).c_str());
      return kExitUsage;
    }
    reading = ReadJobFile(file.bytes, command.roughFirst, machine.wire.hold,
                          machine.maxTaperAngle);  // the bytes go before the job is written
  }
  if (!reading.Ok()) {
    for (const JobFileError& error : reading.errors)
      std::fprintf(stderr, "kalmoro-gen: строка %zu: %s\n", error.line, Shown(error.message).c_str());
    if (reading.uncheckedAfter > 0)
      std::fprintf(stderr,
                   "kalmoro-gen: после %zu строк с ошибками задание дальше строки %zu не проверялось\n",
                   reading.errors.size(), reading.uncheckedAfter);
    return kExitRefused;
  }
  const GenResult job = GenJob(reading.holes, machine.wire, command.roughFirst);
  if (!job.Ok()) {
    PrintMessage("kalmoro-gen: " + job.error);
    return kExitRefused;
  }
  reading = {};
  return PutProgram(job.program, command.output);
}

}  // namespace kalmoro
