// The on-screen dialogs, driven as a user drives them: each test waits until the modal dialog is up
// and has the keyboard, checks what it shows, then answers with real clicks and keys.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/QtDialogs.h"

using kalmoro::SaveAnswer;

namespace {

// The modal dialog of type T once it is up and its window active, or null after five seconds.
template <typename T>
T* WaitForActiveDialog() {
  T* dialog = nullptr;
  const bool up = QTest::qWaitFor([&dialog] {
    dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    return dialog && dialog->isActiveWindow();
  });
  return up ? dialog : nullptr;
}

// Runs answer inside the dialog's own event loop, which starts when the code under test opens it.
// Should answer return before closing the dialog (a failed check), the dialog is rejected, so that
// the test never hangs in exec().
template <typename T>
void Answer(std::function<void(T*)> answer) {
  QTimer::singleShot(0, [answer] {
    QPointer<T> dialog = WaitForActiveDialog<T>();
    if (!dialog) {
      if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) open->reject();
      QFAIL("the dialog did not come up");
    }
    answer(dialog);
    if (dialog && dialog->isVisible()) dialog->reject();
  });
}

// The name field of a widget-based file dialog once it has the keyboard focus.
QLineEdit* WaitForNameField(QFileDialog* dialog) {
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!name || !QTest::qWaitFor([name] { return name->hasFocus(); })) return nullptr;
  return name;
}

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // Settings Qt would write land in a scratch folder, where the test looks for them.
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    kalmoro::KeepDialogStateOutOfHome();
  }
  void messageBoxes_data();
  void messageBoxes();
  void question_data();
  void question();
  void proceedWarning_data();
  void proceedWarning();
  void saveQuestion_data();
  void saveQuestion();
  void saveDialog_data();
  void saveDialog();
  void saveDialogCancel();
  void fileDialogsWriteNoSettings();

 private:
  QTemporaryDir m_config;
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
  Answer<QMessageBox>([&](QMessageBox* box) {
    shown = true;
    QCOMPARE(box->windowTitle(), QString("Обратная связь"));
    QCOMPARE(box->icon(), icon);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    // CR LF separated lines reach the label as plain line breaks.
    QCOMPARE(box->text(), QString("one\ntwo\nthree"));
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  });
  if (error)
    m_dialogs.ShowError("Обратная связь", "one\r\ntwo\r\nthree");
  else
    m_dialogs.ShowInfo("Обратная связь", "one\r\ntwo\r\nthree");
  QVERIFY(shown);
}

void QtDialogsTest::question_data() {
  QTest::addColumn<int>("key");  // 0: a click on the button
  QTest::addColumn<bool>("yes");
  QTest::newRow("Yes clicked") << 0 << true;
  QTest::newRow("No clicked") << 0 << false;
  QTest::newRow("Return takes No") << int(Qt::Key_Return) << false;
}

void QtDialogsTest::question() {
  QFETCH(int, key);
  QFETCH(bool, yes);
  Answer<QMessageBox>([&](QMessageBox* box) {
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    // Replacing a file is never the default.
    QCOMPARE(box->defaultButton(), qobject_cast<QPushButton*>(box->button(QMessageBox::No)));
    if (key)
      QTest::keyClick(box, Qt::Key(key));
    else
      QTest::mouseClick(box->button(yes ? QMessageBox::Yes : QMessageBox::No), Qt::LeftButton);
  });
  QCOMPARE(m_dialogs.AskYesNo("Сохранение программы", "Заменить?"), yes);
}

void QtDialogsTest::proceedWarning_data() {
  QTest::addColumn<int>("key");  // 0: a click on the button
  QTest::addColumn<bool>("proceed");
  QTest::newRow("Сохранить clicked") << 0 << true;
  QTest::newRow("Отмена clicked") << 0 << false;
  QTest::newRow("Return takes Отмена") << int(Qt::Key_Return) << false;
  QTest::newRow("Escape takes Отмена") << int(Qt::Key_Escape) << false;
}

