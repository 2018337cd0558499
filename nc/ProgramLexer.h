#pragma once

#include <string>
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
  std::vector<Problem> problems;    // spelling problems, at line 0: the caller knows the line
  std::size_t problemsLeftOut = 0;  // more than a line's share, counted only

  // The last word with that letter, or nothing.
  const Word* Find(char letter) const;
};

// A word as written, for a message: at most 40 characters, then "…".
std::string QuotedWord(std::string_view text);

// Reads a line (without its line end) into `out`, reusing its storage.
void LexLine(std::string_view line, LexedLine& out);

}  // namespace kalmoro
