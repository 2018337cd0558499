#include "nc/ProgramReader.h"

#include <algorithm>
#include <cmath>

#include "HoleCheck.h"
#include "ProgramInterpreter.h"
#include "ProgramLexer.h"
#include "StructureCheck.h"
#include "nc/NcGrammar.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// A program that returns to its start ends there within the rounding of its words.
constexpr double kSamePoint = 0.0015;

}  // namespace

ProgramReading ReadProgram(std::string_view text) {
  ProgramReading r;
  ProgramInterpreter interpreter(r.moves, r.problems);
  StructureCheck structure(r.problems);
  LexedLine words;  // reused from line to line
  // Problems beyond this many, while reading, are counted only.
  constexpr std::size_t kKeptWhileReading = 10 * kShownProblems;
  const auto keep = [&r] {
    if (r.problems.size() <= kKeptWhileReading) return;
    r.problemsLeftOut += r.problems.size() - kKeptWhileReading;
    r.problems.resize(kKeptWhileReading);
  };
  bool sawText = false;
  int endLine = 0;
  int lineNo = 1;
  int lastLine = 1;
  for (std::size_t start = 0; start < text.size(); ++lineNo) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
    if (line.empty()) continue;
    sawText = true;
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
    r.problemsLeftOut += words.problemsLeftOut;
    const int block = structure.BlockNumber(words, lineNo);
    const BlockFacts facts = interpreter.Block(words, lineNo, block);
    structure.Block(facts, lineNo);
    if (facts.end && endLine == 0) endLine = lineNo;
    keep();
  }
  if (!sawText) {
    r.empty = true;
    return r;
  }
  structure.Finish(lastLine);
  r.blocks = structure.Blocks();
  r.tapered = interpreter.Tapered();
  if (interpreter.HasWireHeight()) r.wireHeight = interpreter.WireHeight();
  if (!r.moves.empty()) {
    // A program ends where it began: the next program, or the next hole, starts from there.
    const Point start = interpreter.Start();
    const Move& last = r.moves.back();
    const double off = std::hypot(last.x - start.x, last.y - start.y);
    if (off > kSamePoint)
      r.problems.push_back(
          {endLine != 0 ? endLine : last.line, ProblemKind::Structure,
           "Программа не возвращается в начальную точку: конец в " + FormatNumber(off, 0, 3) + " мм от неё"});
  }
  CheckHoleAgainstHeader(r, interpreter.WireHeightLine());
  std::stable_sort(r.problems.begin(), r.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  if (r.problems.size() > kShownProblems) {
    r.problemsLeftOut += r.problems.size() - kShownProblems;
    r.problems.resize(kShownProblems);
  }
  return r;
}

std::string HoleText(const ProgramReading& r) {
  if (r.empty) return "программа пуста";
  if (r.encoded) return r.encoded->description;
  return r.header ? "размеры не определены: контур не найден"
                  : "размеры не определены: нет заголовка отверстия";
}

std::string ProblemCountText(std::size_t problems) {
  return problems == 0 ? "ошибок нет" : "ошибок: " + std::to_string(problems);
}

std::string SummaryText(const ProgramReading& r) {
  return HoleText(r) + "; кадров: " + std::to_string(r.blocks) + "; " + ProblemCountText(ProblemCount(r));
}

}  // namespace kalmoro
