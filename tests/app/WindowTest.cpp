// The window as the user meets it: start state, layout, focus order, the generate buttons, the page
// change and the feedback box.
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <memory>

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
  void layout_data();
  void layout();
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
  QCOMPARE(m_t->window.size(), QSize(342, 504));
  QCOMPARE(m_t->window.minimumSize(), QSize(342, 504));
  QCOMPARE(m_t->window.maximumSize(), QSize(342, 504));

  QTabWidget* tabs = m_t->Tabs();
  QCOMPARE(tabs->count(), 3);
  QCOMPARE(tabs->currentIndex(), 0);
  const QStringList captions = {"Круглое отверстие", "Прямоугольное отверстие", "Коническое отверстие"};
  for (int i = 0; i < 3; ++i) {
    // Shown on two lines, as the narrow tabs wrap them.
    QCOMPARE(tabs->tabText(i).replace('\n', ' '), captions[i]);
    const QRect tab = tabs->tabBar()->tabRect(i);
    QVERIFY2(tabs->tabBar()->fontMetrics().boundingRect(tab, Qt::AlignCenter, tabs->tabText(i)).height() <=
                 tab.height(),
             "the two caption lines must fit into the tab");
  }

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
  QCOMPARE(logo->palette().color(QPalette::WindowText), QColor(128, 128, 255));
  QCOMPARE(m_t->Find<QLabel>("Label9")->palette().color(QPalette::WindowText), QColor(255, 0, 0));

  for (const char* name : {"ConH", "ConDUp", "ConDDown", "ConAng"})
    QCOMPARE(m_t->Field(name)->palette().color(QPalette::Base), QColor(255, 255, 255));
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
}

void WindowTest::initialTexts() {
  QFETCH(QString, name);
  QFETCH(QString, text);
  QWidget* widget = m_t->Find(name.toLatin1().constData());
  QCOMPARE(widget->property("text").toString(), text);
  // Nothing may be cut off: the text fits the control in the window's font.
  if (qobject_cast<QLabel*>(widget) || qobject_cast<QPushButton*>(widget))
    QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= widget->width() - 4,
             qPrintable(name + " is too narrow for its text"));
}

void WindowTest::layout_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("onPage");  // positions on a page are relative to the tab control
  QTest::addColumn<QRect>("twips");
  auto row = [](const char* name, bool onPage, int l, int t, int w, int h) {
    QTest::newRow(name) << QString(name) << onPage << QRect(l, t, w, h);
  };
  row("SSTab1", false, 120, 120, 4815, 3375);
  row("NcPr", false, 120, 3600, 4815, 3135);
  row("BtnSaveNC", false, 2280, 6960, 2655, 375);
  row("Logo", false, 120, 7080, 2055, 375);
  row("Image1", true, 240, 960, 2175, 2175);
  row("Label1", true, 2640, 1680, 1185, 315);
  row("ArcDiam", true, 3840, 1680, 735, 315);
  row("BtnGenArc", true, 2640, 2640, 1935, 495);
  row("Image", true, 240, 960, 2175, 2175);
  row("Label3", true, 2640, 1320, 1185, 315);
  row("Label4", true, 2640, 1680, 1185, 315);
  row("Label5", true, 2640, 2040, 1185, 315);
  row("RectWidth", true, 3840, 1320, 735, 315);
  row("RectHeight", true, 3840, 1680, 735, 315);
  row("RectArc", true, 3840, 2040, 735, 315);
  row("BtnGenRect", true, 2640, 2640, 1935, 495);
  row("PictCone0", true, 240, 960, 2175, 2175);
  row("PictCone1", true, 240, 960, 2175, 2175);
  row("PictCone2", true, 240, 960, 2175, 2175);
  row("PictCone3", true, 240, 960, 2175, 2175);
  row("Label8", true, 2640, 960, 1185, 315);
  row("Label6", true, 2640, 1320, 1185, 315);
  row("Label2", true, 2640, 1680, 1185, 315);
  row("Label7", true, 2640, 2040, 585, 315);
  row("Label9", true, 2760, 2400, 1815, 255);
  row("ConH", true, 3840, 960, 735, 315);
  row("ConDUp", true, 3840, 1320, 735, 315);
  row("ConDDown", true, 3840, 1680, 735, 315);
  row("ConAng", true, 3240, 2040, 1335, 315);
  row("BtnGenCone", true, 2640, 2640, 1935, 495);
}

void WindowTest::layout() {
  QFETCH(QString, name);
  QFETCH(bool, onPage);
  QFETCH(QRect, twips);
  QWidget* widget = m_t->Find(name.toLatin1().constData());
  QWidget* origin = onPage ? static_cast<QWidget*>(m_t->Tabs()) : &m_t->window;
  if (onPage) {
    // Page layout happens when a page is shown.
    m_t->Tabs()->setCurrentWidget(widget->parentWidget());
    QCoreApplication::processEvents();
  }
  const QRect actual(widget->mapTo(origin, QPoint(0, 0)), widget->size());
  const QRect expected(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
  QCOMPARE(actual, expected);
  // Every page control lies inside the page, below the tabs.
  if (onPage) {
    const QWidget* page = widget->parentWidget();
    QVERIFY2(page->rect().contains(widget->geometry()), qPrintable(name + " sticks out of its page"));
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
  for (int page = 0; page < 3; ++page) {
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
  QTest::addColumn<QStringList>("order");
  const QStringList head = {"NcPr", "BtnSaveNC", "SSTab1"};
  QTest::newRow("round") << 0 << head + QStringList{"ArcDiam", "BtnGenArc", "NcPr"};
  QTest::newRow("rect") << 1
                        << head + QStringList{"RectArc", "RectHeight", "BtnGenRect", "RectWidth", "NcPr"};
  QTest::newRow("cone") << 2
                        << head + QStringList{"ConDDown", "ConDUp", "ConAng", "ConH", "BtnGenCone", "NcPr"};
}

void WindowTest::focusOrder() {
  QFETCH(int, page);
  QFETCH(QStringList, order);
  m_t->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  m_t->Tabs()->setCurrentIndex(page);
  m_t->Program()->setFocus();
  QStringList visited;
  for (int i = 0; i < order.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    // The tab control takes the focus through its tab bar.
    visited << (focus == m_t->Tabs()->tabBar() ? QString("SSTab1") : focus->objectName());
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
  for (int page : {1, 2, 0}) {
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
  m_t->dialogs.setNextThrow("disk on fire");
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().title, QString("Ошибка"));
  QCOMPARE(m_t->dialogs.messages().front().icon, FakeDialogs::Icon::Error);
  QVERIFY(m_t->dialogs.messages().front().text.contains("disk on fire"));
  // The window goes on working.
  m_t->Click("BtnGenArc");
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
