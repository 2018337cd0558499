#include "app/FrmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QKeySequence>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabBar>
#include <QUrl>
#include <array>
#include <charconv>
#include <exception>
#include <utility>

#include "ConeWidgets.h"
#include "DrawingExport.h"
#include "FieldBinding.h"
#include "FieldTip.h"
#include "SaveNote.h"
#include "app/Dialogs.h"
#include "app/JobPage.h"
#include "app/MachineDialog.h"
#include "app/ProgramField.h"
#include "app/SetupSheet.h"
#include "app/preview/ToolpathPreview.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "load/ProgramLoad.h"
#include "nc/HoleHeader.h"
#include "nc/NumberText.h"
#include "save/ProgramBackup.h"
#include "save/ProgramFile.h"
#include "save/ProgramName.h"
#include "text/Cp1251.h"

// The images and the window icon live in this library; pull their registration in explicitly, since
// a static library's initializers are dropped when nothing refers to them.
static void InitKalmoroResources() {
  Q_INIT_RESOURCE(kalmoro);
}

namespace kalmoro {
namespace {

// Tahoma and Courier New are rarely installed on Linux; the fallbacks have like metrics. Sizes are
// in pixels (the original points at 96 dpi) because the layout is fixed in pixels.
QFont UiFont(int pixels) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  return font;
}

QFont ProgramFont() {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(13);
  return font;
}

void SetTextColor(QWidget& widget, const QColor& color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, color);
  widget.setPalette(palette);
}

std::string Utf8(const QLineEdit* field) {
  return field->text().toStdString();
}

// "U+1F600" for a character the user may not be able to see in the message (a zero-width space).
// The one local file a drag carries, or an empty name.
QString DraggedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  return urls.front().toLocalFile();
}

QString CodePointName(const std::string& utf8Char) {
  const QList<uint> ucs4 = QString::fromStdString(utf8Char).toUcs4();
  if (ucs4.isEmpty()) return {};
  std::array<char, 16> hex{};
  const auto end = std::to_chars(hex.data(), hex.data() + hex.size(), ucs4.front(), 16).ptr;
  QString digits = QString::fromLatin1(hex.data(), end - hex.data()).toUpper();
  return QStringLiteral("U+") + digits.rightJustified(4, QLatin1Char('0'));
}

}  // namespace

