#include "save/ProgramFile.h"

#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>

namespace kalmoro {
namespace {

constexpr std::string_view kIsoExt = ".iso";

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
std::size_t Utf8Length(unsigned char b) {
  if (b >= 0xF0 && b < 0xF8) return 4;
  if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string WithIsoExtension(std::string_view name) {
  std::string path(name);
  if (!path.ends_with(kIsoExt)) path += kIsoExt;
  return path;
}

std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar) {
  iconv_t cd = ::iconv_open("CP1251", "UTF-8");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the failure value iconv_open is documented to return
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (badChar) badChar->clear();
    return std::nullopt;
  }
  std::string out(utf8.size(), '\0');  // never longer than its UTF-8 form
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  const int error = errno;
  ::iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) {
    if (badChar) {
      const std::size_t offset = static_cast<std::size_t>(in - utf8.data());
      const std::size_t len =
          error == EILSEQ || error == EINVAL ? Utf8Length(static_cast<unsigned char>(*in)) : 0;
      *badChar = std::string(utf8.substr(offset, len));
    }
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
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
  if (!bytes) {
    return {SaveResult::Kind::Failed, path,
            bad.empty()
                ? "Не удалось сохранить файл «" + path + "»: текст нельзя перевести в кодировку Windows-1251."
                : "Файл «" + path + "» не сохранён: символ «" + bad +
                      "» нельзя записать в кодировке Windows-1251. Удалите его из текста программы."};
  }
  return ReplaceFileContents(path, *bytes, readOnly);
}

std::optional<std::string> SaveProgram(std::string_view name, std::string_view utf8Text,
                                       std::string* savedPath) {
  SaveResult result = SaveProgramFile(name, utf8Text);
  if (savedPath) *savedPath = result.path;
  if (result.Saved()) return std::nullopt;
  return std::move(result.message);
}

}  // namespace kalmoro
