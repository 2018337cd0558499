#pragma once

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>

namespace kalmoro {

// Installs Qt's own Russian texts (the buttons of the message boxes, the save dialog), so that they
// speak the window's language. folder holds qtbase_ru.qm (Debian's qt6-translations-l10n). Returns
// false and leaves Qt's English texts when the translation cannot be loaded; the window works either way.
bool InstallQtRussian(QCoreApplication& app,
                      const QString& folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

}  // namespace kalmoro
