// The passes in the window: the dialog "Проходы…" on every page, the programs it makes against the command
// line's for the same options, a job roughed first, an opened program's passes brought back, and the
// choice kept in the machine profile only when the user saves it there.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "app/MachineDialog.h"
#include "app/PassDialog.h"
#include "app/preview/ProgramText.h"
#include "cli/Args.h"
#include "cli/Generate.h"
#include "cli/JobFile.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "save/ProgramFile.h"

using kalmoro::PassDialog;
using kalmoro::PassOptions;
using kalmoro::SkimDirection;

Q_DECLARE_METATYPE(PassOptions)

namespace {

// A page: its tab, its fields with what is typed into them, its buttons and the command line of the
// same hole.
struct Page {
  int tab;
  const char* suffix;  // of the buttons' and the summary's names: "Arc" → "BtnPassesArc", "PassesArc"
  std::vector<std::pair<const char*, const char*>> fields;
  std::string command;
  QStringList taper = {};  // the steps in "Уклон…" (FillDialog); none: not opened
};

const std::vector<Page>& Pages() {
  static const std::vector<Page> pages = {
      {0, "Arc", {{"ArcDiam", "12.5"}}, "circle --diameter 12.5"},
      {1,
       "Rect",
       {{"RectWidth", "20"}, {"RectHeight", "10"}, {"RectArc", "2"}},
       "rect --width 20 --height 10 --radius 2"},
      {2,
       "Cone",
       {{"ConH", "5"}, {"ConDUp", "8"}, {"ConDDown", "10"}},
       "cone --height 5 --upper 8 --lower 10"},
      {1,
       "Rect",
       {{"RectWidth", "20"}, {"RectHeight", "10"}, {"RectArc", "2"}},
       "rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1",
       {"On", "Thickness=20", "Angle=1"}},
  };
  return pages;
}

std::string PassArgs(const PassOptions& passes) {
  std::string args = " --skims " + std::to_string(passes.skims);
  if (passes.stop > 0) args += " --stop " + std::to_string(static_cast<int>(passes.stop));
  if (passes.direction == SkimDirection::Same) args += " --direction same";
  return args;
}

// What kalmoro-gen writes, or its refusal, for a hole's command line.
kalmoro::GenResult CommandLine(const QString& line) {
  std::vector<std::string> words;
  for (const QString& word : line.split(' ', Qt::SkipEmptyParts)) words.push_back(word.toStdString());
  const kalmoro::Command command =
      kalmoro::ParseArgs(std::vector<std::string_view>(words.begin(), words.end()));
  const auto* generate = std::get_if<kalmoro::GenerateCommand>(&command);
  if (!generate) qFatal("not a hole's command line: %s", qPrintable(line));
  return kalmoro::Generate(*generate);
}

// A mnemonic pressed as a user presses it: Alt and a Cyrillic letter, at the focused control (the tab
// bar, after a click on a tab has left none focused).
void PressAlt(QTabWidget& tabs, QChar letter) {
  if (!QApplication::focusWidget()) tabs.tabBar()->setFocus();
  QTRY_VERIFY(QApplication::focusWidget());
  QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(letter.unicode()),
                      QString(letter.toLower()), Qt::AltModifier);
}

}  // namespace

class PassesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_home = std::make_unique<QTemporaryDir>();
    UseScratchHome(*m_home);
    m_t = std::make_unique<TestWindow>();
    m_t->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  }
  void cleanup() {
    m_t.reset();
    m_home.reset();
  }

  void programIsTheCommandLines_data();
  void programIsTheCommandLines();
  void openingIsTheCommandLines_data();
  void openingIsTheCommandLines();
  void jobRoughFirstIsTheCommandLines();
  void openedProgramBringsItsPassesBack_data();
  void openedProgramBringsItsPassesBack();
  void openedJobKeepsTheProfilesStopCode();
  void choiceIsSavedOnlyWithTheProfile();

 private:
  void Type(const char* field, const char* text) {
    QLineEdit* edit = m_t->Field(field);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    TypeText(edit, QString::fromLatin1(text));
  }
  // Types into a dialog's field as a user does: focus, select all, the keys.
  void TypeInto(QWidget* dialog, const char* name, const QString& text) {
    auto* edit = dialog->findChild<QWidget*>(name);
    QVERIFY2(edit, name);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
      QTest::keyClick(edit, Qt::Key_Delete);
    else
      TypeText(edit, text);
  }
  // Ticks a dialog's check box with the space bar.
  void Tick(QWidget* dialog, const char* name) {
    auto* box = dialog->findChild<QCheckBox*>(name);
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->isChecked());
  }
  // Opens the dialog a page's button opens with its mnemonic, fills it as `steps` say ("Name=text" types,
  // "Name" ticks, "Name#k" chooses item k) and accepts it with Return.
  void FillDialog(QChar mnemonic, const char* dialogName, const QStringList& steps);
  // Opens "Проходы…" with its mnemonic Alt+П and chooses the passes with the keyboard; "ОК" by Return.
  void ChoosePasses(const PassOptions& passes);
  QString ProfilePath() const { return m_home->filePath(".config/kalmoro/machine.ini"); }

  std::unique_ptr<QTemporaryDir> m_home;
  std::unique_ptr<TestWindow> m_t;
};

void PassesTest::ChoosePasses(const PassOptions& passes) {
  QStringList steps = {QString("Skims=%1").arg(passes.skims), QString("Stop=%1").arg(passes.stop)};
  if (passes.skims > 0) steps << QString("Direction#%1").arg(passes.direction == SkimDirection::Same ? 1 : 0);
  FillDialog(QChar(0x041F), "PassDialog", steps);  // П
}

void PassesTest::FillDialog(QChar mnemonic, const char* dialogName, const QStringList& steps) {
  PressAlt(*m_t->Tabs(), mnemonic);
  QPointer<QDialog> dialog;
  QTRY_VERIFY((dialog = m_t->window.findChild<QDialog*>(dialogName)) && dialog->isVisible());
  for (const QString& step : steps) {
    if (step.contains('=')) {
      TypeInto(dialog, qPrintable(step.section('=', 0, 0)), step.section('=', 1));
    } else if (step.contains('#')) {
      auto* combo = dialog->findChild<QComboBox*>(qPrintable(step.section('#', 0, 0)));
      combo->setFocus();
      QTRY_VERIFY(combo->hasFocus());
      QTest::keyClick(combo, Qt::Key_Home);
      for (int k = 0; k < step.section('#', 1).toInt(); ++k) QTest::keyClick(combo, Qt::Key_Down);
    } else {
      Tick(dialog, qPrintable(step));
    }
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTRY_VERIFY(dialog.isNull());
  m_t->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
}

void PassesTest::programIsTheCommandLines_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<PassOptions>("passes");
  const char* names[] = {"round", "rect", "cone", "rect-taper"};
  for (int page = 0; page < 4; ++page)
    for (int skims = 0; skims <= kalmoro::kMaxSkims; ++skims)
      for (const int stop : {0, 3})
        for (const SkimDirection direction : {SkimDirection::Alternate, SkimDirection::Same}) {
          if (skims == 0 && direction == SkimDirection::Same) continue;
          const PassOptions passes{skims, static_cast<double>(stop), direction};
          QTest::addRow("%s skims %d stop %d %s", names[page], skims, stop,
                        direction == SkimDirection::Same ? "same" : "alternate")
              << page << passes;
        }
}

// "Создать программу" with the passes chosen writes what kalmoro-gen writes for the same options, and
// the page says which passes it writes.
void PassesTest::programIsTheCommandLines() {
  QFETCH(int, page);
  QFETCH(PassOptions, passes);
  const Page& p = Pages()[static_cast<std::size_t>(page)];
  if (p.tab != 0) m_t->ClickTab(p.tab);
  for (const auto& [field, text] : p.fields) Type(field, text);
  if (!p.taper.isEmpty()) FillDialog(QChar(0x0423), "TaperDialog", p.taper);  // У
  ChoosePasses(passes);
  const QString summary = m_t->Find<QLabel>(qPrintable(QString("Passes") + p.suffix))->text();
  QCOMPARE(summary, kalmoro::PassSummary(passes));
  m_t->Click(qPrintable(QString("BtnGen") + p.suffix));
  const kalmoro::GenResult expected = CommandLine(QString::fromStdString(p.command + PassArgs(passes)));
  QVERIFY2(expected.Ok(), expected.error.c_str());
  QCOMPARE(m_t->Program()->toPlainText(), kalmoro::ToEditorText(expected.program));
  // Every page shows the one choice.
  for (const Page& other : Pages())
    QCOMPARE(m_t->Find<QLabel>(qPrintable(QString("Passes") + other.suffix))->text(), summary);
}

