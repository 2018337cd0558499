#pragma once

#include <vector>

#include "nc/Problem.h"
#include "nc/ProgramInterpreter.h"
#include "nc/ProgramLexer.h"

// The program's frame, block by block: the header first, block numbers that grow by one, the setup
// block before any move, nothing after M02, M02 at the end with compensation switched off.
namespace kalmoro {

class StructureCheck {
 public:
  // `lastBlock` is the number of the block before the text read (-1 for none). A hole of a job has its
  // header in its comment line, so a header line in it is out of place; only the job's last hole ends
  // with M02 (`endsProgram`).
  explicit StructureCheck(std::vector<Problem>& problems, int lastBlock = -1, bool inJob = false,
                          bool endsProgram = true)
      : m_problems(problems), m_sawHeader(inJob), m_endsProgram(endsProgram), m_lastBlock(lastBlock) {}

  // A header line; whether it stands where a header may (before any block, the first header).
  bool Header(int line);
  // The block number of a block about to be interpreted; returns it, or 0 when it has none.
  int BlockNumber(const LexedLine& words, int line);
  // What the block did.
  void Block(const BlockFacts& facts, int line);
  // The program has been read; `lastLine` is its last line with text.
  void Finish(int lastLine);

  // Goes on after a setup block read elsewhere: the moves between two holes of a job.
  void SetupDone() { m_setup = true; }
  int Blocks() const { return m_blocks; }
  int LastBlock() const { return m_lastBlock; }

 private:
  void Add(int line, ProblemKind kind, std::string text);

  std::vector<Problem>& m_problems;
  bool m_sawBlock = false;
  bool m_sawHeader = false;
  bool m_endsProgram = true;
  bool m_setup = false;
  bool m_ended = false;
  bool m_compensated = false;
  int m_lastBlock = -1;
  int m_blocks = 0;
};

}  // namespace kalmoro
