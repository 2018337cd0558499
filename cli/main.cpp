// kalmoro-gen: the hole programs of the window from the command line, for scripts and batch work.

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/Args.h"
#include "cli/Check.h"
#include "cli/ExitStatus.h"
#include "cli/Export.h"
#include "cli/Generate.h"
#include "cli/Job.h"
#include "cli/LeftBackups.h"
#include "cli/ProgramOutput.h"
#include "cli/TerminalText.h"
#include "holes/DieOpening.h"
#include "save/SaveInterrupt.h"

namespace {

using namespace kalmoro;

int Run(const std::vector<std::string_view>& args) {
  const Command command = ParseArgs(args);
  if (std::holds_alternative<HelpCommand>(command)) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (!args.empty() && args[0] == "export") return RunExport({args.begin() + 1, args.end()});
  if (const auto* check = std::get_if<CheckCommand>(&command)) {
    const std::vector<std::string_view> files(check->files.begin(), check->files.end());
    const int status = RunCheck(files, check->machine);
    PrintLeftBackups(files);
    return status;
  }
  if (const auto* job = std::get_if<JobCommand>(&command)) return RunJob(*job);
  if (std::holds_alternative<MaterialsCommand>(command))
    return std::fputs(MaterialsText().c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? kExitOk
                                                                                        : kExitRefused;
  if (const auto* error = std::get_if<UsageError>(&command)) {
    std::fprintf(stderr, "kalmoro-gen: %s\n%s", Shown(error->message).c_str(), kUsage);
    return kExitUsage;
  }
  return RunGenerate(std::get<GenerateCommand>(command));
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit fails the write with a message instead of ending the tool, and a signal that
  // ends the tool mid-save leaves the old program and no temporary file; one that comes as the new
  // program is put in place ends the tool once the save is reported.
  std::signal(SIGXFSZ, SIG_IGN);
  InstallSaveInterruptCleanup(LateSignal::KeepForCaller);
  std::vector<std::string_view> args(argv + 1, argv + argc);
  try {
    return Run(args);
  } catch (const std::exception& error) {
    PrintMessage(std::string("kalmoro-gen: внутренняя ошибка: ") + error.what());
    return kExitRefused;
  }
}