FrmMain::FrmMain(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  InitKalmoroResources();
  ui.setupUi(this);
  setFixedSize(size());

  setFont(UiFont(12));
  ui.Logo->setFont([] {
    QFont font = UiFont(9);
    font.setUnderline(true);
    return font;
  }());
  SetTextColor(*ui.Logo, QColor(128, 128, 255));
  ui.Label9->setFont(UiFont(11));
  SetTextColor(*ui.Label9, QColor(255, 0, 0));
  ui.NcPr->setFont(ProgramFont());
  // The three hole pages' tabs wide enough for "Прямоугольное", the job's narrower one filling the
  // rest, all tall enough for their two-line captions. The font is set again after the style sheet so
  // that the tabs surely keep the fallback families.
  ui.SSTab1->tabBar()->setStyleSheet(QStringLiteral(
      "QTabBar::tab { height: 33px; width: 89px; padding: 0px; } QTabBar::tab:last { width: 54px; }"));
  ui.SSTab1->tabBar()->setFont(UiFont(12));

  for (QLineEdit* field :
       {ui.ArcDiam, ui.RectWidth, ui.RectHeight, ui.RectArc, ui.ConH, ui.ConDUp, ui.ConDDown})
    BindFieldCheck(*field, false);
  BindFieldCheck(*ui.ConAng, true);

  // The three stored drawings stay out of view behind PictCone0, which starts with the equal holes.
  ui.PictCone1->hide();
  ui.PictCone2->hide();
  ui.PictCone3->hide();
  m_cone = std::make_unique<ConeWidgets>(ConeWidgets::Widgets{
      ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng, ui.PictCone0, ui.PictCone1, ui.PictCone2, ui.PictCone3});
  for (ConeField field : {ConeField::H, ConeField::DUp, ConeField::DDown, ConeField::Ang})
    m_cone->SetSource(field, ConeSource::Derived);
  m_cone->ShowPicture(ConePicture::None);
  for (QLineEdit* field : {ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng}) field->installEventFilter(this);
  ui.Logo->installEventFilter(this);

  m_program = std::make_unique<ProgramField>(*ui.NcPr);
  m_note = new SaveNote(*ui.NcPr);
  // The note tells where the text went; once the text changes it no longer holds.
  connect(ui.NcPr, &QPlainTextEdit::textChanged, m_note, &QWidget::hide);

  connect(ui.BtnGenArc, &QPushButton::clicked, this, &FrmMain::GenArc);
  connect(ui.BtnGenRect, &QPushButton::clicked, this, &FrmMain::GenRect);
  connect(ui.BtnGenCone, &QPushButton::clicked, this, &FrmMain::GenCone);
  m_job = std::make_unique<JobPage>(
      JobPage::Widgets{ui.SSTab1, ui.TabJob, ui.JobTable, ui.BtnJobUp, ui.BtnJobDown, ui.BtnJobRemove,
                       ui.BtnJobCircle, ui.BtnJobOptimize, ui.JobCircleCount, ui.JobCircleDiam,
                       ui.JobCircleAngle, ui.JobCircleX, ui.JobCircleY, ui.JobNote},
      m_dialogs);
  connect(ui.BtnAddArc, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::ArcProgram); });
  connect(ui.BtnAddRect, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::RectProgram); });
  connect(ui.BtnAddCone, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::ConeProgram); });
  connect(ui.BtnGenJob, &QPushButton::clicked, this, &FrmMain::GenJob);
  connect(ui.BtnSaveNC, &QPushButton::clicked, this, &FrmMain::SaveNc);
  connect(ui.SSTab1, &QTabWidget::currentChanged, this, &FrmMain::ClearProgram);
  connect(ui.ArcDiam, &QLineEdit::returnPressed, this, &FrmMain::GenArc);
  for (QLineEdit* field : {ui.RectWidth, ui.RectHeight, ui.RectArc})
    connect(field, &QLineEdit::returnPressed, this, &FrmMain::GenRect);
  for (QLineEdit* field : {ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng})
    connect(field, &QLineEdit::returnPressed, this, &FrmMain::GenCone);
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &FrmMain::SaveNc);

  // A text too long for its field is shown in full as the field's tool tip. Connected after the
  // character check, so the tip sees the checked text.
  for (QLineEdit* field :
       {ui.ArcDiam, ui.RectWidth, ui.RectHeight, ui.RectArc, ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng}) {
    connect(field, &QLineEdit::textChanged, this, [this, field] { UpdateTip(field); });
    UpdateTip(field);
  }

  // The toolpath preview of the program field: F5 and the field's context menu open it.
  m_preview = ToolpathPreview::Attach(*ui.NcPr, *this);
  AddMachineAction(*m_preview);

  AddFileActions();
  AddSheetActions();
}

FrmMain::~FrmMain() = default;

template <typename Body>
void FrmMain::Guarded(Body&& body) noexcept {
  RunGuarded(m_dialogs, std::forward<Body>(body));
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  // A file dropped on the program field opens it; dropped text is the field's own business.
  if (watched == ui.NcPr->viewport() && HandleFileDrop(event)) return true;
  if (event->type() == QEvent::EnabledChange && watched == ui.ConAng) {
    UpdateTip(ui.ConAng);
  } else if (event->type() == QEvent::KeyRelease) {
    if (const auto field = m_cone->FieldOf(watched)) Guarded([&] { OnConeKeyRelease(*m_cone, *field); });
  } else if (event->type() == QEvent::MouseButtonRelease && watched == ui.Logo) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && ui.Logo->rect().contains(mouse->position().toPoint()))
      ShowFeedback();
  }
  return QWidget::eventFilter(watched, event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
  // Should asking fail, the window stays open: nothing is lost.
  bool mayClose = false;
  Guarded([&] { mayClose = MayClose(); });
  if (mayClose)
    event->accept();
  else
    event->ignore();
}

bool FrmMain::MayClose() {
  if (!m_program->HasUnsavedProgram()) return true;
  switch (m_dialogs.AskSaveDiscardCancel(QString::fromUtf8(kSaveTitle), QString::fromUtf8(kSaveQuestion))) {
    case SaveAnswer::Save:
      return SaveToFile();
    case SaveAnswer::Discard:
      return true;
    case SaveAnswer::Cancel:
      break;
  }
  return false;
}

void FrmMain::UpdateTip(QLineEdit* field) {
  QString help;
  if (field == ui.ConAng) help = QString::fromUtf8(field->isEnabled() ? kAngTip : kAngLockedTip);
  UpdateFieldTip(*field, help);
}

void FrmMain::ShowResult(const GenResult& result) {
  if (result.Ok())
    m_program->Replace(result.program);
  else
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(result.error));
}

GenResult FrmMain::ArcProgram() const {
  return GenCircle(Utf8(ui.ArcDiam));
}

