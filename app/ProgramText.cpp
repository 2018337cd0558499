#include "app/ProgramText.h"

namespace kalmoro {

QString ToEditorText(std::string_view program) {
  QString text = QString::fromUtf8(program.data(), static_cast<qsizetype>(program.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
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
