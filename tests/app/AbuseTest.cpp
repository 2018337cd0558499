// The window under abuse: a million characters pasted into every dimension field and into the program
// field, and 20 000 random keys over all fields, pages and buttons. Every dialog is answered by the fake
// (a real modal dialog or popup is closed and reported, so it cannot hang the test); after every key the
// fields are clean. The times are reported, not judged: how quick a key is, is measured in
// bench/KeyBench.cpp.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <memory>

#include "TestWindow.h"
#include "app/DieDialog.h"
#include "app/MachineDialog.h"
#include "app/PassDialog.h"
#include "app/TaperDialog.h"
#include "fields/FieldCheck.h"

namespace {

constexpr int kMillion = 1000000;
constexpr int kKeys = 20000;
constexpr quint32 kSeed = 20080704;

const char* const kFields[] = {"ArcDiam", "RectWidth", "RectHeight", "RectArc",
                               "ConH",    "ConDUp",    "ConDDown",   "ConAng"};

bool Signed(const QLineEdit* field) {
  return field->objectName() == QLatin1String("ConAng");
}

// CPU time of the calling thread in ms: the time the window itself worked, which a busy machine does
// not stretch.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// How long something kept the window busy: wall time (QElapsedTimer) and the thread's CPU time.
struct Busy {
  double wallMs = 0;
  double cpuMs = 0;
  QString Text() const { return QString("%1 ms (CPU %2 ms)").arg(wallMs, 0, 'f', 1).arg(cpuMs, 0, 'f', 1); }
};

// Runs the action, then every event it posted (repaints included), and says how long that took.
template <typename Action>
Busy Measure(Action&& action) {
  QElapsedTimer wall;
  const double cpu = ThreadCpuMs();
  wall.start();
  action();
  QCoreApplication::processEvents();
  return {static_cast<double>(wall.nsecsElapsed()) / 1e6, ThreadCpuMs() - cpu};
}

// Closes any modal dialog or popup that opens while the test drives the window and remembers it: the
// fake answers every dialog of the window, so a real one is a fault, and it must not hang the test. The
// machine dialog and the pages' option dialogs ("Проходы…", "Матрица…", "Уклон…") are real by design (the
// preview's "Станок…" button and the pages' buttons open them, and random keys reach those buttons): they
// are closed too, but no fault, and so are menus and combo box lists. The timer also fires inside a
// dialog's own event loop.
class ModalGuard : public QObject {
 public:
  ModalGuard() {
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &ModalGuard::Check);
    m_timer.start();
  }
  void Check() {
    // A popup (a menu, a combo box's list) is no dialog: random keys open them by design.
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (!qobject_cast<kalmoro::MachineDialog*>(modal) && !qobject_cast<kalmoro::PassDialog*>(modal) &&
          !qobject_cast<kalmoro::DieDialog*>(modal) && !qobject_cast<kalmoro::TaperDialog*>(modal))
        m_seen << QString::fromLatin1(modal->metaObject()->className());
      modal->close();
    }
  }
  const QStringList& Seen() const { return m_seen; }

 private:
  QTimer m_timer;
  QStringList m_seen;
};

// Characters a user may type or paste by mistake, digits most often.
const QString kTyped = QStringLiteral(
    "0123456789012345678901234567890123456789,.,.-+-+ eE%()*/=_abcxyzабвгдеёжзийклмнопрстуфхцчшщъыьэюя"
    "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ№«»\u00A0\u0661\u2212");

// A million random characters of kTyped, and now and then a tab, a zero-width space, a full-width
// digit or an emoji (two UTF-16 units).
QString MixedText(QRandomGenerator& random) {
  const QStringList extra = {"\t", "\u200B", "\uFF11", "\U0001F600"};
  QString text;
  text.reserve(kMillion + 1);
  while (text.size() < kMillion) {
    if (random.bounded(50) == 0)
      text += extra.at(random.bounded(int(extra.size())));
    else
      text += kTyped.at(random.bounded(int(kTyped.size())));
  }
  return text;
}

