#pragma once

#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace kalmoro {

// The program field NcPr as the window uses it. Every replacement of its whole text is one step of
// the field's own undo history, so Ctrl+Z brings back what was there, hand edits included. Whether
// the text changed since the last save is the document's modified flag, which undo and redo keep
// right.
class ProgramField {
 public:
  explicit ProgramField(QPlainTextEdit& edit) : m_edit(edit) {}

  // Shows a program of the core (UTF-8, CR LF line ends) in place of the whole text, caret at the
  // start.
  void Replace(std::string_view program);
  // Empties the field; nothing happens when it is empty already.
  void Clear();
  // The text with CR LF line ends, as saved.
  std::string Program() const;

  void MarkSaved();
  // True when the field holds text other than blanks that was generated or edited since the last
  // save (at start it holds its initial text, which counts as saved).
  bool HasUnsavedProgram() const;

 private:
  void ReplaceText(const QString& text);

  QPlainTextEdit& m_edit;
};

}  // namespace kalmoro
