#include "JobReader.h"

#include <algorithm>
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

// A comment line that names a stop, a hole, or the skims of a hole in a rough-first job.
struct Marker {
  enum class Kind { Hole, Skims, Cut, Thread };
  Kind kind = Kind::Hole;
  int line = 0;
  std::size_t offset = 0;  // where the line starts
  std::optional<JobHoleLine> hole;
  bool Section() const { return kind == Kind::Hole || kind == Kind::Skims; }
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
  // Reads section s (a hole, or the skims of one) and returns the offset where its blocks end.
  std::size_t ReadSection(std::size_t s);
  void ReadTravel(std::size_t s, std::size_t begin, std::size_t end, int firstLine);
  void AddMoves(const std::vector<Move>& moves, Point by);
  void AddPasses(const std::vector<PassReading>& passes, std::size_t firstMove, std::size_t hole);
  // How messages name section s: "отверстию 2" / "чистовым проходам отверстия 2", and so on.
  std::string Dative(std::size_t s) const;
  std::string Instrumental(std::size_t s) const;
  std::string Genitive(std::size_t s) const;
  // The hole (index into m_job.holes) the skims of section s belong to, when there is one.
  std::optional<std::size_t> SkimsHole(std::size_t s) const;
  const Marker& SectionMarker(std::size_t s) const { return m_markers[m_sections[s]]; }
  std::size_t HoleNumber(std::size_t s) const;

  std::string_view m_text;
  ProgramReading m_r;
  JobReading m_job;
  std::vector<Marker> m_markers;
  std::vector<std::size_t> m_sections;      // indexes into m_markers: holes, and skims of holes
  std::vector<std::size_t> m_holeOrdinals;  // of each section: the holes up to it, itself included
  std::size_t m_holeLines = 0;
  bool m_sawSkims = false;  // a skim section has been read
  int m_headerLine = 0;
  std::size_t m_headerEnd = 0;
  bool m_holesLeftOut = false;
  std::size_t m_cutOff = std::string_view::npos;  // the first hole line beyond kMaxJobHoles
  bool m_movesLeftOut = false;
  Point m_wire;   // where the wire stands, in the job's frame
  Point m_frame;  // the current section's origin in the job's frame
  Point m_local;  // where the wire stands in the current section's frame
  int m_lastBlock = -1;
  ProgramInterpreter::MotionCode m_motion = ProgramInterpreter::MotionCode::Linear;  // in force
  int m_lastTravelLine = 0;  // the last move between the previous section and this one
};

