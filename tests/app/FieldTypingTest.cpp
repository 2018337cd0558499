// The character check as the user meets it: keys typed into the real fields, pasted and written
// texts. Each row gives the field, its text and caret before, what is typed, and the outcome.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <memory>

#include "TestWindow.h"

class FieldTypingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
  }
  void cleanup() { m_t.reset(); }

  void typing_data();
  void typing();
  void programmaticWrite_data();
  void programmaticWrite();
  void paste();
  void selectionReplacedByLetter();

 private:
  void ShowPageOf(QLineEdit* field) { m_t->Tabs()->setCurrentWidget(field->parentWidget()); }
  std::unique_ptr<TestWindow> m_t;
};

void FieldTypingTest::typing_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("before");
  QTest::addColumn<int>("caret");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("after");
  QTest::addColumn<int>("caretAfter");

  QTest::newRow("letter at the end") << "ArcDiam"
                                     << "12" << 2 << "a"
                                     << "12" << 2;
  QTest::newRow("letter between digits") << "ArcDiam"
                                         << "12" << 1 << "a"
                                         << "12" << 2;
  QTest::newRow("comma becomes point") << "ArcDiam"
                                       << "15" << 1 << ","
                                       << "1.5" << 2;
  QTest::newRow("typed 2,5") << "RectWidth"
                             << "" << 0 << "2,5"
                             << "2.5" << 3;
  QTest::newRow("second point dropped") << "RectHeight"
                                        << "" << 0 << "1.5."
                                        << "1.5" << 3;
  QTest::newRow("point after comma dropped") << "RectArc"
                                             << "" << 0 << "1,2.3"
                                             << "1.23" << 4;
  QTest::newRow("leading comma") << "ArcDiam"
                                 << "" << 0 << ",5"
                                 << ".5" << 2;
  QTest::newRow("trailing point kept") << "ArcDiam"
                                       << "" << 0 << "1."
                                       << "1." << 2;
  QTest::newRow("blank dropped") << "RectWidth"
                                 << "" << 0 << "1 000"
                                 << "1000" << 4;
  QTest::newRow("minus dropped without sign") << "ArcDiam"
                                              << "" << 0 << "-12"
                                              << "12" << 2;
  QTest::newRow("plus dropped without sign") << "RectArc"
                                             << "7" << 1 << "+"
                                             << "7" << 1;
  QTest::newRow("minus dropped in height") << "ConH"
                                           << "" << 0 << "-5"
                                           << "5" << 1;
  QTest::newRow("Cyrillic letter") << "ConDUp"
                                   << "" << 0 << "1б2"
                                   << "12" << 2;
  QTest::newRow("non-ASCII digit") << "ConDDown"
                                   << "" << 0 << "1\u0661"
                                   << "1" << 1;
  QTest::newRow("sign moved to the front") << "ConAng"
                                           << "" << 0 << "12-"
                                           << "-12" << 3;
  QTest::newRow("sign typed between digits") << "ConAng"
                                             << "30" << 1 << "-"
                                             << "-30" << 2;
  QTest::newRow("second sign dropped") << "ConAng"
                                       << "+5" << 1 << "-"
                                       << "+5" << 2;
  QTest::newRow("sign after point") << "ConAng"
                                    << "1.5" << 2 << "-"
                                    << "-1.5" << 3;
  QTest::newRow("exponent marker dropped") << "ConAng"
                                           << "" << 0 << "-2,5e-3"
                                           << "-2.53" << 5;
}

void FieldTypingTest::typing() {
  QFETCH(QString, field);
  QFETCH(QString, before);
  QFETCH(int, caret);
  QFETCH(QString, typed);
  QFETCH(QString, after);
  QFETCH(int, caretAfter);
  QLineEdit* edit = m_t->Field(field.toLatin1().constData());
  ShowPageOf(edit);
  edit->setText(before);
  edit->setCursorPosition(caret);
  TypeText(edit, typed);
  QCOMPARE(edit->text(), after);
  QCOMPARE(edit->cursorPosition(), caretAfter);
  QVERIFY(!edit->hasSelectedText());
}

void FieldTypingTest::programmaticWrite_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("written");
  QTest::addColumn<QString>("after");
  QTest::newRow("grouped number with unit") << "ArcDiam"
                                            << "1 234,5 mm"
                                            << "1234.5";
  QTest::newRow("letters only") << "RectWidth"
                                << "abc"
                                << "";
  QTest::newRow("signs in angle") << "ConAng"
                                  << "-1-2"
                                  << "-12";
  QTest::newRow("sign in diameter") << "ConDUp"
                                    << "-218.601"
                                    << "218.601";
  QTest::newRow("clean text unchanged") << "ConH"
                                        << "10.5"
                                        << "10.5";
}

void FieldTypingTest::programmaticWrite() {
  QFETCH(QString, field);
  QFETCH(QString, written);
  QFETCH(QString, after);
  QLineEdit* edit = m_t->Field(field.toLatin1().constData());
  int changes = 0;
  connect(edit, &QLineEdit::textChanged, this, [&changes] { ++changes; });
  edit->setText(written);
  QCOMPARE(edit->text(), after);
  // One notification for the write, one for the check's write-back when it changed the text.
  QCOMPARE(changes, written == after ? 1 : 2);
}

void FieldTypingTest::paste() {
  QLineEdit* edit = m_t->Field("ArcDiam");
  QGuiApplication::clipboard()->setText("1 234,5 mm");
  if (QGuiApplication::clipboard()->text() != "1 234,5 mm") QFAIL("the test platform has no clipboard");
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(edit->text(), QString("1234.5"));
  // The caret keeps its index 10 clamped to the clean text.
  QCOMPARE(edit->cursorPosition(), 6);
}

void FieldTypingTest::selectionReplacedByLetter() {
  // Typing a letter over a selected digit deletes the digit and drops the letter.
  QLineEdit* edit = m_t->Field("ArcDiam");
  edit->setText("123");
  edit->setSelection(1, 1);
  TypeText(edit, "x");
  QCOMPARE(edit->text(), QString("13"));
  QCOMPARE(edit->cursorPosition(), 2);
}

QTEST_MAIN(FieldTypingTest)
#include "FieldTypingTest.moc"
