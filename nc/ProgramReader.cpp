#include "nc/ProgramReader.h"

#include <algorithm>

#include "HoleCheck.h"
#include "ProgramInterpreter.h"
#include "ProgramLexer.h"
#include "StructureCheck.h"
#include "nc/NcGrammar.h"
#include "text/Ascii.h"

namespace kalmoro {

ProgramReading ReadProgram(std::string_view text) {
  ProgramReading r;
  ProgramInterpreter interpreter(r.moves, r.problems);
  StructureCheck structure(r.problems);
  LexedLine words;  // reused from line to line
  int lineNo = 1;
  int lastLine = 1;
  for (std::size_t start = 0; start < text.size(); ++lineNo) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
    if (line.empty()) continue;
    lastLine = lineNo;
    if (line.starts_with(grammar::kHeaderOpen.front())) {
      if (structure.Header(lineNo)) {
        r.headerLine = lineNo;
        r.header = ParseHeaderLine(line);
      }
      continue;
    }
    LexLine(line, words);
    for (Problem& p : words.problems) {
      p.line = lineNo;
      r.problems.push_back(std::move(p));
    }
    const int block = structure.BlockNumber(words, lineNo);
    structure.Block(interpreter.Block(words, lineNo, block), lineNo);
  }
  structure.Finish(lastLine);
  r.blocks = structure.Blocks();
  r.tapered = interpreter.Tapered();
  if (interpreter.HasWireHeight()) r.wireHeight = interpreter.WireHeight();
  CheckHoleAgainstHeader(r);
  std::stable_sort(r.problems.begin(), r.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return r;
}

std::string HoleText(const ProgramReading& r) {
  if (r.encoded) return r.encoded->description;
  return r.header ? "размеры не определены: контур не найден"
                  : "размеры не определены: нет заголовка отверстия";
}

std::string ProblemCountText(std::size_t problems) {
  return problems == 0 ? "ошибок нет" : "ошибок: " + std::to_string(problems);
}

std::string SummaryText(const ProgramReading& r) {
  return HoleText(r) + "; кадров: " + std::to_string(r.blocks) + "; " + ProblemCountText(r.problems.size());
}

}  // namespace kalmoro
