#include "app/FrmMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPalette>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabBar>
#include <array>
#include <charconv>
#include <exception>

#include "ConeWidgets.h"
#include "FieldBinding.h"
#include "FieldTip.h"
#include "SaveNote.h"
#include "app/Dialogs.h"
#include "app/ProgramField.h"
#include "app/preview/ToolpathPreview.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "save/ProgramBackup.h"
#include "save/ProgramFile.h"
#include "save/ProgramName.h"

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
  // Three tabs of a third of the width each, tall enough for their two-line captions. The font is set
  // again after the style sheet so that the tabs surely keep the fallback families.
  ui.SSTab1->tabBar()->setStyleSheet(
      QStringLiteral("QTabBar::tab { height: 33px; width: 107px; padding: 0px; }"));
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
    m_cone->SetBackground(field, kAutoColor);
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
  ToolpathPreview::Attach(*ui.NcPr, *this);
}

FrmMain::~FrmMain() = default;

template <typename Body>
void FrmMain::Guarded(Body&& body) noexcept {
  QString what;
  try {
    body();
    return;
  } catch (const std::exception& e) {
    what = QString::fromUtf8(e.what());
  } catch (...) {
    what = QStringLiteral("неизвестная ошибка");
  }
  try {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QStringLiteral("Непредвиденная ошибка: ") + what);
  } catch (...) {
    // Nothing more can be shown; the window stays usable.
  }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
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

void FrmMain::GenArc() {
  Guarded([this] { ShowResult(GenCircle(Utf8(ui.ArcDiam))); });
}

void FrmMain::GenRect() {
  Guarded(
      [this] { ShowResult(kalmoro::GenRect(Utf8(ui.RectWidth), Utf8(ui.RectHeight), Utf8(ui.RectArc))); });
}

void FrmMain::GenCone() {
  Guarded([this] {
    ShowResult(kalmoro::GenCone(Utf8(ui.ConH), Utf8(ui.ConDDown), Utf8(ui.ConDUp), Utf8(ui.ConAng)));
  });
}

void FrmMain::ClearProgram() {
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
  if (!EncodeCp1251(text, &bad) && !bad.empty()) {
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                        QStringLiteral("Программа не сохранена: символ «%1» (%2) нельзя записать в "
                                       "кодировке Windows-1251. Удалите его из текста программы.")
                            .arg(QString::fromStdString(bad), CodePointName(bad)));
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
  m_note->ShowSaved(m_lastFileName);
  ui.BtnSaveNC->setToolTip(QStringLiteral("Программа сохранена в файл «%1»").arg(m_lastFileName));
  return true;
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
