#include "app/ProgramField.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "app/preview/ProgramText.h"

namespace kalmoro {

void ProgramField::Replace(std::string_view program) {
  ReplaceText(ToEditorText(program));
}

void ProgramField::Clear() {
  if (!m_edit.document()->isEmpty()) ReplaceText(QString());
}

// One edit block is one undo step. Unlike setPlainText, which empties the undo history, the removed
// text stays in the document's history; a replacement costs about what setPlainText does.
void ProgramField::ReplaceText(const QString& text) {
  QTextDocument* document = m_edit.document();
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
  cursor.endEditBlock();
  m_edit.setTextCursor(QTextCursor(document));
}

std::string ProgramField::Program() const {
  return FromEditorText(m_edit.document()->toRawText());
}

void ProgramField::MarkSaved() {
  m_edit.document()->setModified(false);
}

bool ProgramField::HasUnsavedProgram() const {
  if (!m_edit.document()->isModified()) return false;
  const QString raw = m_edit.document()->toRawText();
  for (const QChar c : raw)
    if (!c.isSpace()) return true;
  return false;
}

}  // namespace kalmoro