void PassesTest::openingIsTheCommandLines_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QStringList>("die");    // the steps in "Матрица…"; none: not opened
  QTest::addColumn<QStringList>("taper");  // the steps in "Уклон…"; none: not opened
  QTest::addColumn<QString>("shown");      // what the page's note shows of it
  QTest::addColumn<QString>("command");    // kalmoro-gen's options for the same
  const QStringList none;
  QTest::newRow("round die, clearance typed")
      << 0 << QStringList{"FromPunch", "PunchWidth=10", "Clearance=0,15"} << none
      << "Ø10 + 2 × 0.15 = Ø10.3 мм"
      << "circle --punch 10 --clearance 0.15";
  QTest::newRow("round die from the table, land and relief")
      << 0 << QStringList{"FromPunch", "PunchWidth=10", "Clearance=", "Sheet=2",     "Material#0",
                          "Relief",    "Land=3",        "Angle=1",    "Thickness=20"}
      << none << "Ø10 + 2 × 0.25 = Ø10.5 мм; поясок 3 мм, осв. 1°, T20"
      << "circle --punch 10 --sheet 2 --material mild-steel --land 3 --relief 1 --thickness 20";
  QTest::newRow("rectangle die in brass")
      << 1 << QStringList{"FromPunch",  "PunchWidth=20", "PunchHeight=10", "PunchRadius=2",
                          "Clearance=", "Sheet=1.5",     "Material#5"}
      << none << "пуансон + 2 × 0.158 = 20.316 × 10.316 R2.158 мм"
      << "rect --punch 20x10 --radius 2 --sheet 1.5 --material brass-half-hard";
  QTest::newRow("rectangle relief only")
      << 1 << QStringList{"Relief", "Land=2", "Angle=0.5", "Thickness=12"} << none
      << "размер — из полей страницы; поясок 2 мм, осв. 0.5°, T12"
      << "rect --width 20 --height 10 --radius 2 --land 2 --relief 0.5 --thickness 12";
  QTest::newRow("taper by its angle, cylindrical corners")
      << 1 << none << QStringList{"On", "Thickness=20", "Angle=1"} << "уклон 1°, T20, углы цилиндрические"
      << "rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1";
  QTest::newRow("taper by its top, conical corners")
      << 1 << none << QStringList{"On", "Thickness=15", "TopWidth=19.5", "Corners#1"}
      << "верх 19.5 мм (1.909683°), T15, углы конические"
      << "rect-taper --width 20 --height 10 --radius 2 --thickness 15 --top-width 19.5 --corners conical";
  QTest::newRow("taper whose top corner would be negative")
      << 1 << none << QStringList{"On", "Thickness=20", "Angle=-30", "Corners#1"}
      << "уклон -30°, T20, углы конические"
      << "rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle -30 --corners conical";
}

