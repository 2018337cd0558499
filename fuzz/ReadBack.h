#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "check/ProgramReader.h"
#include "holes/GenResult.h"
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
// line after it is a numbered block; the problems are none, or with angleMayDisagree only the header's
// angle against the contour (a typed cone angle the generator writes as it stands) and the taper limit
// that such an angle hides.
inline ProgramReading ReadBack(const std::string& program, const std::string& label, bool angleMayDisagree) {
  const auto shown = [&] { return label + "\nprogram:\n" + Escaped(program); };
  int lines = 0;
  for (std::size_t at = 0; at < program.size(); ++lines) {
    const std::size_t end = program.find_first_of("\r\n", at);
    if (end == std::string::npos || program.compare(end, 2, "\r\n") != 0)
      Fail("every line of a program ends with CR LF", shown());
    at = end + 2;
  }
  const ProgramReading r = ReadProgram(program);
  if (!r.header || r.headerLine != 1) Fail("a program starts with the header line of its hole", shown());
  if (r.blocks != lines - 1) Fail("every line after the header is a numbered block", shown());
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

inline void RequireNear(double found, double made, double tolerance, std::string_view what,
                        const std::string& label) {
  if (std::fabs(found - made) <= tolerance) return;
  Fail(std::string(what) + " read back from the contour lies within " + StdText(tolerance) +
           " of the value the program was made from",
       label + "\nread back " + StdText(found) + ", made from " + StdText(made));
}

}  // namespace kalmoro::fuzz
