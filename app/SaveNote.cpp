#include "SaveNote.h"

#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>

namespace kalmoro {
namespace {

constexpr int kInset = 4;  // distance from the viewport's edges, px
constexpr const char* kSavedCaption = "Программа сохранена в файл";

}  // namespace

SaveNote::SaveNote(QAbstractScrollArea& field) : QLabel(field.parentWidget()), m_field(field) {
  setObjectName(QStringLiteral("SaveNote"));
  setFrameShape(QFrame::Box);
  setMargin(3);
  setTextFormat(Qt::PlainText);
  setAutoFillBackground(true);
  QPalette colors = palette();
  colors.setColor(QPalette::Window, colors.color(QPalette::ToolTipBase));
  colors.setColor(QPalette::WindowText, colors.color(QPalette::ToolTipText));
  setPalette(colors);
  setCursor(Qt::PointingHandCursor);
  hide();
  m_timer.setSingleShot(true);
  m_timer.setInterval(kShownMs);
  connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

void SaveNote::ShowSaved(const QString& path) {
  ShowFileNote(QString::fromUtf8(kSavedCaption), path);
}

void SaveNote::ShowFileNote(const QString& caption, const QString& path) {
  const QWidget* viewport = m_field.viewport();
  const QRect area(viewport->mapTo(parentWidget(), QPoint(0, 0)), viewport->size());
  const int width = area.width() - 2 * kInset;
  const int textWidth = width - 2 * (margin() + frameWidth());
  setText(caption + QLatin1Char('\n') + fontMetrics().elidedText(path, Qt::ElideLeft, textWidth));
  setToolTip(path);
  const int height = 2 * fontMetrics().lineSpacing() + 2 * (margin() + frameWidth());
  setGeometry(area.left() + kInset, area.bottom() + 1 - kInset - height, width, height);
  raise();
  show();
  m_timer.start();
}

void SaveNote::mousePressEvent(QMouseEvent* event) {
  hide();
  event->accept();
}

}  // namespace kalmoro
