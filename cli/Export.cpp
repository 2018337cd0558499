#include "cli/Export.h"

#include <cstdio>
#include <optional>
#include <string>

#include "check/ProgramReader.h"
#include "cli/TerminalText.h"
#include "export/ContourDxf.h"
#include "load/ProgramLoad.h"

namespace kalmoro {
namespace {

constexpr const char* kExportUsage = "Использование: kalmoro-gen export --dxf ФАЙЛ -o ВЫХОД.dxf\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "kalmoro-gen: %s\n%s", Shown(message).c_str(), kExportUsage);
  return 2;
}

int Failed(const std::string& message) {
  std::fprintf(stderr, "kalmoro-gen: %s\n", Shown(message).c_str());
  return 1;
}

}  // namespace

int RunExport(const std::vector<std::string_view>& args) {
  std::optional<std::string> input;
  std::optional<std::string> output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view name = args[i];
    if (name != "--dxf" && name != "-o") return Usage("неизвестный параметр «" + std::string(name) + "»");
    if (i + 1 >= args.size()) return Usage("у параметра " + std::string(name) + " нет значения");
    std::optional<std::string>& slot = name == "--dxf" ? input : output;
    if (slot) return Usage("параметр " + std::string(name) + " указан дважды");
    slot = std::string(args[++i]);
    if (slot->empty()) return Usage("пустое имя файла в " + std::string(name));
  }
  if (!input) return Usage("не указан файл программы (--dxf ФАЙЛ)");
  if (!output) return Usage("не указан файл чертежа (-o ВЫХОД.dxf)");

  const LoadResult loaded = LoadProgramFile(*input, FileUse::Export);
  if (!loaded.loaded) return Failed(loaded.message);
  const SaveResult saved = SaveContourDxf(ReadProgram(loaded.text), *output);
  if (!saved.Saved()) return Failed(saved.message);
  return 0;
}

}  // namespace kalmoro
