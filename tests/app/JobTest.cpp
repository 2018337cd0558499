// The page "Задание": holes added from the three hole pages, placed in the table, moved, removed,
// copied onto a bolt circle and reordered; the job's program written into the program field with the
// machine's wire codes, and read back from a saved job into the same table.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "app/preview/ProgramText.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/JobList.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"
#include "save/ProgramFile.h"

namespace {

constexpr int kJobPage = 3;
// The wire codes of the machine profile the tests start with.
const kalmoro::WireCodes kCodes{"M01", "M05"};

QString Shown(const std::string& program) {
  return kalmoro::ToEditorText(program);
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

}  // namespace

class JobTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() {
    m_t.reset();
    m_home.reset();
  }

  void addsTheHoleOfEachPage_data();
  void addsTheHoleOfEachPage();
  void editsAPositionOrRefusesIt_data();
  void editsAPositionOrRefusesIt();
  void movesAndRemovesTheSelectedHole();
  void boltCircleOfSix();
  void optimiseShortensAZigZag();
  void generatesTheJobWithTheMachinesWireCodes();
  void savedJobOpensIntoTheSameTable();
  void openingLeavesOutHolesItCannotRegenerate();
  void everyChangeOfTheTableIsUndone();

 private:
  QTableWidget* Table() const { return m_t->Find<QTableWidget>("JobTable"); }
  QString Note() const { return m_t->Find<QLabel>("JobNote")->text(); }
  bool Enabled(const char* button) const { return m_t->Find(button)->isEnabled(); }
  // The table as "number|kind|dimensions|X|Y" rows.
  QStringList Rows() const;
  QString Column(int column) const;
  void Type(const char* field, const QString& text) const {
    QLineEdit* edit = m_t->Field(field);
    edit->setFocus();
    edit->selectAll();
    TypeText(edit, text);
  }
  // Adds a round hole of the diameter from the round page.
  void AddCircle(const QString& diameter) {
    m_t->ClickTab(0);
    Type("ArcDiam", diameter);
    m_t->Click("BtnAddArc");
  }
  void ClickRow(int row) const {
    Table()->scrollToItem(Table()->item(row, 0));
    QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {},
                      Table()->visualItemRect(Table()->item(row, 0)).center());
  }
  // Edits a cell as a user does: double click, select all, delete, type, Return.
  void EditCell(int row, int column, const QString& text);

  std::unique_ptr<QTemporaryDir> m_home;
  std::unique_ptr<TestWindow> m_t;
};

void JobTest::init() {
  m_home = std::make_unique<QTemporaryDir>();
  UseScratchHome(*m_home);
  QVERIFY(QDir().mkpath(m_home->filePath(".config/kalmoro")));
  QFile profile(m_home->filePath(".config/kalmoro/machine.ini"));
  QVERIFY(profile.open(QIODevice::WriteOnly));
  profile.write("[machine]\ncut_wire = M01\nthread_wire = M05\n");
  profile.close();
  m_t = std::make_unique<TestWindow>();
  m_t->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
}

QStringList JobTest::Rows() const {
  QStringList rows;
  for (int r = 0; r < Table()->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < Table()->columnCount(); ++c) cells << Table()->item(r, c)->text();
    rows << cells.join('|');
  }
  return rows;
}

QString JobTest::Column(int column) const {
  QStringList cells;
  for (int r = 0; r < Table()->rowCount(); ++r) cells << Table()->item(r, column)->text();
  return cells.join(' ');
}

void JobTest::EditCell(int row, int column, const QString& text) {
  m_t->ClickTab(kJobPage);
  QTableWidgetItem* item = Table()->item(row, column);
  QVERIFY(item);
  Table()->scrollToItem(item);
  // A double click as the system delivers it: a click, then the second press as a double click.
  const QPoint at = Table()->visualItemRect(item).center();
  QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(Table()->viewport(), Qt::LeftButton, {}, at);
  QLineEdit* editor = nullptr;
  QTRY_VERIFY((editor = qobject_cast<QLineEdit*>(QApplication::focusWidget())) &&
              Table()->isAncestorOf(editor));
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Backspace);
  TypeText(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Table()));
}