void JobReader::FindMarkers() {
  bool first = true;
  ForEachLine(m_text, 1, [this, &first](std::string_view line, int lineNo, std::size_t offset) {
    if (line.empty() || m_cutOff != std::string_view::npos) return;
    if (first) {
      first = false;
      m_headerLine = lineNo;
      m_headerEnd = AfterLine(m_text, offset);
      const std::optional<JobHeader> header = ParseJobHeader(line);
      if (header) {
        m_job.declared = header->holes;
        m_job.roughFirst = header->roughFirst;
      } else {
        Add(lineNo, ProblemKind::Header,
            "Первая строка задания должна быть «%(JOB: n)», где n — число отверстий");
      }
      return;
    }
    // Only the first stop comment after a section matters: it ends the section's blocks. Keeping no
    // others bounds the memory for any text.
    const bool afterSection = !m_markers.empty() && m_markers.back().Section();
    const bool skims = IsJobSkimLineStart(line);
    if (afterSection && IsComment(line, grammar::kCutWireComment)) {
      m_markers.push_back({Marker::Kind::Cut, lineNo, offset, {}});
    } else if (afterSection && IsComment(line, grammar::kThreadWireComment)) {
      m_markers.push_back({Marker::Kind::Thread, lineNo, offset, {}});
    } else if (skims || LooksLikeHoleLine(line)) {
      if (m_sections.size() == 2 * kMaxJobHoles || (!skims && m_holeLines == kMaxJobHoles)) {
        m_cutOff = offset;
        m_holesLeftOut = true;
        Add(lineNo, ProblemKind::Limit,
            "В задании больше " + std::to_string(kMaxJobHoles) + " отверстий: проверены первые " +
                std::to_string(kMaxJobHoles));
        return;
      }
      m_sections.push_back(m_markers.size());
      m_holeLines += skims ? 0 : 1;
      m_holeOrdinals.push_back(m_holeLines);
      m_markers.push_back({skims ? Marker::Kind::Skims : Marker::Kind::Hole, lineNo, offset,
                           skims ? ParseJobSkimLine(line) : ParseJobHoleLine(line)});
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

void JobReader::AddPasses(const std::vector<PassReading>& passes, std::size_t firstMove, std::size_t hole) {
  for (PassReading p : passes) {
    // Moves beyond those kept take their passes with them.
    if (firstMove + p.firstMove >= m_r.moves.size() || firstMove + p.contourFirst >= m_r.moves.size()) return;
    p.firstMove += firstMove;
    p.contourFirst += firstMove;
    if (p.stopLine != 0) p.stopMove += firstMove;
    p.moveCount = std::min(p.moveCount, m_r.moves.size() - p.firstMove);
    p.contourCount = std::min(p.contourCount, m_r.moves.size() - p.contourFirst);
    p.hole = static_cast<int>(hole);
    m_r.passes.push_back(p);
  }
}

std::size_t JobReader::HoleNumber(std::size_t s) const {
  const Marker& marker = SectionMarker(s);
  if (marker.kind == Marker::Kind::Skims)
    return marker.hole ? static_cast<std::size_t>(marker.hole->number) : 0;
  return m_holeOrdinals[s];  // a hole is named by its place in the job
}

std::string JobReader::Dative(std::size_t s) const {
  const std::string n = std::to_string(HoleNumber(s));
  return SectionMarker(s).kind == Marker::Kind::Skims ? "чистовым проходам отверстия " + n : "отверстию " + n;
}

std::string JobReader::Instrumental(std::size_t s) const {
  const std::string n = std::to_string(HoleNumber(s));
  return SectionMarker(s).kind == Marker::Kind::Skims ? "чистовыми проходами отверстия " + n
                                                      : "отверстием " + n;
}

std::string JobReader::Genitive(std::size_t s) const {
  const std::string n = std::to_string(HoleNumber(s));
  return SectionMarker(s).kind == Marker::Kind::Skims ? "чистовых проходов отверстия " + n : "отверстия " + n;
}

std::optional<std::size_t> JobReader::SkimsHole(std::size_t s) const {
  const Marker& marker = SectionMarker(s);
  if (!marker.hole || marker.hole->number < 1 ||
      static_cast<std::size_t>(marker.hole->number) > m_job.holes.size())
    return std::nullopt;
  return static_cast<std::size_t>(marker.hole->number - 1);
}

std::size_t JobReader::ReadSection(std::size_t s) {
  const Marker& marker = SectionMarker(s);
  const bool last = s + 1 == m_sections.size();
  const bool skims = marker.kind == Marker::Kind::Skims;
  const std::size_t begin = AfterLine(m_text, marker.offset);
  std::size_t end = m_cutOff == std::string_view::npos ? m_text.size() : m_cutOff;
  // Any other section's blocks end at the next marker: the cut comment, or the next section's line.
  if (!last) end = m_markers[m_sections[s] + 1].offset;
  const std::string number = std::to_string(skims ? HoleNumber(s) : m_job.holes.size() + 1);
  SectionFrame frame;
  frame.firstLine = marker.line + 1;
  frame.inJob = true;
  frame.endsProgram = last && !m_holesLeftOut;
  frame.headerLine = marker.line;
  frame.lastBlock = m_lastBlock;
  frame.motion = m_motion;
  std::optional<std::size_t> owner;  // the hole the skims belong to
  if (!marker.hole) {
    Add(marker.line, ProblemKind::Header,
        skims ? "Строка чистовых проходов не читается: нужна «(ЧИСТОВЫЕ ПРОХОДЫ k: ЗАГОЛОВОК @ Xx Yy)»"
              : "Строка отверстия " + number + " не читается: нужна «(" + number + ": ЗАГОЛОВОК @ Xx Yy)»");
  } else {
    frame.header = marker.hole->header;
    if (!marker.hole->header)
      Add(marker.line, ProblemKind::Header,
          (skims ? "Чистовые проходы отверстия " : "Отверстие ") + number +
              ": заголовок отверстия не распознан");
    if (!skims && marker.hole->number != static_cast<long>(m_job.holes.size() + 1))
      Add(marker.line, ProblemKind::Structure,
          "Отверстие " + std::to_string(marker.hole->number) + " стоит в задании " + number + "-м");
  }
  if (skims) {
    m_sawSkims = true;
    frame.firstPass = 2;
    owner = SkimsHole(s);
    if (!m_job.roughFirst)
      Add(marker.line, ProblemKind::Structure,
          "Чистовые проходы отдельно от отверстия, а первая строка задания не говорит ROUGH-FIRST");
    else if (!owner)
      Add(marker.line, ProblemKind::Structure,
          "Чистовые проходы отверстия " + number + ", которого нет в задании");
    if (owner && marker.hole) {
      const JobHoleReading& hole = m_job.holes[*owner];
      const auto headerText = [](const std::optional<HoleHeader>& h) {
        return h ? HeaderLine(*h) : std::string();
      };
      if (hole.skimPart)
        Add(marker.line, ProblemKind::Structure,
            "Чистовые проходы отверстия " + number + " уже были в строке " +
                std::to_string(hole.skimPart->line));
      else if (headerText(hole.header) != headerText(marker.hole->header))
        Add(marker.line, ProblemKind::Header,
            "Заголовок чистовых проходов не совпадает с заголовком отверстия " + number + " в строке " +
                std::to_string(hole.line));
      else if (std::hypot(hole.at.x - marker.hole->x, hole.at.y - marker.hole->y) > kSamePoint)
        Add(marker.line, ProblemKind::Structure,
            "Чистовые проходы отверстия " + number + " стоят в " +
                PointText({marker.hole->x, marker.hole->y}) + ", а отверстие — в " + PointText(hole.at));
      else if (!hole.header || PassesOf(*hole.header).skims == 0)
        Add(marker.line, ProblemKind::Structure,
            "Чистовые проходы отверстия " + number + ", у которого заголовок не задаёт чистовых проходов");
    }
  } else {
    if (m_job.roughFirst && frame.header && PassesOf(*frame.header).skims > 0) frame.lastPass = 1;
    if (m_job.roughFirst && m_sawSkims)
      Add(marker.line, ProblemKind::Structure,
          "Отверстие " + number +
              " после чистовых проходов: в задании ROUGH-FIRST сначала черновые проходы всех "
              "отверстий");
  }
  const SectionReading read = kalmoro::ReadSection(m_text.substr(begin, end - begin), frame);
  // The setup block declares the coordinates of the point where the wire stands.
  const Point origin{m_wire.x - read.start.x, m_wire.y - read.start.y};
  if (s > 0 && marker.hole) {
    const Point at{marker.hole->x, marker.hole->y};
    if (std::hypot(origin.x - at.x, origin.y - at.y) > kSamePoint)
      Add(m_lastTravelLine != 0 ? m_lastTravelLine : marker.line, ProblemKind::Deviation,
          (skims ? "Чистовые проходы отверстия " : "Отверстие ") + number + ": переход приводит в " +
              PointText(origin) + ", а строка " + (skims ? "чистовых проходов" : "отверстия") + " задаёт " +
              PointText(at));
  }
  const ProgramReading& part = read.reading;
  const std::size_t firstMove = m_r.moves.size();
  AddMoves(part.moves, origin);
  const std::size_t moveCount = m_r.moves.size() - firstMove;
  if (skims && owner && m_job.roughFirst && !m_job.holes[*owner].skimPart) {
    m_job.holes[*owner].skimPart =
        JobHoleReading::SkimPart{marker.line, origin, part.wireHeight, firstMove, moveCount, part.blocks};
    AddPasses(part.passes, firstMove, *owner);
  } else if (!skims) {
    JobHoleReading out;
    out.line = marker.line;
    out.number = marker.hole ? marker.hole->number : 0;
    out.header = frame.header;
    out.at = marker.hole ? Point{marker.hole->x, marker.hole->y} : origin;
    out.origin = origin;
    out.encoded = part.encoded;
    out.wireHeight = part.wireHeight;
    out.firstMove = firstMove;
    out.moveCount = moveCount;
    out.blocks = part.blocks;
    AddPasses(part.passes, firstMove, m_job.holes.size());
    m_job.holes.push_back(std::move(out));
  }
  m_r.problems.insert(m_r.problems.end(), part.problems.begin(), part.problems.end());
  m_r.problemsLeftOut += part.problemsLeftOut;
  m_r.blocks += part.blocks;
  m_r.tapered = m_r.tapered || part.tapered;
  m_lastBlock = read.lastBlock;
  m_motion = read.motion;
  m_frame = origin;
  m_local = read.end;
  m_wire = {origin.x + read.end.x, origin.y + read.end.y};
  return end;
}

void JobReader::ReadTravel(std::size_t s, std::size_t begin, std::size_t end, int firstLine) {
  const std::string next = Dative(s + 1);
  std::vector<Move> moves;
  ProgramInterpreter interpreter(moves, m_r.problems);
  interpreter.Resume(m_local);
  interpreter.ResumeMotion(m_motion);
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
              "Переход к " + next + " до обрезки проволоки: проволока прорежет деталь");
        }
        if (thread && !late) {
          late = true;
          Add(lineNo, ProblemKind::Structure,
              "Перемещение после заправки проволоки, до " + Genitive(s + 1) + ": проволока прорежет деталь");
        }
      });
  const int nextLine = SectionMarker(s + 1).line;
  if (!cut && !early)
    Add(nextLine, ProblemKind::Structure,
        "Перед " + Instrumental(s + 1) + " нет остановки для обрезки проволоки после " + Genitive(s));
  if (!thread)
    Add(nextLine, ProblemKind::Structure,
        "Перед " + Instrumental(s + 1) + " нет остановки для заправки проволоки");
  for (const Move& m : moves) m_job.travel += PathLength(m, false);
  AddMoves(moves, m_frame);
  m_r.blocks += structure.Blocks();
  m_lastBlock = structure.LastBlock();
  m_motion = interpreter.Motion();
  m_local = interpreter.Current();
  m_wire = {m_frame.x + m_local.x, m_frame.y + m_local.y};
}

