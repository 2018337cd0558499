#include "nc/ProgramReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "nc/NcGrammar.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Largest difference of two distances measured on words rounded to three decimals: each end of each
// distance moves by at most half a thousandth in X and in Y.
constexpr double kRoundedDistance = 0.003;
// Largest difference of a length measured between two rounded words and the value it was made from;
// on the upper contour each end is the sum of two rounded words.
constexpr double kRoundedLength = 0.0011;
constexpr double kRoundedUpperLength = 0.0021;
// A closed contour ends where it began, within the rounding of its words.
constexpr double kSamePoint = 0.0015;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Num(double value) {
  return FormatNumber(value, 0, 3);
}

// A character of the text for a message: one UTF-8 character, or "\xNN" for a byte that is none.
std::string CharAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  if (lead >= 0x20 && lead < 0x7F) length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  bool valid = length > 0 && at + length <= text.size();
  for (std::size_t k = 1; valid && k < length; ++k)
    valid = (static_cast<unsigned char>(text[at + k]) & 0xC0) == 0x80;
  if (valid && length > 2) {
    // No overlong form, no surrogate, nothing above U+10FFFF: those are no characters either.
    const auto second = static_cast<unsigned char>(text[at + 1]);
    valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0) &&
            !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
  }
  if (valid) return std::string(text.substr(at, length));
  constexpr char kHex[] = "0123456789ABCDEF";
  return std::string{'\\', 'x', kHex[lead >> 4], kHex[lead & 15]};
}

// One word of a block: its letter and its number.
struct Word {
  char letter = 0;
  double value = 0;
  std::string_view text;  // the word as written, for messages
};

// The words of one block, and the problems of its spelling.
struct Block {
  std::vector<Word> words;
  std::vector<std::string> problems;

  const Word* Find(char letter) const {
    const Word* found = nullptr;
    for (const Word& w : words) {
      if (w.letter == letter) found = &w;  // the last one counts
    }
    return found;
  }
};

// The value of "[sign]digits[.digits]" (either digit run may be empty, not both); nothing otherwise.
std::optional<double> WordNumber(std::string_view number) {
  if (number.starts_with('+')) number.remove_prefix(1);
  const std::size_t digits = number.find_first_of("0123456789");
  if (digits == std::string_view::npos) return std::nullopt;
  double value = 0;
  const auto result =
      std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return std::nullopt;
  return value;
}

// Splits a line into words: a letter, blanks allowed, then "[sign]digits[.digits]". Comments in
// parentheses are skipped.
void SplitWords(std::string_view line, Block& block) {
  block.words.clear();
  block.problems.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == '(') {
      const std::size_t close = line.find(')', i);
      if (close == std::string_view::npos) {
        block.problems.push_back("Комментарий не закрыт скобкой «)»");
        break;
      }
      i = close + 1;
      continue;
    }
    const char letter = Upper(c);
    if (letter < 'A' || letter > 'Z') {
      // A run of such characters is one problem: "Текст" is one word, not five. A long run is shown by
      // its beginning.
      constexpr int kShownChars = 40;
      std::string shown;
      int count = 0;
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '(' &&
             !(Upper(line[i]) >= 'A' && Upper(line[i]) <= 'Z')) {
        const std::string one = CharAt(line, i);
        i += one.starts_with('\\') ? 1 : one.size();
        if (count < kShownChars) shown += one;
        if (count == kShownChars) shown += "…";
        ++count;
      }
      block.problems.push_back((count == 1 ? "Недопустимый символ «" : "Недопустимые символы «") + shown +
                               "»");
      continue;
    }
    const std::size_t start = i++;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t numberStart = i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    while (i < line.size() && (IsDigit(line[i]) || line[i] == '.')) ++i;
    const std::string_view number = line.substr(numberStart, i - numberStart);
    const std::string_view written = line.substr(start, i - start);
    const auto value = WordNumber(number);
    if (!value) {
      block.problems.push_back("Неверное число в слове «" + std::string(written) + "»");
      continue;
    }
    block.words.push_back({letter, *value, written});
  }
}

bool IsWholeNumber(double value, double limit) {
  return value >= 0 && value <= limit && std::floor(value) == value;
}

// The contour: the compensated moves from the first one until the path is back where it began.
std::vector<const Move*> Contour(const std::vector<Move>& moves, bool& closed) {
  std::vector<const Move*> contour;
  closed = false;
  for (const Move& m : moves) {
    if (!m.compensated) {
      if (!contour.empty()) break;
      continue;
    }
    contour.push_back(&m);
    const Move& first = *contour.front();
    if (std::hypot(m.x - first.x0, m.y - first.y0) <= kSamePoint && contour.size() > 1) {
      closed = true;
      break;
    }
  }
  return contour;
}

// One dimension of the header against the contour.
struct Dimension {
  std::string label;  // "D", "W=", …
  double header;
  double contour;
  double tolerance;
};

