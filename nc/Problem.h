#pragma once

#include <string>

namespace kalmoro {

// What kind of thing is wrong, so that callers group problems and tests match kinds, not wording.
enum class ProblemKind {
  Spelling,     // a character or number no word can hold, an unclosed comment
  UnknownWord,  // a word the reader does not know
  BlockNumber,  // a block without its number, a malformed number, numbers out of order
  Structure,    // the header not first, moves before G92 or after M02, no M02, compensation left on
  Arc,          // an arc without its centre, of zero radius, or whose ends lie at different radii
  Contour,      // no contour, or a contour that does not close
  Header,       // the header disagrees with the contour, or a tapered hole without its height
  Limit,        // the program is too large to be read or checked whole
  WordFormat,  // a coordinate without its decimal point, with more than three decimals, or beyond any machine
  Compensation,  // right-hand compensation, no D word, a rapid move with compensation on
  Deviation,     // a move off the header's hole, or a taper that disagrees with it
  Direction,     // a contour cut clockwise
  Taper,         // a taper steeper than the generator's or the machine's limit
  WireRadius,    // an arc the wire cannot cut: its radius is below the wire's radius plus the gap
  Travel,        // a move beyond the machine's travel
  Note,          // not a fault: something the user should know (corners the wire rounds)
};

// Something wrong with a program, at a source line (from 1), in Russian; or, of kind Note, something
// worth knowing that is not wrong: notes are never counted as problems.
struct Problem {
  int line = 0;
  ProblemKind kind = ProblemKind::Structure;
  std::string text;
};

}  // namespace kalmoro
