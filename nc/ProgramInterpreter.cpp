#include "nc/ProgramInterpreter.h"

#include <cmath>
#include <string>
#include <string_view>

#include "nc/NcGrammar.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// Largest difference of two distances measured on words rounded to three decimals: each end of each
// distance moves by at most half a thousandth in X and in Y.
constexpr double kRoundedDistance = 0.003;

bool IsWholeNumber(double value, double limit) {
  return value >= 0 && value <= limit && std::floor(value) == value;
}

// The number of a G or M code as the grammar spells it ("G03" → 3).
constexpr int CodeOf(std::string_view word) {
  int code = 0;
  for (const char c : word.substr(1)) code = code * 10 + (c - '0');
  return code;
}

}  // namespace

void ProgramInterpreter::Add(int line, ProblemKind kind, std::string text) {
  m_problems.push_back({line, kind, std::move(text)});
}

BlockFacts ProgramInterpreter::Block(const LexedLine& b, int line, int block) {
  BlockFacts facts;
  bool offsetGiven = false;
  for (const Word& w : b.words) {
    const auto unknown = [&] {
      Add(line, ProblemKind::UnknownWord, "Неизвестное слово «" + QuotedWord(w.text) + "»");
    };
    if (w.letter == 'G') {
      const int code = IsWholeNumber(w.value, 999) ? static_cast<int>(w.value) : -1;
      if (code == CodeOf(grammar::kLinear)) {
        m_motion = MotionCode::Linear;
      } else if (code == CodeOf(grammar::kArc)) {
        m_motion = MotionCode::Counterclockwise;
      } else if (code == CodeOf(grammar::kRapid)) {
        m_motion = MotionCode::Rapid;
      } else if (code == CodeOf(grammar::kArcClockwise)) {
        m_motion = MotionCode::Clockwise;
      } else if (code == CodeOf(grammar::kSetup)) {
        facts.setup = true;
      } else if (code == CodeOf(grammar::kCompensationLeft) || code == CodeOf(grammar::kCompensationRight)) {
        // Which side is right depends on the way the contour runs: the pass check holds one against the
        // other.
        facts.rightSide = code == CodeOf(grammar::kCompensationRight);
        if (!m_compensated) m_needsOffset = true;
        m_compensated = true;
      } else if (code == CodeOf(grammar::kCompensationOff)) {
        m_compensated = false;
        m_needsOffset = false;
      } else if (code == CodeOf(grammar::kAbsolute)) {
        m_incremental = false;
      } else if (code == CodeOf(grammar::kIncremental)) {
        m_incremental = true;
      } else if (code != CodeOf(grammar::kG60)) {
        unknown();
      }
    } else if (w.letter == 'M') {
      const int code = IsWholeNumber(w.value, 99) ? static_cast<int>(w.value) : -1;
      if (code == CodeOf(grammar::kProgramEnd)) {
        facts.end = true;
      } else if (code != CodeOf(grammar::kStop) && code != CodeOf(grammar::kOptionalStop)) {
        unknown();
      }
    } else if (w.letter == 'D') {
      offsetGiven = true;
      facts.offset = w.value;
    } else if (std::string_view("NXYIJUVWRF").find(w.letter) == std::string_view::npos) {
      unknown();
    } else {
      CheckFormat(w, line);
    }
  }
  if (offsetGiven) m_needsOffset = false;
  const Word* x = b.Find('X');
  const Word* y = b.Find('Y');
  const Word* i = b.Find('I');
  const Word* j = b.Find('J');
  const Word* u = b.Find('U');
  const Word* v = b.Find('V');
  if (facts.setup) {
    // The point where the tool stands gets the given coordinates: the program's origin.
    if (x) m_x = x->value;
    if (y) m_y = y->value;
    m_start = {m_x, m_y};
    if (const Word* r = b.Find('R')) {
      m_wireHeight = r->value;
      m_hasWireHeight = true;
      m_wireHeightLine = line;
      if (!(r->value > 0)) Add(line, ProblemKind::Structure, "Высота R в кадре G92 должна быть больше нуля");
    }
  } else if (b.Find('R') || b.Find('W')) {
    Add(line, ProblemKind::Structure, "Слова W и R стоят только в кадре G92");
  }
  if (!facts.setup && (x || y)) {
    facts.motion = true;
    const double nx = x ? x->value + (m_incremental ? m_x : 0) : m_x;
    const double ny = y ? y->value + (m_incremental ? m_y : 0) : m_y;
    // Words within the bound may still add up beyond it: the first such point is named.
    if (m_incremental && !m_pointBeyond &&
        !(std::fabs(nx) < kMaxTableCoordinate && std::fabs(ny) < kMaxTableCoordinate)) {
      m_pointBeyond = true;
      Add(line, ProblemKind::WordFormat,
          "Точка X" + StdText(nx) + " Y" + StdText(ny) +
              " вне пределов станка: X, Y по модулю меньше 1000000 мм");
    }
    if (m_compensated && m_needsOffset) {
      Add(line, ProblemKind::Compensation, "Коррекция G41/G42 без слова D: корректор не задан");
      m_needsOffset = false;
    }
    Motion(line, block, nx, ny, i, j, u, v);
  } else {
    if (u || v) Add(line, ProblemKind::Structure, "Слова конусности U, V в кадре без перемещения");
    if ((i || j) && !facts.setup)
      Add(line, ProblemKind::Structure, "Слова центра дуги I, J в кадре без перемещения");
    if (u) m_u = u->value;
    if (v) m_v = v->value;
  }
  facts.compensated = m_compensated;
  return facts;
}

