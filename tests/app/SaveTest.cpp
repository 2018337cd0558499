// Saving the program field through the save button and Ctrl+S: the bytes on disk, the dialog's start
// name, Cancel, the overwrite question, failures, characters Windows-1251 cannot hold, the note that
// says where the program went, and the question when the window closes over an unsaved program.
#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "TestWindow.h"
#include "app/preview/ProgramText.h"
#include "holes/Job.h"
#include "holes/RoundHole.h"

namespace {

// The field's text as the file holds it: CR LF line ends in Windows-1251, then one more CR LF.
QByteArray FromEditor(const QString& text) {
  QString lines = text;
  lines.replace('\n', "\r\n");
  QStringEncoder cp1251("windows-1251");
  return QByteArray(cp1251.encode(lines)) + "\r\n";
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

// Every entry under a folder, recursively, hidden ones too: files with their bytes, folders marked.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
  QMap<QString, QByteArray> entries;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo entry(it.next());
    entries.insert(QDir(folder).relativeFilePath(entry.filePath()),
                   entry.isDir() ? "<folder>" : ReadAll(entry.filePath()));
  }
  return entries;
}

// The ways a save can fail on the disk.
enum class Fault {
  None,
  SizeLimit,       // a file-size limit below the program's size
  ReadOnlyFolder,  // the folder, and what it holds, belongs to a user without write permission on it
};

// The file-size limit of the rows that have one: below the program saved, above the old one.
constexpr rlim_t kSizeLimit = 65536;

// Lowers the soft file-size limit of the process while it lives. The save holds SIGXFSZ off, so the
// write fails with EFBIG instead of ending the test.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : m_ok(::getrlimit(RLIMIT_FSIZE, &m_old) == 0) {
    rlimit lower = m_old;
    lower.rlim_cur = bytes;
    m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    if (m_ok) ::setrlimit(RLIMIT_FSIZE, &m_old);
  }
  bool Ok() const { return m_ok; }

 private:
  rlimit m_old{};
  bool m_ok;
};

// Root ignores permission bits. When the test runs as root, it acts as the user nobody (effective
// IDs, no supplementary groups) while this lives, so that a folder's missing write bit counts; as any
// other user the bits count anyway.
class Unprivileged {
 public:
  static constexpr uid_t kNobody = 65534;
  // The user whose permissions count: nobody under root, else the test's own.
  static uid_t User() { return ::geteuid() == 0 ? kNobody : ::geteuid(); }
  static gid_t Group() { return ::geteuid() == 0 ? kNobody : ::getegid(); }

  Unprivileged() {
    if (::geteuid() != 0) return;
    m_groups.resize(std::max(::getgroups(0, nullptr), 0));
    m_groups.resize(std::max(::getgroups(int(m_groups.size()), m_groups.data()), 0));
    m_switched = ::setgroups(0, nullptr) == 0 && ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    if (!m_switched) Restore();
    // A change of user makes the process undumpable, which closes /proc/self to it.
    ::prctl(PR_SET_DUMPABLE, 1);
  }
  Unprivileged(const Unprivileged&) = delete;
  Unprivileged& operator=(const Unprivileged&) = delete;
  ~Unprivileged() {
    if (m_switched) Restore();
  }
  // False when running as root and the switch to nobody failed.
  bool Ok() const { return m_switched || ::geteuid() != 0; }

 private:
  void Restore() {
    const bool back =
        ::seteuid(0) == 0 && ::setegid(0) == 0 && ::setgroups(m_groups.size(), m_groups.data()) == 0;
    ::prctl(PR_SET_DUMPABLE, 1);
    if (!back) qFatal("cannot return to root after acting as nobody");
  }

  std::vector<gid_t> m_groups;
  bool m_switched = false;
};

// "Текст Программы" in Windows-1251, written out byte by byte.
const QByteArray kInitialTextCp1251 = "\xD2\xE5\xEA\xF1\xF2 \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB";

}  // namespace

Q_DECLARE_METATYPE(Fault)

class SaveTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // The documents folder is looked up under HOME; a scratch one keeps the tests to themselves.
    QVERIFY(m_home.isValid());
    UseScratchHome(m_home);
  }
  void init() {
    QVERIFY(m_dir.isValid());
    m_t = std::make_unique<TestWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_t->window));
  }
  void cleanup() {
    m_t.reset();
    QDir(Documents()).removeRecursively();
    QFile::setPermissions(Path("work"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(Path("work")).removeRecursively();
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
      QFile::remove(Path(name));
  }

  void savesRoundProgram();
  void savesInitialText();
  void savesEmptyField();
  void savesUserEdit();
  void nameEndingInIsoKeepsIt();
  void cancelWritesNothing();
  void dialogStartsAtLastName();
  void firstDialogStart_data();
  void firstDialogStart();
  void ctrlSSaves_data();
  void ctrlSSaves();
  void noteNamesSavedFile_data();
  void noteNamesSavedFile();
  void closeAsksBeforeLosingProgram_data();
  void closeAsksBeforeLosingProgram();
  void overwriteQuestion_data();
  void overwriteQuestion();
  void failedSaveLeavesFolderAsItWasAndSaysWhy_data();
  void failedSaveLeavesFolderAsItWasAndSaysWhy();
  void unencodableCharacterRefused();
  void interruptedSaveOffersItsBackup_data();
  void interruptedSaveOffersItsBackup();
  void editorTextToProgram_data();
  void editorTextToProgram();
  void programToEditorText();

 private:
  QString Path(const QString& name) const { return m_dir.filePath(name); }
  QString Documents() const { return m_home.filePath("Documents"); }
  QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
  void Save(const QString& name) {
    m_t->dialogs.setNextFileName(name);
    m_t->Click("BtnSaveNC");
  }

  QTemporaryDir m_home;
  QTemporaryDir m_dir;
  std::unique_ptr<TestWindow> m_t;
};

void SaveTest::savesRoundProgram() {
  m_t->Click("BtnGenArc");
  Save(Path("part"));
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QCOMPARE(Files(), QStringList{"part.iso"});
  const QByteArray bytes = ReadAll(Path("part.iso"));
  QCOMPARE(bytes, CrLfLines(kRound10) + "\r\n");
  QVERIFY(bytes.endsWith("N13M02\r\n\r\n"));
  // Saving reads the field only.
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
}

// The form's start text is no program: saving it is asked about first, like any text with faults.
void SaveTest::savesInitialText() {
  m_t->dialogs.setNextProceed(true);
  Save(Path("start"));
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.warnings().size(), 1);
  QCOMPARE(ReadAll(Path("start.iso")), kInitialTextCp1251 + "\r\n");
}

void SaveTest::savesEmptyField() {
  m_t->ClickTab(1);  // the page change empties the field
  Save(Path("empty"));
  QCOMPARE(ReadAll(Path("empty.iso")), QByteArray("\r\n"));
}

void SaveTest::savesUserEdit() {
  m_t->Click("BtnGenArc");
  QPlainTextEdit* program = m_t->Program();
  program->setFocus();
  QTest::keyClick(program, Qt::Key_Home, Qt::ControlModifier);
  TypeText(program, "(ПРАВКА)");
  QTest::keyClick(program, Qt::Key_Return);
  // Shift+Return puts a line separator inside the paragraph; it is a line end in the file too.
  TypeText(program, "A");
  QTest::keyClick(program, Qt::Key_Return, Qt::ShiftModifier);
  TypeText(program, "B");
  QTest::keyClick(program, Qt::Key_Return);
  QTest::keyClick(program, Qt::Key_End, Qt::ControlModifier);
  TypeText(program, "%");
  // The header no longer stands first: the save asks, and goes on.
  m_t->dialogs.setNextProceed(true);
  Save(Path("edited"));
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const QByteArray expected =
      QByteArray("(\xCF\xD0\xC0\xC2\xCA\xC0)\r\nA\r\nB\r\n") + CrLfLines(kRound10) + "%\r\n";
  QCOMPARE(ReadAll(Path("edited.iso")), expected);
}

void SaveTest::nameEndingInIsoKeepsIt() {
  m_t->Click("BtnGenArc");
  Save(Path("ready.iso"));
  QCOMPARE(Files(), QStringList{"ready.iso"});
}

void SaveTest::cancelWritesNothing() {
  m_t->Click("BtnGenArc");
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.saveStarts().size(), 1);
  QVERIFY(m_t->dialogs.messages().isEmpty());
  QVERIFY(Files().isEmpty());
}

