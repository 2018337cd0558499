// The program reader on any bytes, read as `kalmoro-gen check` reads a file (Windows-1251) and as the
// window's preview reads its text (UTF-8, here also not well-formed): it never throws or crashes, every
// problem and every move stands at a line of the text, the problems come in the order of their lines,
// and every text it reports is well-formed UTF-8. libFuzzer's -timeout catches a reading that is not
// linear in the length of the text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "check/ProgramReader.h"
#include "text/Cp1251.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

// Lines as the reader counts them: ended by CR LF, LF or CR; a last line without an end counts.
int LineCount(std::string_view text) {
  int lines = 0;
  for (std::size_t at = 0; at < text.size(); ++lines) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    at = end + 1;
  }
  return lines;
}

void Read(const std::string& text, const char* as) {
  const auto label = [&] { return std::string("read ") + as + ":\n" + Escaped(text); };
  ProgramReading r;
  try {
    r = ReadProgram(text);
  } catch (...) {
    Fail("the reader never throws", label());
  }
  const int lines = std::max(LineCount(text), 1);
  int last = 0;
  for (const Problem& p : r.problems) {
    const auto at = [&] {
      return label() + "\nproblem at line " + std::to_string(p.line) + " of " + std::to_string(lines) + ": " +
             Escaped(p.text);
    };
    if (p.line < 1 || p.line > lines) Fail("every problem stands at a line of the text", at());
    if (p.line < last) Fail("the problems come in the order of their lines", at());
    if (p.text.empty() || !IsUtf8(p.text)) Fail("a problem is told in well-formed UTF-8", at());
    last = p.line;
  }
  for (const Move& m : r.moves) {
    if (m.line < 1 || m.line > lines) Fail("every move stands at a line of the text", label());
  }
  if (r.headerLine < 0 || r.headerLine > lines || (r.header && r.headerLine < 1))
    Fail("the header stands at a line of the text", label());
  if (r.blocks < 0 || r.blocks > lines) Fail("no more numbered blocks than lines", label());
  if (r.encoded && !IsUtf8(r.encoded->description)) Fail("what a program encodes is told in UTF-8", label());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = AsText(data, size);
  const std::string decoded = DecodeCp1251(bytes);
  if (!IsUtf8(decoded)) Fail("Windows-1251 bytes decode to well-formed UTF-8", Escaped(bytes));
  Read(decoded, "as Windows-1251");
  Read(std::string(bytes), "as UTF-8");
  return 0;
}
