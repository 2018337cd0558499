#include "JobReader.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "SectionReader.h"
#include "StructureCheck.h"
#include "nc/JobProgram.h"
#include "nc/NcGrammar.h"
#include "nc/NumberText.h"
#include "nc/ProgramInterpreter.h"
#include "nc/ProgramLexer.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// The wire stands where a hole's comment puts it within the rounding of the rapid moves' words.
constexpr double kSamePoint = 0.0015;

// A comment line that names a stop or a hole.
struct Marker {
  enum class Kind { Hole, Cut, Thread };
  Kind kind = Kind::Hole;
  int line = 0;
  std::size_t offset = 0;  // where the line starts
  std::optional<JobHoleLine> hole;
};

// The offset of the line after the one starting at `offset`.
std::size_t AfterLine(std::string_view text, std::size_t offset) {
  std::size_t end = text.find_first_of("\r\n", offset);
  if (end == std::string_view::npos) return text.size();
  if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
  return end + 1;
}

// A line meant as a hole's comment: "(", a number, ":".
bool LooksLikeHoleLine(std::string_view line) {
  if (line.empty() || line.front() != grammar::kCommentOpen) return false;
  std::size_t k = 1;
  while (k < line.size() && IsBlank(line[k])) ++k;
  const std::size_t digits = k;
  while (k < line.size() && IsDigit(line[k])) ++k;
  if (k == digits) return false;
  while (k < line.size() && IsBlank(line[k])) ++k;
  return k < line.size() && line[k] == ':';
}

bool IsComment(std::string_view line, std::string_view text) {
  return line.size() == text.size() + 2 && line.front() == grammar::kCommentOpen &&
         line.back() == grammar::kCommentClose && line.substr(1, text.size()) == text;
}

// A block of its number and M words only, none of them a program end: a stop for the operator.
bool IsStopBlock(const LexedLine& words) {
  bool stop = false;
  for (const Word& w : words.words) {
    if (w.letter == grammar::kBlockLetter) continue;
    if (w.letter != 'M' || w.value == 2 || w.value == 30) return false;
    stop = true;
  }
  return stop;
}

std::string PointText(Point p) {
  return "X" + FormatNumber(p.x, 0, 3) + " Y" + FormatNumber(p.y, 0, 3);
}

void Shift(Move& m, Point by) {
  m.x0 += by.x;
  m.y0 += by.y;
  m.x += by.x;
  m.y += by.y;
  if (m.kind == Move::Kind::Arc) {
    m.i += by.x;
    m.j += by.y;
  }
}

class JobReader {
 public:
  explicit JobReader(std::string_view text) : m_text(text) {}
  ProgramReading Read();

 private:
  void Add(int line, ProblemKind kind, std::string text) {
    m_r.problems.push_back({line, kind, std::move(text)});
  }
  void FindMarkers();
  void ReadPreamble(std::size_t end);
  // Reads hole h and returns the offset where its blocks end.
  std::size_t ReadHole(std::size_t h, std::size_t markerIndex, bool last);
  void ReadTravel(std::size_t h, std::size_t begin, std::size_t end, int firstLine);
  void AddMoves(const std::vector<Move>& moves, Point by);

  std::string_view m_text;
  ProgramReading m_r;
  JobReading m_job;
  std::vector<Marker> m_markers;
  std::vector<std::size_t> m_holeMarkers;  // indexes into m_markers
  int m_headerLine = 0;
  std::size_t m_headerEnd = 0;
  bool m_holesLeftOut = false;
  std::size_t m_cutOff = std::string_view::npos;  // the first hole line beyond kMaxJobHoles
  bool m_movesLeftOut = false;
  Point m_wire;   // where the wire stands, in the job's frame
  Point m_frame;  // the current hole's origin in the job's frame
  Point m_local;  // where the wire stands in the current hole's frame
  int m_lastBlock = -1;
  int m_lastTravelLine = 0;  // the last move between the previous hole and this one
};

