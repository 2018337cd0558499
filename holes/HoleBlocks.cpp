#include "HoleBlocks.h"

#include <cmath>
#include <numbers>
#include <string>

#include "holes/HolePasses.h"
#include "nc/JobProgram.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// A stop this close to a block's end stands at that end: the contour is not split into a block too
// short for words of three decimals.
constexpr double kSnap = 0.001;
constexpr int kExitSteps = 5;
constexpr double kExitStep = 0.314159265358979;  // a tenth of π in 15 digits: five steps make a quarter turn

// The counter-clockwise sweep of an arc step from `from`, in (0, 2π].
double Sweep(const ContourStep& s, const ContourStep& from) {
  double sweep = std::atan2(s.y - s.j, s.x - s.i) - std::atan2(from.y - s.j, from.x - s.i);
  while (sweep <= 0) sweep += 2 * std::numbers::pi;
  return sweep;
}

double StepLength(const ContourStep& s, const ContourStep& from) {
  if (!s.arc) return std::hypot(s.x - from.x, s.y - from.y);
  return std::hypot(from.x - s.i, from.y - s.j) * Sweep(s, from);
}

// The point at fraction t of a step from `from`, its taper changing evenly.
ContourStep PartOf(const ContourStep& s, const ContourStep& from, double t) {
  ContourStep p = s;
  p.u = from.u + t * (s.u - from.u);
  p.v = from.v + t * (s.v - from.v);
  if (!s.arc) {
    p.x = from.x + t * (s.x - from.x);
    p.y = from.y + t * (s.y - from.y);
    return p;
  }
  const double r = std::hypot(from.x - s.i, from.y - s.j);
  const double a = std::atan2(from.y - s.j, from.x - s.i) + t * Sweep(s, from);
  p.x = s.i + r * std::cos(a);
  p.y = s.j + r * std::sin(a);
  return p;
}

class PassWriter {
 public:
  PassWriter(NcWriter& w, const HoleContour& c) : m_w(w), m_c(c) {}

  // One pass. `stopAt` is the length along the contour where the rough pass stops; negative: no stop.
  void Write(int pass, bool clockwise, double stopAt, std::string_view holdCode) {
    m_register = pass - 1;
    m_placed = false;
    const ArcTurn turn = clockwise ? ArcTurn::Clockwise : ArcTurn::Counterclockwise;
    if (m_c.tapered)
      m_w.GenLU(0, m_c.top, m_c.topU, m_c.topV, true);
    else
      m_w.GenL(0, m_c.top, true);
    m_w.GenFixed(clockwise ? FixedWord::CompensationRight : FixedWord::CompensationLeft);
    const std::vector<ContourStep>& steps = m_c.steps;
    const ContourStep top{false, 0, m_c.top, 0, 0, m_c.topU, m_c.topV};
    if (clockwise) {
      // The same points backwards: each step's start is the point the reversed move goes to.
      for (std::size_t k = steps.size(); k-- > 0;) {
        ContourStep back = k == 0 ? top : steps[k - 1];
        back.arc = steps[k].arc;
        back.i = steps[k].i;
        back.j = steps[k].j;
        Move(back, turn);
      }
    } else {
      double along = 0;
      for (std::size_t k = 0; k < steps.size(); ++k) {
        const ContourStep& from = k == 0 ? top : steps[k - 1];
        const double length = StepLength(steps[k], from);
        if (stopAt >= 0 && stopAt - along < kSnap) {
          m_w.GenHoldSlug(holdCode);
          stopAt = -1;
        } else if (stopAt >= 0 && along + length - stopAt >= kSnap) {
          Move(PartOf(steps[k], from, (stopAt - along) / length), turn);
          m_w.GenHoldSlug(holdCode);
          stopAt = -1;
        }
        Move(steps[k], turn);
        along += length;
      }
    }
    WriteExit(clockwise);
    m_w.GenFixed(FixedWord::CompensationOff);
    m_w.GenL(0, 0, true);
  }

 private:
  // A contour move; the first one written carries the pass's register.
  void Move(const ContourStep& s, ArcTurn turn) {
    const bool first = !m_placed;
    const auto before = m_w.BlockNum();
    if (s.arc)
      m_w.GenA(s.x, s.y, s.i, s.j, !first, turn);
    else if (m_c.tapered)
      m_w.GenLU(s.x, s.y, s.u, s.v, !first);
    else
      m_w.GenL(s.x, s.y, !first);
    if (first && m_w.BlockNum() != before) {
      m_w.EndWithRegister(m_register);
      m_placed = true;
    }
  }

