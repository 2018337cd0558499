#include "cli/LeftBackups.h"

#include <cstdio>
#include <string>

#include "cli/TerminalText.h"
#include "save/ProgramBackup.h"

namespace kalmoro {

void PrintLeftBackups(const std::vector<std::string_view>& files) {
  for (const std::string_view name : files) {
    if (name == "-") continue;
    for (const std::string& backup : FindBackups(std::string(name))) {
      std::printf("%s: сохранение файла было прервано, прежняя программа осталась в резервной копии «%s»\n",
                  Shown(name).c_str(), Shown(backup).c_str());
    }
  }
  std::fflush(stdout);
}

}  // namespace kalmoro