// A million characters Windows-1251 can hold, in lines of up to maxLine characters ended by lineEnd.
QString ProgramLikeText(QRandomGenerator& random, int maxLine, const QString& lineEnd) {
  const QString chars = QStringLiteral(
      "NGXYIJUVDM0123456789.-0123456789 "
      "%():;=абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ№"
      "\t");
  QString text;
  text.reserve(kMillion + 2);
  while (text.size() < kMillion) {
    const int length = 1 + random.bounded(maxLine);
    for (int i = 0; i < length && text.size() < kMillion; ++i)
      text += chars.at(random.bounded(int(chars.size())));
    if (text.size() < kMillion) text += lineEnd;
  }
  text.truncate(kMillion);
  if (text.endsWith('\r')) text.back() = 'N';  // not half a line end
  return text;
}

// The field's text as the file holds it: CR LF line ends in Windows-1251, then one more CR LF.
QByteArray AsSaved(QString text) {
  text.replace("\r\n", "\n");
  text.replace('\n', "\r\n");
  QStringEncoder cp1251("windows-1251");
  return QByteArray(cp1251.encode(text)) + "\r\n";
}

}  // namespace

class AbuseTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(m_home.isValid());
    UseScratchHome(m_home);
    QGuiApplication::clipboard()->setText("probe");
    if (QGuiApplication::clipboard()->text() != "probe") QFAIL("the test platform has no clipboard");
  }
  void init() {
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
    Activate();
  }
  void cleanup() { m_t.reset(); }

  void millionPastedIntoField_data();
  void millionPastedIntoField();
  void millionPastedIntoProgramIsSaved_data();
  void millionPastedIntoProgramIsSaved();
  void lineNoProgramHasIsRefused_data();
  void lineNoProgramHasIsRefused();
  void randomKeys();

 private:
  void Activate() {
    m_t->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  }
  // Gives the widget the keyboard focus, its page shown first.
  void FocusOn(QWidget* widget) {
    if (m_t->Tabs()->isAncestorOf(widget)) m_t->Tabs()->setCurrentWidget(widget->parentWidget());
    widget->setFocus();
    QTRY_VERIFY(widget->hasFocus());
  }
  // Ctrl+V as a user presses it, measured with the repaint it causes.
  Busy Paste(QWidget* widget, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    return Measure([&] {
      QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
    });
  }
  QString DirtyField() const;

  QTemporaryDir m_home;
  std::unique_ptr<TestWindow> m_t;
};

// The first field whose text the character check would change, with that text; "" when all are clean.
QString AbuseTest::DirtyField() const {
  for (const char* name : kFields) {
    const QLineEdit* field = m_t->Field(name);
    const QString text = field->text();
    const kalmoro::CheckedText checked = kalmoro::CheckInputErr(text.toStdU16String(), 0, Signed(field));
    if (QString::fromStdU16String(checked.text) != text)
      return QString("%1 holds \"%2\"").arg(name, text.left(60));
  }
  return {};
}

void AbuseTest::millionPastedIntoField_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<bool>("digits");  // the pasted text is digits with a comma here and there
  for (const char* name : kFields) {
    QTest::newRow(qPrintable(QString("%1, mixed text").arg(name))) << QString(name) << false;
    QTest::newRow(qPrintable(QString("%1, digits").arg(name))) << QString(name) << true;
  }
}

// A field takes at most 32767 characters; the pasted text is cut to that, then checked. Keys typed
// into the full field then stay quick, and Return makes the page's program or says why not.
void AbuseTest::millionPastedIntoField() {
  QFETCH(QString, field);
  QFETCH(bool, digits);
  QRandomGenerator random(kSeed);
  QString pasted = MixedText(random);
  if (digits) {
    for (qsizetype i = 0; i < pasted.size(); ++i)
      pasted[i] = random.bounded(1000) == 0 ? QChar(',') : QChar('0' + random.bounded(10));
  }
  QLineEdit* edit = m_t->Field(field.toLatin1().constData());
  FocusOn(edit);
  const Busy paste = Paste(edit, pasted);
  const QString expected = QString::fromStdU16String(
      kalmoro::CheckInputErr(pasted.left(edit->maxLength()).toStdU16String(), 0, Signed(edit)).text);
  QVERIFY2(edit->text() == expected,
           qPrintable(QString("the field must hold the checked first %1 characters (%2 of them), it holds %3")
                          .arg(edit->maxLength())
                          .arg(expected.size())
                          .arg(edit->text().size())));
  QVERIFY2(edit->cursorPosition() <= edit->text().size(), "the caret must stay within the text");

  Busy slowest;
  const QList<std::pair<Qt::Key, QString>> keys = {
      {Qt::Key_Home, ""},   {Qt::Key_5, "5"},      {Qt::Key_Comma, ","},    {Qt::Key(0x0416), "Ж"},
      {Qt::Key_Minus, "-"}, {Qt::Key_End, ""},     {Qt::Key_Backspace, ""}, {Qt::Key_Left, ""},
      {Qt::Key_Delete, ""}, {Qt::Key_Return, "\r"}};
  for (const auto& key : keys) {
    const Busy busy = Measure([&] { QTest::sendKeyEvent(QTest::Click, edit, key.first, key.second, {}); });
    if (busy.wallMs > slowest.wallMs) slowest = busy;
    QVERIFY2(DirtyField().isEmpty(), qPrintable(DirtyField()));
  }
  qInfo("pasting %d characters into %s took %s; then the slowest key %s", int(pasted.size()),
        qPrintable(field), qPrintable(paste.Text()), qPrintable(slowest.Text()));
  QVERIFY2(m_t->dialogs.messages().size() == 1 || m_t->Program()->toPlainText().startsWith("%("),
           "Return after the paste makes a program or says why it cannot");
}