// The warning before a program with faults is saved: Russian buttons whatever Qt's own texts, and the
// answer that loses nothing is the default.
void QtDialogsTest::proceedWarning() {
  QFETCH(int, key);
  QFETCH(bool, proceed);
  Answer<QMessageBox>([&](QMessageBox* box) {
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->text(), QString("Ошибок: 2.\nСохранить?"));
    const QList<QAbstractButton*> buttons = box->buttons();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(box->defaultButton()->text(), QString("Отмена"));
    if (key) {
      QTest::keyClick(box, Qt::Key(key));
      return;
    }
    for (QAbstractButton* button : buttons)
      if (button->text() == (proceed ? "Сохранить" : "Отмена")) QTest::mouseClick(button, Qt::LeftButton);
  });
  QCOMPARE(m_dialogs.AskProceed("Сохранение программы", "Ошибок: 2.\r\nСохранить?", "Сохранить"), proceed);
}

void QtDialogsTest::saveQuestion_data() {
  QTest::addColumn<int>("button");  // the standard button clicked, or 0 for a key
  QTest::addColumn<int>("key");
  QTest::addColumn<SaveAnswer>("answer");
  QTest::newRow("Save clicked") << int(QMessageBox::Save) << 0 << SaveAnswer::Save;
  QTest::newRow("Discard clicked") << int(QMessageBox::Discard) << 0 << SaveAnswer::Discard;
  QTest::newRow("Cancel clicked") << int(QMessageBox::Cancel) << 0 << SaveAnswer::Cancel;
  QTest::newRow("Return takes Save") << 0 << int(Qt::Key_Return) << SaveAnswer::Save;
  QTest::newRow("Escape cancels") << 0 << int(Qt::Key_Escape) << SaveAnswer::Cancel;
}

void QtDialogsTest::saveQuestion() {
  QFETCH(int, button);
  QFETCH(int, key);
  QFETCH(SaveAnswer, answer);
  Answer<QMessageBox>([&](QMessageBox* box) {
    QCOMPARE(box->windowTitle(), QString("Сохранение программы"));
    QCOMPARE(box->text(), QString("Сохранить программу?"));
    QCOMPARE(box->standardButtons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (key)
      QTest::keyClick(box, Qt::Key(key));
    else
      QTest::mouseClick(box->button(QMessageBox::StandardButton(button)), Qt::LeftButton);
  });
  QCOMPARE(m_dialogs.AskSaveDiscardCancel("Сохранение программы", "Сохранить программу?"), answer);
}

void QtDialogsTest::saveDialog_data() {
  QTest::addColumn<QString>("start");  // in the scratch folder; "" is the folder itself
  QTest::addColumn<QString>("shownName");
  QTest::newRow("a file name") << "old.iso"
                               << "old.iso";
  QTest::newRow("a folder") << ""
                            << "";
}

void QtDialogsTest::saveDialog() {
  QFETCH(QString, start);
  QFETCH(QString, shownName);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  Answer<QFileDialog>([&](QFileDialog* dialog) {
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->nameFilters(), QStringList{"*.iso"});
    QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
    // The user types a new name over the one proposed, then presses Return.
    QLineEdit* name = WaitForNameField(dialog);
    QVERIFY2(name, "the name field never got the keyboard focus");
    QCOMPARE(name->text(), shownName);
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, "new name");
    QCOMPARE(name->text(), QString("new name"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  // A name that does not exist yet is accepted.
  const std::optional<QString> chosen =
      m_dialogs.GetSaveFileName(start.isEmpty() ? dir.path() : dir.filePath(start));
  QVERIFY(chosen.has_value());
  QCOMPARE(*chosen, dir.filePath("new name"));
}

void QtDialogsTest::saveDialogCancel() {
  Answer<QFileDialog>([](QFileDialog* dialog) {
    QVERIFY(WaitForNameField(dialog));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  QVERIFY(!m_dialogs.GetSaveFileName(QString()).has_value());
}

// A file dialog opened and closed leaves nothing in the user's settings folder: the program keeps no
// state between runs.
void QtDialogsTest::fileDialogsWriteNoSettings() {
  Answer<QFileDialog>([](QFileDialog* dialog) {
    QVERIFY(WaitForNameField(dialog));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  QVERIFY(!m_dialogs.GetOpenFileName(m_config.path()).has_value());
  const QStringList left =
      QDir(m_config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  QVERIFY2(left.isEmpty(), qPrintable("the settings folder holds " + left.join(", ")));
}

QTEST_MAIN(QtDialogsTest)
#include "QtDialogsTest.moc"
