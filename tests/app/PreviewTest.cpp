// The toolpath preview as the user meets it: opened with F5 or from the program field's context menu,
// following hand edits once they are read, and tying the problems and the drawing to the lines of the
// program field.
#include <QApplication>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <random>
#include <tuple>

#include "TestWindow.h"
#include "app/preview/Legend.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathPreview.h"
#include "app/preview/ToolpathScene.h"
#include "app/preview/ToolpathView.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

using kalmoro::ToolpathPreview;
using kalmoro::ToolpathView;

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  }
  void cleanup() { m_t.reset(); }

  void f5ShowsGeneratedProgram_data();
  void f5ShowsGeneratedProgram();
  void obliqueViewRaisesUpperContourToWireHeight();
  void arcEditShowsProblemOnceRead();
  void problemClickPutsCaretOnItsLine_data();
  void problemClickPutsCaretOnItsLine();
  void drawingAndCaretPointAtTheSameMove();
  void contextMenuKeepsStandardEntriesAndOpensPreview();
  void largestProgramIsReadWhenTypingPauses();
  void wheelZoomsAboutCursorDragPansDoubleClickFits();
  void sceneHoldsGeneratedContours();
  void jobSceneMarksTravelStopsAndHoles();
  void planKeepsItsScaleWhileTheCursorMoves();
  void shiftClickMeasuresBetweenSnappedPoints_data();
  void shiftClickMeasuresBetweenSnappedPoints();
  void eachHoleStandsAtItsOwnHeight_data();
  void eachHoleStandsAtItsOwnHeight();

 private:
  ToolpathPreview* OpenWithF5();
  void GenerateRound();
  std::unique_ptr<TestWindow> m_t;
};

ToolpathPreview* PreviewTest::OpenWithF5() {
  m_t->Program()->setFocus();
  QTest::keyClick(m_t->Program(), Qt::Key_F5);
  auto* preview = m_t->window.findChild<ToolpathPreview*>();
  if (!preview) qFatal("the window has no toolpath preview");
  if (!QTest::qWaitForWindowExposed(preview)) qFatal("F5 must show the toolpath preview");
  return preview;
}

void PreviewTest::GenerateRound() {
  m_t->Click("BtnGenArc");
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
}

QString Status(ToolpathPreview* preview) {
  return preview->findChild<QLabel*>("Status")->text();
}

void PreviewTest::f5ShowsGeneratedProgram_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QStringList>("fields");  // name, keys, name, keys, …
  QTest::addColumn<QString>("button");
  QTest::addColumn<QRectF>("bounds");  // of both contours, millimetres
  QTest::addColumn<int>("blocks");
  QTest::addColumn<bool>("tapered");
  QTest::newRow("round D10") << 0 << QStringList() << "BtnGenArc" << QRectF(-5, -5, 10, 10) << 13 << false;
  QTest::newRow("rectangle 20x10 R2")
      << 1 << QStringList{"RectWidth", "20", "RectHeight", "10", "RectArc", "2"} << "BtnGenRect"
      << QRectF(-10, -5, 20, 10) << 18 << false;
  // The worked cone: the page derives the angle from the height and the diameters.
  QTest::newRow("worked cone") << 2 << QStringList{"ConH", "2", "ConDDown", "1", "ConDUp", "0.8"}
                               << "BtnGenCone" << QRectF(-0.5, -0.5, 1, 1) << 45 << true;
}

