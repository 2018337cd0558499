// The window as the user meets it: start state, every text readable and no control over another, focus
// order, the generate buttons, the page change and the feedback box.
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextBlock>
#include <memory>
#include <optional>
#include <utility>

#include "TestWindow.h"

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
  }
  void cleanup() { m_t.reset(); }

  void startState();
  void initialTexts_data();
  void initialTexts();
  void textsFitAndControlsDoNotOverlap_data();
  void textsFitAndControlsDoNotOverlap();
  void pictures();
  void fonts();
  void focusOrder_data();
  void focusOrder();
  void roundProgramFromInitialText();
  void rectProgram_data();
  void rectProgram();
  void refusalKeepsProgram_data();
  void refusalKeepsProgram();
  void pageChangeClearsProgram_data();
  void pageChangeClearsProgram();
  void returnGenerates_data();
  void returnGenerates();
  void replacementsAreUndoSteps_data();
  void replacementsAreUndoSteps();
  void feedbackBox();
  void unexpectedErrorIsShown();

 private:
  std::unique_ptr<TestWindow> m_t;
};

void WindowTest::startState() {
  QCOMPARE(m_t->window.windowTitle(), QString("Генератор примитивов для RoboFill"));
  QVERIFY2(!m_t->window.windowIcon().isNull(), "the window icon must come from the resources");
  // A fixed layout: the window keeps its size, with the pages on top, the program field below them and
  // the verdict and the save button side by side below it, all inside the window.
  QCOMPARE(m_t->window.minimumSize(), m_t->window.size());
  QCOMPARE(m_t->window.maximumSize(), m_t->window.size());
  const QRect pages = m_t->Tabs()->geometry();
  const QRect field = m_t->Program()->geometry();
  const QRect verdict = m_t->Find("Verdict")->geometry();
  const QRect save = m_t->Find("BtnSaveNC")->geometry();
  for (const QRect& part : {pages, field, verdict, save}) QVERIFY(m_t->window.rect().contains(part));
  QVERIFY2(field.top() > pages.bottom() && verdict.top() > field.bottom() && save.top() > field.bottom(),
           "the program field lies below the pages, the verdict and the save button below the field");
  QVERIFY2(verdict.right() < save.left() && verdict.top() < save.bottom() && save.top() < verdict.bottom(),
           "the verdict stands beside the save button, on its left");

  QTabWidget* tabs = m_t->Tabs();
  QCOMPARE(tabs->count(), 4);
  QCOMPARE(tabs->currentIndex(), 0);
  const QStringList captions = {"Круглое отверстие", "Прямоугольное отверстие", "Коническое отверстие",
                                "Задание"};
  // Shown on two lines, as the narrow tabs wrap them.
  for (int i = 0; i < 4; ++i) QCOMPARE(tabs->tabText(i).replace('\n', ' '), captions[i]);

  QPlainTextEdit* program = m_t->Program();
  QCOMPARE(program->toPlainText(), QString("Текст Программы"));
  QVERIFY(!program->isReadOnly());
  QCOMPARE(program->lineWrapMode(), QPlainTextEdit::NoWrap);
  QCOMPARE(program->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(program->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QVERIFY2(QFontInfo(program->font()).fixedPitch(), "the program field needs a monospace font");

  auto* logo = m_t->Find<QLabel>("Logo");
  QVERIFY(logo->text().contains("04.07.2008"));
  QVERIFY(logo->font().underline());
  QVERIFY(m_t->Field("ConAng")->isEnabled());
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void WindowTest::initialTexts_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("text");
  auto row = [](const char* name, const char* text) {
    QTest::newRow(name) << QString(name) << QString(text);
  };
  row("ArcDiam", "10");
  row("RectWidth", "10");
  row("RectHeight", "5");
  row("RectArc", "0");
  row("ConH", "0");
  row("ConDUp", "0");
  row("ConDDown", "0");
  row("ConAng", "0");
  row("Label1", " Диаметр");
  row("Label3", "Ширина");
  row("Label4", "Высота");
  row("Label5", "Радиус");
  row("Label8", "Высота");
  row("Label6", "D Верхний");
  row("Label2", "D нижний");
  row("Label7", "Угол");
  row("Label9", "Угол задавать общий!");
  row("BtnGenArc", "Создать программу");
  row("BtnGenRect", "Создать программу");
  row("BtnGenCone", "Создать программу");
  row("BtnSaveNC", "Сохранить программу");
  row("BtnAddArc", "Добавить в задание");
  row("BtnAddRect", "Добавить в задание");
  row("BtnAddCone", "Добавить в задание");
  row("BtnGenJob", "Создать программу");
  row("JobNote", "В задании нет отверстий");
}

void WindowTest::initialTexts() {
  QFETCH(QString, name);
  QFETCH(QString, text);
  QWidget* widget = m_t->Find(name.toLatin1().constData());
  QCOMPARE(widget->property("text").toString(), text);
}

namespace {

// The controls of the form in view, as the user sees them: named by the form (Qt's own inner widgets
// are named "qt_…") and not the tab control's pages, which only hold the controls.
QList<QWidget*> ControlsInView(const QWidget& window) {
  QList<QWidget*> controls;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_") || !widget->isVisible() ||
        qobject_cast<QStackedWidget*>(widget->parentWidget()))
      continue;
    controls << widget;
  }
  return controls;
}

// Where a control shows its text, and the text: the area left inside its frame and margins as the
// style draws it. Nothing for a control without text.
std::optional<std::pair<QRect, QString>> TextArea(QWidget* widget) {
  QStyle* style = widget->style();
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (label->text().isEmpty()) return std::nullopt;
    const int margin = label->margin();
    return std::pair(label->contentsRect().adjusted(margin, margin, -margin, -margin), label->text());
  }
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    return std::pair(style->subElementRect(QStyle::SE_PushButtonContents, &option, button), button->text());
  }
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    // A line edit keeps two pixels clear on either side of its text.
    const QRect area = style->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                           .marginsRemoved(edit->textMargins())
                           .adjusted(2, 0, -2, 0);
    return std::pair(area, edit->text());
  }
  if (auto* program = qobject_cast<QPlainTextEdit*>(widget)) {
    const int margin = static_cast<int>(program->document()->documentMargin());
    return std::pair(program->viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     program->toPlainText());
  }
  return std::nullopt;
}

