#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "nc/NumberText.h"

// The only class that knows how an NC block looks: block numbers, the modal motion words, the
// coordinate words and their rendering. Generators add a few fixed words between its calls.
namespace kalmoro {

// Raised by GenN when a program would need a block number above 32767.
class NcOverflow : public std::overflow_error {
 public:
  NcOverflow() : std::overflow_error("block number above 32767") {}
};

class NcWriter {
 public:
  static constexpr std::int16_t kMaxBlockNum = 32767;

  explicit NcWriter(NumberFormat format = kPointFormat) : m_format(format) {}

  // Program buffer. Lines end with CR LF.
  const std::string& Text() const { return m_text; }
  void Replace(std::string_view text);
  void Append(std::string_view words);
  void EndLine() { m_text += "\r\n"; }

  // A writer with this one's state whose buffer holds only the header line: a generator builds its
  // program there and moves it back when done, so a failure half-way leaves this buffer as it was.
  NcWriter StartProgram(std::string_view header) const {
    NcWriter program(m_format);
    program.m_text.assign(header);
    program.m_blockNum = m_blockNum;
    program.m_arcMode = m_arcMode;
    program.m_lastX = m_lastX;
    program.m_lastY = m_lastY;
    return program;
  }

  // Writer state.
  std::int16_t BlockNum() const { return m_blockNum; }
  bool ArcMode() const { return m_arcMode; }
  double LastX() const { return m_lastX; }
  double LastY() const { return m_lastY; }
  void SetArcMode(bool on) { m_arcMode = on; }
  void SetLastPoint(double x, double y) {
    m_lastX = x;
    m_lastY = y;
  }
  // For tests and callers that continue a numbering.
  void SetBlockNum(std::int16_t n) { m_blockNum = n; }

  // Appends "N" and the next block number; fist restarts the numbering at 1. Throws NcOverflow, with
  // nothing appended and BlockNum kept at 32767, when no number is left.
  void GenN(bool fist);
  // Linear move; dropped (nothing appended, no number used) when (x, y) is exactly the last point.
  void GenL(double x, double y, bool crLf);
  // Linear move with taper words; U and V are appended even when the move itself is dropped.
  void GenLU(double x, double y, double u, double v, bool crLf);
  // Counter-clockwise arc to (x, y) around the absolute centre (i, j); always written.
  void GenA(double x, double y, double i, double j, bool crLf);

  // A coordinate in the pattern "0.000" with this writer's separator.
  std::string Coord(double value) const;
  NumberFormat Format() const { return m_format; }

 private:
  void AppendWord(char letter, double value);

  NumberFormat m_format;
  std::string m_text;
  std::int16_t m_blockNum = 0;
  bool m_arcMode = false;
  double m_lastX = 0.0;
  double m_lastY = 0.0;
};

}  // namespace kalmoro
