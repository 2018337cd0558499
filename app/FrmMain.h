#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "ui_FrmMain.h"

namespace kalmoro {

class ConeWidgets;
class Dialogs;
struct GenResult;

inline constexpr const char* kErrorTitle = "Ошибка";
inline constexpr const char* kFeedbackTitle = "Обратная связь";
inline constexpr const char* kFeedbackText =
    "Jabber: kalmoro@jabber.example.org\r\n"
    "E-mail: kalmoro@example.org\r\n"
    "Сайт: https://kalmoro.example.org";

// The only window: three hole pages, the program field and the save button. Its handlers read the
// field texts, call the core and show what it returns; the program text, the solver and the file
// writing all live in the core libraries.
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  explicit FrmMain(Dialogs& dialogs, QWidget* parent = nullptr);
  ~FrmMain() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void GenArc();
  void GenRect();
  void GenCone();
  void SaveNc();
  void ClearProgram();
  void ShowFeedback();
  void ShowResult(const GenResult& result);

  // Runs a handler body; an exception that escapes it is shown in an error box, never passed to Qt.
  template <typename Body>
  void Guarded(Body&& body) noexcept;

  Ui::FrmMain ui;
  Dialogs& m_dialogs;
  std::unique_ptr<ConeWidgets> m_cone;
  QString m_lastFileName;  // where the save dialog opens: the file chosen last time in this run
};

}  // namespace kalmoro
