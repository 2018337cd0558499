#pragma once

#include <optional>
#include <string_view>

#include "check/ProgramReader.h"
#include "nc/HoleHeader.h"
#include "nc/ProgramInterpreter.h"
#include "nc/ProgramLexer.h"
#include "text/Ascii.h"

// Reads the lines of one hole program: a whole single program, or one hole of a job, whose header is
// its comment line and whose blocks continue the job's numbering.
namespace kalmoro {

struct SectionFrame {
  int firstLine = 1;  // the number of the text's first line
  // A hole of a job: the header comes from its comment line, no header line may stand in the text,
  // and its block numbers continue from `lastBlock`.
  bool inJob = false;
  bool endsProgram = true;  // M02 must end it: a single program, or the last hole of a job
  std::optional<HoleHeader> header;
  int headerLine = 0;
  int lastBlock = -1;  // the number of the block before the section, -1 for none
  // The passes of the header the section holds: all of them, or in a rough-first job the rough pass
  // alone (1, 1) or the skims (2, 0 for the last).
  int firstPass = 1;
  int lastPass = 0;  // 0: the header's last
  // The motion in force where the section begins: a hole of a job goes on with the travel's.
  ProgramInterpreter::MotionCode motion = ProgramInterpreter::MotionCode::Linear;
};

struct SectionReading {
  ProgramReading reading;  // moves in the hole's own frame; problems not yet sorted or cut down
  int lastBlock = -1;      // the number of the section's last numbered block, or the frame's lastBlock
  Point start;             // what the setup block declared the point where the wire stood
  Point end;               // where the wire stands after the section, in the hole's frame
  ProgramInterpreter::MotionCode motion = ProgramInterpreter::MotionCode::Linear;  // in force at its end
};

SectionReading ReadSection(std::string_view text, const SectionFrame& frame);

// Sorts the problems by line and keeps kShownProblems of them, counting the rest.
void KeepShownProblems(ProgramReading& reading);

// A block of its number and M words only, none of them a program end: a stop for the operator (the
// wire cut or threaded in a job, the slug held in a rough pass).
bool IsStopBlock(const LexedLine& words);

// Calls `visit(line, lineNo, offset)` for each line of the text with its trimmed text, its number
// (counted from `firstLine`) and the offset of the line's start; lines end with CR LF, LF or CR.
template <class Visit>
void ForEachLine(std::string_view text, int firstLine, Visit&& visit) {
  int lineNo = firstLine;
  for (std::size_t start = 0; start < text.size(); ++lineNo) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::size_t lineStart = start;
    const std::string_view line = Trim(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
    visit(line, lineNo, lineStart);
  }
}

}  // namespace kalmoro
