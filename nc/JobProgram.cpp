#include "nc/JobProgram.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

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

std::string WriteJob(std::span<const JobHoleProgram> holes, const WireCodes& codes) {
  if (holes.empty()) throw std::invalid_argument("a job without holes");
  if (!IsWireCode(codes.cut) || !IsWireCode(codes.thread))
    throw std::invalid_argument("not a wire stop code");
  std::size_t bytes = 0;
  for (const JobHoleProgram& hole : holes) {
    if (!std::isfinite(hole.x) || !std::isfinite(hole.y)) throw std::invalid_argument("hole position");
    bytes += hole.program.size() + 160;
  }
  NcWriter w;
  w.Reserve(bytes);
  w.GenJobHeader(static_cast<int>(holes.size()));
  // Where the wire stands, in the frame of the first hole's program plus its position.
  double atX = holes.front().x;
  double atY = holes.front().y;
  for (std::size_t k = 0; k < holes.size(); ++k) {
    std::string_view rest = holes[k].program;
    std::size_t end = rest.find(grammar::kLineEnd);
    if (end == std::string_view::npos || !rest.starts_with(grammar::kHeaderOpen))
      throw std::invalid_argument("a hole program without its header");
    w.GenComment(JobHoleText(static_cast<long>(k + 1), rest.substr(0, end), holes[k].x, holes[k].y));
    rest.remove_prefix(end + grammar::kLineEnd.size());
    bool ended = false;
    while (!rest.empty()) {
      end = rest.find(grammar::kLineEnd);
      const std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + grammar::kLineEnd.size());
      const std::string_view body = BlockBody(line);
      if (body == grammar::kProgramEnd) {
        ended = true;
        break;
      }
      w.GenRenumbered(body);
    }
    if (!ended || !rest.empty()) throw std::invalid_argument("a hole program that does not end with M02");
    if (k + 1 == holes.size()) break;
    w.GenComment(grammar::kCutWireComment);
    w.GenRenumbered(codes.cut);
    const double dx = Rounded(holes[k + 1].x - atX);
    const double dy = Rounded(holes[k + 1].y - atY);
    w.GenRapid(dx, dy);
    atX += dx;
    atY += dy;
    w.GenComment(grammar::kThreadWireComment);
    w.GenRenumbered(codes.thread);
  }
  w.GenFixed(FixedWord::ProgramEnd);
  return w.TakeText();
}

bool IsJobHeaderStart(std::string_view line) {
  line = Trim(line);
  if (!line.starts_with(grammar::kHeaderOpen)) return false;
  line.remove_prefix(grammar::kHeaderOpen.size());
  const std::string_view job = Trim(grammar::kJobHeader);
  return line.size() >= job.size() && UpperAscii(line.substr(0, job.size())) == job;
}

std::optional<long> ParseJobHeader(std::string_view line) {
  line = Trim(line);
  if (!IsJobHeaderStart(line) || line.back() != grammar::kHeaderClose) return std::nullopt;
  line.remove_prefix(grammar::kHeaderOpen.size() + Trim(grammar::kJobHeader).size());
  line.remove_suffix(1);
  return SmallNumber(Trim(line));
}

std::optional<JobHoleLine> ParseJobHoleLine(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != grammar::kCommentOpen || line.back() != grammar::kCommentClose)
    return std::nullopt;
  line = line.substr(1, line.size() - 2);
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

std::string JobHoleText(long number, std::string_view headerLine, double x, double y) {
  return std::to_string(number) + std::string(grammar::kJobHoleNumberEnd) +
         std::string(HeaderInner(headerLine)) + std::string(grammar::kJobPositionX) + StdText(x) +
         std::string(grammar::kJobPositionY) + StdText(y);
}

}  // namespace kalmoro
