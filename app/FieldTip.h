#pragma once

#include <QString>

class QLineEdit;

namespace kalmoro {

// Whether the field shows its whole text at once: the text is no wider than the space the line edit
// draws it in.
bool TextFits(const QLineEdit& field);

// Sets the field's tool tip: its full text when that does not fit, followed by the help text if any.
void UpdateFieldTip(QLineEdit& field, const QString& help);

}  // namespace kalmoro
