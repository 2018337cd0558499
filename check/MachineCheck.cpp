#include "check/MachineCheck.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

#include "ProblemText.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// Words have three decimals: a radius or a point is known to about this.
constexpr double kWordSlack = 0.0015;
// A corner the wire rounds leaves less than this uncut: too little to mention (the chords of a cone).
constexpr double kUncutCorner = 0.001;
// The largest taper offset error of rounded words (two words, U and V, each half a thousandth).
constexpr double kTaperSlack = 0.0021;

double Radius(const Move& m) {
  return std::hypot(m.x - m.i, m.y - m.j);
}

// The unit direction of a move's lower path at its start (t = 0) or end (t = 1); nothing for a move
// that goes nowhere.
bool Direction(const Move& m, bool atEnd, double& dx, double& dy) {
  if (m.kind == Move::Kind::Arc) {
    const double px = atEnd ? m.x : m.x0, py = atEnd ? m.y : m.y0;
    const double rx = px - m.i, ry = py - m.j;
    const double r = std::hypot(rx, ry);
    if (!(r > 0)) return false;
    // Counter-clockwise the path turns left of the radius.
    dx = (m.clockwise ? ry : -ry) / r;
    dy = (m.clockwise ? -rx : rx) / r;
    return true;
  }
  const double lx = m.x - m.x0, ly = m.y - m.y0;
  const double len = std::hypot(lx, ly);
  if (!(len > 0)) return false;
  dx = lx / len;
  dy = ly / len;
  return true;
}

// The first index of the compensated run and one past its end; first == end when there is none.
struct Run {
  std::size_t first = 0, end = 0;
};

Run CompensatedRun(std::span<const Move> moves) {
  Run run;
  while (run.first < moves.size() && !moves[run.first].compensated) ++run.first;
  run.end = run.first;
  while (run.end < moves.size() && moves[run.end].compensated) ++run.end;
  return run;
}

// One past the last move of the contour: the compensated run up to where it first comes back to its
// start, or the whole run.
std::size_t ContourEnd(std::span<const Move> moves, Run run) {
  if (run.first == run.end) return run.end;
  const Move& m0 = moves[run.first];
  double length = 0;
  for (std::size_t k = run.first; k < run.end; ++k) {
    length += PathLength(moves[k], false);
    if (length > 2 * kWordSlack && std::hypot(moves[k].x - m0.x0, moves[k].y - m0.y0) <= 2 * kWordSlack)
      return k + 1;
  }
  return run.end;
}

void CheckArcs(const std::vector<Move>& moves, double offset, std::vector<Problem>& out) {
  for (const Move& m : moves) {
    if (m.kind != Move::Kind::Arc || !m.compensated || m.clockwise) continue;
    const double r = Radius(m);
    if (r > 0 && r < offset - kWordSlack)
      out.push_back({m.line, ProblemKind::WireRadius,
                     BlockPrefix(m) + "радиус " + Num(r) + " мм меньше радиуса проволоки с зазором " +
                         Num(offset) + " мм"});
  }
}

// How much a corner turning left by `turn` radians leaves uncut when the wire's centre runs `offset`
// inside it.
double UncutAt(double turn, double offset) {
  return offset * (1 / std::cos(turn / 2) - 1);
}

void CheckCorners(std::span<const Move> moves, double offset, std::vector<Problem>& out) {
  const Run run = CompensatedRun(moves);
  const std::size_t contourEnd = ContourEnd(moves, run);
  if (contourEnd <= run.first + 1) return;
  const bool closed = contourEnd < run.end || [&] {
    const Move& a = moves[run.first];
    const Move& b = moves[contourEnd - 1];
    return std::hypot(b.x - a.x0, b.y - a.y0) <= 2 * kWordSlack;
  }();
  // The corner at the end of each contour move, the closing one too when the contour closes.
  for (std::size_t k = run.first; k < contourEnd; ++k) {
    const bool last = k + 1 == contourEnd;
    if (last && !closed) break;
    const Move& a = moves[k];
    const Move& b = last ? moves[run.first] : moves[k + 1];
    double ax = 0, ay = 0, bx = 0, by = 0;
    if (!Direction(a, true, ax, ay) || !Direction(b, false, bx, by)) continue;
    const double turn = std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    // Only a left turn is a corner of the hole the wire, running inside, cannot reach.
    if (turn <= 0 || turn >= std::numbers::pi - 1e-9 || UncutAt(turn, offset) < kUncutCorner) continue;
    out.push_back(
        {a.line, ProblemKind::Note,
         BlockPrefix(a) + "углы будут скруглены радиусом " + Num(offset) + " мм (проволока с зазором)"});
    return;
  }
}

// A program's holes, each with its moves and wire height: one for a single program, each hole of a job.
struct Piece {
  std::span<const Move> moves;
  std::optional<double> wireHeight;

  double Height(const MachineProfile& machine) const {
    return wireHeight && *wireHeight > 0 ? *wireHeight : machine.height;
  }
};

std::vector<Piece> PiecesOf(const ProgramReading& r) {
  if (!r.job) return {{r.moves, r.wireHeight}};
  std::vector<Piece> pieces;
  for (const JobHoleReading& hole : r.job->holes)
    pieces.push_back(
        {std::span<const Move>(r.moves).subspan(hole.firstMove, hole.moveCount), hole.wireHeight});
  return pieces;
}