  // A quarter circle of kExitRadius from the top point into the hole, turning as the pass turns, then
  // straight down to the centre's level.
  void WriteExit(bool clockwise) {
    const double side = clockwise ? 1.0 : -1.0;
    const double centre = m_c.top - kExitRadius;
    if (!m_c.tapered) {
      m_w.GenA(side * kExitRadius, centre, 0, centre, true,
               clockwise ? ArcTurn::Clockwise : ArcTurn::Counterclockwise);
      m_w.GenL(side * kExitRadius, 0, true);
      return;
    }
    for (int m = 1; m <= kExitSteps; ++m) {
      const double b = m * kExitStep;
      const double x = side * kExitRadius * std::sin(b);  // the same for both arcs, so U is 0
      const double yd = centre + kExitRadius * std::cos(b);
      const double yu = (m_c.upperTop - kExitRadius) + kExitRadius * std::cos(b);
      m_w.GenLU(x, yd, 0.0, yu - yd, true);
    }
    m_w.GenLU(side * kExitRadius, 0, 0, 0, true);
  }

  NcWriter& m_w;
  const HoleContour& m_c;
  int m_register = 0;
  bool m_placed = false;
};

}  // namespace

std::string StopTooLongText(double stop, double contourLength) {
  return "Остановка для закрепления вырубки (" + FormatNumber(stop, 0, 3) +
         " мм) должна быть короче контура: его длина " + FormatNumber(contourLength, 0, 3) + " мм.";
}

std::optional<std::string> PassOptionsError(const PassOptions& o, std::string_view holdCode) {
  if (!(o.skims >= 0 && o.skims <= kMaxSkims)) return std::string(kMsgSkims);
  if (!(o.stop == 0 || (o.stop >= kMinStop && std::isfinite(o.stop)))) return std::string(kMsgStopShort);
  if (o.stop != 0 && !IsWireCode(holdCode)) return std::string(kMsgHoldCode);
  return std::nullopt;
}

double ContourLength(const HoleContour& c) {
  double length = 0;
  ContourStep from{false, 0, c.top, 0, 0, c.topU, c.topV};
  for (const ContourStep& s : c.steps) {
    length += StepLength(s, from);
    from = s;
  }
  return length;
}

GenResult WriteHoleProgram(const HoleHeader& header, const HoleContour& contour, std::string_view holdCode,
                           const HoleContour* relief) {
  const PassOptions& o = PassesOf(header);
  if (const auto error = PassOptionsError(o, holdCode)) return GenResult::Refusal(*error);
  double stopAt = -1;
  if (o.stop != 0) {
    const double length = ContourLength(contour);
    if (!(o.stop <= length - kMinStop)) return GenResult::Refusal(StopTooLongText(o.stop, length));
    stopAt = length - o.stop;
  }
  NcWriter w;
  w.Reserve(contour.bytesPerPass * static_cast<std::size_t>(o.Passes()) +
            (relief ? relief->bytesPerPass : 0) + 256);
  try {
    w.GenHeader(header);
    w.GenSetup(contour.wireHeight);
    w.GenFixed(FixedWord::G60);
    w.SetArcMode(true);
    PassWriter passes(w, contour);
    for (int pass = 1; pass <= o.Passes(); ++pass) {
      if (o.skims > 0) w.GenPassComment(pass, o.Passes());
      passes.Write(pass, o.Clockwise(pass), pass == 1 ? stopAt : -1, holdCode);
    }
    if (relief) {
      // The slug is out: the relief widens the opening below its land in one counter-clockwise pass, with
      // the register of the last pass along the land, whose finished wall it pivots on.
      w.GenReliefComment(o.Passes() - 1);
      PassWriter(w, *relief).Write(o.Passes(), false, -1, holdCode);
    }
    w.GenFixed(FixedWord::ProgramEnd);
  } catch (const NcOverflow&) {
    return GenResult::Refusal(kMsgPassBlocks);
  }
  return GenResult::Program(w.TakeText());
}

}  // namespace kalmoro
