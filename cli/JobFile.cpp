#include "cli/JobFile.h"

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "cli/Args.h"
#include "cli/Generate.h"
#include "nc/NcWriter.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

constexpr char kPositionMark = '@';
constexpr char kCommentMark = '#';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A message quotes what the line holds; a line of megabytes is quoted this far.
constexpr std::size_t kMaxMessageBytes = 400;

// A hole's command and options are at most nine words ("cone" and four options with their values).
constexpr std::size_t kMaxWords = 32;
// A value as long as a field of the window can hold (32767 characters, Qt's limit for a line edit); a
// longer word is refused before anything copies it, so that a line of megabytes costs no copy of itself.
constexpr std::size_t kMaxWordBytes = 32767;

// The words of a text, at most `most` + 1 of them: enough to tell that there are too many, and memory
// stays small for a line of megabytes.
std::vector<std::string_view> Words(std::string_view text, std::size_t most) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size() && words.size() <= most) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// The message cut to kMaxMessageBytes, at a character's start, with "…" where it is cut.
std::string Bounded(std::string message) {
  if (message.size() <= kMaxMessageBytes) return message;
  std::size_t cut = kMaxMessageBytes;
  while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
  message.resize(cut);
  return message + "…";
}

// As much of a word as a message can quote: Bounded cuts the message within it.
std::string Quoted(std::string_view word) {
  return std::string(word.substr(0, kMaxMessageBytes + 1));
}

// X or Y after "@": the value, or the message.
std::variant<double, std::string> Coordinate(std::string_view word, const char* axis) {
  const std::optional<std::string> text =
      word.size() <= kMaxWordBytes ? ValueFieldText(word, true) : std::nullopt;
  if (!text) return "недопустимая координата " + std::string(axis) + ": «" + Quoted(word) + "»";
  // A number of hundreds of digits has no value; it is as far beyond the table as any.
  const std::optional<double> value = FullValue(*text);
  if (!value || !(std::fabs(*value) <= kMaxJobPosition)) return std::string(kMsgJobPosition);
  return *value;
}

// One line that is not blank or a comment: the hole, or the message.
std::variant<JobHole, std::string> ReadLine(std::string_view line, std::string_view holdCode,
                                            double maxTaperAngle) {
  const std::size_t at = line.find(kPositionMark);
  const std::vector<std::string_view> words = Words(line.substr(0, at), kMaxWords);
  if (words.empty())
    return std::string("не указано отверстие (circle, rect, cone или rect-taper) перед «@ X Y»");
  if (!IsHoleCommand(words[0]))
    return "неизвестное отверстие «" + Quoted(words[0]) + "» (circle, rect, cone или rect-taper)";
  if (words.size() > kMaxWords) return "больше " + std::to_string(kMaxWords) + " слов перед «@ X Y»";
  for (const std::string_view word : words) {
    if (word == "-o" || word == "-h" || word == "--help" || word.starts_with("--machine") ||
        word == "--rough-first")
      return "параметр " + std::string(word.substr(0, word.find('='))) + " в строке задания не допускается";
    if (word.size() > kMaxWordBytes)
      return "слово длиннее " + std::to_string(kMaxWordBytes) + " байт: «" + Quoted(word) + "»";
  }
  const Command command = ParseHoleArgs(words);
  if (const auto* error = std::get_if<UsageError>(&command)) return error->message;
  if (at == std::string_view::npos)
    return std::string("нет положения отверстия: после параметров укажите «@ X Y», его центр в мм");
  const std::vector<std::string_view> position = Words(line.substr(at + 1), 2);
  if (position.size() != 2)
    return "после «@» нужны две координаты центра, X и Y, а указано " +
           (position.size() > 2 ? std::string("больше") : std::to_string(position.size()));
  JobHole hole;
  for (const auto& [word, axis, value] :
       {std::tuple(position[0], "X", &hole.x), std::tuple(position[1], "Y", &hole.y)}) {
    const auto coordinate = Coordinate(word, axis);
    if (const auto* message = std::get_if<std::string>(&coordinate)) return *message;
    *value = std::get<double>(coordinate);
  }
  GenResult result = Generate(std::get<GenerateCommand>(command), holdCode, maxTaperAngle);
  if (!result.Ok()) return std::move(result.error);
  hole.program = std::move(result.program);
  return hole;
}

}  // namespace

JobFileReading ReadJobFile(std::string_view text, bool roughFirst, std::string_view holdCode,
                           double maxTaperAngle) {
  JobFileReading reading;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  const auto fail = [&reading](std::size_t line, std::string message) {
    reading.errors.push_back({line, Bounded(std::move(message))});
  };
  // The job's blocks so far as its program numbers them: each hole's own without its M02, the cut,
  // rapid move and thread between two holes, in a rough-first job the skims' parts, and the M02 at the
  // end. Rough-first adds its parts only when some hole has skims, and so does the count.
  std::size_t blocks = 1;
  std::size_t lineNo = 0;
  while (!text.empty()) {
    ++lineNo;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == kCommentMark) continue;
    auto hole = ReadLine(line, holdCode, maxTaperAngle);
    if (auto* message = std::get_if<std::string>(&hole)) {
      fail(lineNo, std::move(*message));
      if (reading.errors.size() < kMaxJobFileErrors) continue;
      if (!text.empty()) reading.uncheckedAfter = lineNo;
      break;
    }
    JobHole& good = std::get<JobHole>(hole);
    blocks += JobHoleBlocks(good.program, reading.holes.empty(), roughFirst);
    if (blocks > static_cast<std::size_t>(NcWriter::kMaxBlockNum)) {
      fail(lineNo, kMsgJobTooLarge);
      break;
    }
    reading.holes.push_back(std::move(good));
    reading.holeLines.push_back(lineNo);
  }
  return reading;
}

}  // namespace kalmoro
