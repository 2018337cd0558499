// The cone page typed key by key: after each key release the solver's texts, colours, enabled state
// and drawing, and the conical program made from what the page shows.
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <memory>
#include <vector>

#include "TestWindow.h"

namespace {

enum Mark : char { White = 'w', Given = 'c' };

// The page after a key release. Picture: 1 upper wider, 2 upper narrower, 3 equal.
struct ConeState {
  QString h, up, down, ang;
  QString marks;  // backgrounds of ConH, ConDUp, ConDDown, ConAng: "w" white, "c" pale cyan
  bool angEnabled;
  int picture;
};

// Keys typed into one field; with selectAll the field's text is first selected (Ctrl+A, itself a key
// release) so that the keys replace it.
struct ConeStep {
  QString field;
  bool selectAll;
  QString keys;  // "" presses End, a key that changes no text
  ConeState expect;
};

struct ConeScenario {
  std::vector<ConeStep> steps;
};

}  // namespace

Q_DECLARE_METATYPE(ConeScenario)

class ConeTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
    m_t->ClickTab(2);
  }
  void cleanup() {
    QToolTip::hideText();
    m_t.reset();
  }

  void typedKeyByKey_data();
  void typedKeyByKey();
  void programFromTypedValues();
  void angleTooLargeKeepsProgram();
  void pasteRecomputesNothing();
  void derivedValueShownFromStart_data();
  void derivedValueShownFromStart();
  void angleTipFollowsState_data();
  void angleTipFollowsState();

 private:
  void Type(const char* field, const QString& keys, bool selectAll = true);
  void CheckState(const ConeState& expect, const QString& where);
  std::unique_ptr<TestWindow> m_t;
};

void ConeTest::Type(const char* field, const QString& keys, bool selectAll) {
  QLineEdit* edit = m_t->Field(field);
  edit->setFocus();
  if (selectAll) QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  TypeText(edit, keys);
}

void ConeTest::CheckState(const ConeState& expect, const QString& where) {
  const char* names[] = {"ConH", "ConDUp", "ConDDown", "ConAng"};
  const QString texts[] = {expect.h, expect.up, expect.down, expect.ang};
  for (int i = 0; i < 4; ++i) {
    QLineEdit* edit = m_t->Field(names[i]);
    const QString at = where + ", " + names[i];
    QVERIFY2(edit->text() == texts[i], qPrintable(at + ": text " + edit->text() + ", expected " + texts[i]));
    const QColor expected =
        expect.marks[i] == QLatin1Char(Given) ? QColor(192, 255, 255) : QColor(255, 255, 255);
    const QColor actual = edit->palette().color(QPalette::Base);
    QVERIFY2(actual == expected,
             qPrintable(at + ": background " + actual.name() + ", expected " + expected.name()));
  }
  QVERIFY2(m_t->Field("ConAng")->isEnabled() == expect.angEnabled,
           qPrintable(where + ": ConAng enabled state"));
  const QImage inView = m_t->Find<QLabel>("PictCone0")->pixmap().toImage();
  const QByteArray store = "PictCone" + QByteArray::number(expect.picture);
  QVERIFY2(inView == m_t->Find<QLabel>(store.constData())->pixmap().toImage(),
           qPrintable(where + ": the drawing in view is not the one of " + store));
}

