// The program as a document: the check's verdict beside the save button and the save that asks before
// a program with faults is written, the file a text belongs to (a program made from the fields belongs
// to none), the backup an interrupted save left offered when its file is opened, and the one reading of
// the text that follows every edit off the typing path and is always of the exact text a save writes.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <memory>
#include <vector>

#include "TestWindow.h"
#include "app/preview/FieldReader.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathPreview.h"
#include "holes/Job.h"
#include "holes/RoundHole.h"

using kalmoro::FieldReader;
using kalmoro::FieldReading;
using kalmoro::ToolpathPreview;

namespace {

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

const QString kApp = "Генератор примитивов для RoboFill";

}  // namespace

class DocumentTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseScratchHome(m_home); }
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  }
  void cleanup() { m_t.reset(); }

  void verdictFollowsTheProgramAndOpensThePreviewAtItsFirstFault();
  void saveAsksBeforeAProgramWithFaults();
  void saveChecksTheTextJustTyped();
  void programFromTheFieldsBelongsToNoFile();
  void openOffersTheBackupOfAnInterruptedSave_data();
  void openOffersTheBackupOfAnInterruptedSave();
  void readingsAreOfTheNewestTextOnly();

 private:
  // Breaks the round program's first arc (line 6): its centre moves off the circle.
  void BreakFirstArc() {
    QPlainTextEdit* program = m_t->Program();
    program->setFocus();
    program->setTextCursor(QTextCursor(program->document()->findBlockByNumber(5)));
    QTest::keyClick(program, Qt::Key_End);
    for (int i = 0; i < 8; ++i) QTest::keyClick(program, Qt::Key_Left);  // before "0.000 D0"
    QTest::keyClick(program, Qt::Key_Delete);
    TypeText(program, "1");
  }
  QPushButton* Verdict() const { return m_t->Find<QPushButton>("Verdict"); }

  QTemporaryDir m_home;
  std::unique_ptr<TestWindow> m_t;
};

void DocumentTest::verdictFollowsTheProgramAndOpensThePreviewAtItsFirstFault() {
  QCOMPARE(Verdict()->text(), QString("Нет программы"));
  m_t->Click("BtnGenArc");
  QTRY_COMPARE(Verdict()->text(), QString("Ошибок нет"));
  BreakFirstArc();
  QTRY_COMPARE(Verdict()->text(), QString("Ошибок: 2"));
  QCOMPARE(Verdict()->palette().color(QPalette::ButtonText), QColor(0xc6, 0x28, 0x28));

  // The caret away from the fault, then a click on the verdict.
  m_t->Program()->moveCursor(QTextCursor::End);
  QTest::mouseClick(Verdict(), Qt::LeftButton);
  auto* preview = m_t->window.findChild<ToolpathPreview*>();
  QVERIFY(QTest::qWaitForWindowExposed(preview));
  auto* problems = preview->findChild<QListWidget*>("Problems");
  QVERIFY(problems->currentItem());
  QVERIFY2(problems->currentItem()->text().startsWith("Строка 6:"),
           qPrintable(problems->currentItem()->text()));
  QCOMPARE(m_t->Program()->textCursor().blockNumber() + 1, 6);

  // Emptied by a page change: no program.
  m_t->ClickTab(1);
  QTRY_COMPARE(Verdict()->text(), QString("Нет программы"));
}

void DocumentTest::saveAsksBeforeAProgramWithFaults() {
  m_t->Click("BtnGenArc");
  BreakFirstArc();
  const QString path = m_home.filePath("faulty.iso");
  m_t->dialogs.setNextFileName(path);
  m_t->Click("BtnSaveNC");
  // Unanswered, the warning takes its default: Отмена. Nothing more is asked, nothing written.
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message warning = m_t->dialogs.warnings().value(0);
  QCOMPARE(warning.action, QString("Сохранить"));
  QVERIFY2(warning.text.startsWith("Проверка нашла в программе ошибок: 2.\r\nПервая — строка 6: Дуга"),
           qPrintable(warning.text));
  QVERIFY(m_t->dialogs.saveStarts().isEmpty());
  QVERIFY(!QFile::exists(path));

  m_t->dialogs.setNextProceed(true);
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.saveStarts().size(), 1);
  QVERIFY(QFile::exists(path));
  QVERIFY(!m_t->window.isWindowModified());
}

// The key and the save come without a turn of the event loop between them, before any reading of the
// new text could be made in the background: the save reads the text it writes.
void DocumentTest::saveChecksTheTextJustTyped() {
  m_t->Click("BtnGenArc");
  QTRY_COMPARE(Verdict()->text(), QString("Ошибок нет"));
  m_t->Program()->setFocus();
  QTest::keyClick(m_t->Program(), Qt::Key_End, Qt::ControlModifier);
  TypeText(m_t->Program(), "N14X1");
  m_t->dialogs.setNextProceed(true);
  m_t->dialogs.setNextFileName(m_home.filePath("typed.iso"));
  QTest::keyClick(m_t->Program(), Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(m_t->dialogs.warnings().size(), 1);
  QVERIFY(ReadAll(m_home.filePath("typed.iso")).endsWith("N14X1\r\n"));
}

// After a job was opened from plate.iso, a program made from the fields is a new document: the title
// and the setup sheet (which prints FileName) name no file, and the save dialog still proposes the last
// name. Undoing the new program gives back the opened file's text and name.
void DocumentTest::programFromTheFieldsBelongsToNoFile() {
  std::vector<kalmoro::JobHole> holes = {{kalmoro::GenCircle("8").program, 0, 0},
                                         {kalmoro::GenCircle("8").program, 30, 0}};
  const QString plate = m_home.filePath("plate.iso");
  WriteAll(plate, QByteArray::fromStdString(kalmoro::GenJob(holes).program));
  QVERIFY(m_t->window.Document().Open(plate));
  QCOMPARE(m_t->window.windowTitle(), "plate.iso[*] — " + kApp);
  QCOMPARE(m_t->Tabs()->currentIndex(), 3);

  m_t->ClickTab(0);  // the page change empties the field
  m_t->Click("BtnGenArc");
  QCOMPARE(m_t->window.windowTitle(), "Новая программа[*] — " + kApp);
  QVERIFY(m_t->window.isWindowModified());
  QCOMPARE(m_t->window.Document().FileName(), QString());
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.saveStarts().value(0), plate);

  m_t->UndoInProgram();  // the round program
  QCOMPARE(m_t->window.windowTitle(), kApp);
  m_t->UndoInProgram();  // the page change
  QVERIFY(m_t->Program()->toPlainText().startsWith("%(JOB: 2)"));
  QCOMPARE(m_t->window.Document().FileName(), plate);
  QCOMPARE(m_t->window.windowTitle(), "plate.iso[*] — " + kApp);
  QVERIFY(!m_t->window.isWindowModified());
}

