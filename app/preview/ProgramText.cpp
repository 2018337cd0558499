#include "app/preview/ProgramText.h"

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

// The whole text to UTF-8 at once, then one pass over the bytes that gives every line end, paragraph
// and line separator (U+2029, U+2028: E2 80 A9, E2 80 A8) the form CR LF.
std::string FromEditorText(const QString& raw) {
  const QByteArray utf8 = raw.toUtf8();
  std::string text;
  text.reserve(static_cast<std::size_t>(utf8.size()) + static_cast<std::size_t>(utf8.size()) / 8);
  const char* in = utf8.constData();
  const char* const end = in + utf8.size();
  while (in != end) {
    const char c = *in;
    if (c == '\r' || c == '\n') {
      text += "\r\n";
      in += c == '\r' && in + 1 != end && in[1] == '\n' ? 2 : 1;
    } else if (c == '\xE2' && end - in >= 3 && in[1] == '\x80' && (in[2] == '\xA8' || in[2] == '\xA9')) {
      text += "\r\n";
      in += 3;
    } else {
      const char* run = in;
      while (in != end && *in != '\r' && *in != '\n' && *in != '\xE2') ++in;
      if (in == run) ++in;  // an E2 that starts no separator
      text.append(run, in);
    }
  }
  return text;
}

}  // namespace kalmoro