void ConeTest::typedKeyByKey_data() {
  QTest::addColumn<ConeScenario>("scenario");
  const ConeStep lower20[] = {
      {"ConDDown", true, "2", {"0", "0", "2", "0.0", "wwcw", true, 2}},
      {"ConDDown", false, "0", {"0", "0", "20", "0.0", "wwcw", true, 2}},
  };
  QTest::newRow("lower diameter 20 typed") << ConeScenario{{lower20[0], lower20[1]}};

  QTest::newRow("then upper 10 and height 50 derive the angle")
      << ConeScenario{{lower20[0],
                       lower20[1],
                       {"ConDUp", true, "10", {"0", "10", "20", "0.0", "wccw", true, 2}},
                       {"ConH", true, "5", {"5", "10", "20", "90.0", "cccw", false, 2}},
                       {"ConH", false, "0", {"50", "10", "20", "11.421186", "cccw", false, 2}}}};

  const std::vector<ConeStep> upperFromAngle = {
      {"ConDDown", true, "10", {"0", "0", "10", "0.0", "wwcw", true, 2}},
      {"ConH", true, "10", {"10", "0", "10", "0.0", "cwcw", true, 2}},
      // Ctrl+A is a key release too: the angle "0.0" computes the upper diameter equal to the lower.
      {"ConAng", true, "1", {"10", "10.175", "10", "1", "cwcc", true, 1}},
      {"ConAng", false, "0", {"10", "11.75", "10", "10", "cwcc", true, 1}},
  };
  QTest::newRow("upper diameter derived from the angle") << ConeScenario{upperFromAngle};

  std::vector<ConeStep> heightAfterAngle = upperFromAngle;
  heightAfterAngle.push_back({"ConH", false, "", {"10", "11.75", "10", "-10.001289", "cwcw", false, 1}});
  QTest::newRow("key release in the height derives the angle") << ConeScenario{heightAfterAngle};

  QTest::newRow("angle typed first is reset")
      << ConeScenario{{{"ConH", true, "10", {"10", "0", "0", "0.0", "cwww", true, 3}},
                       {"ConAng", true, "10", {"10", "0", "0", "10", "cwwc", true, 3}},
                       {"ConDDown", true, "1", {"10", "0", "1", "0.0", "cwcw", true, 2}}}};
}

void ConeTest::typedKeyByKey() {
  QFETCH(ConeScenario, scenario);
  int n = 0;
  for (const ConeStep& step : scenario.steps) {
    ++n;
    QLineEdit* edit = m_t->Field(step.field.toLatin1().constData());
    edit->setFocus();
    if (step.selectAll) QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (step.keys.isEmpty()) {
      QTest::keyClick(edit, Qt::Key_End);
      CheckState(step.expect, QString("step %1, End in %2").arg(n).arg(step.field));
    }
    // The state is checked after every key; the row gives it after the last one.
    for (qsizetype i = 0; i < step.keys.size(); ++i) {
      TypeText(edit, step.keys.mid(i, 1));
      if (i + 1 == step.keys.size())
        CheckState(step.expect, QString("step %1, \"%2\" in %3").arg(n).arg(step.keys).arg(step.field));
    }
  }
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void ConeTest::programFromTypedValues() {
  Type("ConH", "2");
  Type("ConDDown", "1");
  Type("ConDUp", "0.8");
  QCOMPARE(m_t->Field("ConAng")->text(), QString("5.72481"));
  QVERIFY(!m_t->Field("ConAng")->isEnabled());
  m_t->Click("BtnGenCone");
  QVERIFY(m_t->dialogs.messages().isEmpty());
  // The worked listing, from the texts the solver left in the fields.
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(ListingLines("cone-dd1-du0.8-h2.iso")));
}

void ConeTest::angleTooLargeKeepsProgram() {
  Type("ConDDown", "20");
  Type("ConDUp", "10");
  Type("ConH", "10");
  QCOMPARE(m_t->Field("ConAng")->text(), QString("53.130102"));
  m_t->Program()->setPlainText("kept");
  m_t->Click("BtnGenCone");
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().title, QString("Ошибка"));
  QCOMPARE(m_t->dialogs.messages().front().icon, FakeDialogs::Icon::Error);
  QCOMPARE(m_t->dialogs.messages().front().text, QString("Слишком большой угол"));
  QCOMPARE(m_t->Program()->toPlainText(), QString("kept"));
}

void ConeTest::pasteRecomputesNothing() {
  // A text written without a key release is checked but neither marks the field nor derives the angle.
  Type("ConDDown", "20");
  Type("ConDUp", "10");
  m_t->Field("ConH")->setText("5,0");
  CheckState({"5.0", "10", "20", "0.0", "wccw", true, 2}, "after the write");
  Type("ConH", "", false);
  QTest::keyClick(m_t->Field("ConH"), Qt::Key_End);
  CheckState({"5.0", "10", "20", "90.0", "cccw", false, 2}, "after a key release");
}