void JobTest::addsTheHoleOfEachPage_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QStringList>("typed");  // field, text, ...
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("row");      // the row added, or "" when refused
  QTest::addColumn<QString>("message");  // the refusal's
  QTest::newRow("round") << 0 << QStringList{"ArcDiam", "12.5"} << "BtnAddArc"
                         << "1|круглое|D12.5|0|0"
                         << "";
  QTest::newRow("rectangle") << 1 << QStringList{"RectWidth", "20", "RectHeight", "10", "RectArc", "2"}
                             << "BtnAddRect"
                             << "1|прямоугольное|20×10 R2|0|0"
                             << "";
  QTest::newRow("cone") << 2 << QStringList{"ConH", "2", "ConDDown", "1", "ConDUp", "0.8"} << "BtnAddCone"
                        << "1|коническое|D1 / D0.8, H2|0|0"
                        << "";
  QTest::newRow("round refused") << 0 << QStringList{"ArcDiam", "0.5"} << "BtnAddArc"
                                 << "" << kalmoro::kMsgDiameterRange;
  QTest::newRow("cone refused") << 2 << QStringList{} << "BtnAddCone"
                                << "" << kalmoro::kMsgConeHeight;
}

// "Добавить в задание" adds what "Создать программу" writes, leaves the program field alone, and a
// refusal says the page's message and adds nothing.
void JobTest::addsTheHoleOfEachPage() {
  QFETCH(int, page);
  QFETCH(QStringList, typed);
  QFETCH(QString, button);
  QFETCH(QString, row);
  QFETCH(QString, message);
  m_t->ClickTab(page);
  for (qsizetype i = 0; i + 1 < typed.size(); i += 2) Type(qPrintable(typed[i]), typed[i + 1]);
  m_t->EditProgram("(kept)");
  const QString program = m_t->Program()->toPlainText();
  m_t->Click(qPrintable(button));
  QCOMPARE(m_t->Program()->toPlainText(), program);
  QCOMPARE(m_t->Tabs()->currentIndex(), page);

  if (row.isEmpty()) {
    QCOMPARE(m_t->dialogs.messages().size(), 1);
    QCOMPARE(m_t->dialogs.messages().front().text, message);
    QCOMPARE(Table()->rowCount(), 0);
    QCOMPARE(m_t->Tabs()->tabText(kJobPage), QString("Задание"));
    return;
  }
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(Rows(), QStringList{row});
  QCOMPARE(m_t->Tabs()->tabText(kJobPage), QString("Задание\n(1)"));
  // The hole's program is the page's: the job of it alone is GenJob of what the page generates.
  m_t->Click(qPrintable(QString(button).replace("BtnAdd", "BtnGen")));
  const std::string hole = m_t->Program()->toPlainText().replace('\n', "\r\n").toStdString();
  m_t->ClickTab(kJobPage);
  m_t->Click("BtnGenJob");
  const std::vector<kalmoro::JobHole> holes = {{hole, 0, 0}};
  QCOMPARE(m_t->Program()->toPlainText(), Shown(kalmoro::GenJob(holes, kCodes).program));
}

void JobTest::editsAPositionOrRefusesIt_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");  // in the cell afterwards
  QTest::addColumn<double>("y");       // where the hole stands then
  QTest::addColumn<bool>("refused");
  QTest::newRow("decimal comma") << "-12,5"
                                 << "-12.5" << -12.5 << false;
  QTest::newRow("three decimals") << "+99999.999"
                                  << "99999.999" << 99999.999 << false;
  QTest::newRow("letters") << "abc"
                           << "7" << 7.0 << true;
  QTest::newRow("four decimals") << "1.2345"
                                 << "7" << 7.0 << true;
  QTest::newRow("too far") << "100000"
                           << "7" << 7.0 << true;
  QTest::newRow("empty") << ""
                         << "7" << 7.0 << true;
}

