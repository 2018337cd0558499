#include "FieldTip.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kalmoro {
namespace {

// The blank QLineEdit keeps on either side of its text inside the contents rectangle.
constexpr int kLineEditMargin = 2;

}  // namespace

// The same rectangle QLineEdit::paintEvent lays its text out in; it scrolls the text when the text
// is wider.
bool TextFits(const QLineEdit& field) {
  QStyleOptionFrame option;
  option.initFrom(&field);
  option.rect = field.contentsRect();
  option.lineWidth =
      field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  option.features = QStyleOptionFrame::None;
  const QRect contents = field.style()
                             ->subElementRect(QStyle::SE_LineEditContents, &option, &field)
                             .marginsRemoved(field.textMargins());
  const int available = contents.width() - 2 * kLineEditMargin;
  const int used = qRound(QFontMetricsF(field.font()).horizontalAdvance(field.text())) + 1;
  return used <= available;
}

void UpdateFieldTip(QLineEdit& field, const QString& help) {
  QString tip = help;
  if (!TextFits(field)) tip = help.isEmpty() ? field.text() : field.text() + QStringLiteral("\n\n") + help;
  if (tip != field.toolTip()) field.setToolTip(tip);
}

}  // namespace kalmoro