GenResult FrmMain::RectProgram() const {
  return kalmoro::GenRect(Utf8(ui.RectWidth), Utf8(ui.RectHeight), Utf8(ui.RectArc));
}

GenResult FrmMain::ConeProgram() const {
  return kalmoro::GenCone(Utf8(ui.ConH), Utf8(ui.ConDDown), Utf8(ui.ConDUp), Utf8(ui.ConAng));
}

void FrmMain::GenArc() {
  Guarded([this] { ShowResult(ArcProgram()); });
}

void FrmMain::GenRect() {
  Guarded([this] { ShowResult(RectProgram()); });
}

void FrmMain::GenCone() {
  Guarded([this] { ShowResult(ConeProgram()); });
}

void FrmMain::AddToJob(GenResult (FrmMain::*program)() const) {
  Guarded([this, program] { m_job->Add((this->*program)()); });
}

void FrmMain::GenJob() {
  Guarded([this] { ShowResult(m_job->Generate(m_preview->Machine().wire)); });
}

void FrmMain::ClearProgram() {
  if (m_opening) return;
  Guarded([this] { m_program->Clear(); });
}

void FrmMain::ShowFeedback() {
  Guarded(
      [this] { m_dialogs.ShowInfo(QString::fromUtf8(kFeedbackTitle), QString::fromUtf8(kFeedbackText)); });
}

void FrmMain::SaveNc() {
  Guarded([this] { SaveToFile(); });
}

QString FrmMain::SaveStart(const std::string& program) const {
  if (!m_lastFileName.isEmpty()) return m_lastFileName;
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  const std::string name = ProgramBaseName(program);
  if (name.empty()) return folder;
  return QDir(folder).filePath(QString::fromStdString(WithIsoExtension(name)));
}

bool FrmMain::SaveToFile() {
  // The dialog is modal: the text cannot change while it is up.
  const std::string text = m_program->Program();
  const std::optional<QString> chosen = m_dialogs.GetSaveFileName(SaveStart(text));
  if (!chosen) return false;
  const std::string path = WithIsoExtension(chosen->toStdString());
  m_lastFileName = QString::fromStdString(path);

  // Refused before the overwrite question: there would be nothing to replace the file with.
  std::string bad;
  if (!EncodeCp1251(text, &bad)) {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                        QStringLiteral("Программа не сохранена: ") +
                            QString::fromStdString(Cp1251Refusal(bad, CodePointName(bad).toStdString())));
    return false;
  }
  // A folder of that name cannot be replaced: the save below says so without asking.
  if (FileExists(path) && !QFileInfo(m_lastFileName).isDir() &&
      !m_dialogs.AskYesNo(QString::fromUtf8(kSaveTitle),
                          QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(m_lastFileName)))
    return false;
  if (RestoreLeftBackup(path)) return false;
  SaveResult saved = SaveProgramFile(path, text);
  // A read-only file is replaced only when the user says so, in a question that names the reason.
  if (saved.kind == SaveResult::Kind::ReadOnly &&
      m_dialogs.AskYesNo(QString::fromUtf8(kSaveTitle),
                         QString::fromStdString(saved.message) + QStringLiteral(". Всё равно заменить его?")))
    saved = SaveProgramFile(path, text, ReadOnlyFile::Replace);
  if (!saved.Saved()) {
    if (saved.kind == SaveResult::Kind::Failed)
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(saved.message));
    return false;
  }
  // What of the old file could not be kept (its owner, when a read-only file was replaced).
  if (!saved.message.empty())
    m_dialogs.ShowInfo(QString::fromUtf8(kSaveTitle), QString::fromStdString(saved.message));
  m_program->MarkSaved();
  SetFileName(m_lastFileName);
  m_note->ShowSaved(m_lastFileName);
  ui.BtnSaveNC->setToolTip(QStringLiteral("Программа сохранена в файл «%1»").arg(m_lastFileName));
  return true;
}

// Opening a program ---------------------------------------------------------------------------------

void FrmMain::AddFileActions() {
  auto* open = new QAction(QString::fromUtf8(kOpenAction), this);
  open->setObjectName(QStringLiteral("ActOpen"));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, &FrmMain::OpenNc);
  // The window's own context menu and the program field's list the file actions.
  addAction(open);
  ui.NcPr->addAction(open);

  auto* exportDrawing = new QAction(QString::fromUtf8(kExportAction), this);
  exportDrawing->setObjectName(QStringLiteral("ActExport"));
  connect(exportDrawing, &QAction::triggered, this, &FrmMain::ExportNc);
  addAction(exportDrawing);
  ui.NcPr->addAction(exportDrawing);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  setAcceptDrops(true);
  ui.NcPr->viewport()->installEventFilter(this);
  connect(ui.NcPr->document(), &QTextDocument::modificationChanged, this, &FrmMain::UpdateTitle);
}

