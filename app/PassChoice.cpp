#include "app/PassChoice.h"

#include <QLabel>
#include <QPushButton>
#include <utility>

#include "app/Guarded.h"
#include "app/PassDialog.h"

namespace kalmoro {

PassChoice::PassChoice(std::vector<Row> rows, Dialogs& dialogs, QWidget& window)
    : QObject(&window), m_rows(std::move(rows)), m_dialogs(dialogs), m_window(window) {
  for (const Row& row : m_rows)
    connect(row.button, &QPushButton::clicked, this, [this] { RunGuarded(m_dialogs, [this] { Edit(); }); });
  Set(m_passes);
}

void PassChoice::Set(const PassOptions& passes) {
  m_passes = passes.Normalised();
  // The longest summary takes two lines of its place.
  for (const Row& row : m_rows) row.summary->setText(PassSummary(m_passes));
}

void PassChoice::Edit() {
  auto* dialog = new PassDialog(m_passes, &m_window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { Set(dialog->Chosen()); });
  dialog->open();
}

}  // namespace kalmoro