void CompareWithHeader(ProgramReading& r, const std::vector<Dimension>& dims) {
  for (const Dimension& d : dims) {
    if (std::fabs(d.header - d.contour) <= d.tolerance) continue;
    r.problems.push_back(
        {r.headerLine, "Заголовок: " + d.label + Num(d.header) + ", контур: " + d.label +
                           (d.label == "ANG=" ? FormatNumber(d.contour, 0, 6) : Num(d.contour))});
  }
}

// Works the hole back from the contour and compares it with the header.
void CheckAgainstHeader(ProgramReading& r) {
  if (!r.header) return;
  bool closed = false;
  const std::vector<const Move*> contour = Contour(r.moves, closed);
  if (contour.empty()) {
    r.problems.push_back({r.headerLine, "Контур не найден: нет перемещений с коррекцией G41"});
    return;
  }
  if (!closed) r.problems.push_back({contour.back()->line, "Контур не замкнут: он не возвращается в начало"});
  const std::span<const Move> path(contour.front(), contour.size());
  const Box lower = BoundsOf(path, false);
  const Box upper = BoundsOf(path, true);
  if (const auto* circle = std::get_if<CircleHeader>(&*r.header)) {
    const double d = lower.Width();
    r.encoded = EncodedHole{CircleHeader{Num(d)}, "круглое отверстие D" + Num(d)};
    CompareWithHeader(r, {{"D", LeadingValue(circle->diameter), d, kRoundedLength}});
  } else if (const auto* rect = std::get_if<RectHeader>(&*r.header)) {
    double radius = 0;
    for (const Move* m : contour) {
      if (m->kind == Move::Kind::Arc) {
        radius = std::hypot(m->x0 - m->i, m->y0 - m->j);
        break;
      }
    }
    const RectHeader found{lower.Width(), lower.Height(), radius};
    r.encoded = EncodedHole{found, "прямоугольное отверстие W=" + Num(found.width) +
                                       " H=" + Num(found.height) + " R=" + Num(found.radius)};
    CompareWithHeader(r, {{"W=", rect->width, found.width, kRoundedLength},
                          {"H=", rect->height, found.height, kRoundedLength},
                          {"R=", rect->radius, found.radius, kRoundedDistance / 2}});
  } else if (const auto* cone = std::get_if<ConeHeader>(&*r.header)) {
    if (!r.wireHeight) {
      r.problems.push_back({r.headerLine, "Нет высоты конуса: слово R в кадре G92"});
      return;
    }
    const double h = *r.wireHeight;
    const double taper = lower.Width() - upper.Width();  // difference of the diameters
    const double t = taper / (2 * h);
    const double angle = std::fabs(2 * std::atan(t) * 180 / kPi);
    // How far the rounding of the words can move the angle, in degrees, and the six decimals of the field.
    const double slack = (0.004 + std::fabs(taper) * 0.0005 / std::fabs(h)) / (std::fabs(h) * (1 + t * t));
    const double angleTolerance = slack * 180 / kPi + 1e-6;
    const ConeHeader found{lower.Width(), upper.Width(), h, angle};
    r.encoded =
        EncodedHole{found, "коническое отверстие D-DOWN=" + Num(found.lower) + " D-UP=" + Num(found.upper) +
                               " H=" + Num(h) + " ANG=" + FormatNumber(angle, 0, 6)};
    CompareWithHeader(r, {{"D-DOWN=", cone->lower, found.lower, kRoundedLength},
                          {"D-UP=", cone->upper, found.upper, kRoundedUpperLength},
                          {"H=", cone->height, h, 0.0006},
                          {"ANG=", cone->angle, angle, angleTolerance}});
  }
}

// The reader's state while it goes through the blocks.
class Reader {
 public:
  explicit Reader(ProgramReading& r) : m_r(r) {}