bool FrmMain::HandleFileDrop(QEvent* event) {
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
          this, [this, path] { OpenFile(path); }, Qt::QueuedConnection);
      return true;
    }
    default:
      return false;
  }
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!HandleFileDrop(event)) QWidget::dragEnterEvent(event);
}

void FrmMain::dropEvent(QDropEvent* event) {
  if (!HandleFileDrop(event)) QWidget::dropEvent(event);
}

void FrmMain::OpenNc() {
  Guarded([this] {
    QString start = m_lastFileName;
    if (start.isEmpty()) {
      start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    }
    if (const std::optional<QString> chosen = m_dialogs.GetOpenFileName(start)) OpenFile(*chosen);
  });
}

bool FrmMain::OpenFile(const QString& path) {
  bool opened = false;
  Guarded([&] {
    const LoadResult loaded = LoadProgramFile(QFile::encodeName(path).toStdString());
    if (!loaded.loaded) {
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(loaded.message));
      return;
    }
    if (!MayClose()) return;
    const ProgramReading reading = ReadProgram(loaded.text);
    m_opening = true;
    try {
      ShowHeaderFields(reading, loaded.text);
    } catch (...) {
      m_opening = false;
      throw;
    }
    m_opening = false;
    m_program->Replace(loaded.text);
    // The text is what the file holds: closing now asks nothing, undoing the open makes it unsaved.
    m_program->MarkSaved();
    m_lastFileName = QFileInfo(path).absoluteFilePath();
    SetFileName(m_lastFileName);
    m_note->ShowFileNote(
        QStringLiteral("Открыт файл (%1):").arg(QString::fromLatin1(EncodingName(loaded.encoding))),
        m_lastFileName);
    ui.BtnSaveNC->setToolTip(QString());
    m_preview->Open();
    opened = true;
  });
  return opened;
}

void FrmMain::ShowHeaderFields(const ProgramReading& reading, std::string_view program) {
  if (m_job->Restore(program)) {
    ui.SSTab1->setCurrentWidget(ui.TabJob);
    return;
  }
  if (!reading.header) return;
  const auto text = [](double value) { return QString::fromStdString(StdText(value)); };
  if (const auto* circle = std::get_if<CircleHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(0);
    ui.ArcDiam->setText(QString::fromStdString(circle->diameter));
  } else if (const auto* rect = std::get_if<RectHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(1);
    ui.RectWidth->setText(text(rect->width));
    ui.RectHeight->setText(text(rect->height));
    ui.RectArc->setText(text(rect->radius));
  } else if (const auto* cone = std::get_if<ConeHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(2);
    // As if the two diameters and the height were typed: they are given, the angle derived and locked.
    m_cone->SetText(ConeField::H, StdText(cone->height));
    m_cone->SetText(ConeField::DDown, StdText(cone->lower));
    m_cone->SetText(ConeField::DUp, StdText(cone->upper));
    for (ConeField field : {ConeField::H, ConeField::DDown, ConeField::DUp}) SelAuto(*m_cone, field);
    CalcAng(*m_cone);
    // The header's own angle, so that the page writes the same header again. The header drops the
    // sign; it is positive when the lower hole is the wider one.
    const double angle = cone->lower < cone->upper ? -cone->angle : cone->angle;
    m_cone->SetText(ConeField::Ang, StdText(angle));
  }
}

void FrmMain::SetFileName(const QString& path) {
  m_fileName = path;
  UpdateTitle();
}

// "part.iso* — Генератор …" as editors show it: the file's name, and a mark while the text differs
// from it. Before a file is known the title is the program's name alone.
void FrmMain::UpdateTitle() {
  if (m_fileName.isEmpty()) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    return;
  }
  setWindowTitle(QFileInfo(m_fileName).fileName() + QStringLiteral("[*] — ") + QString::fromUtf8(kAppTitle));
  setWindowModified(ui.NcPr->document()->isModified());
}

// Exporting the drawing ------------------------------------------------------------------------------

void FrmMain::ExportNc() {
  Guarded([this] {
    const std::string text = m_program->Program();
    // Beside the program's file, with its name: part.iso gives part.svg.
    QString start = SaveStart(text);
    const QFileInfo info(start);
    if (!info.isDir() && !start.isEmpty())
      start = info.dir().filePath(info.completeBaseName() + QStringLiteral(".svg"));
    const std::optional<QString> chosen = m_dialogs.GetExportFileName(start);
    if (!chosen) return;
    if (const std::optional<QString> error = ExportDrawing(text, *chosen))
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), *error);
    else
      m_note->ShowFileNote(QStringLiteral("Чертёж записан в файл"), *chosen);
  });
}

