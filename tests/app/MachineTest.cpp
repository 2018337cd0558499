// The machine profile in the window and what the preview does with it: the dialog "Станок…", the wire
// centre, measuring, the 3D view's scale and the faults found in use (fit on a new program, a double
// click that must not move the caret).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "TestWindow.h"
#include "app/MachineDialog.h"
#include "app/preview/ToolpathPreview.h"
#include "app/preview/ToolpathView.h"
#include "check/MachineProfile.h"

using kalmoro::MachineDialog;
using kalmoro::ToolpathPreview;
using kalmoro::ToolpathView;

namespace {

double Distance(QPointF a, QPointF b) {
  return std::hypot(a.x() - b.x(), a.y() - b.y());
}

}  // namespace

class MachineTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_home = std::make_unique<QTemporaryDir>();
    UseScratchHome(*m_home);
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  }
  void cleanup() {
    m_t.reset();
    m_home.reset();
  }

  void dialogWritesTheProfileOnlyOnSave();
  void badProfileKeepsTheDefaultsAndSaysWhy();
  void wireCodesAreSetInTheDialog();
  void newProgramIsFittedAgain();
  void doubleClickFitsWithoutMovingTheCaret();
  void shiftClicksMeasureSnappingToMoveEnds();
  void topViewKeepsTheScaleOfBothAxes();

 private:
  ToolpathPreview* OpenPreview() {
    m_t->Program()->setFocus();
    QTest::keyClick(m_t->Program(), Qt::Key_F5);
    auto* preview = m_t->window.findChild<ToolpathPreview*>();
    if (!preview || !QTest::qWaitForWindowExposed(preview)) qFatal("F5 must show the toolpath preview");
    return preview;
  }
  QString ProfilePath() const { return m_home->filePath(".config/kalmoro/machine.ini"); }

  std::unique_ptr<QTemporaryDir> m_home;
  std::unique_ptr<TestWindow> m_t;
};

void MachineTest::dialogWritesTheProfileOnlyOnSave() {
  QVERIFY2(!QFile::exists(ProfilePath()), "starting writes nothing");
  m_t->Click("BtnGenArc");
  ToolpathPreview* preview = OpenPreview();
  QVERIFY(preview->findChild<QLabel*>("Status")->text().contains("станок по умолчанию"));
  QTest::mouseClick(preview->findChild<QToolButton*>("Machine"), Qt::LeftButton);
  MachineDialog* dialog = nullptr;
  QTRY_VERIFY((dialog = preview->findChild<MachineDialog*>()) && dialog->isVisible());
  QVERIFY(dialog->findChild<QLineEdit*>("wire_diameter")->placeholderText().startsWith("0.25"));

  dialog->findChild<QLineEdit*>("wire_diameter")->setText("0,3");
  dialog->findChild<QLineEdit*>("travel_x")->setText("3x");
  QTest::mouseClick(dialog->findChild<QPushButton*>("Save"), Qt::LeftButton);
  QVERIFY(dialog->isVisible());
  QVERIFY2(dialog->findChild<QLabel*>("Error")->text().startsWith("«Ход стола по X, мм»"),
           qPrintable(dialog->findChild<QLabel*>("Error")->text()));
  QVERIFY2(!QFile::exists(ProfilePath()), "a field at fault saves nothing");

  dialog->findChild<QLineEdit*>("travel_x")->setText("350");
  QTest::mouseClick(dialog->findChild<QPushButton*>("Save"), Qt::LeftButton);
  QTRY_VERIFY(preview->findChild<MachineDialog*>() == nullptr);
  const QByteArray text = ReadAll(ProfilePath());
  const kalmoro::MachineProfileReading saved = kalmoro::ParseMachineProfile(text.toStdString());
  QVERIFY2(saved.profile, text.constData());
  QCOMPARE(saved.profile->wireDiameter, 0.3);
  QCOMPARE(saved.profile->travelX.value_or(0), 350.0);
  QVERIFY(!saved.profile->travelY);
  QCOMPARE(preview->Machine(), *saved.profile);
  QVERIFY(preview->findChild<QLabel*>("Status")->text().contains("станок из профиля"));
}

void MachineTest::badProfileKeepsTheDefaultsAndSaysWhy() {
  m_t.reset();
  QVERIFY(QDir().mkpath(QFileInfo(ProfilePath()).absolutePath()));
  QFile file(ProfilePath());
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("[machine]\nwire_diameter = 0.3\nheight = -1\n");
  file.close();
  m_t = std::make_unique<TestWindow>();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  m_t->Click("BtnGenArc");
  ToolpathPreview* preview = OpenPreview();
  QCOMPARE(preview->Machine(), kalmoro::MachineProfile{});
  const QString status = preview->findChild<QLabel*>("Status")->text();
  QVERIFY2(status.contains("machine.ini, строка 3"), qPrintable(status));
  QCOMPARE(ReadAll(ProfilePath()), QByteArray("[machine]\nwire_diameter = 0.3\nheight = -1\n"));
}

