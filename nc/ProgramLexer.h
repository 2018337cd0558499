#pragma once

#include <string_view>
#include <vector>

#include "nc/Problem.h"

// Turns one line of a program into its words: a letter, blanks allowed, then "[sign]digits[.digits]".
// Comments in parentheses are skipped; what no word can hold is a spelling problem.
namespace kalmoro {

struct Word {
  char letter = 0;  // upper case
  double value = 0;
  std::string_view text;  // the word as written, for messages
};

struct LexedLine {
  std::vector<Word> words;
  std::vector<Problem> problems;  // spelling problems, at line 0: the caller knows the line

  // The last word with that letter, or nothing.
  const Word* Find(char letter) const;
};

// Reads a line (without its line end) into `out`, reusing its storage.
void LexLine(std::string_view line, LexedLine& out);

}  // namespace kalmoro
