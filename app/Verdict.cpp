#include "app/Verdict.h"

#include <QPalette>
#include <QPushButton>
#include <utility>

#include "app/preview/FieldReader.h"
#include "check/ProgramReader.h"

namespace kalmoro {
namespace {

const QColor kFaultColor(0xc6, 0x28, 0x28);
const QColor kCleanColor(0x1a, 0x7f, 0x37);
const QColor kNothingColor(0x7a, 0x7f, 0x88);

}  // namespace

Verdict::Verdict(QPushButton& button, FieldReader& reader, std::string startText)
    : QObject(&button), m_button(button), m_startText(std::move(startText)) {
  m_button.setFlat(true);
  m_button.setCursor(Qt::PointingHandCursor);
  connect(&reader, &FieldReader::Read, this, [this](const std::shared_ptr<const FieldReading>& read) {
    if (read) Show(*read);
  });
  if (reader.Latest()) Show(*reader.Latest());
}

void Verdict::Show(const FieldReading& read) {
  const std::size_t count = ProblemCount(read.reading);
  QString text;
  QColor color = kNothingColor;
  QString tip;
  if (read.reading.empty || read.text == m_startText) {
    text = QString::fromUtf8(kNoProgramVerdict);
    tip = QStringLiteral("Проверка программы: в поле нет программы");
  } else {
    text = QString::fromStdString(ProblemCountText(count));
    text[0] = text[0].toUpper();
    color = count == 0 ? kCleanColor : kFaultColor;
    tip = count == 0 ? QStringLiteral("Проверка программы: ошибок нет. Щелчок открывает траекторию")
                     : QStringLiteral(
                           "Проверка программы нашла ошибки. Щелчок открывает траекторию "
                           "на первой из них");
  }
  QPalette palette = m_button.palette();
  palette.setColor(QPalette::ButtonText, color);
  m_button.setPalette(palette);
  m_button.setText(text);
  m_button.setToolTip(tip);
}

}  // namespace kalmoro
