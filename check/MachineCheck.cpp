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

// The register a pass is cut with, from the profile: a relief pass uses the last vertical pass's.
PassRegister RegisterOfPass(const MachineProfile& machine, const PassReading& p) {
  return RegisterOf(machine, p.relief ? p.count : p.number, p.count);
}

// Arcs that turn towards the compensation's side: the wire's centre runs inside them by its pass's offset.
void CheckArcs(const ProgramReading& r, const MachineProfile& machine, std::vector<Problem>& out) {
  for (const PassReading& p : r.passes) {
    const double offset = RegisterOfPass(machine, p).offset;
    for (std::size_t k = p.firstMove; k < p.firstMove + p.moveCount; ++k) {
      const Move& m = r.moves[k];
      if (m.kind != Move::Kind::Arc || !m.compensated || m.clockwise != p.rightSide) continue;
      const double radius = Radius(m);
      if (radius > 0 && radius < offset - kWordSlack)
        out.push_back({m.line, ProblemKind::WireRadius,
                       BlockPrefix(m) + "радиус " + Num(radius) + " мм меньше радиуса проволоки с зазором " +
                           (p.count > 1 ? "и припуском " : "") + Num(offset) + " мм"});
    }
  }
}

// How much a corner turning left by `turn` radians leaves uncut when the wire's centre runs `offset`
// inside it.
double UncutAt(double turn, double offset) {
  return offset * (1 / std::cos(turn / 2) - 1);
}

// The corners a pass's contour leaves uncut where its side is the inside of the turn.
void CheckCorners(std::span<const Move> moves, const PassReading& p, double offset,
                  std::vector<Problem>& out) {
  if (p.contourCount < 2 || p.contourFirst + p.contourCount > moves.size()) return;
  const std::size_t first = p.contourFirst, end = p.contourFirst + p.contourCount;
  const Move& a0 = moves[first];
  const Move& z = moves[end - 1];
  const bool closed = std::hypot(z.x - a0.x0, z.y - a0.y0) <= 2 * kWordSlack;
  const double inside = p.rightSide ? -1 : 1;  // a left turn is the inside of a G41 contour
  // The corner at the end of each contour move, the closing one too when the contour closes.
  for (std::size_t k = first; k < end; ++k) {
    const bool last = k + 1 == end;
    if (last && !closed) break;
    const Move& a = moves[k];
    const Move& b = last ? moves[first] : moves[k + 1];
    double ax = 0, ay = 0, bx = 0, by = 0;
    if (!Direction(a, true, ax, ay) || !Direction(b, false, bx, by)) continue;
    const double turn = inside * std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    // Only a turn towards the wire's side is a corner of the hole the wire, running inside, cannot reach.
    if (turn <= 0 || turn >= std::numbers::pi - 1e-9 || UncutAt(turn, offset) < kUncutCorner) continue;
    out.push_back(
        {a.line, ProblemKind::Note,
         BlockPrefix(a) + "углы будут скруглены радиусом " + Num(offset) + " мм (проволока с зазором)"});
    return;
  }
}

// A program's parts, each with its moves and wire height: one for a single program, each hole of a job,
// and in a rough-first job the skims of each hole apart; in the order of their moves.
struct Piece {
  std::span<const Move> moves;
  std::size_t firstMove = 0;
  std::optional<double> wireHeight;

  double Height(const MachineProfile& machine) const {
    return wireHeight && *wireHeight > 0 ? *wireHeight : machine.height;
  }
};

std::vector<Piece> PiecesOf(const ProgramReading& r) {
  if (!r.job) return {{r.moves, 0, r.wireHeight}};
  std::vector<Piece> pieces;
  const std::span<const Move> all(r.moves);
  for (const JobHoleReading& hole : r.job->holes) {
    pieces.push_back({all.subspan(hole.firstMove, hole.moveCount), hole.firstMove, hole.wireHeight});
    if (const auto& skims = hole.skimPart)
      pieces.push_back(
          {all.subspan(skims->firstMove, skims->moveCount), skims->firstMove, skims->wireHeight});
  }
  std::sort(pieces.begin(), pieces.end(),
            [](const Piece& a, const Piece& b) { return a.firstMove < b.firstMove; });
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
  CheckArcs(r, machine, found);
  // Each hole's corners as its last pass leaves them (a relief pass runs below the land, in the air).
  std::vector<const PassReading*> lastPass(r.job ? r.job->holes.size() + 1 : 1, nullptr);
  for (const PassReading& p : r.passes)
    if (!p.relief) lastPass[static_cast<std::size_t>(p.hole) + 1] = &p;
  for (const PassReading* p : lastPass)
    if (p) CheckCorners(r.moves, *p, RegisterOfPass(machine, *p).offset, found);
  for (const Piece& piece : PiecesOf(r)) CheckTaper(r, piece, machine, found);
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

// Walks the moves of the pieces that cut, each with the pass it belongs to (nothing for a move outside
// every pass) and whether it is on that pass's contour.
template <class Visit>
void ForEachCutMove(const ProgramReading& r, const std::vector<Piece>& pieces, Visit&& visit) {
  std::size_t pass = 0;
  for (const Piece& piece : pieces) {
    for (std::size_t k = piece.firstMove; k < piece.firstMove + piece.moves.size(); ++k) {
      if (r.moves[k].rapid) continue;
      while (pass < r.passes.size() && r.passes[pass].firstMove + r.passes[pass].moveCount <= k) ++pass;
      const bool inPass = pass < r.passes.size() && r.passes[pass].firstMove <= k;
      const PassReading* p = inPass ? &r.passes[pass] : nullptr;
      const bool contour = p && k >= p->contourFirst && k < p->contourFirst + p->contourCount;
      visit(piece, r.moves[k], inPass ? std::optional<std::size_t>(pass) : std::nullopt, contour);
    }
  }
}

}  // namespace