// What of a control covers what lies beneath it: a label paints nothing but its text (or picture), so
// only where that stands; any other control, the whole of it.
QRect Footprint(QWidget* widget) {
  auto* label = qobject_cast<QLabel*>(widget);
  if (!label || label->text().isEmpty()) return widget->geometry();
  const QSize text =
      label->fontMetrics().boundingRect(label->contentsRect(), label->alignment(), label->text()).size();
  return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text, label->contentsRect())
      .translated(label->pos());
}

}  // namespace

void WindowTest::textsFitAndControlsDoNotOverlap_data() {
  QTest::addColumn<int>("page");
  QTest::newRow("round page") << 0;
  QTest::newRow("rectangle page") << 1;
  QTest::newRow("cone page") << 2;
  QTest::newRow("job page") << 3;
}

// In the window's fonts, every text in view is whole: labels, buttons, the fields' initial values, the
// program field's start text and the tab captions; no control in view stands over another, and each
// lies inside its parent.
void WindowTest::textsFitAndControlsDoNotOverlap() {
  QFETCH(int, page);
  m_t->ClickTab(page);
  QCOMPARE(m_t->Tabs()->currentIndex(), page);
  const QList<QWidget*> controls = ControlsInView(m_t->window);
  QVERIFY2(controls.size() >= 8, qPrintable(QString("only %1 controls in view").arg(controls.size())));

  for (QWidget* control : controls) {
    const QString name = control->objectName();
    QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
             qPrintable(name + " sticks out of its parent"));
    const auto area = TextArea(control);
    if (!area) continue;
    const auto& [rect, text] = *area;
    const QSize needed = control->fontMetrics().boundingRect(QRect(), 0, text).size();
    QVERIFY2(needed.width() <= rect.width() && needed.height() <= rect.height(),
             qPrintable(QString("%1 shows \"%2\" in %3 × %4 pixels; it needs %5 × %6")
                            .arg(name, text)
                            .arg(rect.width())
                            .arg(rect.height())
                            .arg(needed.width())
                            .arg(needed.height())));
  }

  QTabBar* bar = m_t->Tabs()->tabBar();
  for (int i = 0; i < bar->count(); ++i) {
    const QRect tab = bar->tabRect(i);
    const QRect text = bar->fontMetrics().boundingRect(tab, Qt::AlignCenter, bar->tabText(i));
    QVERIFY2(tab.contains(text), qPrintable(QString("the caption of tab %1 does not fit its tab").arg(i)));
  }

  for (qsizetype i = 0; i < controls.size(); ++i) {
    for (qsizetype j = i + 1; j < controls.size(); ++j) {
      QWidget* one = controls[i];
      QWidget* other = controls[j];
      if (one->parentWidget() != other->parentWidget()) continue;
      QVERIFY2(!Footprint(one).intersects(Footprint(other)),
               qPrintable(one->objectName() + " and " + other->objectName() + " overlap"));
    }
  }
}

