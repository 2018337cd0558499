#include "nc/JobProgram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "nc/NcGrammar.h"
#include "nc/NcWriter.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// The header line's text between "%(" and ")".
std::string_view HeaderInner(std::string_view headerLine) {
  if (headerLine.starts_with(grammar::kHeaderOpen)) headerLine.remove_prefix(grammar::kHeaderOpen.size());
  if (!headerLine.empty() && headerLine.back() == grammar::kHeaderClose) headerLine.remove_suffix(1);
  return headerLine;
}

// The block without its "N" word: "N12X0.000Y0.000" gives "X0.000Y0.000".
std::string_view BlockBody(std::string_view line) {
  if (line.empty() || line.front() != grammar::kBlockLetter)
    throw std::invalid_argument("a hole program's block has no number");
  std::size_t k = 1;
  while (k < line.size() && IsDigit(line[k])) ++k;
  if (k == 1) throw std::invalid_argument("a hole program's block has no number");
  return line.substr(k);
}

// A line of a hole's program as a job copies it: a block (its body) or a comment (its text).
struct HoleLine {
  bool comment = false;
  std::string_view text;
};

// A hole's program taken apart: its header line; the blocks that open it (G92, G60); its rough pass,
// from its pass comment on; its skims, from the second pass comment on (none for a single pass).
struct HoleParts {
  std::string_view header;
  std::vector<HoleLine> opening, rough, skims;
  std::size_t Blocks(const std::vector<HoleLine>& lines) const {
    std::size_t n = 0;
    for (const HoleLine& l : lines) n += l.comment ? 0 : 1;
    return n;
  }
};

HoleParts TakeApart(std::string_view program) {
  HoleParts parts;
  std::size_t end = program.find(grammar::kLineEnd);
  if (end == std::string_view::npos || !program.starts_with(grammar::kHeaderOpen))
    throw std::invalid_argument("a hole program without its header");
  parts.header = program.substr(0, end);
  std::string_view rest = program.substr(end + grammar::kLineEnd.size());
  int passComments = 0;
  bool ended = false;
  while (!rest.empty()) {
    end = rest.find(grammar::kLineEnd);
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + grammar::kLineEnd.size());
    if (!line.empty() && line.front() == grammar::kCommentOpen) {
      if (line.back() != grammar::kCommentClose) throw std::invalid_argument("a comment without its end");
      if (ParsePassComment(line)) ++passComments;
      (passComments == 0   ? parts.opening
       : passComments == 1 ? parts.rough
                           : parts.skims)
          .push_back({true, line.substr(1, line.size() - 2)});
      continue;
    }
    const std::string_view body = BlockBody(line);
    if (body == grammar::kProgramEnd) {
      ended = true;
      break;
    }
    (passComments == 0   ? parts.opening
     : passComments == 1 ? parts.rough
                         : parts.skims)
        .push_back({false, body});
  }
  if (!ended || !rest.empty()) throw std::invalid_argument("a hole program that does not end with M02");
  if (passComments == 0) std::swap(parts.opening, parts.rough);  // one pass: all of it is the hole
  return parts;
}

void WriteLines(NcWriter& w, const std::vector<HoleLine>& lines) {
  for (const HoleLine& l : lines) {
    if (l.comment)
      w.GenComment(l.text);
    else
      w.GenRenumbered(l.text);
  }
}

// The value a coordinate word carries once it is written with three decimals.
double Rounded(double value) {
  char buf[kNumberTextMax];
  const std::size_t length = CoordTextTo(value, buf);
  double out = 0;
  std::from_chars(buf, buf + length, out);
  return out;
}

