#include "app/ProgramText.h"

#include <QStringDecoder>
#include <algorithm>

namespace kalmoro {

// One pass over the bytes: ASCII goes straight into the text, CR LF and a lone CR become LF, and each
// run of non-ASCII bytes is decoded as a whole (a UTF-8 sequence never holds an ASCII byte, so no
// sequence is split). UTF-16 never needs more units than UTF-8 has bytes, so the text is sized once.
QString ToEditorText(std::string_view program) {
  QString text(static_cast<qsizetype>(program.size()), Qt::Uninitialized);
  QChar* out = text.data();
  const char* in = program.data();
  const char* const end = in + program.size();
  while (in != end) {
    const auto byte = static_cast<unsigned char>(*in);
    if (byte == '\r') {
      *out++ = QLatin1Char('\n');
      if (++in != end && *in == '\n') ++in;
    } else if (byte < 0x80) {
      *out++ = QLatin1Char(static_cast<char>(byte));
      ++in;
    } else {
      const char* const run = in;
      while (in != end && static_cast<unsigned char>(*in) >= 0x80) ++in;
      // Only a byte order mark that opens the whole text is dropped, as QString::fromUtf8 drops it.
      const auto flags = run == program.data()
                             ? QStringConverter::Flag::Stateless
                             : QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
      const QString decoded = QStringDecoder(QStringConverter::Utf8, flags)(QByteArrayView(run, in - run));
      out = std::copy(decoded.cbegin(), decoded.cend(), out);
    }
  }
  text.truncate(out - text.constData());
  return text;
}

std::string FromEditorText(const QString& raw) {
  QString text;
  text.reserve(raw.size() + raw.size() / 8);
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const QChar c = raw.at(i);
    if (c == QLatin1Char('\r')) {
      if (i + 1 < raw.size() && raw.at(i + 1) == QLatin1Char('\n')) ++i;
      text += QStringLiteral("\r\n");
    } else if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
      text += QStringLiteral("\r\n");
    } else {
      text += c;
    }
  }
  return text.toStdString();
}

}  // namespace kalmoro