CutLengths CutLengthsOf(const ProgramReading& r, bool upper) {
  CutLengths sum;
  ForEachCutMove(r, PiecesOf(r), [&](const Piece&, const Move& m, std::optional<std::size_t>, bool contour) {
    (contour ? sum.contour : sum.leadInAndExit) += PathLength(m, upper);
  });
  return sum;
}

CuttingTime EstimateCuttingTime(const ProgramReading& r, const MachineProfile& machine) {
  CuttingTime t;
  const std::vector<Piece> pieces = PiecesOf(r);
  bool first = true;
  for (const Piece& piece : pieces) {
    const double h = piece.Height(machine);
    if (first) t.height = h;
    t.heightsDiffer = t.heightsDiffer || h != t.height;
    first = false;
  }
  if (first) t.height = machine.height;
  // A relief pass cuts through the plate below the land as the rough pass does: at the rough pass's rate.
  for (std::size_t k = 0; k < r.passes.size(); ++k) {
    const PassReading& p = r.passes[k];
    t.passes.push_back({k, RegisterOf(machine, p.relief ? 1 : p.number, p.count).timeFactor, 0, 0});
  }
  ForEachCutMove(r, pieces,
                 [&](const Piece& piece, const Move& m, std::optional<std::size_t> pass, bool contour) {
                   const double factor = pass ? t.passes[*pass].factor : 1;
                   const double minutes = (PathLength(m, false) + PathLength(m, true)) / 2 *
                                          piece.Height(machine) / machine.cuttingRate * factor;
                   (contour ? t.contour : t.leadInAndExit) += minutes;
                   if (pass) (contour ? t.passes[*pass].contour : t.passes[*pass].leadInAndExit) += minutes;
                 });
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

namespace {

// "≈ 2.1 мин", "< 0.1 мин".
std::string AboutMinutes(double minutes) {
  const std::string text = MinutesText(minutes);
  return (text.starts_with("<") ? "" : "≈ ") + text + " мин";
}

std::string RegisterText(const PassRegister& reg) {
  return "D" + std::to_string(reg.pass - 1) + " = " + Num(reg.offset) + " мм";
}

}  // namespace

std::vector<std::string> PassTexts(const ProgramReading& r, const MachineProfile& machine,
                                   const CuttingTime& time, bool always) {
  std::vector<std::string> lines;
  const bool worth = std::any_of(r.passes.begin(), r.passes.end(), [](const PassReading& p) {
    return p.count > 1 || p.stopLine != 0 || p.relief;
  });
  if (r.passes.empty() || !(always || worth)) return lines;
  if (!r.job) {
    for (std::size_t k = 0; k < r.passes.size(); ++k) {
      const PassReading& p = r.passes[k];
      const PassRegister reg = RegisterOfPass(machine, p);
      std::string line =
          (p.relief ? std::string("освобождение")
                    : "проход " + std::to_string(p.number) + " из " + std::to_string(p.count)) +
          ": " + RegisterText(reg) + " (проволока " + Num(reg.wireRadius) + " + зазор " + Num(reg.gap) +
          (reg.stock > 0 ? " + припуск " + Num(reg.stock) : std::string()) + "), " +
          (p.clockwise ? "по часовой стрелке, " : "против часовой стрелки, ") + (p.rightSide ? "G42" : "G41");
      if (p.stopLine != 0)
        line += ", остановка за " + Num(p.stopLength) + " мм до замыкания контура (строка " +
                std::to_string(p.stopLine) + ")";
      if (k < time.passes.size()) line += ", " + AboutMinutes(time.passes[k].Total());
      lines.push_back(std::move(line));
    }
    return lines;
  }
  // A job: the registers of each count of passes its holes have, and each pass's time over its holes.
  std::vector<std::pair<int, int>> counts;  // passes, holes cut with that many
  int lastHole = -2;
  for (const PassReading& p : r.passes) {
    if (p.hole == lastHole || p.number != 1) continue;
    lastHole = p.hole;
    auto it = std::find_if(counts.begin(), counts.end(), [&p](const auto& c) { return c.first == p.count; });
    if (it == counts.end())
      counts.emplace_back(p.count, 1);
    else
      ++it->second;
  }
  for (const auto& [passes, holes] : counts) {
    std::string line = "регистры для " + std::to_string(passes) + (passes == 1 ? " прохода" : " проходов") +
                       " (отверстий: " + std::to_string(holes) + "):";
    for (const PassRegister& reg : RegisterTable(machine, passes))
      line += (reg.pass == 1 ? " " : ", ") + RegisterText(reg);
    lines.push_back(std::move(line));
  }
  std::vector<double> minutes;
  double relief = 0;
  bool anyRelief = false;
  for (std::size_t k = 0; k < r.passes.size() && k < time.passes.size(); ++k) {
    if (r.passes[k].relief) {
      relief += time.passes[k].Total();
      anyRelief = true;
      continue;
    }
    const auto n = static_cast<std::size_t>(std::max(r.passes[k].number, 1));
    if (minutes.size() < n) minutes.resize(n, 0);
    minutes[n - 1] += time.passes[k].Total();
  }
  std::string line;
  for (std::size_t n = 0; n < minutes.size(); ++n)
    line += (n == 0 ? "" : "; ") + std::string("проход ") + std::to_string(n + 1) + ": " +
            AboutMinutes(minutes[n]);
  if (anyRelief) line += (line.empty() ? "" : "; ") + std::string("освобождение: ") + AboutMinutes(relief);
  if (!line.empty()) lines.push_back("время по проходам: " + line);
  return lines;
}

}  // namespace kalmoro