// A number in standard text form ("20", "-30.5", "1E+15"): the whole text, finite.
std::optional<double> StdValue(std::string_view text) {
  if (text.starts_with('+')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

// Digits only, at most nine of them.
std::optional<long> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool IsWireCode(std::string_view code) {
  if (code.size() < 2 || code.size() > 4 || code.front() != 'M') return false;
  const std::optional<long> number = SmallNumber(code.substr(1));
  return number && *number != 2 && *number != 30;
}

std::string WriteJob(std::span<const JobHoleProgram> holes, const WireCodes& codes, bool roughFirst) {
  if (holes.empty()) throw std::invalid_argument("a job without holes");
  if (!IsWireCode(codes.cut) || !IsWireCode(codes.thread))
    throw std::invalid_argument("not a wire stop code");
  std::vector<HoleParts> parts;
  parts.reserve(holes.size());
  std::size_t bytes = 0;
  bool anySkims = false;
  for (const JobHoleProgram& hole : holes) {
    if (!std::isfinite(hole.x) || !std::isfinite(hole.y)) throw std::invalid_argument("hole position");
    bytes += hole.program.size() + 240;
    parts.push_back(TakeApart(hole.program));
    anySkims = anySkims || !parts.back().skims.empty();
  }
  roughFirst = roughFirst && anySkims;
  NcWriter w;
  w.Reserve(bytes);
  w.GenJobHeader(static_cast<int>(holes.size()), roughFirst);
  // Where the wire stands, in the frame of the first hole's program plus its position.
  double atX = holes.front().x;
  double atY = holes.front().y;
  bool first = true;
  const auto travelTo = [&](const JobHoleProgram& hole) {
    if (first) {
      first = false;
      return;
    }
    w.GenComment(grammar::kCutWireComment);
    w.GenRenumbered(codes.cut);
    const double dx = Rounded(hole.x - atX);
    const double dy = Rounded(hole.y - atY);
    w.GenRapid(dx, dy);
    atX += dx;
    atY += dy;
    w.GenComment(grammar::kThreadWireComment);
    w.GenRenumbered(codes.thread);
  };
  for (std::size_t k = 0; k < holes.size(); ++k) {
    travelTo(holes[k]);
    w.GenComment(JobHoleText(static_cast<long>(k + 1), parts[k].header, holes[k].x, holes[k].y));
    WriteLines(w, parts[k].opening);
    WriteLines(w, parts[k].rough);
    if (!roughFirst) WriteLines(w, parts[k].skims);
  }
  for (std::size_t k = 0; roughFirst && k < holes.size(); ++k) {
    if (parts[k].skims.empty()) continue;
    travelTo(holes[k]);
    w.GenComment(std::string(grammar::kSkimPartComment) +
                 JobHoleText(static_cast<long>(k + 1), parts[k].header, holes[k].x, holes[k].y));
    WriteLines(w, parts[k].opening);
    // The travel left G00 in force: the skims' lead-in, written after a straight return, says G01.
    std::vector<HoleLine> skims = parts[k].skims;
    const auto leadIn =
        std::find_if(skims.begin(), skims.end(), [](const HoleLine& l) { return !l.comment; });
    std::string body;
    if (leadIn != skims.end() && !leadIn->text.starts_with(grammar::kLinear.front())) {
      body = std::string(grammar::kLinear) + std::string(leadIn->text);
      leadIn->text = body;
    }
    WriteLines(w, skims);
  }
  w.GenFixed(FixedWord::ProgramEnd);
  return w.TakeText();
}

std::size_t JobHoleBlocks(std::string_view program, bool first, bool roughFirst) {
  const HoleParts parts = TakeApart(program);
  // The cut stop, the rapid move and the thread stop of each travel.
  constexpr std::size_t kTravel = 3;
  std::size_t blocks = parts.Blocks(parts.opening) + parts.Blocks(parts.rough) + parts.Blocks(parts.skims);
  if (!first) blocks += kTravel;
  if (roughFirst && !parts.skims.empty()) blocks += kTravel + parts.Blocks(parts.opening);
  return blocks;
}

bool IsJobHeaderStart(std::string_view line) {
  line = Trim(line);
  if (!line.starts_with(grammar::kHeaderOpen)) return false;
  line.remove_prefix(grammar::kHeaderOpen.size());
  const std::string_view job = Trim(grammar::kJobHeader);
  return line.size() >= job.size() && UpperAscii(line.substr(0, job.size())) == job;
}

std::optional<JobHeader> ParseJobHeader(std::string_view line) {
  line = Trim(line);
  if (!IsJobHeaderStart(line) || line.back() != grammar::kHeaderClose) return std::nullopt;
  line.remove_prefix(grammar::kHeaderOpen.size() + Trim(grammar::kJobHeader).size());
  line.remove_suffix(1);
  JobHeader header;
  const std::string_view flag = grammar::kJobRoughFirst;
  line = Trim(line);
  if (line.size() > flag.size() && UpperAscii(line.substr(line.size() - flag.size())) == flag) {
    header.roughFirst = true;
    line.remove_suffix(flag.size());
  }
  const std::optional<long> holes = SmallNumber(Trim(line));
  if (!holes) return std::nullopt;
  header.holes = *holes;
  return header;
}

namespace {

// "k: HEADER @ Xx Yy", the comment's text without its parentheses.
std::optional<JobHoleLine> ParseHoleText(std::string_view line) {
  const std::size_t colon = line.find(Trim(grammar::kJobHoleNumberEnd));
  if (colon == std::string_view::npos) return std::nullopt;
  JobHoleLine out;
  const std::optional<long> number = SmallNumber(Trim(line.substr(0, colon)));
  if (!number) return std::nullopt;
  out.number = *number;
  const std::size_t at = line.rfind(Trim(grammar::kJobPositionX).front());
  if (at == std::string_view::npos || at < colon) return std::nullopt;
  // "@ X20 Y0" after the header: blanks between the words do not matter.
  std::string_view position = Trim(line.substr(at + 1));
  if (position.empty() || Upper(position.front()) != 'X') return std::nullopt;
  position.remove_prefix(1);
  const std::size_t blank = position.find_first_of(" \t");
  if (blank == std::string_view::npos) return std::nullopt;
  std::string_view y = Trim(position.substr(blank));
  if (y.empty() || Upper(y.front()) != 'Y') return std::nullopt;
  const std::optional<double> xValue = StdValue(position.substr(0, blank));
  const std::optional<double> yValue = StdValue(y.substr(1));
  if (!xValue || !yValue) return std::nullopt;
  out.x = *xValue;
  out.y = *yValue;
  const std::string header = std::string(grammar::kHeaderOpen) +
                             std::string(Trim(line.substr(colon + 1, at - colon - 1))) +
                             grammar::kHeaderClose;
  out.header = ParseHeaderLine(header);
  return out;
}

// The comment's text without its parentheses and blanks around it; nothing when the line is no comment.
std::optional<std::string_view> CommentText(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != grammar::kCommentOpen || line.back() != grammar::kCommentClose)
    return std::nullopt;
  return Trim(line.substr(1, line.size() - 2));
}

}  // namespace

std::optional<JobHoleLine> ParseJobHoleLine(std::string_view line) {
  const std::optional<std::string_view> text = CommentText(line);
  return text ? ParseHoleText(*text) : std::nullopt;
}

bool IsJobSkimLineStart(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == grammar::kCommentOpen &&
         Trim(line.substr(1)).starts_with(Trim(grammar::kSkimPartComment));
}

std::optional<JobHoleLine> ParseJobSkimLine(std::string_view line) {
  const std::optional<std::string_view> text = CommentText(line);
  const std::string_view prefix = Trim(grammar::kSkimPartComment);
  if (!text || !text->starts_with(prefix)) return std::nullopt;
  return ParseHoleText(Trim(text->substr(prefix.size())));
}

std::optional<PassComment> ParsePassComment(std::string_view line) {
  const std::optional<std::string_view> text = CommentText(line);
  if (!text || !text->starts_with(grammar::kPassComment)) return std::nullopt;
  std::string_view rest = text->substr(grammar::kPassComment.size());
  const std::size_t of = rest.find(grammar::kPassOf);
  const std::size_t reg = rest.find(grammar::kPassRegister);
  if (of == std::string_view::npos || reg == std::string_view::npos || reg < of) return std::nullopt;
  const std::optional<long> pass = SmallNumber(rest.substr(0, of));
  const std::optional<long> passes =
      SmallNumber(rest.substr(of + grammar::kPassOf.size(), reg - of - grammar::kPassOf.size()));
  const std::optional<long> d = SmallNumber(rest.substr(reg + grammar::kPassRegister.size()));
  if (!pass || !passes || !d || *pass < 1 || *pass > *passes || *passes > kMaxSkims + 1 || *d != *pass - 1)
    return std::nullopt;
  return PassComment{static_cast<int>(*pass), static_cast<int>(*passes)};
}

bool IsHoldSlugComment(std::string_view line) {
  const std::optional<std::string_view> text = CommentText(line);
  return text && *text == grammar::kHoldSlugComment;
}

std::string JobHoleText(long number, std::string_view headerLine, double x, double y) {
  return std::to_string(number) + std::string(grammar::kJobHoleNumberEnd) +
         std::string(HeaderInner(headerLine)) + std::string(grammar::kJobPositionX) + StdText(x) +
         std::string(grammar::kJobPositionY) + StdText(y);
}

}  // namespace kalmoro
