#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QPushButton;
class QWidget;

namespace kalmoro {

class Dialogs;
class FieldReader;
class ProgramEdit;
class ProgramField;
class SaveNote;
struct FieldReading;
struct LoadResult;

inline constexpr const char* kAppTitle = "Генератор примитивов для RoboFill";
inline constexpr const char* kNewProgram = "Новая программа";
inline constexpr const char* kSaveTitle = "Сохранение программы";
inline constexpr const char* kOpenTitle = "Открытие программы";
inline constexpr const char* kSaveQuestion = "Сохранить программу?";
inline constexpr const char* kOpenAction = "Открыть программу…";
inline constexpr const char* kSaveAction = "Сохранить программу…";

// The program in the window as a document: the program field's text, the file it belongs to, whether it
// changed since it was opened or saved (the window's title says both), and the one current reading of
// the text that the preview, the verdict, the save guard, the setup sheet and the drawing export share.
// It opens files (with the open dialog, from a drop, by name), saves them with the questions a save
// asks, offers the backups interrupted saves left, and writes the setup sheet and the drawing. Every
// dialog goes through the window's Dialogs.
class ProgramDocument : public QObject {
  Q_OBJECT

 public:
  ProgramDocument(ProgramEdit& field, QPushButton& saveButton, Dialogs& dialogs, QWidget& window);
  ~ProgramDocument() override;

  FieldReader& Reader() const { return *m_reader; }
  // The document's commands, children of the window: ActOpen (Ctrl+O), ActSave (Ctrl+S), ActPrint
  // (Ctrl+P), ActSheetPdf and ActExport; the shortcuts work in every window of the program.
  const QList<QAction*>& Actions() const { return m_actions; }

  // A program made from the fields in place of the whole text, as one undo step: a new document that no
  // file holds.
  void SetGenerated(std::string_view program);
  // Empties the field (one undo step); the empty text belongs to no file.
  void Clear();

  // The file the text belongs to: opened from it or saved to it, and changed since only by hand.
  // Empty for a program made from the fields and not saved. Undo past an open or a new program gives
  // back the name the text had then.
  QString FileName() const;
  // Puts the program of a file into the field as one undo step, after asking about unsaved work, and
  // offers the backup an interrupted save of it left. A file that cannot be read, is no text program or
  // has a line no program has is refused with a message and changes nothing. True when it was put in.
  bool Open(const QString& path);
  // Asks for a name and saves; a program the check finds faults in is saved only when the user says so.
  // True only when the file was written.
  bool Save();
  // True when nothing unsaved would be lost, or the user saved it or chose to discard it.
  bool MayClose();

 signals:
  // A file's program was put into the field: its reading, for the pages to follow its header.
  void Opened(const std::shared_ptr<const FieldReading>& read);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddActions();
  void OpenWithDialog();
  // Shows why a loaded file cannot be opened; true when it can.
  bool Loadable(const LoadResult& loaded, const QString& path);
  // The text of a file in place of the whole text, as the file holds it.
  void PutFile(const LoadResult& loaded, const QString& file, const QString& caption);
  // When an interrupted save of a file just opened left its old program in a backup, offers to put it
  // back into the file and open that instead.
  void OfferBackup(const QString& file);
  // When an interrupted save of the file left its old program in a backup, asks whether to put that
  // back instead of saving; true when the answer was yes (the program in the field is not saved then).
  bool RestoreLeftBackup(const std::string& path);
  // Asks before a program with faults is saved; true to go on.
  bool ConfirmProblems(const FieldReading& read);
  // Where the save dialogs open: the file chosen last in this run, or at first the documents folder
  // with a name made from the program's header; `suffix` replaces ".iso" for other files.
  QString SaveStart(const std::string& program, const QString& suffix = {}) const;
  void PrintSheet();
  void SaveSheetPdf();
  void ExportDrawing();
  // Takes a drag or drop that carries one local file; false for any other event.
  bool HandleFileDrop(QEvent* event);

  // The name of the text: for a whole new text (opened, generated, emptied) a mark at its undo step;
  // a save names the text since its last mark.
  void NameNewText(const QString& name);
  void NameSaved(const QString& name);
  void ForgetUndoneNames();
  void UpdateTitle();

  template <typename Body>
  void Guarded(Body&& body) noexcept;

  ProgramEdit& m_field;
  QPushButton& m_saveButton;
  Dialogs& m_dialogs;
  QWidget& m_window;
  std::unique_ptr<ProgramField> m_text;
  FieldReader* m_reader;  // a child of the document
  SaveNote* m_note;       // a child of the window, over the field
  QList<QAction*> m_actions;
  QString m_lastFileName;  // where the save dialog opens: the file chosen last time in this run
  struct NameMark {
    int step;  // the field's undo steps available in the text that got the name
    QString name;
  };
  std::vector<NameMark> m_names;  // by step
};

}  // namespace kalmoro
