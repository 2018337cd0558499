#include "app/ProgramEdit.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include "app/LongLine.h"

namespace kalmoro {

void ProgramEdit::insertFromMimeData(const QMimeData* source) {
  if (source && source->hasText()) {
    // The text replaces the selection (a drop has put the caret where it lands): the rest of the first
    // and of the last line it touches joins its first and last line.
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const qsizetype before = cursor.selectionStart() - first.position();
    const qsizetype after = last.position() + last.length() - 1 - cursor.selectionEnd();
    if (const std::optional<LongLine> line = FindLongLine(source->text(), before, after)) {
      emit InsertRefused(QStringLiteral("Текст не вставлен: в программе получилась бы ") +
                         LongLineText(*line) +
                         QStringLiteral(". В программах для станка таких строк не бывает."));
      return;
    }
  }
  QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace kalmoro