void PreviewTest::f5ShowsGeneratedProgram() {
  QFETCH(int, page);
  QFETCH(QStringList, fields);
  QFETCH(QString, button);
  QFETCH(QRectF, bounds);
  QFETCH(int, blocks);
  QFETCH(bool, tapered);
  m_t->ClickTab(page);
  for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
    QLineEdit* field = m_t->Field(qPrintable(fields[i]));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    TypeText(field, fields[i + 1]);
  }
  m_t->Click(qPrintable(button));

  ToolpathPreview* preview = OpenWithF5();
  QCOMPARE(preview->windowTitle(), QString("Траектория"));
  QVERIFY2(preview->Reading().problems.empty(), "a generated program must read back without problems");
  QCOMPARE(preview->Reading().blocks, blocks);
  QCOMPARE(preview->Reading().tapered, tapered);
  QVERIFY2(Status(preview).contains("Ошибок нет"), qPrintable("status: " + Status(preview)));
  QVERIFY2(Status(preview).contains(QString("кадров: %1").arg(blocks)),
           qPrintable("status: " + Status(preview)));
  // The offscreen screen has no room beside the main window: the preview opened at its least size. At
  // its usual size the fitted drawing fills the view.
  preview->resize(700, 680);
  QTRY_COMPARE(preview->size(), QSize(700, 680));
  const QRectF shown = preview->View()->SceneBounds();
  for (const auto& [edge, actual, expected] :
       {std::tuple{"left", shown.left(), bounds.left()}, std::tuple{"right", shown.right(), bounds.right()},
        std::tuple{"top", shown.top(), bounds.top()}, std::tuple{"bottom", shown.bottom(), bounds.bottom()}})
    QVERIFY2(
        std::abs(actual - expected) < 1e-6,
        qPrintable(
            QString("the drawing's %1 edge must be at %2 mm, not %3").arg(edge).arg(expected).arg(actual)));
  // Fitted: the contour fills the view and stays inside it.
  const QRectF onScreen = QRectF(preview->View()->ToWidget(shown.topLeft(), false),
                                 preview->View()->ToWidget(shown.bottomRight(), false))
                              .normalized();
  QVERIFY2(QRectF(preview->View()->rect()).contains(onScreen), "the fitted drawing must lie in the view");
  QVERIFY2(std::max(onScreen.width() / preview->View()->width(),
                    onScreen.height() / preview->View()->height()) > 0.75,
           "the fitted drawing must fill the view");
}

void PreviewTest::obliqueViewRaisesUpperContourToWireHeight() {
  m_t->ClickTab(2);
  for (const auto& [name, keys] : {std::pair{"ConH", "2"}, {"ConDDown", "1"}, {"ConDUp", "0.8"}}) {
    m_t->Field(name)->setFocus();
    TypeText(m_t->Field(name), keys);
  }
  m_t->Click("BtnGenCone");
  ToolpathPreview* preview = OpenWithF5();
  QTabBar* views = preview->findChild<QTabBar*>("Views");
  QTest::mouseClick(views, Qt::LeftButton, {}, views->tabRect(1).center());
  QCOMPARE(preview->View()->CurrentMode(), ToolpathView::Mode::Oblique);
  // The lower contour (radius 0.5) at height 0 and the upper (radius 0.4) at R = 2: the drawing spans
  // the height plus the contours' receding depth, which is less than a contour's diameter.
  const QRectF shown = preview->View()->SceneBounds();
  QVERIFY2(shown.height() > 2 && shown.height() < 2 + 0.9,
           qPrintable(QString("height %1").arg(shown.height())));
  QVERIFY2(std::abs(shown.width() - 1) < 0.5, qPrintable(QString("width %1").arg(shown.width())));
}

void PreviewTest::arcEditShowsProblemOnceRead() {
  GenerateRound();
  ToolpathPreview* preview = OpenWithF5();
  QVERIFY(preview->Reading().problems.empty());

  // Line 6, "N5G03X-5.000Y0.000I0.000J0.000 D0": the centre moves off the circle.
  QTextCursor cursor(m_t->Program()->document()->findBlockByNumber(5));
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                      cursor.block().text().indexOf("I0.000") + 1);
  cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 5);
  cursor.insertText("0.100");

  // Read off the typing path: the preview shows it once the reading is back.
  QTRY_COMPARE(preview->Reading().problems.size(), std::size_t{2});
  const auto& problems = preview->Reading().problems;
  QVERIFY2(problems.front().line == 6 && problems.back().line == 6 &&
               problems.front().kind == kalmoro::ProblemKind::Arc &&
               problems.back().kind == kalmoro::ProblemKind::Deviation,
           "the arc and its path off the circle, both at line 6");
  auto* list = preview->findChild<QListWidget*>("Problems");
  QCOMPARE(list->count(), 2);
  QVERIFY2(list->item(0)->text().startsWith("Строка 6: Дуга"), qPrintable(list->item(0)->text()));
  QVERIFY2(Status(preview).contains("Ошибок: 2"), qPrintable("status: " + Status(preview)));
}

