#pragma once

#include <optional>
#include <vector>

#include "nc/Problem.h"
#include "nc/ProgramLexer.h"
#include "nc/Toolpath.h"

// Turns the words of each block into moves, keeping the modal state as the machine does: the motion
// code, compensation, the taper offsets, the current point.
namespace kalmoro {

// What a block did, for the checks of the program's structure and of its passes.
struct BlockFacts {
  bool setup = false;             // G92
  bool end = false;               // M02
  bool motion = false;            // it moved the tool
  bool compensated = false;       // compensation in force after the block
  std::optional<bool> rightSide;  // a G41 (false) or G42 (true) word: which side compensation takes
  std::optional<double> offset;   // a D word: the register compensation takes its offset from
};

// Moves beyond this many are counted, not kept: memory stays bounded for any input. The largest
// program the generators write has fewer than 33 000; 250 000 take 32 MB.
inline constexpr std::size_t kMaxMoves = 250'000;

// Coordinate words at or beyond these magnitudes are named as problems at their lines, and whatever
// draws a program's moves (export) refuses them. No machine's table reaches a kilometre, while the
// largest cone the generator writes (869 700 mm across) at the edge of a job (±99 999.999 mm) reaches
// 534 850 mm. Taper offsets and heights keep the generator's own bound on a cone's values.
inline constexpr double kMaxTableCoordinate = 1e6;   // X, Y, I, J, mm
inline constexpr double kMaxTaperCoordinate = 1e12;  // U, V, W, R, mm

class ProgramInterpreter {
 public:
  // The modal motion in force: G00, G01, G03, G02.
  enum class MotionCode { Rapid, Linear, Counterclockwise, Clockwise };

  ProgramInterpreter(std::vector<Move>& moves, std::vector<Problem>& problems)
      : m_moves(moves), m_problems(problems) {}

  // Interprets one block; `block` is its number (0 when it has none).
  BlockFacts Block(const LexedLine& words, int line, int block);

  bool Tapered() const { return m_tapered; }
  double WireHeight() const { return m_wireHeight; }
  bool HasWireHeight() const { return m_hasWireHeight; }
  int WireHeightLine() const { return m_wireHeightLine; }
  // Where the setup block put the origin: the point the program starts from.
  Point Start() const { return m_start; }
  // Goes on from where another reading left the wire, in the same frame.
  void Resume(Point at) {
    m_x = at.x;
    m_y = at.y;
  }
  // Where the wire stands now.
  Point Current() const { return {m_x, m_y}; }
  // The motion in force, and going on with another reading's: a control keeps it from one part of a
  // job to the next.
  MotionCode Motion() const { return m_motion; }
  void ResumeMotion(MotionCode motion) { m_motion = motion; }
  // More moves than are kept; they were counted, not stored.
  bool MovesLeftOut() const { return m_movesLeftOut; }

 private:
  void Add(int line, ProblemKind kind, std::string text);
  void Motion(int line, int block, double x, double y, const Word* i, const Word* j, const Word* u,
              const Word* v);
  void CheckFormat(const Word& w, int line);

  std::vector<Move>& m_moves;
  std::vector<Problem>& m_problems;
  MotionCode m_motion = MotionCode::Linear;
  bool m_incremental = false;
  bool m_compensated = false;
  bool m_needsOffset = false;  // compensation switched on, no D word yet
  int m_wireHeightLine = 0;
  Point m_start;
  bool m_movesLeftOut = false;
  bool m_pointBeyond = false;  // an incremental move took the wire beyond kMaxTableCoordinate
  bool m_tapered = false;
  bool m_hasWireHeight = false;
  double m_wireHeight = 0;
  double m_x = 0, m_y = 0, m_u = 0, m_v = 0;
};

}  // namespace kalmoro
