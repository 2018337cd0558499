#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "app/Guarded.h"
#include "ui_FrmMain.h"

namespace kalmoro {

class ConeWidgets;
class Dialogs;
class JobPage;
class ProgramField;
class SaveNote;
class ToolpathPreview;
struct GenResult;
struct ProgramReading;

inline constexpr const char* kFeedbackTitle = "Обратная связь";
inline constexpr const char* kSaveTitle = "Сохранение программы";
inline constexpr const char* kSaveQuestion = "Сохранить программу?";
// The angle field's tool tips: while it is open for typing, and while it is derived and locked.
inline constexpr const char* kAngTip =
    "Полный угол конуса в градусах.\n"
    "Угол, вычисленный по диаметрам, положителен,\n"
    "когда нижнее отверстие шире верхнего.\n"
    "Введённый угол даёт недостающий диаметр:\n"
    "заданный диаметр + 2·H·tg(угол/2); при положительном\n"
    "угле он больше заданного, при отрицательном — меньше.";
inline constexpr const char* kAngLockedTip =
    "Угол вычислен по диаметрам и высоте, поэтому\n"
    "ввести его нельзя. Он положителен, когда нижнее\n"
    "отверстие шире верхнего.\n"
    "Чтобы задать угол самому, очистите один из диаметров:\n"
    "поле угла откроется, а этот диаметр будет вычислен\n"
    "по введённому углу.";
inline constexpr const char* kOpenAction = "Открыть программу…";
inline constexpr const char* kAppTitle = "Генератор примитивов для RoboFill";
inline constexpr const char* kFeedbackText =
    "Jabber: kalmoro@jabber.example.org\r\n"
    "E-mail: kalmoro@example.org\r\n"
    "Сайт: https://kalmoro.example.org";

// The only window: three hole pages, the job page, the program field and the save button. Its handlers read
// the field texts, call the core and show what it returns; the program text, the solver and the file writing
// all live in the core libraries. Return in a page's field generates that page's program, Ctrl+S saves, and
// closing asks before a program that was not saved is lost.
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  explicit FrmMain(Dialogs& dialogs, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Puts the program of a file into the program field as one undo step, after asking about unsaved
  // work; a program of one of the three holes also turns to its page and fills its fields, a job's
  // program turns to the job page and fills its table. A file that cannot be read, or is no text
  // program, is refused with a message and changes nothing. True when the program was put in.
  bool OpenFile(const QString& path);
  // The file the program field's text was opened from or saved to last; empty before either.
  const QString& FileName() const { return m_fileName; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The programs of the three hole pages from their fields, as "Создать программу" writes them and
  // "Добавить в задание" adds them to the job.
  GenResult ArcProgram() const;
  GenResult RectProgram() const;
  GenResult ConeProgram() const;
  void GenArc();
  void GenRect();
  void GenCone();
  void AddToJob(GenResult (FrmMain::*program)() const);
  // The job's program for the machine's wire codes.
  void GenJob();
  void SaveNc();
  // Asks for a name and saves; true only when the file was written.
  bool SaveToFile();
  // When an interrupted save of the file left its old program in a backup, asks whether to put that
  // back instead of saving; true when the answer was yes (the program in the field is not saved then).
  bool RestoreLeftBackup(const std::string& path);
  // Where the save dialog opens: the file chosen last in this run, or at first the documents folder
  // with a name made from the program's header.
  QString SaveStart(const std::string& program) const;
  // True when nothing unsaved would be lost, or the user saved it or chose to discard it.
  bool MayClose();
  void ClearProgram();
  void UpdateTip(QLineEdit* field);
  void ShowFeedback();
  void ShowResult(const GenResult& result);
  void AddFileActions();
  // Takes a drag or drop that carries one local file; false for any other event.
  bool HandleFileDrop(QEvent* event);
  void OpenNc();
  void ExportNc();
  // Fills the page of the header's hole with its values and turns to that page; a job program fills
  // the job page's table from its hole comment lines instead.
  void ShowHeaderFields(const ProgramReading& reading, std::string_view program);
  // The file the text now belongs to: the title names it, the next save proposes it.
  void SetFileName(const QString& path);
  void UpdateTitle();
  // The machine profile: read (never written) at start and given to the preview; the action "Станок…"
  // (ActMachine) and the preview's button open the dialog, which saves it.
  void AddMachineAction(ToolpathPreview& preview);
  void EditMachine(ToolpathPreview& preview);
  // The setup sheet of the program as it stands: "Печать…" (Ctrl+P, ActPrint) opens the print
  // preview, "Лист наладки в PDF…" (ActSheetPdf) writes it as a PDF. Nothing for an empty program,
  // which is said.
  void AddSheetActions();
  void PrintSheet();
  void SaveSheetPdf();

  // Runs a handler body; an exception that escapes it is shown in an error box, never passed to Qt.
  template <typename Body>
  void Guarded(Body&& body) noexcept;

  Ui::FrmMain ui;
  Dialogs& m_dialogs;
  std::unique_ptr<ConeWidgets> m_cone;
  std::unique_ptr<ProgramField> m_program;
  std::unique_ptr<JobPage> m_job;
  SaveNote* m_note = nullptr;            // owned by the window as its child
  QString m_lastFileName;                // where the save dialog opens: the file chosen last time in this run
  QString m_fileName;                    // the file the text was opened from or saved to; see FileName()
  ToolpathPreview* m_preview = nullptr;  // owned by the window as its child
  bool m_opening = false;                // a page change while opening keeps the program field
};

}  // namespace kalmoro