void PreviewTest::problemClickPutsCaretOnItsLine_data() {
  // What ends the third and the seventh line; the others end with LF. The field makes a paragraph of
  // each line ended by a lone CR, but keeps a line separator inside its paragraph; each ends a program
  // line all the same.
  QTest::addColumn<QString>("lineEnd");
  QTest::addColumn<int>("paragraphs");
  QTest::newRow("LF") << "\n" << 15;
  QTest::newRow("lone CR") << "\r" << 15;
  QTest::newRow("line separator U+2028") << QString(QChar::LineSeparator) << 13;
}

void PreviewTest::problemClickPutsCaretOnItsLine() {
  QFETCH(QString, lineEnd);
  QFETCH(int, paragraphs);
  // The last arc's end point moved off its circle, and the block numbering broken three lines on.
  QStringList lines = kRound10;
  lines[9] = "N9X-0.350Y4.750I0.000J4.650";
  lines[12] = "N14X0.000Y0.000";
  lines[13] = "N15M02";
  QString text;
  for (qsizetype i = 0; i < lines.size(); ++i) text += lines[i] + (i == 2 || i == 6 ? lineEnd : "\n");
  m_t->Program()->setPlainText(text);
  QCOMPARE(m_t->Program()->blockCount(), paragraphs);
  ToolpathPreview* preview = OpenWithF5();
  auto* list = preview->findChild<QListWidget*>("Problems");
  QCOMPARE(list->count(), 3);  // the arc and its end off the exit path at line 10, the numbering at 13
  for (const int row : {2, 0}) {
    QListWidgetItem* item = list->item(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    const int line = row == 0 ? 10 : 13;
    QVERIFY2(item->text().startsWith(QString("Строка %1:").arg(line)), qPrintable(item->text()));
    // The caret stands at the start of the line the problem names.
    const int at = m_t->Program()->textCursor().position();
    const QString from = m_t->Program()->document()->toRawText().mid(at);
    QVERIFY2(from.startsWith(lines[line - 1]),
             qPrintable(QString("the caret is before \"%1\"").arg(from.left(20))));
    QTRY_VERIFY2(m_t->Program()->hasFocus(), "the program field must take the focus");
  }
  // A click on the drawing puts the caret on the line of the move: line 8, the third arc.
  const QPointF onArc = preview->View()->ToWidget(QPointF(3.5355, -3.5355), false);
  QTest::mouseClick(preview->View(), Qt::LeftButton, {}, onArc.toPoint());
  const int at = m_t->Program()->textCursor().position();
  QVERIFY2(m_t->Program()->document()->toRawText().mid(at).startsWith(lines[7]),
           qPrintable(QString("a click on the third arc must put the caret before \"%1\"").arg(lines[7])));
}

void PreviewTest::drawingAndCaretPointAtTheSameMove() {
  GenerateRound();
  // Opened with the caret on line 8, the third arc.
  m_t->Program()->setTextCursor(QTextCursor(m_t->Program()->document()->findBlockByNumber(7)));
  ToolpathPreview* preview = OpenWithF5();
  ToolpathView* view = preview->View();
  QCOMPARE(view->Highlight(), 3);
  // A click on the middle of the second arc, from (-5, 0) to (0, -5): line 7.
  const QPointF onArc = view->ToWidget(QPointF(-3.5355, -3.5355), false) + QPointF(3, 0);
  QTest::mouseClick(view, Qt::LeftButton, {}, onArc.toPoint());
  QCOMPARE(m_t->Program()->textCursor().blockNumber() + 1, 7);
  QCOMPARE(view->Highlight(), 2);  // lead-in, first arc, second arc

  // The caret on the lead-in line, on a line without motion, on the return to the centre.
  for (const auto& [line, move] : {std::pair{4, 0}, {5, -1}, {13, 7}}) {
    QTextCursor cursor(m_t->Program()->document()->findBlockByNumber(line - 1));
    m_t->Program()->setTextCursor(cursor);
    QVERIFY2(view->Highlight() == move, qPrintable(QString("caret on line %1 must highlight move %2, not %3")
                                                       .arg(line)
                                                       .arg(move)
                                                       .arg(view->Highlight())));
  }
}

// The program field's own menu keeps its standard entries and offers the window's commands on the
// program and the preview; the preview's tool row offers the same commands.
void PreviewTest::contextMenuKeepsStandardEntriesAndOpensPreview() {
  GenerateRound();
  QWidget* viewport = m_t->Program()->viewport();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), viewport->mapToGlobal(QPoint(20, 20)));
  QApplication::sendEvent(viewport, &event);
  QMenu* menu = nullptr;
  QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
  QStringList entries;
  for (const QAction* action : menu->actions())
    if (!action->isSeparator()) entries << action->text().section('\t', 0, 0).remove('&');
  QVERIFY2(entries.size() > 5 && entries.contains("Copy") && entries.contains("Select All"),
           qPrintable("the standard entries must stay: " + entries.join(", ")));
  const QStringList commands = {"Открыть программу…",  "Сохранить программу…", "Печать…",
                                "Лист наладки в PDF…", "Экспорт чертежа…",     "Станок…"};
  QCOMPARE(entries.mid(entries.size() - 7), commands + QStringList{"Показать траекторию"});

  menu->actions().last()->trigger();
  auto* preview = m_t->window.findChild<ToolpathPreview*>();
  QVERIFY(QTest::qWaitForWindowExposed(preview));
  QCOMPARE(preview->Reading().blocks, 13);

  auto* row = preview->findChild<QToolButton*>("Commands");
  QVERIFY(row && row->isVisible());
  QStringList offered;
  for (const QAction* action : row->menu()->actions()) offered << action->text();
  QCOMPARE(offered, commands.mid(0, 5));
  // From the preview's row as from the window: "Открыть программу…" asks for a file.
  row->menu()->actions().front()->trigger();
  QCOMPARE(m_t->dialogs.openStarts().size(), 1);
}

