#include "app/QtTranslation.h"

#include <QTranslator>

namespace kalmoro {

bool InstallQtRussian(QCoreApplication& app, const QString& folder) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_ru"), folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace kalmoro
