#pragma once

#include <QObject>
#include <vector>

#include "nc/PassOptions.h"

class QLabel;
class QPushButton;
class QWidget;

namespace kalmoro {

class Dialogs;

// The passes the window writes new programs with: one choice for the session, shown beside the button
// "Проходы…" on every page, which opens the dialog that changes it. It starts as the machine profile
// keeps it and goes back there only when the user saves the profile ("Станок…").
class PassChoice : public QObject {
  Q_OBJECT

 public:
  struct Row {
    QPushButton* button;
    QLabel* summary;
  };
  PassChoice(std::vector<Row> rows, Dialogs& dialogs, QWidget& window);

  const PassOptions& Passes() const { return m_passes; }
  // Shows the passes on every page; an opened program's header brings its own.
  void Set(const PassOptions& passes);

 private:
  void Edit();

  std::vector<Row> m_rows;
  Dialogs& m_dialogs;
  QWidget& m_window;
  PassOptions m_passes;
};

}  // namespace kalmoro