ProgramReading JobReader::Read() {
  FindMarkers();
  if (m_job.declared > 0 && static_cast<std::size_t>(m_job.declared) != m_holeLines && !m_holesLeftOut)
    Add(m_headerLine, ProblemKind::Header,
        "Заголовок задания: отверстий " + std::to_string(m_job.declared) + ", а в программе " +
            std::to_string(m_holeLines));
  if (m_sections.empty()) {
    Add(m_headerLine, ProblemKind::Contour,
        "В задании нет отверстий: строки «(1: ЗАГОЛОВОК @ Xx Yy)» не найдены");
    ReadPreamble(m_text.size());
  } else {
    const Marker& first = SectionMarker(0);
    ReadPreamble(first.offset);
    if (first.kind != Marker::Kind::Hole)
      Add(first.line, ProblemKind::Structure, "Задание начинается не с отверстия: нужна строка «(1: …)»");
    if (first.hole) m_wire = {first.hole->x, first.hole->y};
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
      const std::size_t end = ReadSection(s);
      if (s + 1 == m_sections.size()) break;
      // The travel starts at the marker after the section: its cut comment, or the next section's line.
      ReadTravel(s, end, m_markers[m_sections[s + 1]].offset, m_markers[m_sections[s] + 1].line);
    }
    // A rough-first job comes back for the skims of every hole that has them; one that does not is named
    // at the job's last line.
    int endLine = 0;
    for (const JobHoleReading& hole : m_job.holes) {
      if (!m_job.roughFirst || m_holesLeftOut || hole.skimPart || !hole.header ||
          PassesOf(*hole.header).skims == 0)
        continue;
      if (endLine == 0)
        ForEachLine(m_text, 1, [&endLine](std::string_view line, int lineNo, std::size_t) {
          if (!line.empty()) endLine = lineNo;
        });
      Add(endLine, ProblemKind::Structure,
          "Нет чистовых проходов отверстия " + std::to_string(hole.number) +
              ": в задании ROUGH-FIRST они идут после черновых проходов всех отверстий");
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
