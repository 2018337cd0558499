#pragma once

#include <vector>

#include "ProgramInterpreter.h"
#include "ProgramLexer.h"
#include "nc/Problem.h"

// The program's frame, block by block: the header first, block numbers that grow by one, the setup
// block before any move, nothing after M02, M02 at the end with compensation switched off.
namespace kalmoro {

class StructureCheck {
 public:
  explicit StructureCheck(std::vector<Problem>& problems) : m_problems(problems) {}

  // A header line; whether it stands where a header may (before any block, the first header).
  bool Header(int line);
  // The block number of a block about to be interpreted; returns it, or 0 when it has none.
  int BlockNumber(const LexedLine& words, int line);
  // What the block did.
  void Block(const BlockFacts& facts, int line);
  // The program has been read; `lastLine` is its last line with text.
  void Finish(int lastLine);

  int Blocks() const { return m_blocks; }

 private:
  void Add(int line, ProblemKind kind, std::string text);

  std::vector<Problem>& m_problems;
  bool m_sawBlock = false;
  bool m_sawHeader = false;
  bool m_setup = false;
  bool m_ended = false;
  bool m_compensated = false;
  int m_lastBlock = -1;
  int m_blocks = 0;
};

}  // namespace kalmoro
