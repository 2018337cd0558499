#include "app/ProgramDocument.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "SaveNote.h"
#include "app/Dialogs.h"
#include "app/DrawingExport.h"
#include "app/Guarded.h"
#include "app/LongLine.h"
#include "app/ProgramEdit.h"
#include "app/ProgramField.h"
#include "app/SetupSheet.h"
#include "app/preview/FieldReader.h"
#include "load/ProgramLoad.h"
#include "save/ProgramBackup.h"
#include "save/ProgramFile.h"
#include "save/ProgramName.h"

namespace kalmoro {
namespace {

// More marks than undo steps a user walks back through are not kept.
constexpr std::size_t kMaxNameMarks = 256;

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// "U+1F600" for a character the user may not be able to see in the message (a zero-width space).
QString CodePointName(const std::string& utf8Char) {
  const QList<uint> ucs4 = QString::fromStdString(utf8Char).toUcs4();
  if (ucs4.isEmpty()) return {};
  std::array<char, 16> hex{};
  const auto end = std::to_chars(hex.data(), hex.data() + hex.size(), ucs4.front(), 16).ptr;
  QString digits = QString::fromLatin1(hex.data(), end - hex.data()).toUpper();
  return QStringLiteral("U+") + digits.rightJustified(4, QLatin1Char('0'));
}

// The one local file a drag carries, or an empty name.
QString DraggedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  return urls.front().toLocalFile();
}

// Whether the field holds nothing but blanks; stops at the first line that holds more.
bool Blank(const QTextDocument& document) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    if (!block.text().trimmed().isEmpty()) return false;
  return true;
}

std::string LocalName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

ProgramDocument::ProgramDocument(ProgramEdit& field, QPushButton& saveButton, Dialogs& dialogs,
                                 QWidget& window)
    : QObject(&window),
      m_field(field),
      m_saveButton(saveButton),
      m_dialogs(dialogs),
      m_window(window),
      m_text(std::make_unique<ProgramField>(field)),
      m_reader(new FieldReader(field, this)),
      m_note(new SaveNote(field)) {
  QTextDocument* document = field.document();
  // The note tells where the text went; once the text changes it no longer holds.
  connect(document, &QTextDocument::contentsChanged, m_note, &QWidget::hide);
  connect(document, &QTextDocument::modificationChanged, this, &ProgramDocument::UpdateTitle);
  connect(document, &QTextDocument::undoCommandAdded, this, &ProgramDocument::ForgetUndoneNames);
  // Undo and redo may cross an open or a new program: the name the text had then comes back.
  connect(document, &QTextDocument::contentsChanged, this, &ProgramDocument::UpdateTitle);
  // Said once the paste or drop has ended: a modal box inside a drop stalls the source.
  connect(&field, &ProgramEdit::InsertRefused, this, [this](const QString& message) {
    QMetaObject::invokeMethod(
        this,
        [this, message] { Guarded([&] { m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), message); }); },
        Qt::QueuedConnection);
  });
  connect(&saveButton, &QPushButton::clicked, this, [this] { Guarded([this] { Save(); }); });
  AddActions();
  m_window.setAcceptDrops(true);
  m_window.installEventFilter(this);
  field.viewport()->installEventFilter(this);
  UpdateTitle();
}

ProgramDocument::~ProgramDocument() = default;

template <typename Body>
void ProgramDocument::Guarded(Body&& body) noexcept {
  RunGuarded(m_dialogs, std::forward<Body>(body));
}

void ProgramDocument::AddActions() {
  const auto add = [this](const char* text, const char* name, const QKeySequence& key, auto run) {
    auto* action = new QAction(QString::fromUtf8(text), &m_window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, [this, run] { Guarded(run); });
    m_actions.append(action);
  };
  add(kOpenAction, "ActOpen", QKeySequence::Open, [this] { OpenWithDialog(); });
  add(kSaveAction, "ActSave", QKeySequence::Save, [this] { Save(); });
  add(kPrintAction, "ActPrint", QKeySequence::Print, [this] { PrintSheet(); });
  add(kSheetPdfAction, "ActSheetPdf", QKeySequence(), [this] { SaveSheetPdf(); });
  add(kExportAction, "ActExport", QKeySequence(), [this] { ExportDrawing(); });
}

// Opening a program ----------------------------------------------------------------------------------

void ProgramDocument::OpenWithDialog() {
  QString start = m_lastFileName;
  if (start.isEmpty()) {
    start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
  }
  if (const std::optional<QString> chosen = m_dialogs.GetOpenFileName(start)) Open(*chosen);
}