void CheckTaper(const ProgramReading& r, const Piece& piece, const MachineProfile& machine,
                std::vector<Problem>& out) {
  const double h = piece.Height(machine);
  const double slack = 2 * kTaperSlack / h * 180 / std::numbers::pi + 1e-6;
  for (const Move& m : piece.moves) {
    const double angle = 2 * std::atan(std::hypot(m.u, m.v) / h) * 180 / std::numbers::pi;
    if (angle <= machine.maxTaperAngle + slack) continue;
    // The generator's own limit may already stand at this block.
    const bool told = std::any_of(r.problems.begin(), r.problems.end(), [&m](const Problem& p) {
      return p.line == m.line && p.kind == ProblemKind::Taper;
    });
    if (!told)
      out.push_back({m.line, ProblemKind::Taper,
                     BlockPrefix(m) + "конусность " + FormatNumber(angle, 0, 3) + "° круче предела станка " +
                         FormatNumber(machine.maxTaperAngle, 0, 3) + "°"});
    return;
  }
}

// One axis pair against its travel: the first block beyond it, per axis.
void CheckTravel(const std::vector<Move>& moves, const MachineProfile& machine, std::vector<Problem>& out) {
  if (moves.empty()) return;
  const double sx = moves.front().x0, sy = moves.front().y0;
  struct Axis {
    const char* name;
    std::optional<double> travel;
    bool taper;
    bool told = false;
  };
  Axis axes[] = {{"X", machine.travelX, false},
                 {"Y", machine.travelY, false},
                 {"U", machine.travelU, true},
                 {"V", machine.travelV, true}};
  for (const Move& m : moves) {
    const Box box = BoundsOf(std::span<const Move>(&m, 1), false);
    const double reach[] = {std::max(std::fabs(box.minX - sx), std::fabs(box.maxX - sx)),
                            std::max(std::fabs(box.minY - sy), std::fabs(box.maxY - sy)),
                            std::max(std::fabs(m.u0), std::fabs(m.u)),
                            std::max(std::fabs(m.v0), std::fabs(m.v))};
    for (std::size_t k = 0; k < 4; ++k) {
      Axis& axis = axes[k];
      if (axis.told || !axis.travel || reach[k] <= *axis.travel / 2 + kWordSlack) continue;
      axis.told = true;
      out.push_back({m.line, ProblemKind::Travel,
                     BlockPrefix(m) + axis.name + " выходит за ход " +
                         (axis.taper ? "конусной головки" : "стола") + ": " + Num(reach[k]) + " мм от " +
                         (axis.taper ? "вертикали" : "начальной точки") + " при ходе ±" +
                         Num(*axis.travel / 2) + " мм"});
    }
  }
}

}  // namespace

void CheckMachine(ProgramReading& r, const MachineProfile& machine) {
  if (r.empty) return;
  std::vector<Problem> found;
  const double offset = machine.WireOffset();
  CheckArcs(r.moves, offset, found);
  for (const Piece& piece : PiecesOf(r)) {
    CheckCorners(piece.moves, offset, found);
    CheckTaper(r, piece, machine, found);
  }
  CheckTravel(r.moves, machine, found);
  if (found.empty()) return;
  for (Problem& p : found) r.problems.push_back(std::move(p));
  std::stable_sort(r.problems.begin(), r.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  // Over the limit, notes go first: they are not counted.
  for (std::size_t k = r.problems.size(); k-- > 0 && r.problems.size() > kShownProblems;)
    if (r.problems[k].kind == ProblemKind::Note)
      r.problems.erase(r.problems.begin() + static_cast<std::ptrdiff_t>(k));
  if (r.problems.size() > kShownProblems) {
    r.problemsLeftOut += r.problems.size() - kShownProblems;
    r.problems.resize(kShownProblems);
  }
}

namespace {

CutLengths LengthsOf(std::span<const Move> moves, bool upper) {
  CutLengths lengths;
  const Run run = CompensatedRun(moves);
  const std::size_t contourEnd = ContourEnd(moves, run);
  for (std::size_t k = 0; k < moves.size(); ++k) {
    const Move& m = moves[k];
    if (m.rapid) continue;
    (k >= run.first && k < contourEnd ? lengths.contour : lengths.leadInAndExit) += PathLength(m, upper);
  }
  return lengths;
}

}  // namespace

CutLengths CutLengthsOf(const ProgramReading& r, bool upper) {
  CutLengths sum;
  for (const Piece& piece : PiecesOf(r)) {
    const CutLengths lengths = LengthsOf(piece.moves, upper);
    sum.contour += lengths.contour;
    sum.leadInAndExit += lengths.leadInAndExit;
  }
  return sum;
}

CuttingTime EstimateCuttingTime(const ProgramReading& r, const MachineProfile& machine) {
  CuttingTime t;
  bool first = true;
  for (const Piece& piece : PiecesOf(r)) {
    const double h = piece.Height(machine);
    if (first) t.height = h;
    t.heightsDiffer = t.heightsDiffer || h != t.height;
    first = false;
    const CutLengths lower = LengthsOf(piece.moves, false), upper = LengthsOf(piece.moves, true);
    t.contour += (lower.contour + upper.contour) / 2 * h / machine.cuttingRate;
    t.leadInAndExit += (lower.leadInAndExit + upper.leadInAndExit) / 2 * h / machine.cuttingRate;
  }
  if (first) t.height = machine.height;
  return t;
}

std::string MinutesText(double minutes) {
  if (minutes > 0 && minutes < 0.05) return "< 0.1";
  return FormatNumber(minutes, 0, minutes < 10 ? 1 : 0);
}

std::string CuttingTimeText(const CuttingTime& t) {
  return "время резания ≈ " + MinutesText(t.Total()) + " мин (оценка: контур " + MinutesText(t.contour) +
         " мин, подвод и отвод " + MinutesText(t.leadInAndExit) + " мин, " +
         (t.heightsDiffer ? std::string("высота своя у каждого отверстия")
                          : "высота " + Num(t.height) + " мм") +
         ")";
}

}  // namespace kalmoro