// "Матрица…" and "Уклон…" on the round and the rectangle page: the page shows the die's sum or the taper,
// and "Создать программу" writes what kalmoro-gen writes for the same options, or shows its refusal.
void PassesTest::openingIsTheCommandLines() {
  QFETCH(int, page);
  QFETCH(QStringList, die);
  QFETCH(QStringList, taper);
  QFETCH(QString, shown);
  QFETCH(QString, command);
  const Page& p = Pages()[static_cast<std::size_t>(page)];
  if (page != 0) m_t->ClickTab(page);
  for (const auto& [field, text] : p.fields) Type(field, text);
  if (!die.isEmpty()) FillDialog(QChar(0x041C), "DieDialog", die);        // М
  if (!taper.isEmpty()) FillDialog(QChar(0x0423), "TaperDialog", taper);  // У
  const QString note =
      m_t->Find<QLabel>(taper.isEmpty() ? (page == 0 ? "DieArc" : "DieRect") : "TaperRect")->text();
  QVERIFY2(note.startsWith(shown), qPrintable(note));
  m_t->Click(qPrintable(QString("BtnGen") + p.suffix));

  const kalmoro::GenResult result = CommandLine(command);
  if (result.Ok()) {
    QCOMPARE(m_t->Program()->toPlainText(), kalmoro::ToEditorText(result.program));
    QVERIFY(m_t->dialogs.messages().isEmpty());
  } else {
    QCOMPARE(m_t->dialogs.messages().size(), 1);
    QCOMPARE(m_t->dialogs.messages().front().text, QString::fromStdString(result.error));
  }
}

// Holes added with their own passes, "Сначала все черновые" ticked: the job's program is kalmoro-gen's
// job --rough-first of the same lines.
void PassesTest::jobRoughFirstIsTheCommandLines() {
  const PassOptions first{2, 3, SkimDirection::Alternate}, second{1, 0, SkimDirection::Same};
  ChoosePasses(first);
  m_t->Click("BtnAddArc");
  m_t->ClickTab(1);
  ChoosePasses(second);
  m_t->Click("BtnAddRect");
  m_t->ClickTab(3);
  QCOMPARE(m_t->Find<QLabel>("PassesJob")->text(), kalmoro::PassSummary(second));
  auto* roughFirst = m_t->Find<QCheckBox>("JobRoughFirst");
  QVERIFY(!roughFirst->isChecked());
  PressAlt(*m_t->Tabs(), QChar(0x0427));  // Ч
  QTRY_VERIFY(roughFirst->isChecked());
  m_t->Click("BtnGenJob");
  const std::string lines = "circle --diameter 10" + PassArgs(first) +
                            " @ 0 0\nrect --width 10 --height 5 --radius 0" + PassArgs(second) + " @ 0 0\n";
  const kalmoro::JobFileReading reading = kalmoro::ReadJobFile(lines, true);
  QVERIFY(reading.Ok());
  const kalmoro::GenResult job = kalmoro::GenJob(reading.holes, {}, true);
  QVERIFY(job.Ok());
  QCOMPARE(m_t->Program()->toPlainText(), kalmoro::ToEditorText(job.program));
}

void PassesTest::openedProgramBringsItsPassesBack_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("button");
  QTest::addColumn<std::string>("program");
  QTest::addColumn<PassOptions>("passes");
  const PassOptions three{3, 4, SkimDirection::Same}, two{2, 0, SkimDirection::Alternate};
  const kalmoro::Relief relief{3, 1, 20};
  QTest::newRow("rectangle") << 1 << "BtnGenRect" << kalmoro::GenRect("20", "10", "2", three).program
                             << three;
  QTest::newRow("round with a relief")
      << 0 << "BtnGenArc" << kalmoro::GenCircle("10.5", two, "M00", relief).program << two;
  QTest::newRow("rectangle with a relief")
      << 1 << "BtnGenRect" << kalmoro::GenRect("20.5", "10.5", "2.25", {}, "M00", relief).program
      << PassOptions{};
  QTest::newRow("tapered rectangle, conical corners")
      << 1 << "BtnGenRect"
      << kalmoro::GenRectTaper("20", "10", "2", "20", "1.5", kalmoro::CornerMode::Conical, two).program
      << two;
}

// A program whose header states passes, a relief or a taper turns to its page with them chosen, so that
// "Создать программу" writes it again byte for byte.
void PassesTest::openedProgramBringsItsPassesBack() {
  QFETCH(int, page);
  QFETCH(QString, button);
  QFETCH(std::string, program);
  QFETCH(PassOptions, passes);
  QVERIFY(!program.empty());
  const QString path = m_home->filePath("part.iso");
  QVERIFY(kalmoro::SaveProgramFile(path.toStdString(), program).Saved());
  m_t->ClickTab(2);
  QVERIFY(m_t->window.Document().Open(path));
  QCOMPARE(m_t->Tabs()->currentIndex(), page);
  QCOMPARE(m_t->Find<QLabel>(page == 0 ? "PassesArc" : "PassesRect")->text(), kalmoro::PassSummary(passes));
  m_t->Program()->clear();
  m_t->Click(qPrintable(button));
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(m_t->Program()->toPlainText(), kalmoro::ToEditorText(program));
}

