// The on-screen dialogs: each test answers the real modal dialog from a timer, as a user would, after
// checking what it shows.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/QtDialogs.h"

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

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxes_data();
  void messageBoxes();
  void question_data();
  void question();
  void saveDialog();
  void saveDialogCancel();

 private:
  kalmoro::QtDialogs m_dialogs;
};

void QtDialogsTest::messageBoxes_data() {
  QTest::addColumn<bool>("error");
  QTest::addColumn<QMessageBox::Icon>("icon");
  QTest::newRow("error") << true << QMessageBox::Critical;
  QTest::newRow("information") << false << QMessageBox::NoIcon;
}

void QtDialogsTest::messageBoxes() {
  QFETCH(bool, error);
  QFETCH(QMessageBox::Icon, icon);
  bool shown = false;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    shown = true;
    QCOMPARE(box->windowTitle(), QString("Обратная связь"));
    QCOMPARE(box->icon(), icon);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    // CR LF separated lines reach the label as plain line breaks.
    QCOMPARE(box->text(), QString("one\ntwo\nthree"));
    box->button(QMessageBox::Ok)->click();
  });
  if (error)
    m_dialogs.ShowError("Обратная связь", "one\r\ntwo\r\nthree");
  else
    m_dialogs.ShowInfo("Обратная связь", "one\r\ntwo\r\nthree");
  QVERIFY(shown);
}

void QtDialogsTest::question_data() {
  QTest::addColumn<bool>("yes");
  QTest::newRow("Yes") << true;
  QTest::newRow("No") << false;
}

void QtDialogsTest::question() {
  QFETCH(bool, yes);
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->defaultButton(), qobject_cast<QPushButton*>(box->button(QMessageBox::No)));
    box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
  });
  QCOMPARE(m_dialogs.AskYesNo("Сохранение программы", "Заменить?"), yes);
}

void QtDialogsTest::saveDialog() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString start = dir.filePath("old.iso");
  const QString chosen = dir.filePath("new name");
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->nameFilters(), QStringList{"*.iso"});
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(dialog->selectedFiles(), QStringList{start});
    // A name that does not exist yet is accepted.
    dialog->selectFile(chosen);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  const std::optional<QString> name = m_dialogs.GetSaveFileName(start);
  QVERIFY(name.has_value());
  QCOMPARE(*name, chosen);
}

void QtDialogsTest::saveDialogCancel() {
  WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  QVERIFY(!m_dialogs.GetSaveFileName(QString()).has_value());
}

QTEST_MAIN(QtDialogsTest)
#include "QtDialogsTest.moc"
