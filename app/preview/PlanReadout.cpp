#include "app/preview/PlanReadout.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

QString Coord(double millimetres) {
  return QString::fromStdString(FormatNumber(millimetres, 3, 3));
}

const QString kHint = QStringLiteral(
    "Колесо — масштаб, перетаскивание — сдвиг (в 3D — поворот), щелчок — строка программы, "
    "Shift+щелчок — измерить");

}  // namespace

PlanReadout::PlanReadout(QWidget* parent) : QWidget(parent) {
  m_cursor = new QLabel(this);
  m_cursor->setObjectName(QStringLiteral("Cursor"));
  m_hint = new QLabel(this);
  m_hint->setObjectName(QStringLiteral("Hint"));
  m_hint->setForegroundRole(QPalette::PlaceholderText);
  m_hint->setToolTip(kHint);
  for (QLabel* label : {m_cursor, m_hint}) {
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    // The window's width never follows the text.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(m_cursor);
  layout->addWidget(m_hint);
  Fix();
}

void PlanReadout::ShowCursor(QPointF point, std::optional<double> upperScale) {
  m_position = QStringLiteral("X %1 Y %2").arg(Coord(point.x()), Coord(point.y()));
  if (upperScale && std::isfinite(*upperScale)) {
    m_position += QStringLiteral(" · верх X %1 Y %2")
                      .arg(Coord(point.x() * *upperScale), Coord(point.y() * *upperScale));
  }
  ShowText();
}

void PlanReadout::ClearCursor() {
  m_position.clear();
  ShowText();
}

void PlanReadout::ShowMeasure(QPointF from, QPointF to) {
  const QPointF d = to - from;
  m_measured = QStringLiteral("расстояние %1 мм (ΔX %2, ΔY %3)")
                   .arg(Coord(std::hypot(d.x(), d.y())), Coord(d.x()), Coord(d.y()));
  ShowText();
}

void PlanReadout::Clear() {
  m_position.clear();
  m_measured.clear();
  ShowText();
}

void PlanReadout::ShowText() {
  m_cursor->setText(m_position.isEmpty() || m_measured.isEmpty()
                        ? m_position + m_measured
                        : m_position + QStringLiteral(" · ") + m_measured);
}

// Each line one line of the font high, the hint cut short to the width.
void PlanReadout::Fix() {
  const int line = fontMetrics().height();
  for (QLabel* label : {m_cursor, m_hint}) label->setFixedHeight(line);
  setFixedHeight(2 * line + layout()->spacing());
  m_hint->setText(m_hint->fontMetrics().elidedText(kHint, Qt::ElideRight, std::max(width(), 1)));
}

void PlanReadout::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Fix();
}

void PlanReadout::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) Fix();
}

}  // namespace kalmoro