void JobTest::editsAPositionOrRefusesIt() {
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  QFETCH(double, y);
  QFETCH(bool, refused);
  AddCircle("10");
  EditCell(0, 4, "7");
  QCOMPARE(Table()->item(0, 4)->text(), QString("7"));
  EditCell(0, 4, typed);
  QCOMPARE(Table()->item(0, 4)->text(), shown);
  QCOMPARE(Table()->item(0, 3)->text(), QString("0"));
  if (refused) {
    QTRY_COMPARE(m_t->dialogs.messages().size(), 1);
    const FakeDialogs::Message& message = m_t->dialogs.messages().front();
    QCOMPARE(message.icon, FakeDialogs::Icon::Error);
    QCOMPARE(message.text,
             "«" + typed + "» — не координата. " + QString::fromUtf8(kalmoro::kMsgJobPositionText));
  }
  // The position the job gets is the one the cell shows.
  m_t->Click("BtnGenJob");
  QCOMPARE(m_t->dialogs.messages().size(), refused ? 1 : 0);
  const std::vector<kalmoro::JobHole> holes = {{kalmoro::GenCircle("10").program, 0, y}};
  QCOMPARE(m_t->Program()->toPlainText(), Shown(kalmoro::GenJob(holes, kCodes).program));
}

void JobTest::movesAndRemovesTheSelectedHole() {
  for (const char* diameter : {"10", "20", "30"}) AddCircle(diameter);
  m_t->ClickTab(kJobPage);
  QCOMPARE(Column(2), QString("D10 D20 D30"));
  // The hole added last is selected.
  QVERIFY(Enabled("BtnJobUp") && !Enabled("BtnJobDown") && Enabled("BtnJobRemove"));
  ClickRow(0);
  QVERIFY(!Enabled("BtnJobUp") && Enabled("BtnJobDown") && Enabled("BtnJobRemove"));

  m_t->Click("BtnJobDown");
  m_t->Click("BtnJobDown");
  QCOMPARE(Column(2), QString("D20 D30 D10"));
  QCOMPARE(Column(0), QString("1 2 3"));
  QVERIFY(!Enabled("BtnJobDown"));
  m_t->Click("BtnJobUp");
  QCOMPARE(Column(2), QString("D20 D10 D30"));

  m_t->Click("BtnJobRemove");
  QCOMPARE(Column(2), QString("D20 D30"));
  QCOMPARE(Column(0), QString("1 2"));
  QCOMPARE(m_t->Tabs()->tabText(kJobPage), QString("Задание\n(2)"));
  m_t->Click("BtnJobRemove");
  m_t->Click("BtnJobRemove");
  QCOMPARE(Table()->rowCount(), 0);
  QVERIFY(!Enabled("BtnJobUp") && !Enabled("BtnJobDown") && !Enabled("BtnJobRemove") &&
          !Enabled("BtnJobCircle"));
  QCOMPARE(Note(), QString("В задании нет отверстий"));
  m_t->Click("BtnGenJob");
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().text, QString::fromUtf8(kalmoro::kMsgJobEmpty));
}

void JobTest::boltCircleOfSix() {
  AddCircle("10");
  m_t->ClickTab(1);
  m_t->Click("BtnAddRect");
  AddCircle("30");
  m_t->ClickTab(kJobPage);
  ClickRow(1);
  // A refusal changes nothing.
  Type("JobCircleCount", "0");
  m_t->Click("BtnJobCircle");
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().text, QString::fromUtf8(kalmoro::kMsgCircleCount));
  QCOMPARE(Table()->rowCount(), 3);

  Type("JobCircleCount", "6");
  Type("JobCircleDiam", "100");
  Type("JobCircleAngle", "0");
  Type("JobCircleX", "10");
  Type("JobCircleY", "-20");
  QTest::keyClick(m_t->Field("JobCircleY"), Qt::Key_Return);
  QCOMPARE(Rows(), (QStringList{"1|круглое|D10|0|0", "2|прямоугольное|10×5 R0|60|-20",
                                "3|прямоугольное|10×5 R0|35|23.301", "4|прямоугольное|10×5 R0|-15|23.301",
                                "5|прямоугольное|10×5 R0|-40|-20", "6|прямоугольное|10×5 R0|-15|-63.301",
                                "7|прямоугольное|10×5 R0|35|-63.301", "8|круглое|D30|0|0"}));
  QCOMPARE(m_t->dialogs.messages().size(), 1);
}