bool ProgramDocument::Open(const QString& path) {
  bool opened = false;
  Guarded([&] {
    const LoadResult loaded = LoadProgramFile(LocalName(path));
    if (!Loadable(loaded, path) || !MayClose()) return;
    const QString file = QFileInfo(path).absoluteFilePath();
    PutFile(loaded, file, QStringLiteral("Открыт файл (%1):"));
    OfferBackup(file);
    opened = true;
    emit Opened(m_reader->Current());
  });
  return opened;
}

bool ProgramDocument::Loadable(const LoadResult& loaded, const QString& path) {
  QString why;
  if (!loaded.loaded)
    why = Text(loaded.message);
  else if (const std::optional<LongLine> line = FindLongLine(loaded.text))
    why = QStringLiteral("Файл «%1» не открыт: ").arg(path) + LongLineText(*line) +
          QStringLiteral(". В программах для станка таких строк не бывает.");
  if (why.isEmpty()) return true;
  m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), why);
  return false;
}

void ProgramDocument::PutFile(const LoadResult& loaded, const QString& file, const QString& caption) {
  m_text->Replace(loaded.text);
  // The text is what the file holds: closing now asks nothing, undoing the open makes it unsaved.
  m_text->MarkSaved();
  NameNewText(file);
  m_lastFileName = file;
  m_note->ShowFileNote(caption.arg(QString::fromLatin1(EncodingName(loaded.encoding))), file);
  m_saveButton.setToolTip(QString());
}

void ProgramDocument::OfferBackup(const QString& file) {
  const std::vector<std::string> backups = FindBackups(LocalName(file));
  if (backups.empty()) return;
  if (!m_dialogs.AskYesNo(QString::fromUtf8(kOpenTitle),
                          QStringLiteral("Прошлое сохранение файла «%1» было прервано: файл может быть "
                                         "испорчен, а прежняя программа осталась в резервной копии «%2». "
                                         "Вернуть её в файл и открыть?")
                              .arg(file, Text(backups.front()))))
    return;
  const SaveResult restored = RestoreBackup(LocalName(file), backups.front());
  if (!restored.Saved()) {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), Text(restored.message));
    return;
  }
  const LoadResult loaded = LoadProgramFile(LocalName(file));
  if (!Loadable(loaded, file)) return;
  PutFile(loaded, file, QStringLiteral("Из резервной копии (%1):"));
  if (!restored.message.empty()) m_dialogs.ShowInfo(QString::fromUtf8(kOpenTitle), Text(restored.message));
}

// Saving -------------------------------------------------------------------------------------------

bool ProgramDocument::MayClose() {
  if (!m_text->HasUnsavedProgram()) return true;
  switch (m_dialogs.AskSaveDiscardCancel(QString::fromUtf8(kSaveTitle), QString::fromUtf8(kSaveQuestion))) {
    case SaveAnswer::Save:
      return Save();
    case SaveAnswer::Discard:
      return true;
    case SaveAnswer::Cancel:
      break;
  }
  return false;
}

bool ProgramDocument::ConfirmProblems(const FieldReading& read) {
  const std::size_t count = ProblemCount(read.reading);
  if (count == 0) return true;
  const auto first = std::find_if(read.reading.problems.begin(), read.reading.problems.end(),
                                  [](const Problem& p) { return p.kind != ProblemKind::Note; });
  QString text = QStringLiteral("Проверка нашла в программе ошибок: %1.").arg(Text(std::to_string(count)));
  if (first != read.reading.problems.end())
    text += QStringLiteral("\r\nПервая — строка %1: %2")
                .arg(Text(std::to_string(first->line)), Text(first->text));
  return m_dialogs.AskProceed(QString::fromUtf8(kSaveTitle),
                              text + QStringLiteral("\r\n\r\nСохранить программу с ошибками?"),
                              QStringLiteral("Сохранить"));
}

QString ProgramDocument::SaveStart(const std::string& program, const QString& suffix) const {
  QString start = m_lastFileName;
  if (start.isEmpty()) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    const std::string name = ProgramBaseName(program);
    if (name.empty()) return folder;
    start = QDir(folder).filePath(Text(WithIsoExtension(name)));
  }
  if (suffix.isEmpty()) return start;
  // Beside the program's file, with its name: part.iso gives part.svg.
  const QFileInfo info(start);
  return info.dir().filePath(info.completeBaseName() + suffix);
}

