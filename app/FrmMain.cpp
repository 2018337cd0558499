#include "app/FrmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPalette>
#include <QTabBar>
#include <utility>

#include "ConeWidgets.h"
#include "FieldBinding.h"
#include "FieldTip.h"
#include "app/Dialogs.h"
#include "app/JobPage.h"
#include "app/MachineDialog.h"
#include "app/OpeningPages.h"
#include "app/PassChoice.h"
#include "app/ProgramDocument.h"
#include "app/ProgramEdit.h"
#include "app/Verdict.h"
#include "app/preview/FieldReader.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathPreview.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/HoleHeader.h"
#include "nc/NumberText.h"

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

  // The form's start text is no program; the verdict says so until there is one.
  const std::string startText = FromEditorText(ui.NcPr->document()->toRawText());
  m_document = new ProgramDocument(*ui.NcPr, *ui.BtnSaveNC, m_dialogs, *this);
  connect(m_document, &ProgramDocument::Opened, this, &FrmMain::ShowOpened);

  connect(ui.BtnGenArc, &QPushButton::clicked, this, &FrmMain::GenArc);
  connect(ui.BtnGenRect, &QPushButton::clicked, this, &FrmMain::GenRect);
  connect(ui.BtnGenCone, &QPushButton::clicked, this, &FrmMain::GenCone);
  m_job = std::make_unique<JobPage>(
      JobPage::Widgets{ui.SSTab1, ui.TabJob, ui.JobTable, ui.BtnJobUp, ui.BtnJobDown, ui.BtnJobRemove,
                       ui.BtnJobUndo, ui.BtnJobCircle, ui.BtnJobOptimize, ui.JobCircleCount, ui.JobCircleDiam,
                       ui.JobCircleAngle, ui.JobCircleX, ui.JobCircleY, ui.JobNote, ui.JobRoughFirst},
      m_dialogs);
  m_passes = new PassChoice({{ui.BtnPassesArc, ui.PassesArc},
                             {ui.BtnPassesRect, ui.PassesRect},
                             {ui.BtnPassesCone, ui.PassesCone},
                             {ui.BtnPassesJob, ui.PassesJob}},
                            m_dialogs, *this);
  m_openings = new OpeningPages({ui.ArcDiam, ui.RectWidth, ui.RectHeight, ui.RectArc, ui.BtnDieArc, ui.DieArc,
                                 ui.BtnDieRect, ui.DieRect, ui.BtnTaperRect, ui.TaperRect},
                                m_dialogs, *this);
  connect(ui.BtnAddArc, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::ArcProgram); });
  connect(ui.BtnAddRect, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::RectProgram); });
  connect(ui.BtnAddCone, &QPushButton::clicked, this, [this] { AddToJob(&FrmMain::ConeProgram); });
  connect(ui.BtnGenJob, &QPushButton::clicked, this, &FrmMain::GenJob);
  connect(ui.SSTab1, &QTabWidget::currentChanged, this, &FrmMain::ClearProgram);
  connect(ui.ArcDiam, &QLineEdit::returnPressed, this, &FrmMain::GenArc);
  for (QLineEdit* field : {ui.RectWidth, ui.RectHeight, ui.RectArc})
    connect(field, &QLineEdit::returnPressed, this, &FrmMain::GenRect);
  for (QLineEdit* field : {ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng})
    connect(field, &QLineEdit::returnPressed, this, &FrmMain::GenCone);

  // A text too long for its field is shown in full as the field's tool tip. Connected after the
  // character check, so the tip sees the checked text.
  for (QLineEdit* field :
       {ui.ArcDiam, ui.RectWidth, ui.RectHeight, ui.RectArc, ui.ConH, ui.ConDUp, ui.ConDDown, ui.ConAng}) {
    connect(field, &QLineEdit::textChanged, this, [this, field] { UpdateTip(field); });
    UpdateTip(field);
  }

  // The toolpath preview of the program field: F5, the field's context menu and the verdict open it.
  m_preview = ToolpathPreview::Attach(*ui.NcPr, m_document->Reader(), *this);
  new Verdict(*ui.Verdict, m_document->Reader(), startText);
  connect(ui.Verdict, &QPushButton::clicked, this,
          [this] { Guarded([this] { m_preview->OpenAtFirstProblem(); }); });
  AddCommands();
}