void JobReader::FindMarkers() {
  bool first = true;
  ForEachLine(m_text, 1, [this, &first](std::string_view line, int lineNo, std::size_t offset) {
    if (line.empty() || m_cutOff != std::string_view::npos) return;
    if (first) {
      first = false;
      m_headerLine = lineNo;
      m_headerEnd = AfterLine(m_text, offset);
      const std::optional<long> declared = ParseJobHeader(line);
      if (declared)
        m_job.declared = *declared;
      else
        Add(lineNo, ProblemKind::Header,
            "Первая строка задания должна быть «%(JOB: n)», где n — число отверстий");
      return;
    }
    // Only the first stop comment after a hole matters: it ends the hole's blocks. Keeping no others
    // bounds the memory for any text.
    const bool afterHole = !m_markers.empty() && m_markers.back().kind == Marker::Kind::Hole;
    if (afterHole && IsComment(line, grammar::kCutWireComment)) {
      m_markers.push_back({Marker::Kind::Cut, lineNo, offset, {}});
    } else if (afterHole && IsComment(line, grammar::kThreadWireComment)) {
      m_markers.push_back({Marker::Kind::Thread, lineNo, offset, {}});
    } else if (LooksLikeHoleLine(line)) {
      if (m_holeMarkers.size() == kMaxJobHoles) {
        m_cutOff = offset;
        m_holesLeftOut = true;
        Add(lineNo, ProblemKind::Limit,
            "В задании больше " + std::to_string(kMaxJobHoles) + " отверстий: проверены первые " +
                std::to_string(kMaxJobHoles));
        return;
      }
      m_holeMarkers.push_back(m_markers.size());
      m_markers.push_back({Marker::Kind::Hole, lineNo, offset, ParseJobHoleLine(line)});
    }
  });
}

void JobReader::ReadPreamble(std::size_t end) {
  LexedLine words;
  bool reported = false;
  ForEachLine(m_text.substr(m_headerEnd, end - m_headerEnd), m_headerLine + 1,
              [&](std::string_view line, int lineNo, std::size_t) {
                if (line.empty() || reported) return;
                LexLine(line, words);
                if (words.words.empty() && words.problems.empty()) return;
                reported = true;
                Add(lineNo, ProblemKind::Structure,
                    "Кадр до первого отверстия задания: каждое отверстие начинается строкой «(1: …)»");
              });
}

void JobReader::AddMoves(const std::vector<Move>& moves, Point by) {
  for (Move m : moves) {
    if (m_r.moves.size() == kMaxMoves) {
      if (!m_movesLeftOut)
        Add(m.line, ProblemKind::Limit,
            "Программа слишком длинная: проверены первые " + std::to_string(kMaxMoves) + " перемещений");
      m_movesLeftOut = true;
      return;
    }
    Shift(m, by);
    m_r.moves.push_back(m);
  }
}

std::size_t JobReader::ReadHole(std::size_t h, std::size_t markerIndex, bool last) {
  const Marker& marker = m_markers[markerIndex];
  const std::size_t begin = AfterLine(m_text, marker.offset);
  std::size_t end = m_cutOff == std::string_view::npos ? m_text.size() : m_cutOff;
  // Any other hole's blocks end at the next marker: the cut comment, or the next hole's line.
  if (!last) end = m_markers[markerIndex + 1].offset;
  const std::string number = std::to_string(h + 1);
  SectionFrame frame;
  frame.firstLine = marker.line + 1;
  frame.inJob = true;
  frame.endsProgram = last && !m_holesLeftOut;
  frame.headerLine = marker.line;
  frame.lastBlock = m_lastBlock;
  if (!marker.hole) {
    Add(marker.line, ProblemKind::Header,
        "Строка отверстия " + number + " не читается: нужна «(" + number + ": ЗАГОЛОВОК @ Xx Yy)»");
  } else {
    frame.header = marker.hole->header;
    if (marker.hole->number != static_cast<long>(h + 1))
      Add(marker.line, ProblemKind::Structure,
          "Отверстие " + std::to_string(marker.hole->number) + " стоит в задании " + number + "-м");
    if (!marker.hole->header)
      Add(marker.line, ProblemKind::Header, "Отверстие " + number + ": заголовок отверстия не распознан");
  }
  const SectionReading s = ReadSection(m_text.substr(begin, end - begin), frame);
  // The setup block declares the coordinates of the point where the wire stands.
  const Point origin{m_wire.x - s.start.x, m_wire.y - s.start.y};
  if (h > 0 && marker.hole) {
    const Point at{marker.hole->x, marker.hole->y};
    if (std::hypot(origin.x - at.x, origin.y - at.y) > kSamePoint)
      Add(m_lastTravelLine != 0 ? m_lastTravelLine : marker.line, ProblemKind::Deviation,
          "Отверстие " + number + ": переход приводит в " + PointText(origin) +
              ", а строка отверстия задаёт " + PointText(at));
  }
  const ProgramReading& hole = s.reading;
  JobHoleReading out;
  out.line = marker.line;
  out.number = marker.hole ? marker.hole->number : 0;
  out.header = frame.header;
  out.at = marker.hole ? Point{marker.hole->x, marker.hole->y} : origin;
  out.origin = origin;
  out.encoded = hole.encoded;
  out.wireHeight = hole.wireHeight;
  out.firstMove = m_r.moves.size();
  AddMoves(hole.moves, origin);
  out.moveCount = m_r.moves.size() - out.firstMove;
  out.blocks = hole.blocks;
  m_job.holes.push_back(std::move(out));
  m_r.problems.insert(m_r.problems.end(), hole.problems.begin(), hole.problems.end());
  m_r.problemsLeftOut += hole.problemsLeftOut;
  m_r.blocks += hole.blocks;
  m_r.tapered = m_r.tapered || hole.tapered;
  m_lastBlock = s.lastBlock;
  m_frame = origin;
  m_local = s.end;
  m_wire = {origin.x + s.end.x, origin.y + s.end.y};
  return end;
}