bool ProgramDocument::Save() {
  // The reading of the very text saved; the dialogs are modal, so the text cannot change meanwhile.
  const std::shared_ptr<const FieldReading> read = m_reader->Current();
  const QString title = QString::fromUtf8(kSaveTitle);
  const QString error = QString::fromUtf8(kErrorTitle);
  if (read->failed) {
    m_dialogs.ShowError(error,
                        QStringLiteral("Программа не сохранена: ") +
                            Text(read->reading.problems.empty() ? "" : read->reading.problems[0].text));
    return false;
  }
  // Refused before any question: there would be nothing to write.
  if (!read->unencodable.empty()) {
    m_dialogs.ShowError(
        error, QStringLiteral("Программа не сохранена: ") +
                   Text(Cp1251Refusal(read->unencodable, CodePointName(read->unencodable).toStdString())));
    return false;
  }
  if (!ConfirmProblems(*read)) return false;
  const std::optional<QString> chosen = m_dialogs.GetSaveFileName(SaveStart(read->text));
  if (!chosen) return false;
  const std::string path = WithIsoExtension(chosen->toStdString());
  m_lastFileName = Text(path);

  // A folder of that name cannot be replaced: the save below says so without asking.
  if (FileExists(path) && !QFileInfo(m_lastFileName).isDir() &&
      !m_dialogs.AskYesNo(title,
                          QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(m_lastFileName)))
    return false;
  if (RestoreLeftBackup(path)) return false;
  SaveResult saved = SaveProgramFile(path, read->text);
  // A read-only file is replaced only when the user says so, in a question that names the reason.
  if (saved.kind == SaveResult::Kind::ReadOnly &&
      m_dialogs.AskYesNo(title, Text(saved.message) + QStringLiteral(". Всё равно заменить его?")))
    saved = SaveProgramFile(path, read->text, ReadOnlyFile::Replace);
  if (!saved.Saved()) {
    if (saved.kind == SaveResult::Kind::Failed) m_dialogs.ShowError(error, Text(saved.message));
    return false;
  }
  // What of the old file could not be kept (its owner, when a read-only file was replaced).
  if (!saved.message.empty()) m_dialogs.ShowInfo(title, Text(saved.message));
  if (m_reader->Version() == read->version) m_text->MarkSaved();
  NameSaved(m_lastFileName);
  m_note->ShowSaved(m_lastFileName);
  m_saveButton.setToolTip(QStringLiteral("Программа сохранена в файл «%1»").arg(m_lastFileName));
  return true;
}

bool ProgramDocument::RestoreLeftBackup(const std::string& path) {
  const std::vector<std::string> backups = FindBackups(path);
  if (backups.empty()) return false;
  const QString file = Text(path);
  if (!m_dialogs.AskYesNo(
          QString::fromUtf8(kSaveTitle),
          QStringLiteral("Прошлое сохранение файла «%1» было прервано, прежняя программа осталась "
                         "в резервной копии «%2». Вернуть её в файл вместо новой программы?")
              .arg(file, Text(backups.front()))))
    return false;
  const SaveResult restored = RestoreBackup(path, backups.front());
  if (restored.Saved()) {
    // The field keeps the new program, which the file now does not hold.
    NameSaved(file);
    m_field.document()->setModified(true);
    UpdateTitle();
    const QString done =
        QStringLiteral("Прежняя программа возвращена в файл «%1», новая программа не сохранена.");
    m_dialogs.ShowInfo(QString::fromUtf8(kSaveTitle),
                       (done.arg(file) + " " + Text(restored.message)).trimmed());
  } else {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), Text(restored.message));
  }
  return true;
}

// The text and its name ---------------------------------------------------------------------------

void ProgramDocument::SetGenerated(std::string_view program) {
  m_text->Replace(program);
  NameNewText(QString());
}

void ProgramDocument::Clear() {
  if (m_field.document()->isEmpty()) return;
  m_text->Clear();
  NameNewText(QString());
}

QString ProgramDocument::FileName() const {
  const int steps = m_field.document()->availableUndoSteps();
  for (auto mark = m_names.rbegin(); mark != m_names.rend(); ++mark)
    if (mark->step <= steps) return mark->name;
  return {};
}

void ProgramDocument::ForgetUndoneNames() {
  // A new edit drops what could have been redone, and the names of those texts with it.
  const int steps = m_field.document()->availableUndoSteps();
  std::erase_if(m_names, [steps](const NameMark& mark) { return mark.step >= steps; });
}