void WindowTest::pictures() {
  const auto image = [this](const char* name) { return m_t->Find<QLabel>(name)->pixmap().toImage(); };
  for (const char* name : {"Image1", "Image", "PictCone1", "PictCone2", "PictCone3"}) {
    QCOMPARE(image(name).size(), QSize(143, 143));
  }
  QVERIFY(image("PictCone1") != image("PictCone2"));
  QVERIFY(image("PictCone2") != image("PictCone3"));
  QVERIFY(image("PictCone1") != image("PictCone3"));

  m_t->ClickTab(2);
  QVERIFY(m_t->Find("PictCone0")->isVisible());
  for (const char* store : {"PictCone1", "PictCone2", "PictCone3"})
    QVERIFY2(!m_t->Find(store)->isVisible(), store);
  // Before the first key release the drawing of equal holes is in view.
  QCOMPARE(image("PictCone0"), image("PictCone3"));
}

void WindowTest::fonts() {
  // Every control gets one of the families its font asks for, not whatever the platform falls back to.
  const QStringList sans = {"Tahoma", "Liberation Sans", "DejaVu Sans"};
  const QStringList mono = {"Courier New", "Liberation Mono", "DejaVu Sans Mono"};
  for (int page = 0; page < m_t->Tabs()->count(); ++page) {
    m_t->Tabs()->setCurrentIndex(page);
    for (QWidget* widget : m_t->window.findChildren<QWidget*>()) {
      // Only the controls of the form; Qt names its own inner widgets "qt_...".
      if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_") || !widget->isVisible())
        continue;
      const QString family = QFontInfo(widget->font()).family();
      const QStringList& allowed = widget == m_t->Program() ? mono : sans;
      QVERIFY2(allowed.contains(family), qPrintable(widget->objectName() + " shows " + family));
    }
  }
  const QString tabFamily = QFontInfo(m_t->Tabs()->tabBar()->font()).family();
  QVERIFY2(sans.contains(tabFamily), qPrintable("the tabs show " + tabFamily));
}

void WindowTest::focusOrder_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("holes");  // added to the job first, the last one selected
  QTest::addColumn<QStringList>("order");
  const QStringList tail = {"NcPr", "Verdict", "BtnSaveNC", "SSTab1"};
  QTest::newRow("round") << 0 << 0
                         << QStringList{"SSTab1",    "BtnAddArc",    "ArcDiam",
                                        "BtnGenArc", "BtnPassesArc", "BtnDieArc"} +
                                tail;
  QTest::newRow("rect") << 1 << 0
                        << QStringList{"SSTab1",     "BtnAddRect",    "RectWidth",  "RectHeight",  "RectArc",
                                       "BtnGenRect", "BtnPassesRect", "BtnDieRect", "BtnTaperRect"} +
                               tail;
  QTest::newRow("cone") << 2 << 0
                        << QStringList{"SSTab1",   "BtnAddCone", "ConH",       "ConDUp",
                                       "ConDDown", "ConAng",     "BtnGenCone", "BtnPassesCone"} +
                               tail;
  // With the job empty, the buttons that act on a selected hole are disabled and skipped.
  QTest::newRow("empty job") << 3 << 0
                             << QStringList{"SSTab1",        "JobTable",       "JobCircleCount",
                                            "JobCircleDiam", "JobCircleAngle", "JobCircleX",
                                            "JobCircleY",    "BtnGenJob",      "BtnPassesJob",
                                            "JobRoughFirst"} +
                                    tail;
  QTest::newRow("job of three holes")
      << 3 << 3
      << QStringList{"SSTab1",         "JobTable",       "BtnJobUp",       "BtnJobRemove", "BtnJobUndo",
                     "JobCircleCount", "JobCircleDiam",  "JobCircleAngle", "JobCircleX",   "JobCircleY",
                     "BtnJobCircle",   "BtnJobOptimize", "BtnGenJob",      "BtnPassesJob", "JobRoughFirst"} +
             tail;
}

