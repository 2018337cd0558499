#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "load/InputFile.h"

// Reading a program file someone else may have written, through the one reader (InputFile.h: regular
// files only, bounded, each failure with its cause): its code page guessed from its bytes, and, where its
// text is to be shown or drawn (the window, export), binary content refused. `check` reads binary content
// too and names each byte no program holds at its line.
namespace kalmoro {

enum class TextEncoding { Cp1251, Utf8 };

// "Windows-1251" or "UTF-8".
const char* EncodingName(TextEncoding encoding);

// Program bytes as UTF-8 text. UTF-8 is taken when the bytes are well-formed UTF-8 and hold at least
// one character beyond ASCII; anything else is read as Windows-1251, the code page programs are saved
// in (pure ASCII reads the same either way and is reported as Windows-1251).
struct DecodedText {
  std::string text;
  TextEncoding encoding = TextEncoding::Cp1251;
};
DecodedText DecodeProgramBytes(std::string_view bytes);

// Whether the bytes look like a binary file rather than text: a NUL byte or another control character
// that no text editor or NC program uses (tab, line ends, form feed, vertical tab, the end-of-file mark
// 0x1A and the tape codes DC2/DC4 are allowed).
bool LooksBinary(std::string_view bytes);

struct LoadResult {
  bool loaded = false;
  // UTF-8, line ends as in the file but for the one that ends the file: saving adds it again, so that
  // a program saved, opened and saved again keeps its bytes.
  std::string text;
  TextEncoding encoding = TextEncoding::Cp1251;
  std::string reason;  // why the file was not loaded (Russian, UTF-8), without its name
  std::string message;  // the same as a sentence naming the file: "Не удалось открыть файл «…»: reason."
};

// Reads the program file at path for a use (InputFile.h: the window by default). Refused: anything but
// a regular file ("-" is standard input on the command line), a file over the use's limit, binary
// content (LooksBinary) but for Check, and any error of the system, each with its reason.
LoadResult LoadProgramFile(const std::string& path, FileUse use = FileUse::Window);

}  // namespace kalmoro
