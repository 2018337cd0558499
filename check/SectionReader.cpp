#include "SectionReader.h"

#include <algorithm>
#include <cmath>

#include "HoleCheck.h"
#include "PassReader.h"
#include "StructureCheck.h"
#include "nc/NcGrammar.h"
#include "nc/NumberText.h"
#include "nc/ProgramInterpreter.h"
#include "nc/ProgramLexer.h"

namespace kalmoro {
namespace {

// A program that returns to its start ends there within the rounding of its words.
constexpr double kSamePoint = 0.0015;

}  // namespace

bool IsStopBlock(const LexedLine& words) {
  bool stop = false;
  for (const Word& w : words.words) {
    if (w.letter == grammar::kBlockLetter) continue;
    if (w.letter != 'M' || w.value == 2 || w.value == 30) return false;
    stop = true;
  }
  return stop;
}

SectionReading ReadSection(std::string_view text, const SectionFrame& frame) {
  SectionReading out;
  ProgramReading& r = out.reading;
  ProgramInterpreter interpreter(r.moves, r.problems);
  interpreter.ResumeMotion(frame.motion);
  StructureCheck structure(r.problems, frame.lastBlock, frame.inJob, frame.endsProgram);
  if (frame.inJob) {
    r.header = frame.header;
    r.headerLine = frame.headerLine;
  }
  LexedLine words;  // reused from line to line
  // Problems beyond this many, while reading, are counted only.
  constexpr std::size_t kKeptWhileReading = 10 * kShownProblems;
  const auto keep = [&r] {
    if (r.problems.size() <= kKeptWhileReading) return;
    r.problemsLeftOut += r.problems.size() - kKeptWhileReading;
    r.problems.resize(kKeptWhileReading);
  };
  PassEvents events;
  bool sawText = false;
  int endLine = 0;
  // A hole of a job without a line of its own: what is missing is named at its comment line.
  int lastLine = frame.inJob ? frame.headerLine : frame.firstLine;
  ForEachLine(text, frame.firstLine, [&](std::string_view line, int lineNo, std::size_t) {
    if (line.empty()) return;
    sawText = true;
    lastLine = lineNo;
    if (line.starts_with(grammar::kHeaderOpen.front())) {
      if (structure.Header(lineNo)) {
        r.headerLine = lineNo;
        r.header = ParseHeaderLine(line);
      }
      return;
    }
    LexLine(line, words);
    // A line of comments only is no block.
    if (words.words.empty() && words.problems.empty() && words.problemsLeftOut == 0) return;
    for (Problem& p : words.problems) {
      p.line = lineNo;
      r.problems.push_back(std::move(p));
    }
    r.problemsLeftOut += words.problemsLeftOut;
    const int block = structure.BlockNumber(words, lineNo);
    const std::size_t move = r.moves.size();
    if (IsStopBlock(words)) {
      events.stops.push_back({move, lineNo});
      return;
    }
    const BlockFacts facts = interpreter.Block(words, lineNo, block);
    structure.Block(facts, lineNo);
    if (facts.rightSide) events.sides.push_back({move, *facts.rightSide, lineNo});
    if (facts.offset) events.offsets.push_back({move, *facts.offset, lineNo});
    if (facts.end && endLine == 0) endLine = lineNo;
    keep();
  });
  out.lastBlock = structure.LastBlock();
  out.start = interpreter.Start();
  out.end = interpreter.Current();
  out.motion = interpreter.Motion();
  if (!sawText && !frame.inJob) {
    r.empty = true;
    return out;
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
      r.problems.push_back({endLine != 0 ? endLine : last.line, ProblemKind::Structure,
                            std::string(frame.endsProgram ? "Программа" : "Отверстие") +
                                " не возвращается в начальную точку: конец в " + FormatNumber(off, 0, 3) +
                                " мм от неё"});
  }
  FindPasses(r, events, out.start);
  CheckHoleAgainstHeader(r, interpreter.WireHeightLine(), {frame.firstPass, frame.lastPass, lastLine});
  CheckPassSides(r);
  return out;
}

void KeepShownProblems(ProgramReading& r) {
  std::stable_sort(r.problems.begin(), r.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  if (r.problems.size() > kShownProblems) {
    r.problemsLeftOut += r.problems.size() - kShownProblems;
    r.problems.resize(kShownProblems);
  }
}

}  // namespace kalmoro
