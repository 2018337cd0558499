#include "load/ProgramLoad.h"

#include <utility>

#include "text/Cp1251.h"
#include "text/Utf8.h"

namespace kalmoro {
namespace {

LoadResult Refused(const std::string& path, std::string reason) {
  LoadResult result;
  result.message = "Не удалось открыть файл «" + path + "»: " + reason + ".";
  result.reason = std::move(reason);
  return result;
}

}  // namespace

const char* EncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? "UTF-8" : "Windows-1251";
}

DecodedText DecodeProgramBytes(std::string_view bytes) {
  bool beyondAscii = false;
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      beyondAscii = true;
      break;
    }
  if (beyondAscii && IsValidUtf8(bytes)) return {std::string(bytes), TextEncoding::Utf8};
  return {DecodeCp1251(bytes), TextEncoding::Cp1251};
}

bool LooksBinary(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) continue;
    switch (byte) {
      case '\t':
      case '\n':
      case '\v':
      case '\f':
      case '\r':
      case 0x12:  // DC2 and DC4 switch a tape punch on and off around a program
      case 0x14:
      case 0x1A:  // the old end-of-file mark
        continue;
      default:
        return true;
    }
  }
  return false;
}

LoadResult LoadProgramFile(const std::string& path, FileUse use) {
  InputFile file = ReadInputFile(path, use);
  if (!file.read) return Refused(path, std::move(file.reason));
  if (use != FileUse::Check && LooksBinary(file.bytes))
    return Refused(path, "это не текстовый файл программы (в нём есть двоичные данные)");

  DecodedText decoded = DecodeProgramBytes(file.bytes);
  file.bytes = std::string();  // the bytes go before the text is read
  LoadResult result;
  result.loaded = true;
  result.text = std::move(decoded.text);
  if (result.text.ends_with("\r\n"))
    result.text.resize(result.text.size() - 2);
  else if (result.text.ends_with('\n') || result.text.ends_with('\r'))
    result.text.pop_back();
  result.encoding = decoded.encoding;
  return result;
}

}  // namespace kalmoro