FrmMain::~FrmMain() = default;

template <typename Body>
void FrmMain::Guarded(Body&& body) noexcept {
  RunGuarded(m_dialogs, std::forward<Body>(body));
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
  Guarded([&] { mayClose = m_document->MayClose(); });
  if (mayClose)
    event->accept();
  else
    event->ignore();
}

void FrmMain::UpdateTip(QLineEdit* field) {
  QString help;
  if (field == ui.ConAng) help = QString::fromUtf8(field->isEnabled() ? kAngTip : kAngLockedTip);
  UpdateFieldTip(*field, help);
}

void FrmMain::ShowResult(const GenResult& result) {
  if (result.Ok())
    m_document->SetGenerated(result.program);
  else
    m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(result.error));
}

// Every page writes its hole with the passes chosen, the slug held at the profile's code.
GenResult FrmMain::ArcProgram() const {
  return m_openings->Round(m_passes->Passes(), m_preview->Machine());
}

GenResult FrmMain::RectProgram() const {
  return m_openings->Rect(m_passes->Passes(), m_preview->Machine());
}

GenResult FrmMain::ConeProgram() const {
  return kalmoro::GenCone(Utf8(ui.ConH), Utf8(ui.ConDDown), Utf8(ui.ConDUp), Utf8(ui.ConAng),
                          m_passes->Passes(), m_preview->Machine().wire.hold);
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
  Guarded([this] { m_document->Clear(); });
}

void FrmMain::ShowFeedback() {
  Guarded(
      [this] { m_dialogs.ShowInfo(QString::fromUtf8(kFeedbackTitle), QString::fromUtf8(kFeedbackText)); });
}

void FrmMain::ShowOpened(const std::shared_ptr<const FieldReading>& read) {
  m_opening = true;
  try {
    ShowHeaderFields(*read);
  } catch (...) {
    m_opening = false;
    throw;
  }
  m_opening = false;
  m_preview->Open();
}

void FrmMain::ShowHeaderFields(const FieldReading& read) {
  const ProgramReading& reading = read.reading;
  if (m_job->Restore(read.text, m_preview->Machine().wire)) {
    ui.SSTab1->setCurrentWidget(ui.TabJob);
    return;
  }
  if (!reading.header) return;
  m_passes->Set(PassesOf(*reading.header));
  if (const auto* circle = std::get_if<CircleHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(0);
    m_openings->Show(*circle);
  } else if (const auto* rect = std::get_if<RectHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(1);
    m_openings->Show(*rect);
  } else if (const auto* taper = std::get_if<RectTaperHeader>(&*reading.header)) {
    ui.SSTab1->setCurrentIndex(1);
    m_openings->Show(*taper);
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

// The machine ------------------------------------------------------------------------------------

void FrmMain::AddCommands() {
  QList<QAction*> commands = m_document->Actions();
  m_preview->AddCommands(commands);
  commands.append(AddMachineAction());
  // The window's own context menu and the program field's list them.
  addActions(commands);
  ui.NcPr->addActions(commands);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* FrmMain::AddMachineAction() {
  const StoredMachine stored = LoadMachineProfile();
  m_preview->SetMachine(stored.profile, stored.saved, stored.error);
  // The choice of passes the profile keeps is the session's to start with.
  m_passes->Set(stored.profile.passes);
  m_job->SetRoughFirst(stored.profile.roughFirst);
  auto* action = new QAction(QStringLiteral("Станок…"), this);
  action->setObjectName(QStringLiteral("ActMachine"));
  connect(action, &QAction::triggered, this, [this] { Guarded([this] { EditMachine(); }); });
  connect(m_preview, &ToolpathPreview::MachineRequested, this,
          [this] { Guarded([this] { EditMachine(); }); });
  return action;
}

void FrmMain::EditMachine() {
  // Saved, the profile keeps the session's choice of passes with it.
  auto* dialog =
      new MachineDialog(LoadMachineProfile(), {m_passes->Passes(), m_job->List().RoughFirst()}, m_preview);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, m_preview,
          [this, dialog] { m_preview->SetMachine(dialog->Saved(), true); });
  dialog->open();
}

}  // namespace kalmoro