// The job's stop codes, cut_wire and thread_wire, are typed in the dialog "Станок…" (opened here from the
// window's menu entry): a code the machine would take for the end of the program is refused, naming the
// field; the codes saved are the ones the job's program stops at.
void MachineTest::wireCodesAreSetInTheDialog() {
  m_t->window.findChild<QAction*>("ActMachine")->trigger();
  MachineDialog* dialog = nullptr;
  QTRY_VERIFY((dialog = m_t->window.findChild<MachineDialog*>()) && dialog->isVisible());
  QLineEdit* cut = dialog->findChild<QLineEdit*>("cut_wire");
  QLineEdit* thread = dialog->findChild<QLineEdit*>("thread_wire");
  QCOMPARE(cut->placeholderText(), QString("M00 (по умолчанию)"));
  cut->setFocus();
  TypeText(cut, "M02");
  QTest::mouseClick(dialog->findChild<QPushButton*>("Save"), Qt::LeftButton);
  QVERIFY2(dialog->findChild<QLabel*>("Error")->text().startsWith("«Код обрезки проволоки"),
           qPrintable(dialog->findChild<QLabel*>("Error")->text()));
  cut->clear();
  TypeText(cut, "M21");
  thread->setFocus();
  TypeText(thread, "M22");
  QTest::mouseClick(dialog->findChild<QPushButton*>("Save"), Qt::LeftButton);
  QTRY_VERIFY(m_t->window.findChild<MachineDialog*>() == nullptr);
  const QByteArray text = ReadAll(ProfilePath());
  QVERIFY2(text.contains("cut_wire = M21") && text.contains("thread_wire = M22"), text.constData());

  m_t->Click("BtnAddArc");
  m_t->Click("BtnAddArc");
  m_t->ClickTab(3);
  m_t->Click("BtnGenJob");
  const QString program = m_t->Program()->toPlainText();
  QVERIFY2(program.contains("M21\n") && program.contains("M22\n") && !program.contains("M00"),
           qPrintable(program));
}

void MachineTest::newProgramIsFittedAgain() {
  m_t->Click("BtnGenArc");
  ToolpathView* view = OpenPreview()->View();
  const QPointF fitted = view->ToWidget(QPointF(0, 0), false);
  const QPointF at = view->ToWidget(QPointF(5, 0), false);
  QWheelEvent wheel(at, view->mapToGlobal(at), {}, {0, 480}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  QVERIFY(Distance(view->ToWidget(QPointF(0, 0), false), fitted) > 10);
  m_t->Click("BtnGenArc");  // the same program again, generated anew
  QTRY_VERIFY2(Distance(view->ToWidget(QPointF(0, 0), false), fitted) < 1e-6, "a new program is fitted");
}

void MachineTest::doubleClickFitsWithoutMovingTheCaret() {
  m_t->Click("BtnGenArc");
  ToolpathView* view = OpenPreview()->View();
  QTextCursor start(m_t->Program()->document());
  m_t->Program()->setTextCursor(start);
  const QPointF onArc = view->ToWidget(QPointF(-5, 0), false);
  QTest::mouseDClick(view, Qt::LeftButton, {}, onArc.toPoint());
  QCOMPARE(m_t->Program()->textCursor().position(), 0);
  // Far from the double click, so that it is not taken for a third click of it.
  QTest::mouseClick(view, Qt::LeftButton, {}, view->ToWidget(QPointF(5, 0), false).toPoint());
  QVERIFY2(m_t->Program()->textCursor().blockNumber() > 0, "a single click still goes to the move's line");
}

void MachineTest::shiftClicksMeasureSnappingToMoveEnds() {
  m_t->Click("BtnGenArc");
  ToolpathPreview* preview = OpenPreview();
  ToolpathView* view = preview->View();
  const int caret = m_t->Program()->textCursor().position();
  // Three pixels off the circle's left and bottom points.
  QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier,
                    (view->ToWidget(QPointF(-5, 0), false) + QPointF(3, 2)).toPoint());
  QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier,
                    (view->ToWidget(QPointF(0, -5), false) + QPointF(-2, 3)).toPoint());
  QCOMPARE(view->MeasuredPoints().size(), std::size_t{2});
  QCOMPARE(view->MeasuredPoints()[0], QPointF(-5, 0));
  QCOMPARE(view->MeasuredPoints()[1], QPointF(0, -5));
  const QString shown = preview->findChild<QLabel*>("Cursor")->text();
  QVERIFY2(shown.contains("расстояние 7.071 мм (ΔX 5.000, ΔY -5.000)"), qPrintable(shown));
  QCOMPARE(m_t->Program()->textCursor().position(), caret);  // measuring goes to no line
}

void MachineTest::topViewKeepsTheScaleOfBothAxes() {
  m_t->ClickTab(2);
  for (const auto& [name, keys] : {std::pair{"ConH", "10"}, {"ConDDown", "12"}, {"ConDUp", "8"}}) {
    m_t->Field(name)->setFocus();
    TypeText(m_t->Field(name), keys);
  }
  m_t->Click("BtnGenCone");
  ToolpathView* view = OpenPreview()->View();
  view->SetMode(ToolpathView::Mode::Oblique);
  for (const auto standard : {ToolpathView::StandardView::Top, ToolpathView::StandardView::Isometric}) {
    view->SetStandardView(standard);
    const QPointF o = view->ToWidget(QPointF(0, 0), false);
    const double x = Distance(view->ToWidget(QPointF(1, 0), false), o);
    const double y = Distance(view->ToWidget(QPointF(0, 1), false), o);
    if (standard == ToolpathView::StandardView::Top) {
      QVERIFY2(std::fabs(x - y) < 1e-9, "looking down, X and Y have one scale");
      QVERIFY2(Distance(view->ToWidget(QPointF(0, 0), true), o) < 1e-9, "and the wire is seen end on");
    } else {
      QVERIFY2(std::fabs(x - y) < 1e-9, "isometric: X and Y foreshortened alike, Y no longer halved");
    }
  }
  // Dragging turns the view.
  const double yaw = view->Yaw();
  const QPoint from = view->rect().center();
  QTest::mousePress(view, Qt::LeftButton, {}, from);
  QTest::mouseMove(view, from + QPoint(20, 0));
  QTest::mouseMove(view, from + QPoint(60, 0));
  QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(60, 0));
  QVERIFY(std::fabs(view->Yaw() - yaw) > 10);
}

QTEST_MAIN(MachineTest)
#include "MachineTest.moc"
