// The on-screen dialogs as a Russian user sees them: Qt's own texts (buttons, the save dialog) in
// Russian once Qt's translation is installed, English but working when it is missing, and message boxes
// in the window's font family. Each dialog is answered once it is up, as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/FrmMain.h"
#include "app/QtDialogs.h"
#include "app/QtTranslation.h"

namespace {

// Calls answer with the modal dialog of type T once it is up.
template <typename T>
void WhenShown(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(dialog);
    }
  });
  timer->start();
}

QStringList ButtonTexts(const QMessageBox* box) {
  QStringList texts;
  for (const QAbstractButton* button : box->buttons()) texts << button->text();
  texts.sort();
  return texts;
}

enum class Box { Error, Info, Question };

// Shows the box through the window's dialogs; the answer clicks its first button.
void Show(kalmoro::QtDialogs& dialogs, Box kind) {
  switch (kind) {
    case Box::Error:
      dialogs.ShowError("Ошибка", "Текст");
      break;
    case Box::Info:
      dialogs.ShowInfo("Обратная связь", "Текст");
      break;
    case Box::Question:
      dialogs.AskYesNo("Сохранение программы", "Заменить?");
      break;
  }
}

}  // namespace

Q_DECLARE_METATYPE(Box)

class RussianDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void withoutTranslationBoxesStayEnglish();
  void messageBoxes_data();
  void messageBoxes();
  void saveDialog();

 private:
  kalmoro::QtDialogs m_dialogs;
  std::unique_ptr<kalmoro::FrmMain> m_window;
};

void RussianDialogsTest::initTestCase() {
  m_window = std::make_unique<kalmoro::FrmMain>(m_dialogs);
  m_dialogs.SetParentWindow(m_window.get());
  m_window->show();
}

// Runs first, before the translation is installed.
void RussianDialogsTest::withoutTranslationBoxesStayEnglish() {
  QTemporaryDir empty;
  QVERIFY(empty.isValid());
  QVERIFY2(!kalmoro::InstallQtRussian(*qApp, empty.path()),
           "a folder without qtbase_ru.qm must report false");
  QStringList buttons;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    buttons = ButtonTexts(box);
    box->button(QMessageBox::No)->click();
  });
  QVERIFY(!m_dialogs.AskYesNo("Сохранение программы", "Заменить?"));
  QCOMPARE(buttons, (QStringList{"&No", "&Yes"}));
}

void RussianDialogsTest::messageBoxes_data() {
  QTest::addColumn<Box>("kind");
  QTest::addColumn<QStringList>("buttons");
  QTest::newRow("error") << Box::Error << QStringList{"OK"};
  QTest::newRow("information") << Box::Info << QStringList{"OK"};
  QTest::newRow("question") << Box::Question << QStringList{"&Да", "&Нет"};
}

void RussianDialogsTest::messageBoxes() {
  QFETCH(Box, kind);
  QFETCH(QStringList, buttons);
  QVERIFY2(kalmoro::InstallQtRussian(*qApp),
           "Qt's Russian texts (qtbase_ru.qm, Debian's qt6-translations-l10n) must load from Qt's folder");
  bool shown = false;
  QStringList shownButtons;
  QStringList families;
  QString family;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    shown = true;
    shownButtons = ButtonTexts(box);
    families = box->font().families();
    family = QFontInfo(box->font()).family();
    box->buttons().front()->click();
  });
  Show(m_dialogs, kind);
  QVERIFY(shown);
  QCOMPARE(shownButtons, buttons);
  QCOMPARE(families, m_window->font().families());
  QCOMPARE(family, QFontInfo(m_window->font()).family());
}

void RussianDialogsTest::saveDialog() {
  QVERIFY2(kalmoro::InstallQtRussian(*qApp), "Qt's Russian texts must load from Qt's folder");
  QString title;
  QStringList buttons;
  QStringList labels;
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    title = dialog->windowTitle();
    for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
      buttons << button->text();
    for (const QLabel* label : dialog->findChildren<QLabel*>())
      if (label->isVisible()) labels << label->text();
    dialog->reject();
  });
  QVERIFY(!m_dialogs.GetSaveFileName(QString()).has_value());
  buttons.sort();
  labels.sort();
  QCOMPARE(title, "Сохранить как");
  QCOMPARE(buttons, (QStringList{"Отмена", "Сохранить"}));
  QCOMPARE(labels, (QStringList{"&Имя файла:", "Перейти к:", "Типы файлов:"}));
}

QTEST_MAIN(RussianDialogsTest)
#include "RussianDialogsTest.moc"