// Tab, pressed as a user presses it, goes through the page from top to bottom and, along a row, from
// left to right, then to the program field, the verdict and the save button, and round to the tabs.
void WindowTest::focusOrder() {
  QFETCH(int, page);
  QFETCH(int, holes);
  QFETCH(QStringList, order);
  m_t->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  for (int k = 0; k < holes; ++k) m_t->Click("BtnAddArc");
  m_t->ClickTab(page);
  m_t->Tabs()->tabBar()->setFocus();
  QTRY_VERIFY(m_t->Tabs()->tabBar()->hasFocus());
  QStringList visited;
  QRect last;
  for (int i = 0; i < order.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    // The tab control takes the focus through its tab bar.
    visited << (focus == m_t->Tabs()->tabBar() ? QString("SSTab1") : focus->objectName());
    const QRect at(focus->mapTo(&m_t->window, QPoint(0, 0)), focus->size());
    // Each stop lies below the one before, or in the same row to its right.
    const bool sameRow = at.top() < last.bottom() && last.top() < at.bottom();
    QVERIFY2(i == 0 || i + 1 == order.size() || (sameRow ? at.left() > last.left() : at.top() >= last.top()),
             qPrintable(visited.join(" → ") + " goes back up or to the left"));
    last = at;
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  QCOMPARE(visited, order);
}

void WindowTest::roundProgramFromInitialText() {
  m_t->Click("BtnGenArc");
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
  // Clean lines: no CR glyph left in the document, one block per line and an empty last one.
  QVERIFY(!m_t->Program()->document()->toRawText().contains('\r'));
  QCOMPARE(m_t->Program()->blockCount(), kRound10.size() + 1);
}

void WindowTest::rectProgram_data() {
  QTest::addColumn<QStringList>("fields");  // width, height, radius; empty keeps the initial texts
  QTest::addColumn<QStringList>("program");
  QTest::newRow("initial texts") << QStringList{} << ListingLines("rect-w10-h5-r0.iso");
  QTest::newRow("20 x 10, radius 2") << QStringList{"20", "10", "2"} << ListingLines("rect-w20-h10-r2.iso");
}

void WindowTest::rectProgram() {
  QFETCH(QStringList, fields);
  QFETCH(QStringList, program);
  m_t->ClickTab(1);
  const char* names[] = {"RectWidth", "RectHeight", "RectArc"};
  for (int i = 0; i < fields.size(); ++i) {
    QLineEdit* field = m_t->Field(names[i]);
    field->selectAll();
    TypeText(field, fields[i]);
    QCOMPARE(field->text(), fields[i]);
  }
  m_t->Click("BtnGenRect");
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(program));
}

void WindowTest::refusalKeepsProgram_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("field");  // emptied by the user before the click; "" leaves all as they are
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("message");
  QTest::newRow("diameter 0") << 0 << "ArcDiam"
                              << "0"
                              << "BtnGenArc"
                              << "Введите диаметр в диапазоне 1-999 мм";
  QTest::newRow("diameter empty") << 0 << "ArcDiam"
                                  << ""
                                  << "BtnGenArc"
                                  << "Введите диаметр в диапазоне 1-999 мм";
  QTest::newRow("diameter 999.01") << 0 << "ArcDiam"
                                   << "999.01"
                                   << "BtnGenArc"
                                   << "Введите диаметр в диапазоне 1-999 мм";
  QTest::newRow("width empty") << 1 << "RectWidth"
                               << ""
                               << "BtnGenRect"
                               << "Введите Ширину и Высоту в диапазоне 1-999 мм";
  QTest::newRow("radius too large") << 1 << "RectArc"
                                    << "2.6"
                                    << "BtnGenRect"
                                    << "Двойная величина радиуса превышает Ширину или Высоту";
  QTest::newRow("cone initial texts") << 2 << ""
                                      << ""
                                      << "BtnGenCone"
                                      << "Введите Высоту";
}