void JobTest::optimiseShortensAZigZag() {
  for (int k = 0; k < 5; ++k) AddCircle("10");
  QVERIFY(Enabled("BtnJobOptimize"));
  const QStringList xs = {"0", "1", "-1.9", "4", "-8"};
  for (int k = 1; k < 5; ++k) EditCell(k, 3, xs[k]);
  QCOMPARE(Column(3), QString("0 1 -1.9 4 -8"));
  QCOMPARE(Note(), QString("Отверстий: 5, переходы: 21.8 мм"));
  ClickRow(2);  // the hole at -1.9 stays selected where it goes
  m_t->Click("BtnJobOptimize");
  QCOMPARE(Note(), QString("Переходы: 21.8 мм → 16.0 мм"));
  const QString order = Column(3);
  QVERIFY2(order == "0 1 4 -1.9 -8" || order == "0 4 1 -1.9 -8", qPrintable(order));
  QCOMPARE(Table()->selectionModel()->selectedRows().value(0).row(), 3);
  QCOMPARE(Column(0), QString("1 2 3 4 5"));
}

void JobTest::generatesTheJobWithTheMachinesWireCodes() {
  AddCircle("10");
  m_t->ClickTab(1);
  m_t->Click("BtnAddRect");
  EditCell(1, 3, "-30");
  EditCell(1, 4, "15");
  m_t->EditProgram("(typed)");
  const QString before = m_t->Program()->toPlainText();
  m_t->Click("BtnGenJob");
  const std::vector<kalmoro::JobHole> holes = {{kalmoro::GenCircle("10").program, 0, 0},
                                               {kalmoro::GenRect("10", "5", "0").program, -30, 15}};
  const kalmoro::GenResult job = kalmoro::GenJob(holes, kCodes);
  QVERIFY(job.Ok());
  QVERIFY(job.program.find("N13M01\r\n") != std::string::npos);
  QCOMPARE(m_t->Program()->toPlainText(), Shown(job.program));
  QVERIFY(m_t->Program()->document()->isModified());
  // One undo step, as the pages' programs.
  m_t->UndoInProgram();
  QCOMPARE(m_t->Program()->toPlainText(), before);
}

