#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "check/MachineProfile.h"

class QLabel;
class QLineEdit;

namespace kalmoro {

inline constexpr const char* kMachineTitle = "Станок";

// Where the machine profile lives: $XDG_CONFIG_HOME/kalmoro/machine.ini (~/.config without it).
QString MachineProfilePath();

// The profile as stored: the saved one, or the defaults when none is saved; a saved file that cannot
// be read leaves the defaults in force and says why ("machine.ini, строка 3: …"). Reads only: nothing
// is written until the user saves in the dialog.
struct StoredMachine {
  MachineProfile profile;
  bool saved = false;
  QString error;
};
StoredMachine LoadMachineProfile();

// The window's choice of passes, which a saved profile keeps: the passes of new programs and whether
// jobs rough every hole first.
struct WindowChoice {
  PassOptions passes;
  bool roughFirst = false;
};

// The dialog "Станок…": one field per key of the profile, the wire's stop codes between the holes of a
// job and the passes' gaps, stock, times and the slug's stop code included, empty for a default (shown as
// the field's placeholder) or, for the travel, for none. "Сохранить" checks every field, then writes the
// profile file in one step with the window's choice of passes; on any fault it names the field and
// writes nothing.
class MachineDialog : public QDialog {
  Q_OBJECT

 public:
  MachineDialog(const StoredMachine& stored, const WindowChoice& choice, QWidget* parent = nullptr);

  // The profile saved, once the dialog is accepted.
  const MachineProfile& Saved() const { return m_saved; }

 private:
  struct Field {
    const char* key;
    QLineEdit* edit;
    QString label;
  };
  void Save();

  std::vector<Field> m_fields;
  QLabel* m_state;
  QLabel* m_error;
  WindowChoice m_choice;
  MachineProfile m_saved;
};

}  // namespace kalmoro
