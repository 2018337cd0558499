#pragma once

#include <QString>
#include <optional>

// The message boxes and the save dialog the window uses, behind an interface so that window tests
// can answer them without a person at the screen.
namespace kalmoro {

// The answers to the question whether to save before the program is thrown away.
enum class SaveAnswer { Save, Discard, Cancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Modal box with the error icon and one OK button. Lines of text may be separated by CR LF.
  virtual void ShowError(const QString& title, const QString& text) = 0;
  // Modal box without an icon and with one OK button.
  virtual void ShowInfo(const QString& title, const QString& text) = 0;
  // Modal question with Yes and No; true for Yes.
  virtual bool AskYesNo(const QString& title, const QString& text) = 0;
  // Modal warning with a button named action and "Отмена"; "Отмена" is the default and Escape's answer.
  // True for action.
  virtual bool AskProceed(const QString& title, const QString& text, const QString& action) = 0;
  // Modal question with Save, Discard and Cancel; Save is the default and Escape cancels.
  virtual SaveAnswer AskSaveDiscardCancel(const QString& title, const QString& text) = 0;
  // Save dialog offering the one filter "*.iso", opened at start: a file name (its folder opened and
  // its name proposed), a folder, or empty for the platform's default. Accepts names of files that do not
  // exist yet and asks nothing about existing ones. Returns the chosen name, or nothing when the user
  // cancels.
  virtual std::optional<QString> GetSaveFileName(const QString& start) = 0;
  // Open dialog for an existing program file, opened at start (a file or a folder, as above), offering
  // "*.iso" and all files. Returns the chosen name, or nothing when the user cancels.
  virtual std::optional<QString> GetOpenFileName(const QString& start) = 0;
  // Save dialog for the drawing, offering "*.svg", "*.png" and "*.dxf", opened at start as above; the
  // chosen filter's ending is added to a name without one. Asks nothing about existing files.
  virtual std::optional<QString> GetExportFileName(const QString& start) = 0;
  // Save dialog for the setup sheet, offering "*.pdf", opened at start as above; ".pdf" is added to a
  // name without an ending. Asks nothing about existing files.
  virtual std::optional<QString> GetPdfFileName(const QString& start) = 0;
};

}  // namespace kalmoro
