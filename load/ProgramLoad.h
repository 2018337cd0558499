#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reading a program file someone else may have written: its code page guessed from its bytes, and
// files that cannot be a program (binary, huge, not a regular file) refused with a Russian message.
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

// Larger files are refused: the largest program the generators write is well below this, and a larger
// one would make the window unresponsive.
inline constexpr std::size_t kMaxProgramFileBytes = std::size_t{8} << 20;

struct LoadResult {
  bool loaded = false;
  // UTF-8, line ends as in the file but for the one that ends the file: saving adds it again, so that
  // a program saved, opened and saved again keeps its bytes.
  std::string text;
  TextEncoding encoding = TextEncoding::Cp1251;
  std::string message;  // why the file was not loaded (Russian, UTF-8), naming the file
};

// Reads the file at path (links followed). Refused: anything but a regular file, a file larger than
// kMaxProgramFileBytes, binary content, and any error of the system, each with its reason.
LoadResult LoadProgramFile(const std::string& path);

}  // namespace kalmoro
