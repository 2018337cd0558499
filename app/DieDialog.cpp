#include "app/DieDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "app/DialogParts.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

}  // namespace

DieResult DieChoice::Die(bool round) const {
  return round ? RoundDieFor(punchWidth, Clearance())
               : RectDieFor(punchWidth, punchHeight, punchRadius, Clearance());
}

std::optional<Relief> DieChoice::ReliefOf() const {
  if (!relief) return std::nullopt;
  return Relief{LeadingValue(land), LeadingValue(angle), LeadingValue(thickness)};
}

QString DieSummary(const DieChoice& die, bool round) {
  QString text = QStringLiteral("размер — из полей страницы");
  if (die.fromPunch) {
    const DieResult made = die.Die(round);
    if (!made.die) {
      text = Text(made.error);
    } else {
      // The sum, short enough for the page; the whole arithmetic is in the dialog and the tip.
      const DieOpening& d = *made.die;
      const QString clearance = Text(FormatNumber((d.width - LeadingValue(die.punchWidth)) / 2, 0, 3));
      text = round ? QStringLiteral("Ø%1 + 2 × %2 = Ø%3 мм")
                         .arg(Text(FormatNumber(LeadingValue(die.punchWidth), 0, 3)), clearance,
                              Text(FormatNumber(d.width, 0, 3)))
                   : QStringLiteral("пуансон + 2 × %1 = %2 × %3 R%4 мм")
                         .arg(clearance, Text(FormatNumber(d.width, 0, 3)),
                              Text(FormatNumber(d.height, 0, 3)), Text(FormatNumber(d.radius, 0, 3)));
    }
  }
  if (die.relief)
    text += QStringLiteral("; поясок %1 мм, осв. %2°, T%3")
                .arg(Text(die.land), Text(die.angle), Text(die.thickness));
  return text;
}

QString DieDetails(const DieChoice& die, bool round) {
  if (!die.fromPunch) return {};
  const DieResult made = die.Die(round);
  return made.die ? Text(made.die->arithmetic) : Text(made.error);
}

