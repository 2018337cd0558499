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
  // "круглое отверстие D10", "прямоугольное отверстие W=20 H=10 R=2", "коническое отверстие …",
  // "прямоугольное отверстие с уклоном W=20 H=10 R=2 T=20 ANG=1, углы цилиндрические", an opening's
  // relief after it (", поясок 3 мм, освобождение 1° на сторону, T=20")
  std::string description;
};

// One pass of a hole as read: from its lead-in at the centre to its return there, its contour cut with
// compensation on in between. The passes of a program are its runs of moves with compensation on, in
// order; the moves between two runs up to the first that ends at the hole's centre belong to the pass
// before (its return), the rest to the pass after (its lead-in).
struct PassReading {
  int number = 0;  // 1 for the rough pass; as the header counts them (by their registers), else in order
  int count = 0;   // the passes of its hole: the header's, else as many as were read
  // A die opening's relief pass, after its vertical passes: cut with the last vertical pass's register,
  // so that it pivots on the finished land; its number is count + 1.
  bool relief = false;
  int hole = -1;                             // its hole in a job (JobReading::holes), -1 in a single program
  std::size_t firstMove = 0, moveCount = 0;  // in ProgramReading::moves, lead-in to return
  std::size_t contourFirst = 0, contourCount = 0;  // its contour: from compensation on, once round
  bool clockwise = false;                          // the contour runs clockwise (G02)
  bool rightSide = false;                          // G42, else G41
  int sideLine = 0;                                // the line of its G41 or G42, 0 when there is none
  std::optional<double> offsetRegister;            // the D word its contour is cut with
  int registerLine = 0;
  // The stop where the operator holds the slug: a block of M words inside the contour.
  int stopLine = 0;                // 0: none
  std::size_t stopMove = 0;        // the stop stands before this move
  double stopLength = 0;           // the contour after the stop, mm on the lower path
  double contourLength = 0;        // mm on the lower path
  double leadInAndExitLength = 0;  // its other moves, rapid ones left out
  bool Rough() const { return number == 1; }
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
  // In a rough-first job, a hole with skims comes back for them: that part as read.
  struct SkimPart {
    int line = 0;  // its comment line "(ЧИСТОВЫЕ ПРОХОДЫ k: …)"
    Point origin;
    std::optional<double> wireHeight;
    std::size_t firstMove = 0, moveCount = 0;
    int blocks = 0;
  };
  std::optional<SkimPart> skimPart;
};

// What a job program ("%(JOB: n)" first) holds besides its moves. Each hole is checked against its
// comment line as a single program against its header; the moves between holes are rapid moves in
// ProgramReading::moves.
struct JobReading {
  long declared = 0;        // n of the first line
  bool roughFirst = false;  // the first line says every hole is roughed first
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
  // Every pass of the program, of each hole in turn in a job (a rough-first job: the rough passes, then
  // the skims, as they are cut).
  std::vector<PassReading> passes;
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