void SaveTest::dialogStartsAtLastName() {
  m_t->ClickTab(1);  // an empty field: no program to name the file after
  Save(Path("first"));
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  Save(Path("second.iso"));
  Save(Path("third"));
  // The first dialog opens in the home folder (there is no documents folder and no program to name
  // the file after); later ones at the file chosen before.
  QCOMPARE(m_t->dialogs.saveStarts(),
           (QStringList{m_home.path(), Path("first.iso"), Path("first.iso"), Path("second.iso")}));
}

void SaveTest::firstDialogStart_data() {
  QTest::addColumn<bool>("documents");  // whether HOME has a documents folder
  QTest::addColumn<QString>("button");  // the generate button pressed first; "" for none
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("start");  // under HOME
  QTest::newRow("round program") << true << "BtnGenArc" << 0 << "Documents/CIRCLE_D10.iso";
  QTest::newRow("rectangle program") << true << "BtnGenRect" << 1 << "Documents/RECTANGLE_W10_H5_R0.iso";
  QTest::newRow("no documents folder") << false << "BtnGenArc" << 0 << "CIRCLE_D10.iso";
  QTest::newRow("no program: the folder only") << true << "" << 1 << "Documents";
}

void SaveTest::firstDialogStart() {
  QFETCH(bool, documents);
  QFETCH(QString, button);
  QFETCH(int, page);
  QFETCH(QString, start);
  if (documents) QVERIFY(QDir().mkpath(Documents()));
  if (page != 0) m_t->ClickTab(page);
  if (!button.isEmpty()) m_t->Click(button.toLatin1().constData());
  m_t->dialogs.setNextFileName(std::nullopt);
  m_t->Click("BtnSaveNC");
  QCOMPARE(m_t->dialogs.saveStarts(), QStringList{m_home.filePath(start)});
}

void SaveTest::ctrlSSaves_data() {
  QTest::addColumn<QString>("focus");
  QTest::newRow("in the program field") << "NcPr";
  QTest::newRow("in a dimension field") << "ArcDiam";
  QTest::newRow("on a button") << "BtnGenArc";
}

void SaveTest::ctrlSSaves() {
  QFETCH(QString, focus);
  m_t->window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&m_t->window));
  m_t->Click("BtnGenArc");
  QWidget* widget = m_t->Find(focus.toLatin1().constData());
  widget->setFocus();
  QTRY_VERIFY(widget->hasFocus());
  m_t->dialogs.setNextFileName(Path("keys"));
  QTest::keyClick(widget, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(m_t->dialogs.saveStarts().size(), 1);
  QCOMPARE(ReadAll(Path("keys.iso")), CrLfLines(kRound10) + "\r\n");
  QCOMPARE(m_t->Program()->toPlainText(), EditorLines(kRound10));
}

void SaveTest::noteNamesSavedFile_data() {
  QTest::addColumn<QString>("name");  // chosen in the dialog, under the scratch folder; "" cancels
  QTest::addColumn<bool>("saved");
  QTest::newRow("short name") << "part" << true;
  QTest::newRow("long folder name") << QString(120, 'f') + "/part" << true;
  QTest::newRow("cancelled: no note") << "" << false;
  QTest::newRow("failed: no note") << "missing/part" << false;
}

void SaveTest::noteNamesSavedFile() {
  QFETCH(QString, name);
  QFETCH(bool, saved);
  const QString path = Path(name + ".iso");
  if (saved) QVERIFY(QDir().mkpath(QFileInfo(path).path()));
  const QRect field = m_t->Program()->geometry();
  m_t->Click("BtnGenArc");
  m_t->dialogs.setNextFileName(name.isEmpty() ? std::nullopt : std::optional<QString>(Path(name)));
  m_t->Click("BtnSaveNC");
  auto* note = m_t->Find<QLabel>("SaveNote");
  QCOMPARE(note->isVisible(), saved);
  QCOMPARE(m_t->Find("BtnSaveNC")->toolTip().contains(path), saved);
  if (!saved) return;
  QVERIFY(m_t->dialogs.messages().isEmpty());
  const QStringList lines = note->text().split('\n');
  QCOMPARE(lines.size(), 2);
  // A long name loses its start, never the file's own name.
  QVERIFY2(lines[1].endsWith("/part.iso") &&
               path.endsWith(lines[1].mid(lines[1].startsWith(QChar(0x2026)) ? 1 : 0)),
           qPrintable("the note must name " + path + ", it says " + lines[1]));
  QVERIFY2(note->fontMetrics().horizontalAdvance(lines[1]) <= note->contentsRect().width(),
           "the name must fit the note");
  QCOMPARE(note->toolTip(), path);
  // The note lies over the program field and moves nothing.
  QVERIFY(m_t->Program()->geometry().contains(note->geometry()));
  QCOMPARE(m_t->Program()->geometry(), field);
  // Once the program changes, the note no longer holds.
  m_t->EditProgram("X");
  QVERIFY(!note->isVisible());
}