  void Line(std::string_view line, int lineNo) {
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty()) return;
    m_lastLine = lineNo;
    if (line.front() == '%') {
      Header(line, lineNo);
      return;
    }
    m_sawBlock = true;
    SplitWords(line, m_block);
    for (std::string& text : m_block.problems) Problem(lineNo, std::move(text));
    Interpret(m_block, lineNo);
  }

  void Finish() {
    if (!m_ended) {
      Problem(m_lastLine, "Нет конца программы M02");
      if (m_compensated) Problem(m_lastLine, "Коррекция G41 не выключена (нет G40) к концу программы");
    }
    std::stable_sort(m_r.problems.begin(), m_r.problems.end(),
                     [](const kalmoro::Problem& a, const kalmoro::Problem& b) { return a.line < b.line; });
  }

 private:
  void Problem(int line, std::string text) { m_r.problems.push_back({line, std::move(text)}); }

  void Header(std::string_view line, int lineNo) {
    if (m_sawBlock || m_r.headerLine != 0) {
      Problem(lineNo, "Строка заголовка не в начале программы");
      return;
    }
    m_r.headerLine = lineNo;
    m_r.header = ParseHeaderLine(line);
  }

  void Interpret(const Block& b, int lineNo) {
    // Block number.
    const Word* n = b.Find('N');
    if (!n) {
      Problem(lineNo, "Кадр без номера N");
    } else if (!IsWholeNumber(n->value, 99999999)) {
      Problem(lineNo, "Неверный номер кадра «" + std::string(n->text) + "»");
    } else {
      const auto number = static_cast<int>(n->value);
      if (m_lastBlock >= 0 && number != m_lastBlock + 1) {
        Problem(lineNo, "Кадр N" + std::to_string(number) + " после N" + std::to_string(m_lastBlock) +
                            ": номера кадров должны расти на единицу");
      }
      m_lastBlock = number;
      m_currentBlock = number;
      ++m_r.blocks;
    }
    if (!n) m_currentBlock = 0;

    bool setup = false;
    bool end = false;
    for (const Word& w : b.words) {
      if (w.letter == 'G') {
        const int code = IsWholeNumber(w.value, 999) ? static_cast<int>(w.value) : -1;
        if (code == 1) {
          m_arc = false;
        } else if (code == 3) {
          m_arc = true;
        } else if (code == 92) {
          setup = true;
        } else if (code == 41) {
          m_compensated = true;
        } else if (code == 40) {
          m_compensated = false;
        } else if (code != 60) {
          Problem(lineNo, "Неизвестное слово «" + std::string(w.text) + "»");
        }
      } else if (w.letter == 'M') {
        if (IsWholeNumber(w.value, 99) && w.value == 2) {
          end = true;
        } else {
          Problem(lineNo, "Неизвестное слово «" + std::string(w.text) + "»");
        }
      } else if (std::string_view("NXYIJUVWRD").find(w.letter) == std::string_view::npos) {
        Problem(lineNo, "Неизвестное слово «" + std::string(w.text) + "»");
      }
    }
    const Word* x = b.Find('X');
    const Word* y = b.Find('Y');
    const Word* i = b.Find('I');
    const Word* j = b.Find('J');
    const Word* u = b.Find('U');
    const Word* v = b.Find('V');
    if (setup) {
      // The point where the tool stands gets the given coordinates: the program's origin.
      if (x) m_x = x->value;
      if (y) m_y = y->value;
      if (const Word* r = b.Find('R')) {
        m_r.wireHeight = r->value;
        if (!(r->value > 0)) Problem(lineNo, "Высота R в кадре G92 должна быть больше нуля");
      }
      m_setup = true;
    } else if (b.Find('R') || b.Find('W')) {
      Problem(lineNo, "Слова W и R стоят только в кадре G92");
    }
    if (!setup && (x || y)) {
      Motion(lineNo, x ? x->value : m_x, y ? y->value : m_y, i, j, u, v);
    } else {
      if (u || v) Problem(lineNo, "Слова конусности U, V в кадре без перемещения");
      if ((i || j) && !setup) Problem(lineNo, "Слова центра дуги I, J в кадре без перемещения");
      if (u) m_u = u->value;
      if (v) m_v = v->value;
    }
    if (end) {
      if (m_compensated) Problem(lineNo, "Коррекция G41 не выключена (нет G40) к концу программы");
      m_ended = true;
    }
  }

  void Motion(int lineNo, double x, double y, const Word* i, const Word* j, const Word* u, const Word* v) {
    if (!m_setup) Problem(lineNo, "Перемещение до кадра G92");
    if (m_ended) Problem(lineNo, "Перемещение после конца программы M02");
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
    m.block = m_currentBlock;
    m.line = lineNo;
    if (m_arc) {
      if (!i || !j) {
        Problem(lineNo, "Дуга без центра: нужны слова I и J");
      } else {
        m.kind = Move::Kind::Arc;
        m.i = i->value;
        m.j = j->value;
        const double r0 = std::hypot(m.x0 - m.i, m.y0 - m.j);
        const double r1 = std::hypot(m.x - m.i, m.y - m.j);
        if (r0 < 0.0005 || r1 < 0.0005) {
          Problem(lineNo, "Дуга нулевого радиуса");
        } else if (std::fabs(r0 - r1) > kRoundedDistance) {
          Problem(lineNo, "Дуга: начало и конец на разном расстоянии от центра (" + Num(r0) + " и " +
                              Num(r1) + " мм)");
        }
      }
    } else if (i || j) {
      Problem(lineNo, "Слова центра дуги I, J в прямолинейном кадре");
    }
    if (m.u != 0 || m.v != 0) m_r.tapered = true;
    m_r.moves.push_back(m);
    m_x = x;
    m_y = y;
    m_u = m.u;
    m_v = m.v;
  }

  ProgramReading& m_r;
  Block m_block;  // reused from line to line
  bool m_sawBlock = false;
  bool m_setup = false;
  bool m_ended = false;
  bool m_arc = false;
  bool m_compensated = false;
  int m_lastBlock = -1;
  int m_currentBlock = 0;
  int m_lastLine = 1;
  double m_x = 0, m_y = 0, m_u = 0, m_v = 0;
};

}  // namespace

ProgramReading ReadProgram(std::string_view text) {
  ProgramReading reading;
  Reader reader(reading);
  int lineNo = 1;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    reader.Line(text.substr(start, end - start), lineNo);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
    ++lineNo;
  }
  reader.Finish();
  CheckAgainstHeader(reading);
  std::stable_sort(reading.problems.begin(), reading.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return reading;
}

}  // namespace kalmoro
