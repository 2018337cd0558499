#include "ViewStyle.h"

#include <algorithm>

#include "nc/NumberText.h"

namespace kalmoro {

QPen LinePen(const QColor& color, double width) {
  QPen pen(color, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

QPen TravelPen() {
  QPen pen(kTravel, kTravelWidth);
  pen.setStyle(Qt::DashLine);
  return pen;
}

QFont SmallFont(const QFont& base) {
  QFont font = base;
  font.setPixelSize(std::max(9, (base.pixelSize() > 0 ? base.pixelSize() : 12) - 1));
  return font;
}

QString NumberLabel(double value) {
  return QString::fromStdString(FormatNumber(value, 0, 6));
}

}  // namespace kalmoro
