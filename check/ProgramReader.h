#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nc/HoleHeader.h"
#include "nc/Problem.h"
#include "nc/Toolpath.h"

// The inverse of the writer: reads program text as the writer makes it and as a user may reasonably
// edit it (letters in either case, blanks between words, "G1" for "G01", comments in parentheses, an
// empty last line), and tells what moves it makes and what is wrong with it.
namespace kalmoro {

// The hole a program's contour encodes, worked back from its moves.
struct EncodedHole {
  HoleHeader dimensions;
  // "круглое отверстие D10", "прямоугольное отверстие W=20 H=10 R=2", "коническое отверстие …"
  std::string description;
};

// A stop between two holes of a job, where the wire is cut (after a hole) or threaded again (before
// the next one).
struct WireStop {
  enum class Kind { Cut, Thread };
  Kind kind = Kind::Cut;
  Point at;  // where the wire stands, in the job's frame
  int line = 0;
};

// One hole of a job as read: what its comment line says and what its blocks cut.
struct JobHoleReading {
  int line = 0;                      // its comment line
  long number = 0;                   // the number the comment gives it
  std::optional<HoleHeader> header;  // the hole the comment names, when it is one of the three
  Point at;                          // where the comment puts its centre
  Point origin;                      // where its blocks really start: the moves before it took the wire there
  std::optional<EncodedHole> encoded;
  std::optional<double> wireHeight;  // the R word of its setup block
  std::size_t firstMove = 0;         // its moves in ProgramReading::moves: [firstMove, firstMove + moveCount)
  std::size_t moveCount = 0;
  int blocks = 0;
};

// What a job program ("%(JOB: n)" first) holds besides its moves. Each hole is checked against its
// comment line as a single program against its header; the moves between holes are rapid moves in
// ProgramReading::moves.
struct JobReading {
  long declared = 0;  // n of the first line
  std::vector<JobHoleReading> holes;
  std::vector<WireStop> stops;
  double travel = 0;  // the length of the moves between holes, mm
  int Rethreads() const {
    int n = 0;
    for (const WireStop& s : stops) n += s.kind == WireStop::Kind::Thread ? 1 : 0;
    return n;
  }
};

// A reading keeps this many problems, the first by line; the rest are counted. Memory stays bounded
// for any input.
inline constexpr std::size_t kShownProblems = 100;

struct ProgramReading {
  std::optional<HoleHeader> header;  // what the header line says, when it is one of the three holes
  int headerLine = 0;
  std::optional<double> wireHeight;  // the R word of the setup block
  std::vector<Move> moves;
  std::vector<Problem> problems;    // in the order of their lines; at most kShownProblems
  std::size_t problemsLeftOut = 0;  // problems found beyond those, counted only
  int blocks = 0;                   // numbered blocks
  std::optional<EncodedHole> encoded;
  bool tapered = false;  // some move has a non-zero taper offset
  bool empty = false;    // no line with text: nothing to read, and nothing wrong
  // A job program: its holes, stops and travel. Then `header` and `encoded` stay empty, and the moves
  // are in the job's frame: each hole's origin at its position.
  std::optional<JobReading> job;
};

// Reads a program (UTF-8, lines ended by CR LF, LF or CR), a single hole's or a job's. Never throws for any
// input; the time is linear in the text's length. The encoded hole is worked back for programs with a header
// of one of the three holes, and any disagreement with the header is a problem at the header's line.
ProgramReading ReadProgram(std::string_view text);

// The summary of a reading, worded once for `check` and the preview: the hole the contour encodes
// ("круглое отверстие D10") or why it is unknown, for a job the number of holes, re-threads and the
// travel ("задание: отверстий 3, перезаправок 2, переходы 84.5 мм"), the number of blocks, and the
// problem count ("ошибок нет", "ошибок: 3").
std::string HoleText(const ProgramReading& reading);
std::string ProblemCountText(std::size_t problems);
// All the problems a reading found, those left out included; notes are not problems.
inline std::size_t ProblemCount(const ProgramReading& r) {
  std::size_t notes = 0;
  for (const Problem& p : r.problems) notes += p.kind == ProblemKind::Note ? 1 : 0;
  return r.problems.size() - notes + r.problemsLeftOut;
}
std::string SummaryText(const ProgramReading& reading);

}  // namespace kalmoro
