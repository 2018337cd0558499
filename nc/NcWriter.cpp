#include "nc/NcWriter.h"

#include <charconv>

namespace kalmoro {

void NcWriter::Replace(std::string_view text) {
  m_text.assign(text);
}

void NcWriter::Append(std::string_view words) {
  m_text += words;
}

void NcWriter::GenN(bool fist) {
  if (fist) m_blockNum = 0;
  if (m_blockNum == kMaxBlockNum) throw NcOverflow();
  ++m_blockNum;
  char buf[8];
  const auto result = std::to_chars(buf, buf + sizeof buf, static_cast<int>(m_blockNum));
  m_text += 'N';
  m_text.append(buf, result.ptr);
}

void NcWriter::GenL(double x, double y, bool crLf) {
  if (x == m_lastX && y == m_lastY) return;
  GenN(false);
  if (m_arcMode) {
    m_text += "G01";
    m_arcMode = false;
  }
  AppendWord('X', x);
  AppendWord('Y', y);
  if (crLf) EndLine();
  SetLastPoint(x, y);
}

void NcWriter::GenLU(double x, double y, double u, double v, bool crLf) {
  GenL(x, y, false);
  AppendWord('U', u);
  AppendWord('V', v);
  if (crLf) EndLine();
}

void NcWriter::GenA(double x, double y, double i, double j, bool crLf) {
  GenN(false);
  if (!m_arcMode) {
    m_text += "G03";
    m_arcMode = true;
  }
  AppendWord('X', x);
  AppendWord('Y', y);
  AppendWord('I', i);
  AppendWord('J', j);
  if (crLf) EndLine();
  SetLastPoint(x, y);
}

std::string NcWriter::Coord(double value) const {
  return Formating(StdText(value, m_format.decimalSep), m_format.decimalSep);
}

void NcWriter::AppendWord(char letter, double value) {
  m_text += letter;
  m_text += Coord(value);
}

}  // namespace kalmoro
