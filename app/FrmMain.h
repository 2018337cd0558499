#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "ui_FrmMain.h"

namespace kalmoro {

class ConeWidgets;
class Dialogs;
class ProgramField;
class SaveNote;
struct GenResult;

inline constexpr const char* kErrorTitle = "Ошибка";
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
inline constexpr const char* kFeedbackText =
    "Jabber: kalmoro@jabber.example.org\r\n"
    "E-mail: kalmoro@example.org\r\n"
    "Сайт: https://kalmoro.example.org";

// The only window: three hole pages, the program field and the save button. Its handlers read the
// field texts, call the core and show what it returns; the program text, the solver and the file
// writing all live in the core libraries. Return in a page's field generates that page's program,
// Ctrl+S saves, and closing asks before a program that was not saved is lost.
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  explicit FrmMain(Dialogs& dialogs, QWidget* parent = nullptr);
  ~FrmMain() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void GenArc();
  void GenRect();
  void GenCone();
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

  // Runs a handler body; an exception that escapes it is shown in an error box, never passed to Qt.
  template <typename Body>
  void Guarded(Body&& body) noexcept;

  Ui::FrmMain ui;
  Dialogs& m_dialogs;
  std::unique_ptr<ConeWidgets> m_cone;
  std::unique_ptr<ProgramField> m_program;
  SaveNote* m_note = nullptr;  // owned by the window as its child
  QString m_lastFileName;      // where the save dialog opens: the file chosen last time in this run
};

}  // namespace kalmoro