void AbuseTest::millionPastedIntoProgramIsSaved_data() {
  QTest::addColumn<int>("maxLine");
  QTest::addColumn<QString>("lineEnd");
  QTest::newRow("lines ended by LF") << 120 << "\n";
  QTest::newRow("lines ended by CR LF") << 120 << "\r\n";
}

void AbuseTest::millionPastedIntoProgramIsSaved() {
  QFETCH(int, maxLine);
  QFETCH(QString, lineEnd);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QRandomGenerator random(kSeed);
  const QString pasted = ProgramLikeText(random, maxLine, lineEnd);
  QPlainTextEdit* program = m_t->Program();
  FocusOn(program);
  const Busy paste = Paste(program, pasted);
  QString shown = pasted;
  shown.replace("\r\n", "\n");
  QVERIFY2(program->toPlainText() == shown, "the program field must hold exactly what was pasted");
  // A few keys in the pasted text, the edits undone again.
  Busy slowest;
  for (const Qt::Key code : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Backspace, Qt::Key_Return}) {
    const Busy busy = Measure([&] {
      QTest::keyClick(program, code);
      if (code == Qt::Key_Backspace || code == Qt::Key_Return)
        QTest::keyClick(program, Qt::Key_Z, Qt::ControlModifier);
    });
    if (busy.wallMs > slowest.wallMs) slowest = busy;
  }
  QVERIFY2(program->toPlainText() == shown, "undo must bring back exactly what was pasted");
  qInfo("pasting %d characters into NcPr took %s; then the slowest key %s", int(pasted.size()),
        qPrintable(paste.Text()), qPrintable(slowest.Text()));

  // No program: the save asks first, and is told to go on.
  const QString path = dir.filePath("pasted.iso");
  m_t->dialogs.setNextProceed(true);
  m_t->dialogs.setNextFileName(path);
  const Busy save = Measure([&] { QTest::keyClick(program, Qt::Key_S, Qt::ControlModifier); });
  qInfo("saving it took %s", qPrintable(save.Text()));
  QVERIFY2(m_t->dialogs.messages().size() == 1 && m_t->dialogs.warnings().size() == 1,
           "the save must ask about the faults, then succeed without a message");
  const QByteArray saved = ReadAll(path);
  const QByteArray expected = AsSaved(pasted);
  QVERIFY2(saved == expected, qPrintable(QString("the file must hold the %1 bytes pasted plus CR LF in "
                                                 "Windows-1251; it holds %2 bytes")
                                             .arg(expected.size())
                                             .arg(saved.size())));
  QVERIFY2(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden) ==
               QStringList{"pasted.iso"},
           "the save leaves nothing but the file");
}

void AbuseTest::lineNoProgramHasIsRefused_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("length");  // of the line pasted into the end of the round program's last line
  QTest::addColumn<bool>("taken");
  QTest::newRow("a paste of a million characters") << "paste" << kMillion << false;
  QTest::newRow("a drop of a million characters") << "drop" << kMillion << false;
  // "N13M02" is 6 characters long: up to 10 000 in all is a line the field takes.
  QTest::newRow("a paste that makes 10000 characters") << "paste" << 9994 << true;
  QTest::newRow("a paste that makes 10001 characters") << "paste" << 9995 << false;
}

