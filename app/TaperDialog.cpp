#include "app/TaperDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogParts.h"
#include "holes/RectTaperHole.h"

namespace kalmoro {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

const char* CornersText(CornerMode corners) {
  return corners == CornerMode::Conical ? "углы конические" : "углы цилиндрические";
}

}  // namespace

std::string TaperChoice::AngleText(const std::string& widthText) const {
  const std::string text = fromTopWidth ? RectTaperAngleText(widthText, topWidth, thickness) : angle;
  return text.empty() ? "0" : text;
}

QString TaperSummary(const TaperChoice& taper, const std::string& widthText) {
  if (!taper.on) return QStringLiteral("без уклона");
  const QString angle = Text(taper.AngleText(widthText)) + QStringLiteral("°");
  const QString what = taper.fromTopWidth ? QStringLiteral("верх %1 мм (%2)").arg(Text(taper.topWidth), angle)
                                          : QStringLiteral("уклон %1").arg(angle);
  return QStringLiteral("%1, T%2, %3")
      .arg(what, Text(taper.thickness), QString::fromUtf8(CornersText(taper.corners)));
}

TaperDialog::TaperDialog(const TaperChoice& taper, Bottom bottom, QWidget* parent)
    : QDialog(parent), m_bottom(std::move(bottom)), m_fromTopWidth(taper.fromTopWidth), m_chosen(taper) {
  setObjectName(QStringLiteral("TaperDialog"));
  setWindowTitle(QString::fromUtf8(kTaperTitle));
  m_on = new QCheckBox(QStringLiteral("С &уклоном"), this);
  m_on->setObjectName(QStringLiteral("On"));
  m_on->setChecked(taper.on);
  const auto field = [this](const char* name, const std::string& text, const QString& tip) {
    auto* edit = new QLineEdit(Text(text), this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(tip);
    return edit;
  };
  m_thickness =
      field("Thickness", taper.thickness, QStringLiteral("Высота плиты, мм: от низа отверстия до верха"));
  m_angle =
      field("Angle", taper.angle,
            QStringLiteral("Полный угол уклона, градусы; положительный, если отверстие сужается кверху.\n"
                           "Введённый угол даёт ширину верха"));
  m_topWidth = field("TopWidth", taper.topWidth,
                     QStringLiteral("Ширина отверстия вверху, мм. Введённая ширина даёт угол"));
  m_corners = new QComboBox(this);
  m_corners->setObjectName(QStringLiteral("Corners"));
  m_corners->addItems({QStringLiteral("цилиндрические"), QStringLiteral("конические")});
  m_corners->setCurrentIndex(taper.corners == CornerMode::Conical ? 1 : 0);
  m_corners->setToolTip(
      QStringLiteral("Цилиндрические: радиус углов сверху донизу тот же, уклон — у сторон;\n"
                     "конические: радиус углов меняется вместе с уклоном"));
  m_top = new QLabel(this);
  m_top->setObjectName(QStringLiteral("Top"));
  m_top->setWordWrap(true);
  // Room for a refusal's two lines, so that the dialog keeps its size as the values are typed.
  m_top->setMinimumWidth(360);
  m_top->setMinimumHeight(2 * m_top->fontMetrics().lineSpacing());

  auto* form = new QFormLayout;
  form->addRow(m_on);
  form->addRow(QStringLiteral("&Высота плиты T, мм:"), m_thickness);
  form->addRow(QStringLiteral("Полный у&гол, °:"), m_angle);
  form->addRow(QStringLiteral("&Ширина верха, мм:"), m_topWidth);
  form->addRow(QStringLiteral("Уг&лы:"), m_corners);
  QDialogButtonBox* buttons =
      AcceptCancelButtons(this, QStringLiteral("ОК"), QStringLiteral("Ok"), true, [this] {
        m_chosen = Current();
        accept();
      });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Низ: %1 × %2, R %3 мм (поля страницы)")
                                   .arg(Text(m_bottom.width), Text(m_bottom.height), Text(m_bottom.radius)),
                               this));
  layout->addLayout(form);
  layout->addWidget(m_top);
  layout->addWidget(buttons);

  connect(m_angle, &QLineEdit::textEdited, this, [this] {
    m_fromTopWidth = false;
    Derive();
  });
  connect(m_topWidth, &QLineEdit::textEdited, this, [this] {
    m_fromTopWidth = true;
    Derive();
  });
  connect(m_thickness, &QLineEdit::textEdited, this, &TaperDialog::Derive);
  connect(m_corners, &QComboBox::currentIndexChanged, this, &TaperDialog::Derive);
  const auto enable = [this] {
    for (QWidget* w : std::initializer_list<QWidget*>{m_thickness, m_angle, m_topWidth, m_corners, m_top})
      w->setEnabled(m_on->isChecked());
  };
  connect(m_on, &QCheckBox::toggled, this, enable);
  enable();
  Derive();
}

TaperChoice TaperDialog::Current() const {
  TaperChoice taper;
  taper.on = m_on->isChecked();
  taper.thickness = TypedNumber(m_thickness);
  taper.angle = TypedNumber(m_angle);
  taper.topWidth = TypedNumber(m_topWidth);
  taper.fromTopWidth = m_fromTopWidth;
  taper.corners = m_corners->currentIndex() == 1 ? CornerMode::Conical : CornerMode::Cylindrical;
  return taper;
}

void TaperDialog::Derive() {
  const TaperChoice taper = Current();
  const std::string angle = taper.AngleText(m_bottom.width);
  const RectTaperTop top = RectTaperTopTexts(m_bottom.width, m_bottom.height, m_bottom.radius,
                                             taper.thickness, angle, taper.corners);
  // The one not typed last is derived; the field typed in keeps the user's text.
  if (m_fromTopWidth)
    m_angle->setText(Text(angle));
  else
    m_topWidth->setText(Text(top.width));
  const GenResult made =
      GenRectTaper(m_bottom.width, m_bottom.height, m_bottom.radius, taper.thickness, angle, taper.corners);
  m_top->setText(
      made.Ok()
          ? QStringLiteral("Верх: %1 × %2, R %3 мм").arg(Text(top.width), Text(top.height), Text(top.radius))
          : Text(made.error));
}

}  // namespace kalmoro
