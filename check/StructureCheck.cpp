#include "StructureCheck.h"

#include <cmath>
#include <string>

namespace kalmoro {
namespace {

constexpr char kCompensationLeftOn[] = "Коррекция G41 не выключена (нет G40) к концу программы";

}  // namespace

void StructureCheck::Add(int line, ProblemKind kind, std::string text) {
  m_problems.push_back({line, kind, std::move(text)});
}

bool StructureCheck::Header(int line) {
  if (m_sawBlock || m_sawHeader) {
    Add(line, ProblemKind::Structure, "Строка заголовка не в начале программы");
    return false;
  }
  m_sawHeader = true;
  return true;
}

int StructureCheck::BlockNumber(const LexedLine& words, int line) {
  m_sawBlock = true;
  const Word* n = words.Find('N');
  if (!n) {
    Add(line, ProblemKind::BlockNumber, "Кадр без номера N");
    return 0;
  }
  if (!(n->value >= 0 && n->value <= 99999999 && std::floor(n->value) == n->value)) {
    Add(line, ProblemKind::BlockNumber, "Неверный номер кадра «" + QuotedWord(n->text) + "»");
    return 0;
  }
  const auto number = static_cast<int>(n->value);
  if (m_lastBlock >= 0 && number != m_lastBlock + 1) {
    Add(line, ProblemKind::BlockNumber,
        "Кадр N" + std::to_string(number) + " после N" + std::to_string(m_lastBlock) +
            ": номера кадров должны расти на единицу");
  }
  m_lastBlock = number;
  ++m_blocks;
  return number;
}

void StructureCheck::Block(const BlockFacts& facts, int line) {
  if (facts.motion) {
    if (!m_setup) Add(line, ProblemKind::Structure, "Перемещение до кадра G92");
    if (m_ended) Add(line, ProblemKind::Structure, "Перемещение после конца программы M02");
  }
  if (facts.setup) m_setup = true;
  m_compensated = facts.compensated;
  if (facts.end && !m_endsProgram)
    Add(line, ProblemKind::Structure,
        "Конец программы M02 внутри задания: следующие отверстия не будут вырезаны");
  if (facts.end) {
    if (m_compensated) Add(line, ProblemKind::Structure, kCompensationLeftOn);
    m_ended = true;
  }
}

void StructureCheck::Finish(int lastLine) {
  if (m_ended) return;
  if (!m_endsProgram) {
    if (m_compensated)
      Add(lastLine, ProblemKind::Structure, "Коррекция G41 не выключена (нет G40) к концу отверстия");
    return;
  }
  Add(lastLine, ProblemKind::Structure, "Нет конца программы M02");
  if (m_compensated) Add(lastLine, ProblemKind::Structure, kCompensationLeftOn);
}

}  // namespace kalmoro