void SaveTest::closeAsksBeforeLosingProgram_data() {
  // Actions: "gen" (round program), "edit" (typed at the start), "save" (to part.iso), "undo"
  // (Ctrl+Z in the program field), "tab1" (page change). Then the window is closed; a question is
  // answered with answer, and a save it starts with the name saveAs ("" cancels the dialog).
  QTest::addColumn<QStringList>("actions");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<kalmoro::SaveAnswer>("answer");
  QTest::addColumn<QString>("saveAs");
  QTest::addColumn<bool>("closed");
  using kalmoro::SaveAnswer;
  QTest::newRow("start text") << QStringList{} << false << SaveAnswer::Cancel << "" << true;
  QTest::newRow("generated, Cancel keeps the window")
      << QStringList{"gen"} << true << SaveAnswer::Cancel << "" << false;
  QTest::newRow("generated, Discard closes")
      << QStringList{"gen"} << true << SaveAnswer::Discard << "" << true;
  QTest::newRow("generated, Save saves and closes")
      << QStringList{"gen"} << true << SaveAnswer::Save << "closing" << true;
  QTest::newRow("generated, Save with the dialog cancelled keeps the window")
      << QStringList{"gen"} << true << SaveAnswer::Save << "" << false;
  QTest::newRow("saved") << QStringList{"gen", "save"} << false << SaveAnswer::Cancel << "" << true;
  QTest::newRow("edited after the save")
      << QStringList{"gen", "save", "edit"} << true << SaveAnswer::Cancel << "" << false;
  QTest::newRow("edit undone back to the save")
      << QStringList{"gen", "save", "edit", "undo"} << false << SaveAnswer::Cancel << "" << true;
  QTest::newRow("start text edited") << QStringList{"edit"} << true << SaveAnswer::Cancel << "" << false;
  QTest::newRow("page change emptied the field")
      << QStringList{"gen", "tab1"} << false << SaveAnswer::Cancel << "" << true;
}

void SaveTest::closeAsksBeforeLosingProgram() {
  QFETCH(QStringList, actions);
  QFETCH(bool, asked);
  QFETCH(kalmoro::SaveAnswer, answer);
  QFETCH(QString, saveAs);
  QFETCH(bool, closed);
  for (const QString& action : actions) {
    if (action == "gen")
      m_t->Click("BtnGenArc");
    else if (action == "edit")
      m_t->EditProgram("(ПРАВКА)");
    else if (action == "save")
      Save(Path("part"));
    else if (action == "undo")
      m_t->UndoInProgram();
    else
      m_t->ClickTab(1);
  }
  const QString before = m_t->Program()->toPlainText();
  m_t->dialogs.setNextSaveAnswer(answer);
  m_t->dialogs.setNextFileName(saveAs.isEmpty() ? std::nullopt : std::optional<QString>(Path(saveAs)));
  QCOMPARE(m_t->window.close(), closed);
  QCOMPARE(m_t->window.isVisible(), !closed);
  const QList<FakeDialogs::Message> questions = m_t->dialogs.saveQuestions();
  QCOMPARE(questions.size(), asked ? 1 : 0);
  if (asked) {
    QCOMPARE(questions.front().title, QString("Сохранение программы"));
    QCOMPARE(questions.front().text, QString("Сохранить программу?"));
  }
  if (!saveAs.isEmpty()) QCOMPARE(ReadAll(Path(saveAs + ".iso")), FromEditor(before));
  // Whatever happened, the text is as it was.
  QCOMPARE(m_t->Program()->toPlainText(), before);
}

void SaveTest::overwriteQuestion_data() {
  QTest::addColumn<bool>("readOnly");
  QTest::addColumn<QList<bool>>("answers");
  QTest::addColumn<bool>("replaced");
  QTest::newRow("Yes replaces the file") << false << QList<bool>{true} << true;
  QTest::newRow("No keeps it") << false << QList<bool>{false} << false;
  QTest::newRow("read-only file replaced after a second Yes") << true << QList<bool>{true, true} << true;
  QTest::newRow("read-only file kept by a second No") << true << QList<bool>{true, false} << false;
}

