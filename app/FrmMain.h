#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "app/Guarded.h"
#include "ui_FrmMain.h"

namespace kalmoro {

class ConeWidgets;
class Dialogs;
class JobPage;
class OpeningPages;
class PassChoice;
class ProgramDocument;
class ToolpathPreview;
class Verdict;
struct FieldReading;
struct GenResult;

inline constexpr const char* kFeedbackTitle = "Обратная связь";
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
inline constexpr const char* kFeedbackText =
    "Jabber: kalmoro@jabber.example.org\r\n"
    "E-mail: kalmoro@example.org\r\n"
    "Сайт: https://kalmoro.example.org";

// The only window: three hole pages, the job page, the program field, the check's verdict and the save
// button. Its handlers read the field texts, call the core and show what it returns; the program text,
// the solver and the file writing all live in the core libraries, and the program as a document (its
// file, its title, opening and saving, the reading the preview and the verdict show) in ProgramDocument.
// Return in a page's field generates that page's program, and closing asks before a program that was not
// saved is lost.
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  explicit FrmMain(Dialogs& dialogs, QWidget* parent = nullptr);
  ~FrmMain() override;

  // The program field's text as a document: open, save, its file and its reading.
  ProgramDocument& Document() const { return *m_document; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

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
  void ClearProgram();
  void UpdateTip(QLineEdit* field);
  void ShowFeedback();
  void ShowResult(const GenResult& result);
  // Turns to the page of an opened program's header and fills its fields; a job program fills the job
  // page's table from its hole comment lines instead. The preview opens on the program.
  void ShowOpened(const std::shared_ptr<const FieldReading>& read);
  void ShowHeaderFields(const FieldReading& read);
  // The document's commands and "Станок…" in the window's and the program field's context menus and
  // in the preview's tool row.
  void AddCommands();
  // The machine profile: read (never written) at start and given to the preview; the action "Станок…"
  // (ActMachine) and the preview's button open the dialog, which saves it.
  QAction* AddMachineAction();
  void EditMachine();

  // Runs a handler body; an exception that escapes it is shown in an error box, never passed to Qt.
  template <typename Body>
  void Guarded(Body&& body) noexcept;

  Ui::FrmMain ui;
  Dialogs& m_dialogs;
  std::unique_ptr<ConeWidgets> m_cone;
  std::unique_ptr<JobPage> m_job;
  ProgramDocument* m_document = nullptr;  // owned by the window as its child
  ToolpathPreview* m_preview = nullptr;   // owned by the window as its child
  PassChoice* m_passes = nullptr;         // owned by the window as its child
  OpeningPages* m_openings = nullptr;     // owned by the window as its child
  bool m_opening = false;                 // a page change while opening keeps the program field
};

}  // namespace kalmoro