// The program is the job's save format: saved, opened in a new window, it gives the same table, and
// generating it again gives the same bytes.
void JobTest::savedJobOpensIntoTheSameTable() {
  m_t->ClickTab(2);
  Type("ConH", "2");
  Type("ConDDown", "1");
  Type("ConDUp", "1.2");
  m_t->Click("BtnAddCone");
  AddCircle("12.5");
  m_t->ClickTab(1);
  Type("RectArc", "1.5");
  m_t->Click("BtnAddRect");
  EditCell(1, 3, "20.125");
  EditCell(2, 4, "-99999.999");
  const QStringList rows = Rows();
  m_t->Click("BtnGenJob");
  const QString program = m_t->Program()->toPlainText();
  const QString path = m_home->filePath("job.iso");
  m_t->dialogs.setNextFileName(path);
  m_t->Click("BtnSaveNC");
  QVERIFY(QFile::exists(path));
  const QByteArray saved = ReadAll(path);

  m_t = std::make_unique<TestWindow>();
  QVERIFY(m_t->window.Document().Open(path));
  QCOMPARE(m_t->Tabs()->currentIndex(), kJobPage);
  QCOMPARE(Rows(), rows);
  QCOMPARE(m_t->Program()->toPlainText(), program);
  QCOMPARE(Note(),
           QString("Отверстий: 3, переходы: ") +
               QString::fromStdString(kalmoro::FormatNumber(20.125 + std::hypot(20.125, 99999.999), 1, 1)) +
               " мм");
  m_t->Program()->clear();
  m_t->Click("BtnGenJob");
  QCOMPARE(m_t->Program()->toPlainText(), program);
  m_t->dialogs.setNextFileName(m_home->filePath("again.iso"));
  m_t->Click("BtnSaveNC");
  QCOMPARE(ReadAll(m_home->filePath("again.iso")), saved);
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void JobTest::openingLeavesOutHolesItCannotRegenerate() {
  const QString path = m_home->filePath("edited.iso");
  const std::string text =
      "%(JOB: 3)\r\n(1: CIRCLE: D10 @ X20 Y0)\r\n(2: CIRCLE: D0 @ X0 Y0)\r\n"
      "(3: HEXAGON: S=5 @ X1 Y1)\r\nN1M02";
  QVERIFY(kalmoro::SaveProgramFile(Utf8(path), text).Saved());
  AddCircle("30");
  QVERIFY(m_t->window.Document().Open(path));
  QCOMPARE(m_t->Tabs()->currentIndex(), kJobPage);
  QCOMPARE(Rows(), QStringList{"1|круглое|D10|20|0"});
  QCOMPARE(Note(), QString("Не восстановлено отверстий: 2"));

  // A single hole's program leaves the job as it is.
  const QString hole = m_home->filePath("hole.iso");
  QVERIFY(kalmoro::SaveProgramFile(Utf8(hole), kalmoro::GenCircle("8").program).Saved());
  QVERIFY(m_t->window.Document().Open(hole));
  QCOMPARE(m_t->Tabs()->currentIndex(), 0);
  QCOMPARE(Rows(), QStringList{"1|круглое|D10|20|0"});
}

// "×", a move, an edited position and a job opened over the table are taken back, newest first, by "↶"
// and by Ctrl+Z on the page; the button says what it takes back.
void JobTest::everyChangeOfTheTableIsUndone() {
  for (const char* diameter : {"10", "20", "30"}) AddCircle(diameter);
  m_t->ClickTab(kJobPage);
  ClickRow(1);
  m_t->Click("BtnJobRemove");
  QCOMPARE(Column(2), QString("D10 D30"));
  QCOMPARE(m_t->Find("BtnJobUndo")->toolTip(), QString("Отменить: удаление отверстия 2 (Ctrl+Z)"));
  m_t->Click("BtnJobUndo");
  QCOMPARE(Column(2), QString("D10 D20 D30"));
  QCOMPARE(Note(), QString("Отменено: удаление отверстия 2"));

  ClickRow(2);
  m_t->Click("BtnJobUp");
  EditCell(0, 3, "5");
  QCOMPARE(Rows(), (QStringList{"1|круглое|D10|5|0", "2|круглое|D30|0|0", "3|круглое|D20|0|0"}));
  const QStringList edited = Rows();
  const QString path = m_home->filePath("other.iso");
  const std::vector<kalmoro::JobHole> holes = {{kalmoro::GenCircle("8").program, 1, 2}};
  QVERIFY(kalmoro::SaveProgramFile(Utf8(path), kalmoro::GenJob(holes, kCodes).program).Saved());
  QVERIFY(m_t->window.Document().Open(path));
  QCOMPARE(Rows(), QStringList{"1|круглое|D8|1|2"});

  ClickRow(0);
  QTest::keyClick(Table(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Rows(), edited);
  QTest::keyClick(Table(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Column(3), QString("0 0 0"));
  QTest::keyClick(Table(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Column(2), QString("D10 D20 D30"));
  // Back to the three holes as they were added: then to none, one step each.
  for (int k = 0; k < 3; ++k) m_t->Click("BtnJobUndo");
  QCOMPARE(Table()->rowCount(), 0);
  QVERIFY(!Enabled("BtnJobUndo"));
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

QTEST_MAIN(JobTest)
#include "JobTest.moc"
