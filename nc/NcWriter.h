#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "nc/HoleHeader.h"

// The only class that writes NC program text: the header line, block numbers, the modal motion
// words, the coordinate words and their rendering, the fixed-word blocks and the line ends. A
// generator makes one writer per program and calls its named operations only.
namespace kalmoro {

// Raised when a program would need a block number above 32767.
class NcOverflow : public std::overflow_error {
 public:
  NcOverflow() : std::overflow_error("block number above 32767") {}
};

// Blocks of one fixed word.
enum class FixedWord {
  G60,
  CompensationLeft,   // G41
  CompensationRight,  // G42
  CompensationOff,    // G40
  ProgramEnd,         // M02
};

// Which way an arc turns: G03, or G02.
enum class ArcTurn { Counterclockwise, Clockwise };

class NcWriter {
 public:
  // A numbered block that would need a number above this one throws NcOverflow: nothing is appended
  // and the writer stays as it was.
  static constexpr std::int16_t kMaxBlockNum = 32767;

  // The program text, moved out of the writer. Lines end with CR LF.
  std::string TakeText() { return std::move(m_text); }
  void Reserve(std::size_t bytes) { m_text.reserve(bytes); }

  // The header line and its line end. Throws std::invalid_argument for a circle whose diameter text
  // does not fit a header comment (FitsHeaderComment); generators refuse such texts first.
  void GenHeader(const HoleHeader& header);
  // The setup block: GenN(true), the origin "G92X0.000Y0.000", for a tapered cut also "W0.000R" and
  // the rendered wire height, and the line end.
  void GenSetup(std::optional<double> wireHeight = std::nullopt);
  // A numbered block of one fixed word, ended.
  void GenFixed(FixedWord word);
  // Ends a motion block written with crLf false by the compensation register " D0" and the line end.
  void EndWithD0();
  // The same with the register of another pass: " D1" … (0 … 99).
  void EndWithRegister(int reg);
  // The comment before pass `pass` of `passes`, which uses register pass - 1: "(ПРОХОД 2 ИЗ 3: D1)".
  void GenPassComment(int pass, int passes);
  // Where the rough pass stops for the slug: the comment "(ЗАКРЕПИТЬ ВЫРУБКУ)" and a block of the
  // machine's stop code (an M word, which the caller has checked).
  void GenHoldSlug(std::string_view stopCode);
  // The comment before a die opening's relief pass, which is cut with the register of the last pass
  // along the land, so that it pivots on the finished land: "(ОСВОБОЖДЕНИЕ: D2)".
  void GenReliefComment(int offsetRegister);

  // A job's first line, "%(JOB: n)" or for a job that roughs every hole first "%(JOB: n:ROUGH-FIRST)",
  // and its line end.
  void GenJobHeader(int holes, bool roughFirst = false);
  // A comment line "(text)" and its line end; the text holds no parenthesis or line end.
  void GenComment(std::string_view text);
  // A block copied from another program under the next number: `body` is the block without its "N"
  // word and line end. The first block of a job is N1.
  void GenRenumbered(std::string_view body);
  // A rapid move "G00X…Y…" to (x, y), ended.
  void GenRapid(double x, double y);

  // The number of the last numbered block.
  std::int16_t BlockNum() const { return m_blockNum; }
  // On before the first motion block of a program, so that its first linear block carries "G01"; the
  // motion word in force is then G03.
  void SetArcMode(bool on) { m_motion = on ? Motion::Counterclockwise : Motion::Linear; }

  // Linear move; dropped (nothing appended, no number used) when (x, y) is exactly the last point.
  void GenL(double x, double y, bool crLf);
  // Linear move with taper words; U and V are appended even when the move itself is dropped.
  void GenLU(double x, double y, double u, double v, bool crLf);
  // Arc to (x, y) around the absolute centre (i, j), counter-clockwise unless asked otherwise; always
  // written. Its motion word (G03, G02) stands only when the motion in force is another one.
  void GenA(double x, double y, double i, double j, bool crLf, ArcTurn turn = ArcTurn::Counterclockwise);

 private:
  // Appends "N" and the next block number; fist restarts the numbering at 1. Throws NcOverflow, with
  // nothing appended and BlockNum kept at 32767, when no number is left.
  void GenN(bool fist);
  void AppendWord(char letter, double value);
  void EndLine();

  // The modal motion word in force: G01, G03 or G02.
  enum class Motion { Linear, Counterclockwise, Clockwise };

  std::string m_text;
  std::int16_t m_blockNum = 0;
  Motion m_motion = Motion::Linear;
  double m_lastX = 0.0;
  double m_lastY = 0.0;
};

}  // namespace kalmoro
