#pragma once

#include <QString>
#include <exception>

#include "app/Dialogs.h"

namespace kalmoro {

inline constexpr const char* kErrorTitle = "Ошибка";

// Runs a handler body; an exception that escapes it is shown in an error box, never passed to Qt,
// whose event loop must not see one.
template <typename Body>
void RunGuarded(Dialogs& dialogs, Body&& body) noexcept {
  QString what;
  try {
    body();
    return;
  } catch (const std::exception& e) {
    what = QString::fromUtf8(e.what());
  } catch (...) {
    what = QStringLiteral("неизвестная ошибка");
  }
  try {
    dialogs.ShowError(QString::fromUtf8(kErrorTitle), QStringLiteral("Непредвиденная ошибка: ") + what);
  } catch (...) {
    // Nothing more can be shown; the window stays usable.
  }
}

}  // namespace kalmoro