// A job opened is regenerated hole by hole with the profile's hold_slug code, so that "Создать программу"
// on the job page writes it again byte for byte.
void PassesTest::openedJobKeepsTheProfilesStopCode() {
  m_t.reset();
  QVERIFY(QDir().mkpath(QFileInfo(ProfilePath()).absolutePath()));
  QFile profile(ProfilePath());
  QVERIFY(profile.open(QIODevice::WriteOnly));
  profile.write("[machine]\nhold_slug = M01\n");
  profile.close();
  m_t = std::make_unique<TestWindow>();
  const std::vector<kalmoro::JobHole> holes = {
      {kalmoro::GenCircle("10", {2, 3, SkimDirection::Alternate}, "M01").program, 0, 0},
      {kalmoro::GenRect("20", "10", "2", {1, 5, SkimDirection::Same}, "M01").program, 30, 0}};
  const kalmoro::GenResult job = kalmoro::GenJob(holes, {"M00", "M00", "M01"}, true);
  QVERIFY(job.Ok());
  const QString path = m_home->filePath("job.iso");
  QVERIFY(kalmoro::SaveProgramFile(path.toStdString(), job.program).Saved());
  QVERIFY(m_t->window.Document().Open(path));
  QCOMPARE(m_t->Tabs()->currentIndex(), 3);
  QVERIFY(m_t->Find<QCheckBox>("JobRoughFirst")->isChecked());
  m_t->Program()->clear();
  m_t->Click("BtnGenJob");
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(m_t->Program()->toPlainText(), kalmoro::ToEditorText(job.program));
}

// Chosen, the passes are the session's; the profile keeps them only when "Станок…" saves it, and the next
// window starts with them.
void PassesTest::choiceIsSavedOnlyWithTheProfile() {
  const PassOptions passes{2, 15, SkimDirection::Same};
  ChoosePasses(passes);
  m_t->ClickTab(3);
  PressAlt(*m_t->Tabs(), QChar(0x0427));  // Ч
  QTRY_VERIFY(m_t->Find<QCheckBox>("JobRoughFirst")->isChecked());
  QVERIFY2(!QFile::exists(ProfilePath()), "choosing writes nothing");

  m_t->window.findChild<QAction*>("ActMachine")->trigger();
  kalmoro::MachineDialog* dialog = nullptr;
  QTRY_VERIFY((dialog = m_t->window.findChild<kalmoro::MachineDialog*>()) && dialog->isVisible());
  dialog->findChild<QLineEdit*>("hold_slug")->setText("M01");
  QTest::mouseClick(dialog->findChild<QPushButton*>("Save"), Qt::LeftButton);
  QTRY_VERIFY(m_t->window.findChild<kalmoro::MachineDialog*>() == nullptr);
  const kalmoro::MachineProfileReading saved =
      kalmoro::ParseMachineProfile(ReadAll(ProfilePath()).toStdString());
  QVERIFY(saved.profile);
  QCOMPARE(saved.profile->passes, passes);
  QVERIFY(saved.profile->roughFirst);

  m_t = std::make_unique<TestWindow>();
  QCOMPARE(m_t->Find<QLabel>("PassesArc")->text(), kalmoro::PassSummary(passes));
  QVERIFY(m_t->Find<QCheckBox>("JobRoughFirst")->isChecked());
  m_t->Click("BtnGenArc");
  const QString program = m_t->Program()->toPlainText();
  QVERIFY2(program.contains(QRegularExpression("\nN\\d+M01\n")), "the slug is held at the profile's code");
  QCOMPARE(program, kalmoro::ToEditorText(kalmoro::GenCircle("10", passes, "M01").program));
}

QTEST_MAIN(PassesTest)
#include "PassesTest.moc"
