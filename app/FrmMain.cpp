#include "app/FrmMain.h"

#include <QEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPalette>
#include <QTabBar>
#include <array>
#include <charconv>
#include <exception>

#include "app/ConeWidgets.h"
#include "app/Dialogs.h"
#include "app/FieldBinding.h"
#include "app/ProgramText.h"
#include "app/ToolpathPreview.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/ProgramFile.h"

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

  connect(ui.BtnGenArc, &QPushButton::clicked, this, &FrmMain::GenArc);
  connect(ui.BtnGenRect, &QPushButton::clicked, this, &FrmMain::GenRect);
  connect(ui.BtnGenCone, &QPushButton::clicked, this, &FrmMain::GenCone);
  connect(ui.BtnSaveNC, &QPushButton::clicked, this, &FrmMain::SaveNc);
  connect(ui.SSTab1, &QTabWidget::currentChanged, this, &FrmMain::ClearProgram);

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
  if (event->type() == QEvent::KeyRelease) {
    if (const auto field = m_cone->FieldOf(watched)) Guarded([&] { OnConeKeyRelease(*m_cone, *field); });
  } else if (event->type() == QEvent::MouseButtonRelease && watched == ui.Logo) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && ui.Logo->rect().contains(mouse->position().toPoint()))
      ShowFeedback();
  }
  return QWidget::eventFilter(watched, event);
}

void FrmMain::ShowResult(const GenResult& result) {
  if (result.Ok())
    ui.NcPr->setPlainText(ToEditorText(result.program));
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
  Guarded([this] { ui.NcPr->clear(); });
}

void FrmMain::ShowFeedback() {
  Guarded(
      [this] { m_dialogs.ShowInfo(QString::fromUtf8(kFeedbackTitle), QString::fromUtf8(kFeedbackText)); });
}

void FrmMain::SaveNc() {
  Guarded([this] {
    const std::optional<QString> chosen = m_dialogs.GetSaveFileName(m_lastFileName);
    if (!chosen) return;
    const std::string path = WithIsoExtension(chosen->toStdString());
    m_lastFileName = QString::fromStdString(path);
    const std::string text = FromEditorText(ui.NcPr->document()->toRawText());

    // Refused before the overwrite question: there would be nothing to replace the file with.
    std::string bad;
    if (!EncodeCp1251(text, &bad) && !bad.empty()) {
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle),
                          QStringLiteral("Программа не сохранена: символ «%1» (%2) нельзя записать в "
                                         "кодировке Windows-1251. Удалите его из текста программы.")
                              .arg(QString::fromStdString(bad), CodePointName(bad)));
      return;
    }
    if (FileExists(path) &&
        !m_dialogs.AskYesNo(QStringLiteral("Сохранение программы"),
                            QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(m_lastFileName)))
      return;
    if (const auto error = SaveProgram(path, text))
      m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), QString::fromStdString(*error));
  });
}

}  // namespace kalmoro