void SaveTest::overwriteQuestion() {
  QFETCH(bool, readOnly);
  QFETCH(QList<bool>, answers);
  QFETCH(bool, replaced);
  WriteAll(Path("part.iso"), "old program\r\n");
  if (readOnly) QVERIFY(QFile::setPermissions(Path("part.iso"), QFile::ReadOwner | QFile::ReadGroup));
  m_t->Click("BtnGenArc");
  for (const bool yes : answers) m_t->dialogs.setNextAnswer(yes);
  Save(Path("part"));
  const QList<FakeDialogs::Message> questions = m_t->dialogs.questions();
  QCOMPARE(questions.size(), answers.size());
  QVERIFY2(questions.front().text.contains(Path("part.iso")),
           "the question names the whole file that will be replaced, with its extension");
  if (readOnly) {
    QVERIFY2(questions.back().text.contains("доступен только для чтения"),
             qPrintable("the second question says why: " + questions.back().text));
  }
  QCOMPARE(m_t->dialogs.messages().size(), answers.size());  // nothing but the questions
  QCOMPARE(ReadAll(Path("part.iso")),
           replaced ? CrLfLines(kRound10) + "\r\n" : QByteArray("old program\r\n"));
  QCOMPARE(Files(), QStringList{"part.iso"});
}

void SaveTest::failedSaveLeavesFolderAsItWasAndSaysWhy_data() {
  // Each row starts from the folder "work" holding the program part.iso ("old program") and, with
  // second, its second name copy.iso; the window saves a program of about 78 kB under name (in the scratch
  // folder), answering the questions asked with answers. The reason must stand in the error box.
  QTest::addColumn<Fault>("fault");
  QTest::addColumn<bool>("second");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QList<bool>>("answers");
  // The message: the step that failed, the file (%1) and the reason.
  QTest::addColumn<QString>("message");
  const QString saving = "Не удалось сохранить файл «%1»: ";
  const QString writing = "Не удалось записать файл «%1»: превышен допустимый размер файла.";
  QTest::newRow("missing folder") << Fault::None << false << "work/missing/part" << QList<bool>{}
                                  << saving + "папка не найдена.";
  QTest::newRow("a file where the path needs a folder")
      << Fault::None << false << "work/part.iso/part" << QList<bool>{}
      << saving + "часть пути не является папкой.";
  QTest::newRow("name of a folder: no question")
      << Fault::None << false << "work/sub" << QList<bool>{} << saving + "с таким именем есть папка.";
  QTest::newRow("file-size limit") << Fault::SizeLimit << false << "work/part" << QList<bool>{true}
                                   << writing;
  QTest::newRow("file-size limit, file written in place")
      << Fault::SizeLimit << true << "work/part" << QList<bool>{true} << writing;
  QTest::newRow("file-size limit, new file")
      << Fault::SizeLimit << false << "work/new" << QList<bool>{} << writing;
  QTest::newRow("read-only folder, new file") << Fault::ReadOnlyFolder << false << "work/new" << QList<bool>{}
                                              << "Не удалось создать файл «%1»: нет прав на запись в папку.";
  QTest::newRow("read-only folder, read-only file replaced after two Yes")
      << Fault::ReadOnlyFolder << false << "work/part" << QList<bool>{true, true}
      << "Не удалось создать новый файл для «%1»: нет прав на запись в папку.";
}

