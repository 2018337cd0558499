// Saving the program field through the save button: the bytes on disk, the dialog's start name,
// Cancel, the overwrite question, failures and characters Windows-1251 cannot hold.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestWindow.h"
#include "app/ProgramText.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<cannot be read>";
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

// "Текст Программы" in Windows-1251, written out byte by byte.
const QByteArray kInitialTextCp1251 = "\xD2\xE5\xEA\xF1\xF2 \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB";

}  // namespace

class SaveTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(m_dir.isValid());
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
  }
  void cleanup() {
    m_t.reset();
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
      QFile::remove(Path(name));
  }

  void savesRoundProgram();
  void savesInitialText();
  void savesEmptyField();
  void savesUserEdit();
  void nameEndingInIsoKeepsIt();
  void cancelWritesNothing();
  void dialogStartsAtLastName();
  void overwriteQuestion_data();
  void overwriteQuestion();
  void failingSaveIsReported();
  void unencodableCharacterRefused();
  void editorTextToProgram_data();
  void editorTextToProgram();

 private:
  QString Path(const QString& name) const { return m_dir.filePath(name); }
  QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
  void Save(const QString& name) {
    m_t->dialogs.setNextFileName(name);
    m_t->Click("BtnSaveNC");
  }

  QTemporaryDir m_dir;
  std::unique_ptr<TestWindow> m_t;
};

void SaveTest::savesRoundProgram() {
  m_t->Click("BtnGenArc");
  Save(Path("part"));
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(Files(), QStringList{"part.iso"});
  const QByteArray bytes = ReadAll(Path("part.iso"));
  QCOMPARE(bytes, CrLfLines(kRound10) + "\r\n");
  QVERIFY(bytes.endsWith("N13M02\r\n\r\n"));
  // Saving reads the field only.
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
}

void SaveTest::savesInitialText() {
  Save(Path("start"));
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(ReadAll(Path("start.iso")), kInitialTextCp1251 + "\r\n");
}

void SaveTest::savesEmptyField() {
  m_t->ClickTab(1);  // the page change empties the field
  Save(Path("empty"));
  QCOMPARE(ReadAll(Path("empty.iso")), QByteArray("\r\n"));
}

void SaveTest::savesUserEdit() {
  m_t->Click("BtnGenArc");
  QPlainTextEdit* program = m_t->Program();
  program->setFocus();
  QTest::keyClick(program, Qt::Key_Home, Qt::ControlModifier);
  TypeText(program, "(ПРАВКА)");
  QTest::keyClick(program, Qt::Key_Return);
  // Shift+Return puts a line separator inside the paragraph; it is a line end in the file too.
  TypeText(program, "A");
  QTest::keyClick(program, Qt::Key_Return, Qt::ShiftModifier);
  TypeText(program, "B");
  QTest::keyClick(program, Qt::Key_Return);
  QTest::keyClick(program, Qt::Key_End, Qt::ControlModifier);
  TypeText(program, "%");
  Save(Path("edited"));
  QVERIFY(m_t->dialogs.messages().isEmpty());
  const QByteArray expected =
      QByteArray("(\xCF\xD0\xC0\xC2\xCA\xC0)\r\nA\r\nB\r\n") + CrLfLines(kRound10) + "%\r\n";
  QCOMPARE(ReadAll(Path("edited.iso")), expected);
}

void SaveTest::nameEndingInIsoKeepsIt() {
  Save(Path("ready.iso"));
  QCOMPARE(Files(), QStringList{"ready.iso"});
}

void SaveTest::cancelWritesNothing() {
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.saveStarts().size(), 1);
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QVERIFY(Files().isEmpty());
}

void SaveTest::dialogStartsAtLastName() {
  Save(Path("first"));
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  Save(Path("second.iso"));
  Save(Path("third"));
  // The first dialog opens at the platform's default; later ones at the file chosen before.
  QCOMPARE(m_t->dialogs.saveStarts(),
           (QStringList{QString(), Path("first.iso"), Path("first.iso"), Path("second.iso")}));
}