void ConeTest::derivedValueShownFromStart_data() {
  QTest::addColumn<QStringList>("typed");  // field, keys, field, keys, ...; the angle last
  QTest::addColumn<QString>("derived");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("fits");
  QTest::newRow("upper 1534.898") << QStringList{"ConDDown", "999", "ConH", "1000", "ConAng", "30"}
                                  << "ConDUp"
                                  << "1534.898" << false;
  QTest::newRow("lower 1534.898") << QStringList{"ConDUp", "999", "ConH", "1000", "ConAng", "30"}
                                  << "ConDDown"
                                  << "1534.898" << false;
  QTest::newRow("upper 11.75") << QStringList{"ConDDown", "10", "ConH", "10", "ConAng", "10"} << "ConDUp"
                               << "11.75" << true;
}

void ConeTest::derivedValueShownFromStart() {
  QFETCH(QStringList, typed);
  QFETCH(QString, derived);
  QFETCH(QString, text);
  QFETCH(bool, fits);
  for (qsizetype i = 0; i + 1 < typed.size(); i += 2) Type(typed[i].toLatin1().constData(), typed[i + 1]);
  QLineEdit* edit = m_t->Field(derived.toLatin1().constData());
  QCOMPARE(edit->text(), text);
  QVERIFY2(!edit->hasFocus(), "the derived field is not the one typed in");
  // A text that does not fit is shown whole as the tool tip; one that fits needs none.
  QCOMPARE(edit->toolTip(), fits ? QString() : text);
  const int caret = edit->cursorPosition();
  // Where the first character is drawn: the caret's place less the width of the text before it,
  // compared with the same field showing one digit, which surely starts at the left edge. The line
  // edit settles its scrolling when it paints.
  const auto firstCharX = [edit] {
    edit->repaint();
    const int caretX = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    return caretX -
           qRound(QFontMetricsF(edit->font()).horizontalAdvance(edit->text().left(edit->cursorPosition())));
  };
  const int shown = firstCharX();
  edit->setText("1");
  edit->setCursorPosition(0);
  QVERIFY2(shown == firstCharX(),
           qPrintable(QString("\"%1\" must be shown from its first character, drawn at x = %2, not %3")
                          .arg(text)
                          .arg(firstCharX())
                          .arg(shown)));
  // The caret waits at the start too, so the text stays there until the user moves it.
  QCOMPARE(caret, 0);
}

void ConeTest::angleTipFollowsState_data() {
  QTest::addColumn<QStringList>("typed");  // field, keys, ...; "" keys empty the field
  QTest::addColumn<bool>("enabled");
  QTest::addColumn<QString>("tip");
  const QString open = QString::fromUtf8(kalmoro::kAngTip);
  const QString locked = QString::fromUtf8(kalmoro::kAngLockedTip);
  QTest::newRow("open at start") << QStringList{} << true << open;
  QTest::newRow("derived and locked")
      << QStringList{"ConDDown", "20", "ConDUp", "10", "ConH", "10"} << false << locked;
  QTest::newRow("open again after a diameter is cleared")
      << QStringList{"ConDDown", "20", "ConDUp", "10", "ConH", "10", "ConDUp", ""} << true << open;
}

void ConeTest::angleTipFollowsState() {
  QFETCH(QStringList, typed);
  QFETCH(bool, enabled);
  QFETCH(QString, tip);
  for (qsizetype i = 0; i + 1 < typed.size(); i += 2) {
    Type(typed[i].toLatin1().constData(), typed[i + 1]);
    if (typed[i + 1].isEmpty()) QTest::keyClick(m_t->Field(typed[i].toLatin1().constData()), Qt::Key_Delete);
  }
  QLineEdit* angle = m_t->Field("ConAng");
  QCOMPARE(angle->isEnabled(), enabled);
  QCOMPARE(angle->toolTip(), tip);
  // The tip comes up on the field under the mouse, disabled or not.
  const QPoint at = angle->rect().center();
  QHelpEvent help(QEvent::ToolTip, at, angle->mapToGlobal(at));
  QApplication::sendEvent(angle, &help);
  QTRY_VERIFY(QToolTip::isVisible());
  QCOMPARE(QToolTip::text(), tip);
}

QTEST_MAIN(ConeTest)
#include "ConeTest.moc"