// A save that fails leaves the folder as it was, byte for byte and without a temporary file, and says
// which file and why in one error box.
void SaveTest::failedSaveLeavesFolderAsItWasAndSaysWhy() {
  QFETCH(Fault, fault);
  QFETCH(bool, second);
  QFETCH(QString, name);
  QFETCH(QList<bool>, answers);
  QFETCH(QString, message);
  const QString work = Path("work");
  QVERIFY(QDir().mkpath(work + "/sub.iso"));
  WriteAll(work + "/sub.iso/inner.iso", "inner program\r\n");
  WriteAll(work + "/part.iso", "old program\r\n");
  if (second) QCOMPARE(::link(qPrintable(work + "/part.iso"), qPrintable(work + "/copy.iso")), 0);
  if (fault == Fault::ReadOnlyFolder) {
    // The user owns the folder and its program but may not write either.
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                    QFile::ReadOther | QFile::ExeOther));
    for (const QString& path : {work, work + "/part.iso"})
      QCOMPARE(::chown(qPrintable(path), Unprivileged::User(), Unprivileged::Group()), 0);
    QVERIFY(QFile::setPermissions(work + "/part.iso", QFile::ReadOwner | QFile::ReadOther));
    QVERIFY(
        QFile::setPermissions(work, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
  }
  // A program larger than the file-size limit of its row: a job of 300 holes, which the check passes.
  std::vector<kalmoro::JobHole> holes;
  holes.reserve(300);
  for (int i = 0; i < 300; ++i)
    holes.push_back({kalmoro::GenCircle("10").program, 20.0 * (i % 20), 20.0 * (i - i % 20) / 20});
  m_t->Program()->setPlainText(kalmoro::ToEditorText(kalmoro::GenJob(holes).program));
  const QMap<QString, QByteArray> before = Snapshot(m_dir.path());

  for (const bool yes : answers) m_t->dialogs.setNextAnswer(yes);
  {
    const FileSizeLimit limit(fault == Fault::SizeLimit ? kSizeLimit : RLIM_INFINITY);
    QVERIFY(limit.Ok());
    std::optional<Unprivileged> user;
    if (fault == Fault::ReadOnlyFolder) user.emplace();
    if (user && !user->Ok()) QSKIP("runs as root and cannot act as the user nobody here");
    Save(Path(name));
  }
  if (fault == Fault::ReadOnlyFolder)
    QVERIFY(QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

  QCOMPARE(m_t->dialogs.questions().size(), answers.size());
  QCOMPARE(m_t->dialogs.messages().size(), answers.size() + 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().back();
  QCOMPARE(shown.title, QString("Ошибка"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::Error);
  const QString expected = message.arg(Path(name) + ".iso");
  QVERIFY2(shown.text == expected,
           qPrintable("the error box must say \"" + expected + "\", it says \"" + shown.text + "\""));
  const QMap<QString, QByteArray> after = Snapshot(m_dir.path());
  QVERIFY2(after == before,
           qPrintable("the folder must hold exactly what it held: " + QStringList(before.keys()).join(", ") +
                      "; it holds " + QStringList(after.keys()).join(", ")));
  QVERIFY(!m_t->Find<QLabel>("SaveNote")->isVisible());
}

void SaveTest::unencodableCharacterRefused() {
  WriteAll(Path("part.iso"), "old program\r\n");
  m_t->Click("BtnGenArc");
  QPlainTextEdit* program = m_t->Program();
  program->setFocus();
  QTest::keyClick(program, Qt::Key_End, Qt::ControlModifier);
  TypeText(program, "(готово \U0001F600)");
  Save(Path("part"));
  // Refused before any question: the file would not be written anyway.
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  const FakeDialogs::Message shown = m_t->dialogs.messages().front();
  QCOMPARE(shown.title, QString("Ошибка"));
  QCOMPARE(shown.icon, FakeDialogs::Icon::Error);
  QVERIFY2(shown.text.contains("«\U0001F600»") && shown.text.contains("U+1F600"), qPrintable(shown.text));
  QCOMPARE(ReadAll(Path("part.iso")), QByteArray("old program\r\n"));

  Save(Path("new"));
  QVERIFY(!QFile::exists(Path("new.iso")));
  QCOMPARE(Files(), QStringList{"part.iso"});
}

void SaveTest::interruptedSaveOffersItsBackup_data() {
  QTest::addColumn<bool>("restore");  // the answer to the question
  QTest::newRow("Yes puts the old program back and leaves the new one unsaved") << true;
  QTest::newRow("No saves the new program and keeps the backup") << false;
}

// A save killed while it wrote part.iso in place left the new bytes over the old ones and the old program
// whole in its backup: the next save of that name offers to put the backup back instead.
void SaveTest::interruptedSaveOffersItsBackup() {
  QFETCH(bool, restore);
  const QByteArray old = "old program\r\nN2M02\r\n";
  WriteAll(Path("part.iso"), "%(CIRCLE: D10)\r\nN1G92X0.000Y0.000\r\nN2M02\r\n");
  WriteAll(Path("part.iso.kalmoro-backup"), old);
  m_t->Click("BtnGenArc");
  m_t->dialogs.setNextAnswer(true);  // replace part.iso
  m_t->dialogs.setNextAnswer(restore);
  Save(Path("part"));

  const QList<FakeDialogs::Message> questions = m_t->dialogs.questions();
  QCOMPARE(questions.size(), 2);
  const QString backup = QFileInfo(m_dir.path()).canonicalFilePath() + "/part.iso.kalmoro-backup";
  QCOMPARE(questions[1].text, "Прошлое сохранение файла «" + Path("part.iso") +
                                  "» было прервано, прежняя программа осталась в резервной копии «" + backup +
                                  "». Вернуть её в файл вместо новой программы?");
  const FakeDialogs::Message shown = m_t->dialogs.messages().back();
  QCOMPARE(shown.icon, FakeDialogs::Icon::None);
  if (restore) {
    QCOMPARE(ReadAll(Path("part.iso")), old);
    QCOMPARE(Files(), QStringList{"part.iso"});
    QCOMPARE(shown.text,
             "Прежняя программа возвращена в файл «" + Path("part.iso") + "», новая программа не сохранена.");
    QVERIFY(!m_t->Find<QLabel>("SaveNote")->isVisible());
    QVERIFY2(!m_t->window.close(), "the new program is not saved: closing asks, and Cancel keeps the window");
  } else {
    QCOMPARE(ReadAll(Path("part.iso")), CrLfLines(kRound10) + "\r\n");
    QCOMPARE(ReadAll(Path("part.iso.kalmoro-backup")), old);
    QCOMPARE(shown.text, "Прошлое сохранение файла «" + Path("part.iso") +
                             "» было прервано: прежняя программа осталась в резервной копии «" +
                             Path("part.iso.kalmoro-backup") + "».");
    QVERIFY(m_t->Find<QLabel>("SaveNote")->isVisible());
  }
}

void SaveTest::editorTextToProgram_data() {
  QTest::addColumn<QString>("raw");
  QTest::addColumn<QByteArray>("program");
  QTest::newRow("paragraphs") << QString("N1\u2029N2\u2029") << QByteArray("N1\r\nN2\r\n");
  QTest::newRow("line separator") << QString("A\u2028B") << QByteArray("A\r\nB");
  QTest::newRow("LF") << QString("A\nB") << QByteArray("A\r\nB");
  QTest::newRow("CR LF stays one line end") << QString("A\r\nB") << QByteArray("A\r\nB");
  QTest::newRow("lone CR") << QString("A\rB") << QByteArray("A\r\nB");
  QTest::newRow("no-break space kept") << QString("A\u00A0B")
                                       << QByteArray(
                                              "A\xC2\xA0"
                                              "B");
  QTest::newRow("empty") << QString() << QByteArray();
}

void SaveTest::editorTextToProgram() {
  QFETCH(QString, raw);
  QFETCH(QByteArray, program);
  QCOMPARE(QByteArray::fromStdString(kalmoro::FromEditorText(raw)), program);
  // Back into the field: clean lines without CR.
  QVERIFY(!kalmoro::ToEditorText(program.toStdString()).contains('\r'));
}

// The core's text into the field in one pass must equal decoding it whole and then turning CR LF and
// lone CRs into line breaks, for any bytes: ASCII, Cyrillic, invalid UTF-8, CRs at run boundaries.
void SaveTest::programToEditorText() {
  QRandomGenerator random(20080704);
  const QByteArray pieces[] = {"N1G01X0.000",
                               "\r\n",
                               "\r",
                               "\n",
                               "\xD0\x9F\xD1\x80",
                               "\xF0\x9F\x98\x80",
                               "\xC3",
                               "\x80\x80",
                               "\xEF\xBB\xBF",
                               "\r\xD0\x9F\r\n",
                               " D0"};
  for (int i = 0; i < 2000; ++i) {
    QByteArray program;
    for (int n = random.bounded(12); n > 0; --n) program += pieces[random.bounded(int(std::size(pieces)))];
    QString expected = QString::fromUtf8(program);
    expected.replace("\r\n", "\n");
    expected.replace('\r', '\n');
    const QString actual = kalmoro::ToEditorText(program.toStdString());
    QVERIFY2(actual == expected,
             qPrintable("for the bytes " + program.toHex(' ') + " the field must show \"" + expected +
                        "\", not \"" + actual + "\""));
  }
}

QTEST_MAIN(SaveTest)
#include "SaveTest.moc"