void WindowTest::refusalKeepsProgram() {
  QFETCH(int, page);
  QFETCH(QString, field);
  QFETCH(QString, typed);
  QFETCH(QString, button);
  QFETCH(QString, message);
  if (page != 0) m_t->ClickTab(page);
  m_t->Program()->setPlainText("text the user keeps");
  if (!field.isEmpty()) {
    QLineEdit* edit = m_t->Field(field.toLatin1().constData());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    TypeText(edit, typed);
  }
  m_t->Click(button.toLatin1().constData());
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().front();
  QCOMPARE(shown.title, QString("Ошибка"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::Error);
  QCOMPARE(shown.text, message);
  QCOMPARE(m_t->Program()->toPlainText(), QString("text the user keeps"));
}

void WindowTest::pageChangeClearsProgram_data() {
  QTest::addColumn<bool>("byKeyboard");
  QTest::newRow("mouse") << false;
  QTest::newRow("keyboard") << true;
}

void WindowTest::pageChangeClearsProgram() {
  QFETCH(bool, byKeyboard);
  m_t->Click("BtnGenArc");
  QVERIFY(m_t->Program()->toPlainText().startsWith("%(CIRCLE: D10)"));
  for (int page : {1, 2, 3, 0}) {
    if (byKeyboard) {
      // Arrow keys on the focused tab bar; Ctrl+Tab, which the tab control handles, wraps to the first.
      QTabBar* bar = m_t->Tabs()->tabBar();
      bar->setFocus();
      if (page == 0)
        QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
      else
        QTest::keyClick(bar, Qt::Key_Right);
    } else {
      m_t->ClickTab(page);
    }
    QCOMPARE(m_t->Tabs()->currentIndex(), page);
    QCOMPARE(m_t->Program()->toPlainText(), QString());
    m_t->Program()->setPlainText("typed on this page");
  }
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void WindowTest::returnGenerates_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QStringList>("typed");  // field, text, ... typed first
  QTest::addColumn<QString>("field");      // where Return is pressed
  QTest::addColumn<bool>("keypad");        // the keypad's Enter instead of Return
  QTest::addColumn<QString>("header");     // first line of the program, or "" for a refusal
  QTest::addColumn<QString>("message");
  QTest::newRow("round") << 0 << QStringList{} << "ArcDiam" << false << "%(CIRCLE: D10)"
                         << "";
  QTest::newRow("round, keypad Enter")
      << 0 << QStringList{"ArcDiam", "25"} << "ArcDiam" << true << "%(CIRCLE: D25)"
      << "";
  QTest::newRow("rectangle height") << 1 << QStringList{} << "RectHeight" << false
                                    << "%(RECTANGLE: W=10:H=5:R=0)"
                                    << "";
  QTest::newRow("rectangle radius") << 1 << QStringList{"RectArc", "1"} << "RectArc" << false
                                    << "%(RECTANGLE: W=10:H=5:R=1)"
                                    << "";
  QTest::newRow("cone upper diameter") << 2 << QStringList{"ConH", "2", "ConDDown", "1", "ConDUp", "0.8"}
                                       << "ConDUp" << false << "%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481)"
                                       << "";
  QTest::newRow("cone refused") << 2 << QStringList{} << "ConH" << false << ""
                                << "Введите Высоту";
}

void WindowTest::returnGenerates() {
  QFETCH(int, page);
  QFETCH(QStringList, typed);
  QFETCH(QString, field);
  QFETCH(bool, keypad);
  QFETCH(QString, header);
  QFETCH(QString, message);
  if (page != 0) m_t->ClickTab(page);
  for (qsizetype i = 0; i + 1 < typed.size(); i += 2) {
    QLineEdit* edit = m_t->Field(typed[i].toLatin1().constData());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    TypeText(edit, typed[i + 1]);
  }
  const QString before = m_t->Program()->toPlainText();
  QLineEdit* edit = m_t->Field(field.toLatin1().constData());
  edit->setFocus();
  QTest::keyClick(edit, keypad ? Qt::Key_Enter : Qt::Key_Return,
                  keypad ? Qt::KeypadModifier : Qt::NoModifier);
  if (header.isEmpty()) {
    QCOMPARE(m_t->dialogs.messages().size(), 1);
    QCOMPARE(m_t->dialogs.messages().front().text, message);
    QCOMPARE(m_t->Program()->toPlainText(), before);
  } else {
    QVERIFY(m_t->dialogs.messages().isEmpty());
    QCOMPARE(m_t->Program()->document()->firstBlock().text(), header);
  }
}

void WindowTest::replacementsAreUndoSteps_data() {
  // Actions: "gen" presses the round page's button, "edit" types at the start of the program field,
  // "tabN" clicks page N. Then Ctrl+Z is pressed once per expected text.
  QTest::addColumn<QStringList>("actions");
  QTest::addColumn<QStringList>("undone");
  const QString program = EditorLines(kRound10);
  QTest::newRow("page change after an edit")
      << QStringList{"gen", "edit", "tab1"} << QStringList{"(ПРАВКА)" + program, program};
  QTest::newRow("generate over an edit")
      << QStringList{"edit", "gen"} << QStringList{"(ПРАВКА)Текст Программы", "Текст Программы"};
  QTest::newRow("one step per replacement, none for an empty field")
      << QStringList{"gen", "gen", "tab1", "tab2", "tab0"}
      << QStringList{program, program, "Текст Программы", "Текст Программы"};
}

void WindowTest::replacementsAreUndoSteps() {
  QFETCH(QStringList, actions);
  QFETCH(QStringList, undone);
  for (const QString& action : actions) {
    if (action == "gen")
      m_t->Click("BtnGenArc");
    else if (action == "edit")
      m_t->EditProgram("(ПРАВКА)");
    else
      m_t->ClickTab(action.back().digitValue());
  }
  QCOMPARE(m_t->Program()->toPlainText(), actions.back() == "gen" ? EditorLines(kRound10) : QString());
  for (int i = 0; i < undone.size(); ++i) {
    m_t->UndoInProgram();
    QVERIFY2(m_t->Program()->toPlainText() == undone[i],
             qPrintable(QString("after Ctrl+Z number %1 the field must hold \"%2\", it holds \"%3\"")
                            .arg(i + 1)
                            .arg(undone[i].left(40), m_t->Program()->toPlainText().left(40))));
  }
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void WindowTest::feedbackBox() {
  QTest::mouseClick(m_t->Find("Logo"), Qt::LeftButton);
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().front();
  QCOMPARE(shown.title, QString("Обратная связь"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::None);
  const QStringList lines = shown.text.split("\r\n");
  QCOMPARE(lines.size(), 3);
  for (const QString& line : lines) {
    QVERIFY2(!line.contains('\n') && !line.contains('\r'), "lines are separated by CR LF only");
    QVERIFY2(line.contains("example.org"), qPrintable(line));
  }
  // A click elsewhere shows nothing.
  QTest::mouseClick(m_t->Find("Label1"), Qt::LeftButton);
  QCOMPARE(m_t->dialogs.messages().size(), 1);
}

void WindowTest::unexpectedErrorIsShown() {
  m_t->Click("BtnGenArc");
  m_t->dialogs.setNextThrow("disk on fire");
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().title, QString("Ошибка"));
  QCOMPARE(m_t->dialogs.messages().front().icon, FakeDialogs::Icon::Error);
  QVERIFY(m_t->dialogs.messages().front().text.contains("disk on fire"));
  // The window goes on working.
  m_t->ClickTab(1);
  m_t->Click("BtnGenRect");
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(ListingLines("rect-w10-h5-r0.iso")));
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