// The machine ------------------------------------------------------------------------------------

void FrmMain::AddMachineAction(ToolpathPreview& preview) {
  const StoredMachine stored = LoadMachineProfile();
  preview.SetMachine(stored.profile, stored.saved, stored.error);
  auto* action = new QAction(QStringLiteral("Станок…"), this);
  action->setObjectName(QStringLiteral("ActMachine"));
  addAction(action);
  connect(action, &QAction::triggered, &preview, [this, &preview] { EditMachine(preview); });
  connect(&preview, &ToolpathPreview::MachineRequested, this, [this, &preview] { EditMachine(preview); });
}

void FrmMain::EditMachine(ToolpathPreview& preview) {
  auto* dialog = new MachineDialog(LoadMachineProfile(), &preview);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, &preview,
          [dialog, &preview] { preview.SetMachine(dialog->Saved(), true); });
  dialog->open();
}

// The setup sheet ------------------------------------------------------------------------------------

void FrmMain::AddSheetActions() {
  auto* print = new QAction(QString::fromUtf8(kPrintAction), this);
  print->setObjectName(QStringLiteral("ActPrint"));
  print->setShortcut(QKeySequence::Print);
  connect(print, &QAction::triggered, this, &FrmMain::PrintSheet);
  auto* pdf = new QAction(QString::fromUtf8(kSheetPdfAction), this);
  pdf->setObjectName(QStringLiteral("ActSheetPdf"));
  connect(pdf, &QAction::triggered, this, &FrmMain::SaveSheetPdf);
  for (QAction* action : {print, pdf}) {
    addAction(action);
    ui.NcPr->addAction(action);
  }
}

void FrmMain::PrintSheet() {
  Guarded([this] {
    std::string text = m_program->Program();
    if (ReadProgram(text).empty) {
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                          QStringLiteral("Программа пуста: печатать нечего."));
      return;
    }
    // The sheet of the program as it stood when asked for, whatever is typed while the preview is open.
    auto sheet = std::make_shared<const SheetContent>(
        MakeSheetContent(std::move(text), m_fileName, QDate::currentDate(), m_preview->Machine()));
    auto* dialog = new QPrintPreviewDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QString::fromUtf8(kSheetTitle));
    SetSheetPageLayout(*dialog->printer());
    connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
            [sheet](QPrinter* printer) { PaintSetupSheet(*sheet, *printer); });
    dialog->open();
  });
}

void FrmMain::SaveSheetPdf() {
  Guarded([this] {
    std::string text = m_program->Program();
    if (ReadProgram(text).empty) {
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                          QStringLiteral("Программа пуста: лист наладки не нужен."));
      return;
    }
    // Beside the program's file, with its name: part.iso gives part.pdf.
    QString start = SaveStart(text);
    const QFileInfo info(start);
    if (!info.isDir() && !start.isEmpty())
      start = info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    const std::optional<QString> chosen = m_dialogs.GetPdfFileName(start);
    if (!chosen) return;
    const SheetContent sheet =
        MakeSheetContent(std::move(text), m_fileName, QDate::currentDate(), m_preview->Machine());
    if (const std::optional<QString> error = WriteSetupSheetPdf(sheet, *chosen))
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), *error);
    else
      m_note->ShowFileNote(QStringLiteral("Лист наладки записан в файл"), *chosen);
  });
}

bool FrmMain::RestoreLeftBackup(const std::string& path) {
  const std::vector<std::string> backups = FindBackups(path);
  if (backups.empty()) return false;
  const QString file = QString::fromStdString(path);
  if (!m_dialogs.AskYesNo(
          QString::fromUtf8(kSaveTitle),
          QStringLiteral("Прошлое сохранение файла «%1» было прервано, прежняя программа осталась "
                         "в резервной копии «%2». Вернуть её в файл вместо новой программы?")
              .arg(file, QString::fromStdString(backups.front()))))
    return false;
  const SaveResult restored = RestoreBackup(path, backups.front());
  if (restored.Saved()) {
    const QString done =
        QStringLiteral("Прежняя программа возвращена в файл «%1», новая программа не сохранена.");
    m_dialogs.ShowInfo(QString::fromUtf8(kSaveTitle),
                       (done.arg(file) + " " + QString::fromStdString(restored.message)).trimmed());
  } else {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(restored.message));
  }
  return true;
}

}  // namespace kalmoro
