#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nc/HoleHeader.h"

// The inverse of the writer: reads program text as the writer makes it and as a user may reasonably
// edit it (letters in either case, blanks between words, "G1" for "G01", comments in parentheses, an
// empty last line), and tells what moves it makes and what is wrong with it.
namespace kalmoro {

// One motion block: a straight move or a counter-clockwise arc around the absolute centre (i, j).
// u and v are the taper offsets in force at the end of the move: the upper wire guide stands at
// (x + u, y + v). Taper words are modal, as the machine's axes are.
struct Move {
  enum class Kind { Line, Arc };
  Kind kind = Kind::Line;
  double x0 = 0, y0 = 0;  // where the move starts
  double u0 = 0, v0 = 0;  // taper offsets at the start
  double x = 0, y = 0;    // where it ends
  double u = 0, v = 0;
  double i = 0, j = 0;       // arc centre
  bool compensated = false;  // left compensation (G41) in force
  int block = 0;             // its block number, 0 when the block has none
  int line = 0;              // source line, from 1
};

// Something wrong with a program, at a source line (from 1), in Russian.
struct Problem {
  int line = 0;
  std::string text;
};

// The hole a program's contour encodes, worked back from its moves.
struct EncodedHole {
  HoleHeader dimensions;
  // "круглое отверстие D10", "прямоугольное отверстие W=20 H=10 R=2", "коническое отверстие …"
  std::string description;
};

struct ProgramReading {
  std::optional<HoleHeader> header;  // what the header line says, when it is one of the three holes
  int headerLine = 0;
  std::optional<double> wireHeight;  // the R word of the setup block
  std::vector<Move> moves;
  std::vector<Problem> problems;  // in the order of their lines
  int blocks = 0;                 // numbered blocks
  std::optional<EncodedHole> encoded;
  bool tapered = false;  // some move has a non-zero taper offset
};

// Reads a program (UTF-8, lines ended by CR LF, LF or CR). Never throws for any input; the time is
// linear in the text's length. The encoded hole is worked back for programs with a header of one of
// the three holes, and any disagreement with the header is a problem at the header's line.
ProgramReading ReadProgram(std::string_view text);

struct Point {
  double x = 0, y = 0;
};

// The counter-clockwise sweep of an arc in radians, in (0, 2π]: a full turn when it ends where it starts.
double ArcSweep(const Move& move);

// The point at fraction t (0 … 1) of a move, on the lower contour or on the upper one (the lower point
// plus the taper offsets, which change evenly along the move).
Point PointAt(const Move& move, double t, bool upper);

// The length of a move's path on the lower contour or on the upper one.
double PathLength(const Move& move, bool upper);

}  // namespace kalmoro