void SaveTest::overwriteQuestion_data() {
  QTest::addColumn<bool>("yes");
  QTest::newRow("Yes replaces the file") << true;
  QTest::newRow("No keeps it") << false;
}

void SaveTest::overwriteQuestion() {
  QFETCH(bool, yes);
  WriteAll(Path("part.iso"), "old program\r\n");
  m_t->Click("BtnGenArc");
  m_t->dialogs.setNextAnswer(yes);
  Save(Path("part"));
  const QList<FakeDialogs::Message> questions = m_t->dialogs.questions();
  QCOMPARE(questions.size(), 1);
  QVERIFY2(questions.front().text.contains(Path("part.iso")),
           "the question names the whole file that will be replaced, with its extension");
  QCOMPARE(m_t->dialogs.messages().size(), 1);  // nothing but the question
  QCOMPARE(ReadAll(Path("part.iso")), yes ? CrLfLines(kRound10) + "\r\n" : QByteArray("old program\r\n"));
  QCOMPARE(Files(), QStringList{"part.iso"});
}

void SaveTest::failingSaveIsReported() {
  m_t->Click("BtnGenArc");
  const QString name = Path("missing/part");
  Save(name);
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().front();
  QCOMPARE(shown.title, QString("Ошибка"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::Error);
  QVERIFY2(shown.text.contains(name + ".iso"), qPrintable(shown.text));
  QVERIFY(!QDir(Path("missing")).exists());
  QVERIFY(Files().isEmpty());
}

void SaveTest::unencodableCharacterRefused() {
  WriteAll(Path("part.iso"), "old program\r\n");
  m_t->Click("BtnGenArc");
  QPlainTextEdit* program = m_t->Program();
  program->setFocus();
  QTest::keyClick(program, Qt::Key_End, Qt::ControlModifier);
  TypeText(program, "(готово \U0001F600)");
  Save(Path("part"));
  // Refused before any question: the file would not be written anyway.
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().front();
  QCOMPARE(shown.title, QString("Ошибка"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::Error);
  QVERIFY2(shown.text.contains("«\U0001F600»") && shown.text.contains("U+1F600"), qPrintable(shown.text));
  QCOMPARE(ReadAll(Path("part.iso")), QByteArray("old program\r\n"));

  Save(Path("new"));
  QVERIFY(!QFile::exists(Path("new.iso")));
  QCOMPARE(Files(), QStringList{"part.iso"});
}

void SaveTest::editorTextToProgram_data() {
  QTest::addColumn<QString>("raw");
  QTest::addColumn<QByteArray>("program");
  QTest::newRow("paragraphs") << QString("N1\u2029N2\u2029") << QByteArray("N1\r\nN2\r\n");
  QTest::newRow("line separator") << QString("A\u2028B") << QByteArray("A\r\nB");
  QTest::newRow("LF") << QString("A\nB") << QByteArray("A\r\nB");
  QTest::newRow("CR LF stays one line end") << QString("A\r\nB") << QByteArray("A\r\nB");
  QTest::newRow("lone CR") << QString("A\rB") << QByteArray("A\r\nB");
  QTest::newRow("no-break space kept") << QString("A\u00A0B")
                                       << QByteArray(
                                              "A\xC2\xA0"
                                              "B");
  QTest::newRow("empty") << QString() << QByteArray();
}

void SaveTest::editorTextToProgram() {
  QFETCH(QString, raw);
  QFETCH(QByteArray, program);
  QCOMPARE(QByteArray::fromStdString(kalmoro::FromEditorText(raw)), program);
  // Back into the field: clean lines without CR.
  QVERIFY(!kalmoro::ToEditorText(program.toStdString()).contains('\r'));
}

QTEST_MAIN(SaveTest)
#include "SaveTest.moc"