DieDialog::DieDialog(const DieChoice& die, bool round, QWidget* parent)
    : QDialog(parent), m_round(round), m_chosen(die) {
  setObjectName(QStringLiteral("DieDialog"));
  setWindowTitle(QString::fromUtf8(kDieTitle));
  const auto field = [this](const char* name, const std::string& text) {
    auto* edit = new QLineEdit(Text(text), this);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
  };
  m_fromPunch = new QCheckBox(QStringLiteral("По &пуансону"), this);
  m_fromPunch->setObjectName(QStringLiteral("FromPunch"));
  m_fromPunch->setChecked(die.fromPunch);
  m_fromPunch->setToolTip(
      QStringLiteral("Матрица = пуансон + 2 × зазор на сторону; размер матрицы\n"
                     "записывается в поля страницы"));
  auto* punch = new QFormLayout;
  punch->addRow(m_fromPunch);
  m_punchWidth = field("PunchWidth", die.punchWidth);
  if (round) {
    punch->addRow(QStringLiteral("&Диаметр пуансона, мм:"), m_punchWidth);
  } else {
    m_punchHeight = field("PunchHeight", die.punchHeight);
    m_punchRadius = field("PunchRadius", die.punchRadius);
    punch->addRow(QStringLiteral("&Ширина пуансона, мм:"), m_punchWidth);
    punch->addRow(QStringLiteral("&Высота пуансона, мм:"), m_punchHeight);
    punch->addRow(QStringLiteral("&Радиус углов пуансона, мм:"), m_punchRadius);
  }
  m_clearance = field("Clearance", die.clearance);
  m_clearance->setPlaceholderText(QStringLiteral("пусто — по таблице"));
  m_sheet = field("Sheet", die.sheet);
  m_material = new QComboBox(this);
  m_material->setObjectName(QStringLiteral("Material"));
  for (const Material& material : Materials()) {
    m_material->addItem(Text(std::string(material.title)), Text(std::string(material.name)));
    if (material.name == die.material) m_material->setCurrentIndex(m_material->count() - 1);
  }
  punch->addRow(QStringLiteral("&Зазор на сторону, мм:"), m_clearance);
  punch->addRow(QStringLiteral("&Толщина листа, мм:"), m_sheet);
  punch->addRow(QStringLiteral("М&атериал:"), m_material);
  m_arithmetic = new QLabel(this);
  m_arithmetic->setObjectName(QStringLiteral("Arithmetic"));
  m_arithmetic->setWordWrap(true);
  m_arithmetic->setMinimumWidth(360);
  // Room for the longest arithmetic, a rectangle's with its clearance's origin, before the dialog is shown.
  m_arithmetic->setMinimumHeight(3 * m_arithmetic->fontMetrics().lineSpacing());
  punch->addRow(m_arithmetic);

  m_relief = new QCheckBox(QStringLiteral("Пояс&ок и освобождение"), this);
  m_relief->setObjectName(QStringLiteral("Relief"));
  m_relief->setChecked(die.relief);
  m_relief->setToolTip(
      QStringLiteral("После вертикальных проходов — проход освобождения: проволока проходит\n"
                     "через контур на глубине пояска и наклоняется наружу ниже него"));
  m_land = field("Land", die.land);
  m_land->setToolTip(
      QStringLiteral("Поясок под режущей кромкой: 3 мм для листа тоньше 3 мм, иначе толщина листа"));
  m_angle = field("Angle", die.angle);
  m_thickness = field("Thickness", die.thickness);
  auto* relief = new QFormLayout;
  relief->addRow(m_relief);
  relief->addRow(QStringLiteral("Поясок &L, мм:"), m_land);
  relief->addRow(QStringLiteral("Осво&бождение на сторону, °:"), m_angle);
  relief->addRow(QStringLiteral("Высота пл&иты T, мм:"), m_thickness);

  QDialogButtonBox* buttons =
      AcceptCancelButtons(this, QStringLiteral("ОК"), QStringLiteral("Ok"), true, [this] { Take(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(punch);
  layout->addLayout(relief);
  layout->addWidget(buttons);

  std::vector<QLineEdit*> punchFields = {m_punchWidth, m_clearance, m_sheet};
  if (m_punchHeight) punchFields.insert(punchFields.end(), {m_punchHeight, m_punchRadius});
  for (QLineEdit* edit : punchFields) connect(edit, &QLineEdit::textEdited, this, &DieDialog::ShowArithmetic);
  connect(m_material, &QComboBox::currentIndexChanged, this, &DieDialog::ShowArithmetic);
  const auto enable = [this, punchFields] {
    for (QLineEdit* edit : punchFields) edit->setEnabled(m_fromPunch->isChecked());
    m_material->setEnabled(m_fromPunch->isChecked());
    for (QLineEdit* edit : {m_land, m_angle, m_thickness}) edit->setEnabled(m_relief->isChecked());
    ShowArithmetic();
  };
  connect(m_fromPunch, &QCheckBox::toggled, this, enable);
  connect(m_relief, &QCheckBox::toggled, this, enable);
  enable();
}

DieChoice DieDialog::Current() const {
  DieChoice die;
  die.fromPunch = m_fromPunch->isChecked();
  die.punchWidth = TypedNumber(m_punchWidth);
  if (m_punchHeight) {
    die.punchHeight = TypedNumber(m_punchHeight);
    die.punchRadius = TypedNumber(m_punchRadius);
  }
  die.clearance = TypedNumber(m_clearance);
  die.sheet = TypedNumber(m_sheet);
  die.material = m_material->currentData().toString().toStdString();
  die.relief = m_relief->isChecked();
  die.land = TypedNumber(m_land);
  die.angle = TypedNumber(m_angle);
  die.thickness = TypedNumber(m_thickness);
  return die;
}

void DieDialog::ShowArithmetic() {
  const DieChoice die = Current();
  if (!die.fromPunch) {
    m_arithmetic->setText(QStringLiteral("Размер матрицы — из полей страницы."));
    return;
  }
  const DieResult made = die.Die(m_round);
  m_arithmetic->setText(made.die ? Text(made.die->arithmetic) : Text(made.error));
  m_arithmetic->setStyleSheet(made.die ? QString() : QStringLiteral("color:#c62828"));
}

void DieDialog::Take() {
  const DieChoice die = Current();
  if (die.fromPunch && !die.Die(m_round).die) {
    ShowArithmetic();
    m_punchWidth->setFocus();
    return;
  }
  m_chosen = die;
  accept();
}

}  // namespace kalmoro
