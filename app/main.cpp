#include <QApplication>
#include <QUrl>

#include "app/FrmMain.h"
#include "app/ProgramDocument.h"
#include "app/QtDialogs.h"
#include "app/QtTranslation.h"
#include "save/SaveInterrupt.h"

int main(int argc, char* argv[]) {
  // SIGINT, SIGTERM, SIGHUP or SIGQUIT in the middle of a save leave the old program and no temporary
  // file; one that comes as the new program is put in place ends the window once it is there.
  kalmoro::InstallSaveInterruptCleanup();
  QApplication app(argc, argv);
  // The desktop entry's name: the desktop shell shows the window with its menu entry's icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(KALMORO_APP_ID));
  // Without Qt's Russian texts the dialogs stay English; nothing else depends on them.
  kalmoro::InstallQtRussian(app);
  kalmoro::KeepDialogStateOutOfHome();
  kalmoro::QtDialogs dialogs;
  kalmoro::FrmMain window(dialogs);
  dialogs.SetParentWindow(&window);
  window.show();
  // "Kalmoro FILE", as the desktop entry starts it for a file opened in a file manager.
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    const QString& name = arguments.at(1);
    window.Document().Open(name.startsWith(QStringLiteral("file:")) ? QUrl(name).toLocalFile() : name);
  }
  return app.exec();
}