void PreviewTest::largestProgramIsReadWhenTypingPauses() {
  ToolpathPreview* preview = OpenWithF5();
  const std::string program = kalmoro::GenCone("20", "869700", "869700", "0").program;
  m_t->Program()->setPlainText(kalmoro::ToEditorText(program));
  QTRY_COMPARE_WITH_TIMEOUT(preview->Reading().blocks, 32765, 10000);
  QVERIFY2(preview->Reading().problems.empty(), "the largest program must read back without problems");
}

double Distance(QPointF a, QPointF b) {
  return std::hypot(a.x() - b.x(), a.y() - b.y());
}

void PreviewTest::wheelZoomsAboutCursorDragPansDoubleClickFits() {
  GenerateRound();
  ToolpathView* view = OpenWithF5()->View();
  const QPointF onArc(-3.5355, -3.5355), centre(0, 0);
  const QPointF fitted = view->ToWidget(centre, false);
  const QPointF cursor = view->ToWidget(onArc, false);
  QWheelEvent wheel(cursor, view->mapToGlobal(cursor), {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(view, &wheel);
  QVERIFY2(Distance(view->ToWidget(onArc, false), cursor) < 1e-6, "the point under the cursor must stay put");
  QVERIFY2(Distance(view->ToWidget(centre, false), cursor) > 1.4 * Distance(fitted, cursor),
           "two notches of the wheel must zoom in");

  const QPointF zoomed = view->ToWidget(centre, false);
  const int caretLine = m_t->Program()->textCursor().blockNumber();
  QTest::mousePress(view, Qt::LeftButton, {}, cursor.toPoint());
  for (const QPointF step : {QPointF(15, 10), QPointF(40, 25)})
    QTest::mouseMove(view, (cursor + step).toPoint());
  QTest::mouseRelease(view, Qt::LeftButton, {}, (cursor + QPointF(40, 25)).toPoint());
  QVERIFY2(Distance(view->ToWidget(centre, false), zoomed + QPointF(40, 25)) < 0.01,
           "dragging must move the drawing with the mouse");
  QVERIFY2(m_t->Program()->textCursor().blockNumber() == caretLine, "a drag is no click on a move");

  QTest::mouseDClick(view, Qt::LeftButton, {}, cursor.toPoint());
  QVERIFY2(Distance(view->ToWidget(centre, false), fitted) < 1e-9,
           "a double click must fit the drawing again");
}

// Every move's polyline runs from where the move starts to where it ends, and the drawing spans the
// hole the generator was asked for, for many random rounds and rectangles.
void PreviewTest::sceneHoldsGeneratedContours() {
  std::mt19937 random(20260915);
  const auto text = [&](double low, double high) {
    return kalmoro::FormatNumber(std::uniform_real_distribution<double>(low, high)(random), 0, 3);
  };
  for (int n = 0; n < 300; ++n) {
    const std::string w = text(1, 999), h = text(1, 999);
    const double width = kalmoro::LeadingValue(w), height = kalmoro::LeadingValue(h);
    const bool round = n % 2 == 0;
    const kalmoro::GenResult made =
        round ? kalmoro::GenCircle(w) : kalmoro::GenRect(w, h, text(0, std::min(width, height) / 2));
    if (!made.Ok()) continue;
    const QString label = QString::fromStdString(made.program.substr(0, made.program.find('\r')));
    const kalmoro::ProgramReading reading = kalmoro::ReadProgram(made.program);
    const kalmoro::ToolpathScene scene(reading);
    QCOMPARE(scene.MoveCount(), static_cast<int>(reading.moves.size()));
    for (int m = 0; m < scene.MoveCount(); ++m) {
      const kalmoro::Move& move = reading.moves[static_cast<std::size_t>(m)];
      const auto points = scene.Points(m, false);
      QVERIFY2(
          Distance(points.front(), {move.x0, move.y0}) < 1e-9 && points.back() == QPointF(move.x, move.y),
          qPrintable(label + QString(": the polyline of line %1 must join its ends").arg(move.line)));
    }
    const QRectF expected = QRectF(-width / 2, -(round ? width : height) / 2, width, round ? width : height);
    const QRectF shown = scene.Bounds();
    QVERIFY2(std::abs(shown.left() - expected.left()) < 0.0011 &&
                 std::abs(shown.right() - expected.right()) < 0.0011 &&
                 std::abs(shown.top() - expected.top()) < 0.0011 &&
                 std::abs(shown.bottom() - expected.bottom()) < 0.0011,
             qPrintable(label + ": the drawing must span the hole"));
  }
}

// A job of holes on a circle: the moves between them are the rapid ones and nothing else, each hole
// has its number at its centre and its own wire-centre path, and a cut and a thread stop stand
// between each two holes, the cut at the centre left, the thread at the next.
void PreviewTest::jobSceneMarksTravelStopsAndHoles() {
  std::vector<kalmoro::JobHole> holes;
  holes.reserve(5);
  for (int k = 0; k < 5; ++k)
    holes.push_back({kalmoro::GenCircle(std::to_string(4 + k)).program, 30.0 * std::cos(k * 1.2566370614),
                     30.0 * std::sin(k * 1.2566370614)});
  for (kalmoro::JobHole& hole : holes) {
    hole.x = kalmoro::LeadingValue(kalmoro::FormatNumber(hole.x, 0, 3));
    hole.y = kalmoro::LeadingValue(kalmoro::FormatNumber(hole.y, 0, 3));
  }
  const kalmoro::ProgramReading reading = kalmoro::ReadProgram(kalmoro::GenJob(holes).program);
  const kalmoro::ToolpathScene scene(reading, 0.145);
  int rapid = 0;
  for (int m = 0; m < scene.MoveCount(); ++m) rapid += scene.Rapid(m) ? 1 : 0;
  QCOMPARE(rapid, 4);
  QCOMPARE(scene.Holes().size(), std::size_t{5});
  QCOMPARE(scene.WireCentres().size(), std::size_t{5});
  QCOMPARE(scene.Stops().size(), std::size_t{8});
  for (std::size_t k = 0; k < 8; ++k) {
    const kalmoro::ToolpathScene::Stop& stop = scene.Stops()[k];
    const kalmoro::JobHole& at = holes[k / 2 + (stop.thread ? 1 : 0)];
    QCOMPARE(stop.thread, k % 2 == 1);
    QVERIFY2(Distance(stop.at, {at.x, at.y}) < 0.0011, "a stop stands at its hole's centre");
  }
  for (std::size_t k = 0; k < 5; ++k)
    QVERIFY(Distance(scene.Holes()[k].at, {holes[k].x, holes[k].y}) < 0.0011 &&
            scene.Holes()[k].number == long(k + 1));
}

const std::string kCone24To20 = kalmoro::GenCone("20", "24", "20", "").program;

// The mouse goes all over the plan, now and then measuring with Shift+click, while the readout under it
// grows to its longest ("X … · верх X … · расстояние …"): the drawing keeps its size and its scale.
void PreviewTest::planKeepsItsScaleWhileTheCursorMoves() {
  m_t->Program()->setPlainText(kalmoro::ToEditorText(kCone24To20));
  ToolpathPreview* preview = OpenWithF5();
  ToolpathView* view = preview->View();
  const QSize size = view->size();
  const QPointF ten = view->ToWidget(QPointF(10, 0), false);
  std::mt19937 random(25);
  std::uniform_int_distribution<int> x(0, size.width() - 1), y(0, size.height() - 1);
  for (int k = 0; k < 120; ++k) {
    const QPoint at(x(random), y(random));
    if (k % 10 == 5) {
      QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, at);
    } else {
      QTest::mouseMove(view, at);
    }
    // Whatever the readout asked of the layout is done now.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QVERIFY2(view->size() == size, qPrintable(QString("after %1 moves the plan is %2 × %3, not %4 × %5")
                                                  .arg(k + 1)
                                                  .arg(view->width())
                                                  .arg(view->height())
                                                  .arg(size.width())
                                                  .arg(size.height())));
    QVERIFY2(Distance(view->ToWidget(QPointF(10, 0), false), ten) < 1e-9, "the 10 mm tick must stay put");
  }
  const QString shown = preview->findChild<QLabel*>("Cursor")->text();
  QVERIFY2(shown.contains("верх X") && shown.contains("расстояние"), qPrintable(shown));
}