// A line longer than any program has keeps the window busy for seconds at every key: a paste or a drop
// that would make one is refused with a message, and the field keeps what it held.
void AbuseTest::lineNoProgramHasIsRefused() {
  QFETCH(QString, how);
  QFETCH(int, length);
  QFETCH(bool, taken);
  m_t->Click("BtnGenArc");
  QPlainTextEdit* program = m_t->Program();
  FocusOn(program);
  QTest::keyClick(program, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(program, Qt::Key_Up);
  QTest::keyClick(program, Qt::Key_End);
  const QString before = program->toPlainText();
  const QString line = QString(length, QChar('0'));
  if (how == "paste") {
    QGuiApplication::clipboard()->setText(line);
    QTest::keyClick(program, Qt::Key_V, Qt::ControlModifier);
  } else {
    QMimeData data;
    data.setText(line);
    const QPoint at = program->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(program->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(program->viewport(), &drop);
  }
  if (taken) {
    QCOMPARE(program->document()->lastBlock().previous().text().size(), 6 + length);
    QCOMPARE(m_t->dialogs.messages().size(), 0);
    return;
  }
  QTRY_COMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message& message = m_t->dialogs.messages().front();
  QCOMPARE(message.icon, FakeDialogs::Icon::Error);
  QVERIFY2(message.text.startsWith("Текст не вставлен") && message.text.contains("длиннее 10000 символов"),
           qPrintable(message.text));
  QCOMPARE(program->toPlainText(), before);
}

void AbuseTest::randomKeys() {
  ModalGuard guard;
  QRandomGenerator random(qEnvironmentVariableIsSet("KALMORO_ABUSE_SEED")
                              ? quint32(qEnvironmentVariableIntValue("KALMORO_ABUSE_SEED"))
                              : kSeed);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QTabBar* bar = m_t->Tabs()->tabBar();
  // Save dialogs are answered in turn: Cancel, a name in a missing folder, a new file.
  int dialogs = 0;
  const auto queueName = [&] {
    switch (dialogs % 3) {
      case 0:
        m_t->dialogs.setNextFileName(std::nullopt);
        break;
      case 1:
        m_t->dialogs.setNextFileName(dir.filePath("missing/part"));
        break;
      default:
        m_t->dialogs.setNextFileName(dir.filePath(QString("part%1").arg(dialogs)));
    }
  };
  queueName();

  // The clipboard starts with a mixed text a thousand characters long; copies and cuts replace it.
  QRandomGenerator clip(kSeed);
  QGuiApplication::clipboard()->setText(MixedText(clip).left(1000));

  QElapsedTimer total;
  total.start();
  int longestField = 0;
  qsizetype largestProgram = 0;
  Busy busiest;  // the most CPU time
  Busy longest;  // the most wall time
  QString busiestKey;
  QString longestKey;
  int closes = 0;
  for (int key = 0; key < kKeys; ++key) {
    // Held weakly: a key may end the widget that had the focus (a table cell's editor closes, a dialog
    // that deletes itself on close goes).
    QPointer<QWidget> focus = QApplication::focusWidget();
    if (!focus) focus = &m_t->window;
    const QString focusName = focus->objectName();
    // One press and release: the press goes to the widget with the focus, the release to the one
    // that has it then (a Tab moves it between the two).
    const auto press = [&](Qt::Key code, Qt::KeyboardModifiers modifiers = {}, const QString& text = {}) {
      QTest::sendKeyEvent(QTest::Press, focus, code, text, modifiers);
      QWidget* now = QApplication::focusWidget();
      QTest::sendKeyEvent(QTest::Release, now ? now : focus.data(), code, text, modifiers);
    };
    QString what;
    const int kind = random.bounded(100);
    const Busy busy = Measure([&] {
      if (kind < 40) {
        const QString c = kTyped.mid(random.bounded(int(kTyped.size())), 1);
        const QString upper = c.toUpper();
        what = "\"" + c + "\"";
        press(upper.size() == 1 ? Qt::Key(upper.front().unicode()) : Qt::Key_unknown, {}, c);
      } else if (kind < 48) {
        what = "Tab";
        press(Qt::Key_Tab);
      } else if (kind < 52) {
        what = "Shift+Tab";
        press(Qt::Key_Backtab, Qt::ShiftModifier);
      } else if (kind < 59) {
        what = "Backspace";
        press(Qt::Key_Backspace);
      } else if (kind < 63) {
        what = "Delete";
        press(Qt::Key_Delete);
      } else if (kind < 67) {
        what = "Return";
        press(Qt::Key_Return, {}, "\r");
      } else if (kind < 70) {
        what = "Ctrl+Z";
        press(Qt::Key_Z, Qt::ControlModifier);
      } else if (kind < 73) {
        what = "Ctrl+A";
        press(Qt::Key_A, Qt::ControlModifier);
      } else if (kind < 75) {
        what = "Ctrl+S";
        press(Qt::Key_S, Qt::ControlModifier);
      } else if (kind < 81) {
        what = "Space";
        press(Qt::Key_Space, {}, " ");
      } else if (kind < 84) {
        what = "Ctrl+Tab";
        press(Qt::Key_Tab, Qt::ControlModifier);
      } else if (kind < 86) {
        const int page = random.bounded(3);
        what = QString("click on tab %1").arg(page);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
      } else if (kind < 90) {
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
        const Qt::Key code = keys[random.bounded(4)];
        what = QKeySequence(code).toString();
        press(code);
      } else if (kind < 94) {
        const Qt::Key keys[] = {Qt::Key_C, Qt::Key_X, Qt::Key_V, Qt::Key_Y};
        const Qt::Key code = keys[random.bounded(4)];
        what = "Ctrl+" + QKeySequence(code).toString();
        press(code, Qt::ControlModifier);
      } else if (kind < 95) {
        what = "close";
        const qsizetype asked = m_t->dialogs.saveQuestions().size();
        const bool closed = m_t->window.close();
        // The question is answered Cancel: only a window with nothing unsaved closes.
        if (closed == (m_t->dialogs.saveQuestions().size() != asked)) what += " (wrongly answered)";
        if (closed) ++closes;
      } else if (kind < 96) {
        what = "click on the author label";
        QTest::mouseClick(m_t->Find("Logo"), Qt::LeftButton);
      } else if (kind < 97) {
        // The toolpath preview opens (or comes to the front) and follows every later change.
        what = "F5";
        press(Qt::Key_F5);
      } else {
        const QString c = QString::number(random.bounded(10));
        what = "\"" + c + "\"";
        press(Qt::Key(Qt::Key_0 + c.toInt()), {}, c);
      }
    });
    const QString where = QString("key %1 (%2 in %3)").arg(key).arg(what, focusName);
    if (busy.cpuMs > busiest.cpuMs) {
      busiest = busy;
      busiestKey = where;
    }
    if (busy.wallMs > longest.wallMs) {
      longest = busy;
      longestKey = where;
    }
    QVERIFY2(!what.endsWith("(wrongly answered)"),
             qPrintable(where + ": a close must ask when a program is unsaved, and Cancel keeps the window"));
    QVERIFY2(guard.Seen().isEmpty(), qPrintable(where + " opened a real dialog: " + guard.Seen().join(", ")));
    for (const char* name : kFields)
      longestField = std::max(longestField, int(m_t->Field(name)->text().size()));
    largestProgram = std::max(largestProgram, qsizetype(m_t->Program()->document()->characterCount()));
    const QString dirty = DirtyField();
    QVERIFY2(dirty.isEmpty(), qPrintable(where + ": " + dirty));
    if (m_t->dialogs.saveStarts().size() > dialogs) {
      dialogs = int(m_t->dialogs.saveStarts().size());
      queueName();
    }
    if (!m_t->window.isVisible()) {
      m_t->window.show();
      Activate();
    }
  }
  qInfo("%d keys in %lld ms; the busiest took %s: %s; the longest %s: %s", kKeys, total.elapsed(),
        qPrintable(busiest.Text()), qPrintable(busiestKey), qPrintable(longest.Text()),
        qPrintable(longestKey));
  qInfo("%d save dialogs, %d closes, %d messages; longest field %d, largest program %lld characters", dialogs,
        closes, int(m_t->dialogs.messages().size()), longestField, largestProgram);
}

QTEST_MAIN(AbuseTest)
#include "AbuseTest.moc"
