#pragma once

#include <QPointer>
#include <QWidget>

#include "app/Dialogs.h"

namespace kalmoro {

inline constexpr const char* kIsoFilter = "*.iso";

// Qt's file dialog keeps its history, folder and view in a settings file of the user's
// ($XDG_CONFIG_HOME/QtProject.conf), written whenever a dialog closes. The program keeps no state
// between runs: called once at start, this points Qt's settings where no file can be made.
void KeepDialogStateOutOfHome();

// The dialogs on the screen: QMessageBox and QFileDialog, modal to the parent window.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
  void SetParentWindow(QWidget* parent) { m_parent = parent; }

  void ShowError(const QString& title, const QString& text) override;
  void ShowInfo(const QString& title, const QString& text) override;
  bool AskYesNo(const QString& title, const QString& text) override;
  bool AskProceed(const QString& title, const QString& text, const QString& action) override;
  SaveAnswer AskSaveDiscardCancel(const QString& title, const QString& text) override;
  std::optional<QString> GetSaveFileName(const QString& start) override;
  std::optional<QString> GetOpenFileName(const QString& start) override;
  std::optional<QString> GetExportFileName(const QString& start) override;
  std::optional<QString> GetPdfFileName(const QString& start) override;

 private:
  QPointer<QWidget> m_parent;
};

}  // namespace kalmoro