// A program whose upper contour is a circle of radius 5 about (1, 0): the lower one moved by a constant
// taper, so that its arcs have centres of their own.
const std::string kSlantedCircle =
    "N1G92X0.000Y0.000R10.000\r\nN2G01X0.000Y5.000U1.000V0.000\r\nN3G41\r\n"
    "N4G03X-5.000Y0.000I0.000J0.000U1.000V0.000 D0\r\nN5X0.000Y-5.000I0.000J0.000U1.000V0.000\r\n"
    "N6X5.000Y0.000I0.000J0.000U1.000V0.000\r\nN7X0.000Y5.000I0.000J0.000U1.000V0.000\r\nN8G40\r\n"
    "N9G01X0.000Y0.000U0.000V0.000\r\nN10M02";

void PreviewTest::shiftClickMeasuresBetweenSnappedPoints_data() {
  QTest::addColumn<QString>("program");
  QTest::addColumn<QPointF>("from");
  QTest::addColumn<QPointF>("to");
  QTest::addColumn<QString>("distance");
  const QString round = QString::fromStdString(kalmoro::GenCircle("10").program);
  const QString cone = QString::fromStdString(kCone24To20);
  QTest::newRow("round D10, across") << round << QPointF(-5, 0) << QPointF(5, 0) << "10.000";
  QTest::newRow("round D10, arc centre to contour") << round << QPointF(0, 0) << QPointF(0, -5) << "5.000";
  QTest::newRow("cone D24/D20, lower contour across")
      << cone << QPointF(12, 0) << QPointF(-12, 0) << "24.000";
  QTest::newRow("cone D24/D20, upper contour across")
      << cone << QPointF(10, 0) << QPointF(-10, 0) << "20.000";
  QTest::newRow("cone D24/D20, lower to upper") << cone << QPointF(0, -12) << QPointF(0, -10) << "2.000";
  QTest::newRow("slanted circle, upper arc centre to its contour")
      << QString::fromStdString(kSlantedCircle) << QPointF(1, 0) << QPointF(-4, 0) << "5.000";
}

