#pragma once

#include <optional>

#include "app/Dialogs.h"

// Dialogs that show nothing and ask nothing, for the window benchmarks.
namespace kalmoro::bench {

class SilentDialogs : public Dialogs {
 public:
  void ShowError(const QString&, const QString&) override {}
  void ShowInfo(const QString&, const QString&) override {}
  bool AskYesNo(const QString&, const QString&) override { return false; }
  bool AskProceed(const QString&, const QString&, const QString&) override { return false; }
  SaveAnswer AskSaveDiscardCancel(const QString&, const QString&) override { return SaveAnswer::Cancel; }
  std::optional<QString> GetSaveFileName(const QString&) override { return std::nullopt; }
  std::optional<QString> GetOpenFileName(const QString&) override { return std::nullopt; }
  std::optional<QString> GetExportFileName(const QString&) override { return std::nullopt; }
  std::optional<QString> GetPdfFileName(const QString&) override { return std::nullopt; }
};

}  // namespace kalmoro::bench
