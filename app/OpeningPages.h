#pragma once

#include <QObject>

#include "app/DieDialog.h"
#include "app/TaperDialog.h"
#include "check/MachineProfile.h"
#include "holes/GenResult.h"
#include "nc/HoleHeader.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kalmoro {

class Dialogs;

// The die openings of the round and the rectangle page and the rectangle's taper: the buttons "Матрица…"
// and "Уклон…", their choices summarised beside them, and the programs of the two pages written with
// them. A die worked out from its punch puts its size into the page's fields; typing a size there
// afterwards leaves the punch. An opened program's header brings its relief or its taper back.
class OpeningPages : public QObject {
  Q_OBJECT

 public:
  struct Widgets {
    QLineEdit* diameter;
    QLineEdit* width;
    QLineEdit* height;
    QLineEdit* radius;
    QPushButton* roundDie;
    QLabel* roundDieNote;
    QPushButton* rectDie;
    QLabel* rectDieNote;
    QPushButton* taper;
    QLabel* taperNote;
  };
  OpeningPages(const Widgets& widgets, Dialogs& dialogs, QWidget& window);

  // The pages' programs as "Создать программу" writes them, with the passes, the slug's stop code and the
  // machine's taper limit.
  GenResult Round(const PassOptions& passes, const MachineProfile& machine) const;
  GenResult Rect(const PassOptions& passes, const MachineProfile& machine) const;

  // The fields and choices of an opened program's hole.
  void Show(const CircleHeader& circle);
  void Show(const RectHeader& rect);
  void Show(const RectTaperHeader& taper);

 private:
  void EditDie(bool round);
  void EditTaper();
  // Puts a die from its punch into the page's fields.
  void FillDie(bool round);
  void ShowSummaries();

  Widgets m_w;
  Dialogs& m_dialogs;
  QWidget& m_window;
  DieChoice m_roundDie;
  DieChoice m_rectDie;
  TaperChoice m_taper;
  bool m_filling = false;  // the fields are being written, not typed in
};

}  // namespace kalmoro