// Each point clicked two pixels off a move's end or an arc's centre, outwards: the measurement is between
// the points themselves, on either contour.
void PreviewTest::shiftClickMeasuresBetweenSnappedPoints() {
  QFETCH(QString, program);
  QFETCH(QPointF, from);
  QFETCH(QPointF, to);
  QFETCH(QString, distance);
  m_t->Program()->setPlainText(kalmoro::ToEditorText(program.toStdString()));
  ToolpathPreview* preview = OpenWithF5();
  preview->resize(700, 680);
  QTRY_COMPARE(preview->size(), QSize(700, 680));
  ToolpathView* view = preview->View();
  const auto near = [&](QPointF p) {
    const double length = std::hypot(p.x(), p.y());
    const QPointF outwards = length > 0 ? QPointF(p.x(), -p.y()) / length : QPointF(0.7071, -0.7071);
    return (view->ToWidget(p, false) + 2 * outwards).toPoint();
  };
  QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, near(from));
  QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, near(to));
  QCOMPARE(view->MeasuredPoints().size(), std::size_t{2});
  for (const auto& [got, wanted] :
       {std::pair{view->MeasuredPoints()[0], from}, {view->MeasuredPoints()[1], to}})
    QVERIFY2(Distance(got, wanted) < 1e-9, qPrintable(QString("(%1, %2) must snap to (%3, %4)")
                                                          .arg(got.x())
                                                          .arg(got.y())
                                                          .arg(wanted.x())
                                                          .arg(wanted.y())));
  const QString shown = preview->findChild<QLabel*>("Cursor")->text();
  QVERIFY2(shown.contains("расстояние " + distance + " мм"), qPrintable(shown));
}

