#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "check/ProgramReader.h"
#include "holes/GenResult.h"
#include "nc/HoleHeader.h"
#include "nc/NumberText.h"

// A generator's result checked against the program reader: a refusal, or a program that reads back
// clean with the dimensions it was made from.
namespace kalmoro::fuzz {

// How far a dimension read back from the contour may lie from the value it was made from: each end of a
// length moves by half a thousandth with the rounding of its word (an upper-contour end is the sum of two
// words); a radius is a distance between two rounded points. These are the reader's own allowances.
inline constexpr double kLength = 0.0011;
inline constexpr double kUpperLength = 0.0021;
inline constexpr double kRadius = 0.0015;
inline constexpr double kHeight = 0.0006;
// A stop's length as read: the stop point is a rounded word, and an arc's length is measured on the
// radius its words give (half a thousandth off over up to a whole turn).
inline constexpr double kStop = 0.005;

inline std::string Problems(const ProgramReading& r) {
  std::string text;
  for (const Problem& p : r.problems) text += "\n  line " + std::to_string(p.line) + ": " + p.text;
  return text.empty() ? " none" : text;
}

// True for a program, false for a refusal; anything else (both or neither) fails.
inline bool IsProgram(const GenResult& result, const std::string& label) {
  if (!result.Ok()) {
    if (!result.program.empty()) Fail("a refusal carries no program", label + "\nmessage: " + result.error);
    return false;
  }
  if (result.program.empty()) Fail("a generator gives a program or a refusal with its message", label);
  return true;
}

// The program read back: every line ends with CR LF, the header stands on the first line and every
// line after it is a numbered block or a comment (a pass's, the held slug's); the problems are none, or with
// angleMayDisagree only the header's angle against the contour (a typed cone angle the generator writes as it
// stands) and the taper limit that such an angle hides.
inline ProgramReading ReadBack(const std::string& program, const std::string& label, bool angleMayDisagree) {
  const auto shown = [&] { return label + "\nprogram:\n" + Escaped(program); };
  int lines = 0, comments = 0;
  for (std::size_t at = 0; at < program.size(); ++lines) {
    const std::size_t end = program.find_first_of("\r\n", at);
    if (end == std::string::npos || program.compare(end, 2, "\r\n") != 0)
      Fail("every line of a program ends with CR LF", shown());
    comments += program[at] == '(' ? 1 : 0;
    at = end + 2;
  }
  const ProgramReading r = ReadProgram(program);
  if (!r.header || r.headerLine != 1) Fail("a program starts with the header line of its hole", shown());
  if (r.blocks != lines - 1 - comments)
    Fail("every line after the header is a numbered block or a comment", shown());
  for (const Problem& p : r.problems) {
    const bool angle =
        angleMayDisagree &&
        ((p.line == r.headerLine && p.text.starts_with("Заголовок: ANG=")) || p.kind == ProblemKind::Taper);
    if (!angle)
      Fail("a generated program reads back without problems", shown() + "\nproblems:" + Problems(r));
  }
  if (!r.encoded) Fail("the reader works the hole back from a generated program", shown());
  return r;
}

// Pass options drawn from the input's bytes: 0-4 skims, either direction, and on some inputs a held slug
// of 0.25 to 10 mm, so that every input also tries a hole with passes.
inline PassOptions PassesFrom(std::string_view input) {
  std::uint32_t h = 2166136261u;
  for (const char c : input) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  PassOptions o;
  o.skims = static_cast<int>(h % 5);
  o.direction = (h >> 3) & 1 ? SkimDirection::Same : SkimDirection::Alternate;
  if ((h >> 4) & 1) o.stop = 0.25 * static_cast<double>(1 + (h >> 5) % 40);
  return o.Normalised();
}

// A relief drawn from the input's bytes: a land of 0 to 25 mm, 0.05° to 3° per side, a plate of 1 to
// 40 mm; nothing on one input in four.
inline std::optional<Relief> ReliefFrom(std::string_view input) {
  std::uint32_t h = 2654435761u;
  for (const char c : input) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  if (h % 4 == 0) return std::nullopt;
  const double thickness = 1 + static_cast<double>((h >> 2) % 40);
  return Relief{thickness * static_cast<double>((h >> 8) % 100) / 100, 0.05 * (1 + (h >> 16) % 60),
                thickness};
}

// A program with passes read back as it was asked for: as many passes as the header states, each with
// its number and register in order, its way and the side that keeps the wire in the hole, the slug held
// in the rough pass only, at its length (within kStop); with a relief, after them the relief pass,
// counter-clockwise with the last vertical pass's register.
inline void RequirePasses(const ProgramReading& r, const PassOptions& o, const std::string& label,
                          bool relief = false) {
  if (!r.header || !(PassesOf(*r.header) == o)) Fail("the header states the passes asked for", label);
  if (r.passes.size() != static_cast<std::size_t>(o.Passes()) + (relief ? 1 : 0))
    Fail("every pass asked for is read back", label);
  if (relief) {
    const PassReading& p = r.passes.back();
    if (!p.relief || p.offsetRegister != o.skims || p.clockwise || p.rightSide || p.stopLine != 0)
      Fail("the relief pass comes last, counter-clockwise with the last pass's register and no stop", label);
  }
  for (const PassReading& p : r.passes) {
    if (p.relief) continue;
    const int number = static_cast<int>(&p - r.passes.data()) + 1;
    if (p.number != number || p.offsetRegister != number - 1)
      Fail("pass k is read back as pass k with register D(k-1)", label);
    if (p.clockwise != o.Clockwise(number) || p.rightSide != p.clockwise)
      Fail("a pass runs the way the options ask, the wire inside the hole", label);
    if ((p.stopLine != 0) != (number == 1 && o.stop != 0) ||
        (p.stopLine != 0 && std::fabs(p.stopLength - o.stop) > kStop))
      Fail("the slug is held in the rough pass alone, as far before the contour closes as asked", label);
  }
}

inline void RequireNear(double found, double made, double tolerance, std::string_view what,
                        const std::string& label) {
  if (std::fabs(found - made) <= tolerance) return;
  Fail(std::string(what) + " read back from the contour lies within " + StdText(tolerance) +
           " of the value the program was made from",
       label + "\nread back " + StdText(found) + ", made from " + StdText(made));
}

}  // namespace kalmoro::fuzz
