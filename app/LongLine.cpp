#include "app/LongLine.h"

#include <string>

namespace kalmoro {
namespace {

QString Count(qsizetype n) {
  return QString::fromStdString(std::to_string(n));
}

}  // namespace

std::optional<LongLine> FindLongLine(std::string_view utf8) {
  qsizetype line = 1;
  qsizetype length = 0;
  for (std::size_t i = 0; i <= utf8.size(); ++i) {
    const bool end = i == utf8.size();
    const char c = end ? '\n' : utf8[i];
    const bool paragraph =
        !end && c == '\xE2' && i + 2 < utf8.size() && utf8[i + 1] == '\x80' && utf8[i + 2] == '\xA9';
    if (c == '\r' || c == '\n' || paragraph) {
      if (length > kMaxLineChars) return LongLine{line, length};
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      if (paragraph) i += 2;
      ++line;
      length = 0;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++length;  // a character starts here: a UTF-8 continuation byte starts none
    }
  }
  return std::nullopt;
}

std::optional<LongLine> FindLongLine(QStringView text, qsizetype before, qsizetype after) {
  qsizetype line = 1;
  qsizetype length = before;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    const QChar c = end ? QChar() : text[i];
    if (end || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator) {
      if (end) length += after;
      if (length > kMaxLineChars) return LongLine{line, length};
      if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
      ++line;
      length = 0;
    } else if (!c.isLowSurrogate()) {
      ++length;
    }
  }
  return std::nullopt;
}

QString LongLineText(const LongLine& line) {
  return QStringLiteral("строка %1 длиннее %2 символов (в ней %3)")
      .arg(Count(line.line), Count(kMaxLineChars), Count(line.length));
}

}  // namespace kalmoro