void PreviewTest::eachHoleStandsAtItsOwnHeight_data() {
  QTest::addColumn<QByteArray>("program");
  QTest::addColumn<QList<double>>("heights");  // of each hole, or of the single program
  QTest::addColumn<QString>("note");           // what the 3D view's legend says of them
  std::string job =
      kalmoro::GenJob(std::vector<kalmoro::JobHole>{{kalmoro::GenCircle("10").program, 20, 0},
                                                    {kCone24To20, 0, 40},
                                                    {kalmoro::GenCone("10", "8", "6", "").program, 30, 40}})
          .program;
  QTest::newRow("job: a round hole, cones of H20 and H10")
      << QByteArray::fromStdString(job) << QList<double>{0, 20, 10}
      << "Высота (R) у каждого отверстия своя: 10…20 мм";
  QTest::newRow("single cone H20") << QByteArray::fromStdString(kCone24To20) << QList<double>{20}
                                   << "Высота (R): 20 мм";
  QTest::newRow("single round hole") << QByteArray::fromStdString(kalmoro::GenCircle("10").program)
                                     << QList<double>{0}
                                     << "Высота (слово R) не задана: контуры на одной высоте";
  // The second hole's setup block without its R word.
  job.erase(job.find("R20.000"), 7);
  QTest::newRow("job whose cone lost its R word")
      << QByteArray::fromStdString(job) << QList<double>{0, 0, 10}
      << "Высота (R): 10 мм; у отверстия 2 не задана, его контуры на одной высоте";
}

void PreviewTest::eachHoleStandsAtItsOwnHeight() {
  QFETCH(QByteArray, program);
  QFETCH(QList<double>, heights);
  QFETCH(QString, note);
  const kalmoro::ProgramReading reading = kalmoro::ReadProgram(program.toStdString());
  const kalmoro::ToolpathScene scene(reading);
  const std::size_t holes = reading.job ? reading.job->holes.size() : 1;
  QCOMPARE(holes, static_cast<std::size_t>(heights.size()));
  for (std::size_t k = 0; k < holes; ++k) {
    const std::size_t first = reading.job ? reading.job->holes[k].firstMove : 0;
    const std::size_t count = reading.job ? reading.job->holes[k].moveCount : reading.moves.size();
    QVERIFY(count > 0);
    for (std::size_t m = first; m < first + count; ++m)
      QCOMPARE(scene.HeightOf(static_cast<int>(m)), heights[static_cast<qsizetype>(k)]);
  }
  QCOMPARE(kalmoro::HeightNote(scene), note);
}

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
