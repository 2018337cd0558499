#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string_view>

// Lines no program has. The generators write lines of under 100 characters and a hand-edited line holds
// a few hundred at most, while the program field lays out a whole line at every change and repaint: a
// line of millions of characters makes the window answer after seconds and every key take seconds.
// Such lines are refused where text comes into the field: opened files, pastes and drops.
namespace kalmoro {

inline constexpr qsizetype kMaxLineChars = 10'000;

// A line longer than kMaxLineChars characters: its number (from 1) and its length.
struct LongLine {
  qsizetype line = 0;
  qsizetype length = 0;
};

// The first such line of UTF-8 text; a line ends at CR, LF or a paragraph separator (U+2029), the ends
// that begin a new line of the field.
std::optional<LongLine> FindLongLine(std::string_view utf8);
// The same for text as the field holds it, inserted after `before` characters of a line and ahead of
// `after` ones, which count to its first and last line.
std::optional<LongLine> FindLongLine(QStringView text, qsizetype before = 0, qsizetype after = 0);

// "строка 1 длиннее 10000 символов (в ней 7900000)"
QString LongLineText(const LongLine& line);

}  // namespace kalmoro
