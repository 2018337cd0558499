#include "save/ProgramFile.h"

#include <sys/stat.h>

#include "text/Cp1251.h"

namespace kalmoro {
namespace {

constexpr std::string_view kIsoExt = ".iso";

}  // namespace

std::string WithIsoExtension(std::string_view name) {
  std::string path(name);
  if (!path.ends_with(kIsoExt)) path += kIsoExt;
  return path;
}

std::string Cp1251Refusal(std::string_view badChar, std::string_view note) {
  std::string text = "символ «" + std::string(badChar) + "»";
  if (!note.empty()) text += " (" + std::string(note) + ")";
  return text + " нельзя записать в кодировке Windows-1251. Удалите его из текста программы.";
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

SaveResult SaveProgramFile(std::string_view name, std::string_view utf8Text, ReadOnlyFile readOnly) {
  const std::string path = WithIsoExtension(name);
  const std::string_view last = name.substr(name.rfind('/') + 1);
  if (last.empty() || last == "." || last == ".." || last == kIsoExt) {
    return {SaveResult::Kind::Failed, path,
            "Не удалось сохранить программу: в «" + std::string(name) + "» не указано имя файла."};
  }
  std::string text(utf8Text);
  text += "\r\n";
  std::string bad;
  const auto bytes = EncodeCp1251(text, &bad);
  if (!bytes)
    return {SaveResult::Kind::Failed, path, "Файл «" + path + "» не сохранён: " + Cp1251Refusal(bad)};
  return ReplaceFileContents(path, *bytes, readOnly);
}

}  // namespace kalmoro
