#pragma once

class QLineEdit;

namespace kalmoro {

// Runs the character check on the field's text and caret: the text is written back only when the
// check changed it, then the caret goes to the checked index (a selection becomes a plain caret).
void CheckField(QLineEdit& field, bool sign);

// Binds CheckField to every change of the field's text, typed, pasted or written by the program.
void BindFieldCheck(QLineEdit& field, bool sign);

}  // namespace kalmoro