void ProgramInterpreter::CheckFormat(const Word& w, int line) {
  if (std::string_view("XYIJUVWR").find(w.letter) == std::string_view::npos) return;
  const bool table = std::string_view("XYIJ").find(w.letter) != std::string_view::npos;
  if (!(std::fabs(w.value) < (table ? kMaxTableCoordinate : kMaxTaperCoordinate))) {
    Add(line, ProblemKind::WordFormat,
        "Слово «" + QuotedWord(w.text) + "» вне пределов станка: " + (table ? "X, Y, I, J" : "U, V, W, R") +
            " по модулю меньше " + (table ? "1000000" : "1000000000000") + " мм");
    return;
  }
  const std::size_t point = w.text.find('.');
  if (point == std::string_view::npos) {
    // A whole number is read in thousandths by many controllers; zero is zero either way.
    if (w.value != 0)
      Add(line, ProblemKind::WordFormat,
          "Слово «" + QuotedWord(w.text) +
              "» без десятичной точки: станок может прочитать его в микрометрах");
    return;
  }
  std::size_t decimals = 0;
  while (point + 1 + decimals < w.text.size() && IsDigit(w.text[point + 1 + decimals])) ++decimals;
  if (decimals > 3)
    Add(line, ProblemKind::WordFormat, "Слово «" + QuotedWord(w.text) + "»: больше трёх знаков после точки");
}

void ProgramInterpreter::Motion(int line, int block, double x, double y, const Word* i, const Word* j,
                                const Word* u, const Word* v) {
  Move m;
  m.x0 = m_x;
  m.y0 = m_y;
  m.u0 = m_u;
  m.v0 = m_v;
  m.x = x;
  m.y = y;
  m.u = u ? u->value : m_u;
  m.v = v ? v->value : m_v;
  m.compensated = m_compensated;
  m.block = block;
  m.line = line;
  m.rapid = m_motion == MotionCode::Rapid;
  if (m.rapid && m_compensated)
    Add(line, ProblemKind::Compensation, "Ускоренное перемещение G00 при включённой коррекции");
  if (m_motion == MotionCode::Counterclockwise || m_motion == MotionCode::Clockwise) {
    m.clockwise = m_motion == MotionCode::Clockwise;
    if (!i || !j) {
      Add(line, ProblemKind::Arc, "Дуга без центра: нужны слова I и J");
    } else {
      m.kind = Move::Kind::Arc;
      m.i = i->value;
      m.j = j->value;
      const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j);
      const double r1 = std::hypot(m.x - m.i, m.y - m.j);
      if (r0 < 0.0005 || r1 < 0.0005) {
        Add(line, ProblemKind::Arc, "Дуга нулевого радиуса");
      } else if (std::fabs(r0 - r1) > kRoundedDistance) {
        Add(line, ProblemKind::Arc,
            "Дуга: начало и конец на разном расстоянии от центра (" + FormatNumber(r0, 0, 3) + " и " +
                FormatNumber(r1, 0, 3) + " мм)");
      }
    }
  } else if (i || j) {
    Add(line, ProblemKind::Arc, "Слова центра дуги I, J в прямолинейном кадре");
  }
  if (m.u != 0 || m.v != 0) m_tapered = true;
  if (m_moves.size() < kMaxMoves) {
    m_moves.push_back(m);
  } else if (!m_movesLeftOut) {
    m_movesLeftOut = true;
    Add(line, ProblemKind::Limit,
        "Программа слишком длинная: проверены первые " + std::to_string(kMaxMoves) + " перемещений");
  }
  m_x = x;
  m_y = y;
  m_u = m.u;
  m_v = m.v;
}

}  // namespace kalmoro
