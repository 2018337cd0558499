#include "app/PassDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "app/DialogParts.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

QString Length(double mm) {
  return QString::fromStdString(FormatNumber(mm, 0, 3));
}

// A stop as typed: blanks around it, a "," for the point; empty is none.
std::optional<double> StopValue(const QString& text) {
  const QString typed = TypedNumber(text);
  if (typed.isEmpty()) return 0.0;
  const std::optional<double> value = FullValue(typed.toStdString());
  if (!value || !std::isfinite(*value) || *value < 0) return std::nullopt;
  return value;
}

}  // namespace

QString PassSummary(const PassOptions& passes) {
  QString text = QStringLiteral("1 черновой");
  if (passes.skims == 1) text += QStringLiteral(" + 1 чистовой");
  if (passes.skims > 1) text += QStringLiteral(" + %1 чистовых").arg(passes.skims);
  if (passes.stop > 0) text += QStringLiteral(", стоп %1\u00A0мм").arg(Length(passes.stop));
  if (passes.skims > 0 && passes.direction == SkimDirection::Same) text += QStringLiteral(", в одну сторону");
  return text;
}

PassDialog::PassDialog(const PassOptions& passes, QWidget* parent) : QDialog(parent), m_chosen(passes) {
  setObjectName(QStringLiteral("PassDialog"));
  setWindowTitle(QString::fromUtf8(kPassesTitle));
  m_skims = new QSpinBox(this);
  m_skims->setObjectName(QStringLiteral("Skims"));
  m_skims->setRange(0, kMaxSkims);
  m_skims->setValue(passes.skims);
  m_skims->setToolTip(
      QStringLiteral("Чистовые проходы после чернового: 0–4; проход k идёт с корректором Dk"));
  m_stop = new QLineEdit(this);
  m_stop->setObjectName(QStringLiteral("Stop"));
  m_stop->setText(passes.stop > 0 ? Length(passes.stop) : QString());
  m_stop->setPlaceholderText(QStringLiteral("0 — без остановки"));
  m_stop->setToolTip(
      QStringLiteral("За столько мм до замыкания чернового контура станок остановится,\n"
                     "чтобы закрепить вырубку (код hold_slug профиля станка)"));
  m_direction = new QComboBox(this);
  m_direction->setObjectName(QStringLiteral("Direction"));
  m_direction->addItems({QStringLiteral("чередовать"), QStringLiteral("в одну сторону")});
  m_direction->setCurrentIndex(passes.direction == SkimDirection::Same ? 1 : 0);
  m_direction->setToolTip(
      QStringLiteral("Чередовать: каждый второй проход по часовой стрелке (G02, G42);\n"
                     "в одну сторону: все проходы против часовой стрелки"));
  const auto enableDirection = [this] { m_direction->setEnabled(m_skims->value() > 0); };
  connect(m_skims, &QSpinBox::valueChanged, this, enableDirection);
  enableDirection();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Чистовых проходов:"), m_skims);
  form->addRow(QStringLiteral("&Стоп до замыкания, мм:"), m_stop);
  form->addRow(QStringLiteral("&Направление:"), m_direction);
  m_error = ErrorLabel(this);
  QDialogButtonBox* buttons =
      AcceptCancelButtons(this, QStringLiteral("ОК"), QStringLiteral("Ok"), true, [this] { Take(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(new QLabel(QStringLiteral("Корректоры проходов — в профиле станка (Станок…)."), this));
  layout->addWidget(m_error);
  layout->addWidget(buttons);
}

void PassDialog::Take() {
  const std::optional<double> stop = StopValue(m_stop->text());
  if (!stop) {
    m_error->setText(QString::fromUtf8(kMsgStopText));
    m_error->show();
    m_stop->setFocus();
    return;
  }
  m_chosen.skims = m_skims->value();
  m_chosen.stop = *stop;
  m_chosen.direction = m_direction->currentIndex() == 1 ? SkimDirection::Same : SkimDirection::Alternate;
  m_chosen = m_chosen.Normalised();
  accept();
}

}  // namespace kalmoro