void DocumentTest::openOffersTheBackupOfAnInterruptedSave_data() {
  QTest::addColumn<bool>("restore");
  QTest::newRow("Yes puts the old program back and opens it") << true;
  QTest::newRow("No opens the file as it is and keeps the backup") << false;
}

// A save killed while it wrote part.iso in place left a mix of two programs in it and the old one whole
// in its backup: opening part.iso says so at once.
void DocumentTest::openOffersTheBackupOfAnInterruptedSave() {
  QFETCH(bool, restore);
  const QByteArray old = QByteArray::fromStdString(kalmoro::GenCircle("8").program) + "\r\n";
  const QByteArray mixed = "%(CIRCLE: D10)\r\nN1G92X0.000Y0.000\r\nN2G0";
  const QString path = m_home.filePath("part.iso");
  const QString backup = path + ".kalmoro-backup";
  WriteAll(path, mixed);
  WriteAll(backup, old);
  m_t->dialogs.setNextAnswer(restore);
  QVERIFY(m_t->window.Document().Open(path));

  QCOMPARE(m_t->dialogs.questions().size(), 1);
  const QString canonical = QFileInfo(m_home.path()).canonicalFilePath() + "/part.iso.kalmoro-backup";
  QCOMPARE(m_t->dialogs.questions().front().text,
           "Прошлое сохранение файла «" + path +
               "» было прервано: файл может быть испорчен, а прежняя программа осталась в резервной копии «" +
               canonical + "». Вернуть её в файл и открыть?");
  QCOMPARE(ReadAll(path), restore ? old : mixed);
  QCOMPARE(QFile::exists(backup), !restore);
  QCOMPARE(m_t->Program()->toPlainText(),
           kalmoro::ToEditorText((restore ? old.chopped(2) : mixed).toStdString()));
  // The field holds what the file holds, either way.
  QCOMPARE(m_t->window.windowTitle(), "part.iso[*] — " + kApp);
  QVERIFY(!m_t->window.isWindowModified());
  if (restore) QCOMPARE(m_t->Field("ArcDiam")->text(), QString("8"));
}

// Random edits, whole replacements, undo and redo, some with a turn of the event loop after them and
// some without: every reading the reader reports is of the text the field holds at that moment, and the
// last one of the text it ends with.
void DocumentTest::readingsAreOfTheNewestTextOnly() {
  QPlainTextEdit* program = m_t->Program();
  FieldReader& reader = m_t->window.Document().Reader();
  int reported = 0;
  QString stale;
  connect(&reader, &FieldReader::Read, this, [&](const std::shared_ptr<const FieldReading>& read) {
    ++reported;
    const std::string now = kalmoro::FromEditorText(program->document()->toRawText());
    if (read->version != reader.Version() || read->text != now)
      stale = QString("a reading of \"%1\" reported while the field holds \"%2\"")
                  .arg(QString::fromStdString(read->text.substr(0, 40)),
                       QString::fromStdString(now.substr(0, 40)));
  });
  QRandomGenerator random(20260501);
  const QStringList pieces = {"N1G01X1.000", "\n", "(Ж)", "\u2029", "\u2028", "\r\n", "%", ""};
  program->setFocus();
  for (int step = 0; step < 400 && stale.isEmpty(); ++step) {
    QTextCursor cursor(program->document());
    const int length = program->document()->characterCount() - 1;
    switch (random.bounded(6)) {
      case 0:
        m_t->Click("BtnGenArc");
        break;
      case 1:
        QTest::keyClick(program, Qt::Key_Z, Qt::ControlModifier);
        break;
      case 2:
        QTest::keyClick(program, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        break;
      case 3:
        cursor.setPosition(random.bounded(length + 1));
        cursor.setPosition(random.bounded(length + 1), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        break;
      default:
        cursor.setPosition(random.bounded(length + 1));
        cursor.insertText(pieces.at(random.bounded(int(pieces.size()))));
    }
    if (random.bounded(3) == 0) QCoreApplication::processEvents();
    if (step % 40 == 39) {
      QTRY_VERIFY(reader.LatestIsCurrent());
      QCOMPARE(reader.Latest()->text, kalmoro::FromEditorText(program->document()->toRawText()));
    }
  }
  QVERIFY2(stale.isEmpty(), qPrintable(stale));
  QVERIFY(reported > 0);
}

QTEST_MAIN(DocumentTest)
#include "DocumentTest.moc"
