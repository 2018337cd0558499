#include "cli/ProgramOutput.h"

#include <csignal>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/TerminalText.h"
#include "save/ProgramFile.h"
#include "save/SaveInterrupt.h"

namespace kalmoro {

void PrintMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", Shown(text).c_str());
}

int PutProgram(const std::string& program, const std::optional<std::string>& output) {
  if (output) {
    const SaveResult saved = SaveProgramFile(*output, program);
    if (!saved.message.empty()) PrintMessage(saved.message);  // on success, a note on what changed
    // A signal that came while the new program was being put in place: the save is done and said so,
    // and the tool ends by the signal as it would have.
    if (const int sig = TakeLateSignal()) {
      PrintMessage("Файл «" + saved.path +
                   "» сохранён; сигнал, пришедший во время сохранения, завершает программу.");
      std::raise(sig);
    }
    return saved.Saved() ? kExitOk : kExitRefused;
  }
  if (std::fwrite(program.data(), 1, program.size(), stdout) != program.size() || std::fflush(stdout) != 0) {
    std::fputs("kalmoro-gen: не удалось вывести программу\n", stderr);
    return kExitRefused;
  }
  return kExitOk;
}

}  // namespace kalmoro
