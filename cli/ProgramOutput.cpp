#include "cli/ProgramOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/TerminalText.h"
#include "save/ProgramFile.h"
#include "save/SaveInterrupt.h"
#include "text/Cp1251.h"

namespace kalmoro {

void PrintMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", Shown(text).c_str());
}

int PutProgram(const std::string& program, const std::optional<std::string>& output) {
  if (output) {
    // A name that is there and is neither a regular file nor a folder (/dev/null, a named pipe) is refused
    // as the save refuses such a file, rather than given ".iso" and a new file beside it.
    struct stat info {};
    if (::stat(output->c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
      PrintMessage("Не удалось сохранить файл «" + *output + "»: это не обычный файл.");
      return kExitRefused;
    }
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
  // The file's bytes (Windows-1251), so that "> part.iso" gives what -o gives but for the last line end;
  // a terminal gets UTF-8, which it shows.
  std::optional<std::string> encoded;
  if (!::isatty(STDOUT_FILENO)) {
    std::string bad;
    encoded = EncodeCp1251(program, &bad);
    if (!encoded) {
      PrintMessage("kalmoro-gen: программа не выведена: " + Cp1251Refusal(bad));
      return kExitRefused;
    }
  }
  const std::string_view bytes = encoded ? std::string_view(*encoded) : std::string_view(program);
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
    std::fputs("kalmoro-gen: не удалось вывести программу\n", stderr);
    return kExitRefused;
  }
  return kExitOk;
}

}  // namespace kalmoro
