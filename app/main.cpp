#include <QApplication>

#include "app/FrmMain.h"
#include "app/QtDialogs.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kalmoro::QtDialogs dialogs;
  kalmoro::FrmMain window(dialogs);
  dialogs.SetParentWindow(&window);
  window.show();
  return app.exec();
}
