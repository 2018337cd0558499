#include "FieldBinding.h"

#include <QLineEdit>

#include "fields/FieldCheck.h"

namespace kalmoro {

void CheckField(QLineEdit& field, bool sign) {
  const QString text = field.text();
  const int caret = field.hasSelectedText() ? field.selectionStart() : field.cursorPosition();
  const CheckedText checked = CheckInputErr(text.toStdU16String(), caret, sign);
  const QString clean = QString::fromStdU16String(checked.text);
  // The write raises textChanged again; the inner check finds a clean text and leaves it.
  if (clean != text) field.setText(clean);
  field.setCursorPosition(checked.caret);
}

void BindFieldCheck(QLineEdit& field, bool sign) {
  QLineEdit* target = &field;
  QObject::connect(target, &QLineEdit::textChanged, target, [target, sign] { CheckField(*target, sign); });
}

}  // namespace kalmoro
