#include "nc/NcWriter.h"

#include <charconv>
#include <string>

#include "nc/NcGrammar.h"
#include "nc/NumberText.h"

namespace kalmoro {

void NcWriter::GenHeader(const HoleHeader& header) {
  if (const auto* circle = std::get_if<CircleHeader>(&header);
      circle && !FitsCircleDiameter(circle->diameter))
    throw std::invalid_argument("diameter text does not fit a header comment");
  m_text += HeaderLine(header);
  EndLine();
}

void NcWriter::GenSetup(std::optional<double> wireHeight) {
  GenN(true);
  m_text += grammar::kSetup;
  AppendWord('X', 0.0);
  AppendWord('Y', 0.0);
  if (wireHeight) {
    AppendWord('W', 0.0);
    AppendWord('R', *wireHeight);
  }
  EndLine();
}

void NcWriter::GenFixed(FixedWord word) {
  GenN(false);
  switch (word) {
    case FixedWord::G60:
      m_text += grammar::kG60;
      break;
    case FixedWord::CompensationLeft:
      m_text += grammar::kCompensationLeft;
      break;
    case FixedWord::CompensationRight:
      m_text += grammar::kCompensationRight;
      break;
    case FixedWord::CompensationOff:
      m_text += grammar::kCompensationOff;
      break;
    case FixedWord::ProgramEnd:
      m_text += grammar::kProgramEnd;
      break;
  }
  EndLine();
}

void NcWriter::EndWithD0() {
  m_text += grammar::kOffsetD0;
  EndLine();
}

void NcWriter::EndWithRegister(int reg) {
  if (reg == 0) return EndWithD0();
  m_text += grammar::kOffsetWord;
  m_text += std::to_string(reg);
  EndLine();
}

void NcWriter::GenPassComment(int pass, int passes) {
  std::string text(grammar::kPassComment);
  text += std::to_string(pass);
  text += grammar::kPassOf;
  text += std::to_string(passes);
  text += grammar::kPassRegister;
  text += std::to_string(pass - 1);
  GenComment(text);
}

void NcWriter::GenHoldSlug(std::string_view stopCode) {
  GenComment(grammar::kHoldSlugComment);
  GenRenumbered(stopCode);
}

void NcWriter::GenReliefComment(int offsetRegister) {
  GenComment(std::string(grammar::kReliefComment) + std::to_string(offsetRegister));
}

void NcWriter::GenJobHeader(int holes, bool roughFirst) {
  m_text += grammar::kHeaderOpen;
  m_text += grammar::kJobHeader;
  m_text += std::to_string(holes);
  if (roughFirst) m_text += grammar::kJobRoughFirst;
  m_text += grammar::kHeaderClose;
  EndLine();
}

void NcWriter::GenComment(std::string_view text) {
  if (!FitsHeaderComment(text)) throw std::invalid_argument("text does not fit a comment");
  m_text += grammar::kCommentOpen;
  m_text += text;
  m_text += grammar::kCommentClose;
  EndLine();
}

void NcWriter::GenRenumbered(std::string_view body) {
  GenN(m_blockNum == 0);
  m_text += body;
  EndLine();
}

void NcWriter::GenRapid(double x, double y) {
  GenN(m_blockNum == 0);
  m_text += grammar::kRapid;
  AppendWord('X', x);
  AppendWord('Y', y);
  EndLine();
}

void NcWriter::GenN(bool fist) {
  if (fist) m_blockNum = 0;
  if (m_blockNum == kMaxBlockNum) throw NcOverflow();
  ++m_blockNum;
  char buf[8];
  const auto result = std::to_chars(buf, buf + sizeof buf, static_cast<int>(m_blockNum));
  m_text += grammar::kBlockLetter;
  m_text.append(buf, result.ptr);
}

void NcWriter::GenL(double x, double y, bool crLf) {
  if (x == m_lastX && y == m_lastY) return;
  GenN(false);
  if (m_motion != Motion::Linear) {
    m_text += grammar::kLinear;
    m_motion = Motion::Linear;
  }
  AppendWord('X', x);
  AppendWord('Y', y);
  if (crLf) EndLine();
  m_lastX = x;
  m_lastY = y;
}

void NcWriter::GenLU(double x, double y, double u, double v, bool crLf) {
  GenL(x, y, false);
  AppendWord('U', u);
  AppendWord('V', v);
  if (crLf) EndLine();
}

void NcWriter::GenA(double x, double y, double i, double j, bool crLf, ArcTurn turn) {
  GenN(false);
  const Motion motion = turn == ArcTurn::Clockwise ? Motion::Clockwise : Motion::Counterclockwise;
  if (m_motion != motion) {
    m_text += motion == Motion::Clockwise ? grammar::kArcClockwise : grammar::kArc;
    m_motion = motion;
  }
  AppendWord('X', x);
  AppendWord('Y', y);
  AppendWord('I', i);
  AppendWord('J', j);
  if (crLf) EndLine();
  m_lastX = x;
  m_lastY = y;
}

void NcWriter::AppendWord(char letter, double value) {
  char buf[kNumberTextMax + 1];
  buf[0] = letter;
  m_text.append(buf, 1 + CoordTextTo(value, buf + 1));
}

void NcWriter::EndLine() {
  m_text += grammar::kLineEnd;
}

}  // namespace kalmoro