void JobReader::ReadTravel(std::size_t h, std::size_t begin, std::size_t end, int firstLine) {
  const std::string next = std::to_string(h + 2);
  std::vector<Move> moves;
  ProgramInterpreter interpreter(moves, m_r.problems);
  interpreter.Resume(m_local);
  StructureCheck structure(m_r.problems, m_lastBlock, true, false);
  structure.SetupDone();
  LexedLine words;
  bool cut = false, thread = false, moved = false, early = false, late = false;
  m_lastTravelLine = 0;
  ForEachLine(
      m_text.substr(begin, end - begin), firstLine, [&](std::string_view line, int lineNo, std::size_t) {
        if (line.empty()) return;
        LexLine(line, words);
        for (Problem& p : words.problems) {
          p.line = lineNo;
          m_r.problems.push_back(std::move(p));
        }
        if (words.words.empty()) return;  // a comment
        const int block = structure.BlockNumber(words, lineNo);
        const Point local = interpreter.Current();
        const Point at{m_frame.x + local.x, m_frame.y + local.y};
        if (IsStopBlock(words)) {
          if (!cut && !moved) {
            cut = true;
            m_job.stops.push_back({WireStop::Kind::Cut, at, lineNo});
          } else if (moved && !thread) {
            thread = true;
            m_job.stops.push_back({WireStop::Kind::Thread, at, lineNo});
          }
          return;
        }
        const BlockFacts facts = interpreter.Block(words, lineNo, block);
        structure.Block(facts, lineNo);
        if (!facts.motion) return;
        moved = true;
        m_lastTravelLine = lineNo;
        if (!cut && !early) {
          early = true;
          Add(lineNo, ProblemKind::Structure,
              "Переход к отверстию " + next + " до обрезки проволоки: проволока прорежет деталь");
        }
        if (thread && !late) {
          late = true;
          Add(lineNo, ProblemKind::Structure,
              "Перемещение после заправки проволоки, до отверстия " + next + ": проволока прорежет деталь");
        }
      });
  const int nextLine = m_markers[m_holeMarkers[h + 1]].line;
  if (!cut && !early)
    Add(nextLine, ProblemKind::Structure,
        "Перед отверстием " + next + " нет остановки для обрезки проволоки после отверстия " +
            std::to_string(h + 1));
  if (!thread)
    Add(nextLine, ProblemKind::Structure,
        "Перед отверстием " + next + " нет остановки для заправки проволоки");
  for (const Move& m : moves) m_job.travel += PathLength(m, false);
  AddMoves(moves, m_frame);
  m_r.blocks += structure.Blocks();
  m_lastBlock = structure.LastBlock();
  m_local = interpreter.Current();
  m_wire = {m_frame.x + m_local.x, m_frame.y + m_local.y};
}

ProgramReading JobReader::Read() {
  FindMarkers();
  const std::size_t holes = m_holeMarkers.size();
  if (m_job.declared > 0 && static_cast<std::size_t>(m_job.declared) != holes && !m_holesLeftOut)
    Add(m_headerLine, ProblemKind::Header,
        "Заголовок задания: отверстий " + std::to_string(m_job.declared) + ", а в программе " +
            std::to_string(holes));
  if (holes == 0) {
    Add(m_headerLine, ProblemKind::Contour,
        "В задании нет отверстий: строки «(1: ЗАГОЛОВОК @ Xx Yy)» не найдены");
    ReadPreamble(m_text.size());
  } else {
    ReadPreamble(m_markers[m_holeMarkers.front()].offset);
    const Marker& first = m_markers[m_holeMarkers.front()];
    if (first.hole) m_wire = {first.hole->x, first.hole->y};
    for (std::size_t h = 0; h < holes; ++h) {
      const bool last = h + 1 == holes;
      const std::size_t end = ReadHole(h, m_holeMarkers[h], last);
      if (last) break;
      // The travel starts at the marker after the hole: its cut comment, or the next hole's line.
      ReadTravel(h, end, m_markers[m_holeMarkers[h + 1]].offset, m_markers[m_holeMarkers[h] + 1].line);
    }
  }
  m_r.job = std::move(m_job);
  KeepShownProblems(m_r);
  return std::move(m_r);
}

}  // namespace

ProgramReading ReadJob(std::string_view text) {
  return JobReader(text).Read();
}

}  // namespace kalmoro