void ProgramDocument::NameNewText(const QString& name) {
  ForgetUndoneNames();
  m_names.push_back({m_field.document()->availableUndoSteps(), name});
  if (m_names.size() > kMaxNameMarks) m_names.erase(m_names.begin());
  UpdateTitle();
}

void ProgramDocument::NameSaved(const QString& name) {
  const int steps = m_field.document()->availableUndoSteps();
  const auto governing = std::find_if(m_names.rbegin(), m_names.rend(),
                                      [steps](const NameMark& mark) { return mark.step <= steps; });
  if (governing != m_names.rend())
    governing->name = name;
  else
    m_names.insert(m_names.begin(), {0, name});
  UpdateTitle();
}

// "part.iso* — Генератор …" as editors show it: the file's name, and a mark while the text differs from
// it; "Новая программа*" for a program no file holds; the program's name alone before there is one.
void ProgramDocument::UpdateTitle() {
  const QString name = FileName();
  bool modified = m_field.document()->isModified();
  QString title = QString::fromUtf8(kAppTitle);
  if (!name.isEmpty())
    title = QFileInfo(name).fileName() + QStringLiteral("[*] — ") + title;
  else if (modified && !Blank(*m_field.document()))
    title = QString::fromUtf8(kNewProgram) + QStringLiteral("[*] — ") + title;
  else
    modified = false;  // nothing that could be saved
  if (m_window.windowTitle() != title) m_window.setWindowTitle(title);
  if (m_window.isWindowModified() != modified) m_window.setWindowModified(modified);
}

// The setup sheet and the drawing -------------------------------------------------------------------

void ProgramDocument::PrintSheet() {
  const std::shared_ptr<const FieldReading> read = m_reader->Current();
  if (read->reading.empty) {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QStringLiteral("Программа пуста: печатать нечего."));
    return;
  }
  // The sheet of the program as it stood when asked for, whatever is typed while the preview is open.
  auto sheet = std::make_shared<const SheetContent>(
      SheetContent{read->text, read->reading, FileName(), QDate::currentDate(), read->machine});
  auto* dialog = new QPrintPreviewDialog(&m_window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QString::fromUtf8(kSheetTitle));
  SetSheetPageLayout(*dialog->printer());
  connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
          [sheet](QPrinter* printer) { PaintSetupSheet(*sheet, *printer); });
  dialog->open();
}

void ProgramDocument::SaveSheetPdf() {
  const std::shared_ptr<const FieldReading> read = m_reader->Current();
  if (read->reading.empty) {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                        QStringLiteral("Программа пуста: лист наладки не нужен."));
    return;
  }
  const std::optional<QString> chosen =
      m_dialogs.GetPdfFileName(SaveStart(read->text, QStringLiteral(".pdf")));
  if (!chosen) return;
  const SheetContent sheet{read->text, read->reading, FileName(), QDate::currentDate(), read->machine};
  if (const std::optional<QString> error = WriteSetupSheetPdf(sheet, *chosen))
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), *error);
  else
    m_note->ShowFileNote(QStringLiteral("Лист наладки записан в файл"), *chosen);
}

void ProgramDocument::ExportDrawing() {
  const std::shared_ptr<const FieldReading> read = m_reader->Current();
  const std::optional<QString> chosen =
      m_dialogs.GetExportFileName(SaveStart(read->text, QStringLiteral(".svg")));
  if (!chosen) return;
  if (const std::optional<QString> error = kalmoro::ExportDrawing(read->reading, *chosen))
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), *error);
  else
    m_note->ShowFileNote(QStringLiteral("Чертёж записан в файл"), *chosen);
}

// Dropped files -----------------------------------------------------------------------------------

bool ProgramDocument::eventFilter(QObject* watched, QEvent* event) {
  // A file dropped on the window or on the program field opens it; dropped text is the field's business.
  if ((watched == &m_window || watched == m_field.viewport()) && HandleFileDrop(event)) return true;
  return QObject::eventFilter(watched, event);
}

bool ProgramDocument::HandleFileDrop(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DraggedFile(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString path = DraggedFile(drop->mimeData());
      if (path.isEmpty()) return false;
      drop->acceptProposedAction();
      // Asked after the drop has ended: a modal question inside a drop handler stalls the source.
      QMetaObject::invokeMethod(
          this, [this, path] { Open(path); }, Qt::QueuedConnection);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace kalmoro
