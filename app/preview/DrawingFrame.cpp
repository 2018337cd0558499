#include "DrawingFrame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ViewStyle.h"
#include "app/preview/ScreenGeometry.h"

namespace kalmoro {

void PaintPlanGrid(QPainter& painter, double scale, QPointF offset, const QSizeF& size, double top) {
  const auto toWidget = [&](double x, double y) {
    return QPointF(offset.x() + x * scale, offset.y() - y * scale);
  };
  const double width = size.width(), height = size.height();
  const double step = NiceStep(70 / scale);
  const QPointF topLeft((0 - offset.x()) / scale, offset.y() / scale);
  const QPointF bottomRight((width - offset.x()) / scale, (offset.y() - height) / scale);
  const double firstX = std::ceil(topLeft.x() / step), lastX = std::floor(bottomRight.x() / step);
  const double firstY = std::ceil(bottomRight.y() / step), lastY = std::floor(topLeft.y() / step);
  if (lastX - firstX > 400 || lastY - firstY > 400) return;  // cannot happen at a sane scale

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (double k = firstX; k <= lastX; ++k) {
    const double x = toWidget(k * step, 0).x();
    painter.setPen(QPen(k == 0 ? kAxisLine : kGridLine, 1));
    painter.drawLine(QPointF(x, 0), QPointF(x, height));
  }
  for (double k = firstY; k <= lastY; ++k) {
    const double y = toWidget(0, k * step).y();
    painter.setPen(QPen(k == 0 ? kAxisLine : kGridLine, 1));
    painter.drawLine(QPointF(0, y), QPointF(width, y));
  }
  painter.restore();

  // Millimetre labels along the bottom and the left edge, on a strip of paper of their own.
  painter.save();
  painter.setFont(SmallFont(painter.font()));
  const QFontMetricsF metrics(painter.font());
  const double strip = metrics.height() + 4;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(QRectF(0, height - strip, width, strip));
  double leftStrip = 0;
  for (double k = firstY; k <= lastY; ++k)
    leftStrip = std::max(leftStrip, metrics.horizontalAdvance(NumberLabel(k * step)) + 8);
  painter.drawRect(QRectF(0, 0, leftStrip, height - strip));
  painter.setPen(kLabel);
  for (double k = firstX; k <= lastX; ++k) {
    const double x = toWidget(k * step, 0).x();
    const QString text = NumberLabel(k * step);
    const double w = metrics.horizontalAdvance(text);
    if (x - w / 2 < leftStrip + 2 || x + w / 2 > width - 2) continue;
    painter.drawText(QPointF(x - w / 2, height - 3 - metrics.descent()), text);
  }
  for (double k = firstY; k <= lastY; ++k) {
    const double y = toWidget(0, k * step).y();
    if (y - metrics.ascent() / 2 < top + 2 || y + metrics.ascent() / 2 > height - strip - 2) continue;
    const QString text = NumberLabel(k * step);
    painter.drawText(QPointF(leftStrip - 4 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2 - 1),
                     text);
  }
  // The axis names where the axes meet the edges of the drawing.
  const QPointF origin = toWidget(0, 0);
  QFont bold = painter.font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(kAxisLine.darker(130));
  if (origin.y() > 12 && origin.y() < height - strip - 4)
    painter.drawText(QPointF(width - 16, origin.y() - 4), QStringLiteral("X"));
  if (origin.x() > leftStrip + 4 && origin.x() < width - 14)
    painter.drawText(QPointF(origin.x() + 4, top + 14), QStringLiteral("Y"));
  painter.restore();
}

void PaintAxes3d(QPainter& painter, QPointF origin, QPointF x, QPointF y, std::optional<QPointF> z) {
  std::vector<std::pair<QPointF, QString>> axes = {{x, QStringLiteral("X")}, {y, QStringLiteral("Y")}};
  if (z) axes.emplace_back(*z, QStringLiteral("Z"));
  painter.save();
  QFont bold = SmallFont(painter.font());
  bold.setBold(true);
  painter.setFont(bold);
  for (const auto& [end, name] : axes) {
    painter.setPen(QPen(kAxisLine, 1, Qt::DashLine));
    painter.drawLine(origin, end);
    const QPointF d = end - origin;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1) continue;
    const QPointF unit = d / length;
    painter.setPen(kAxisLine.darker(130));
    painter.drawText(end + unit * 8 + QPointF(-4, 5), name);
  }
  painter.restore();
}

void PaintScaleBar(QPainter& painter, double scale, const QSizeF& size, bool plan) {
  const double length = NiceStep(90 / scale);
  const double pixels = length * scale;
  painter.save();
  painter.setFont(SmallFont(painter.font()));
  const QFontMetricsF metrics(painter.font());
  const double bottom = size.height() - (plan ? metrics.height() + 4 : 0) - 10;
  const double right = size.width() - 14;
  const QString text = NumberLabel(length) + QStringLiteral(" мм");
  const double boxWidth = std::max(pixels, metrics.horizontalAdvance(text)) + 12;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(
      QRectF(right - boxWidth + 6, bottom - metrics.height() - 12, boxWidth, metrics.height() + 16));
  painter.setPen(QPen(kLabel, 1.5, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(right - pixels, bottom), QPointF(right, bottom));
  painter.drawLine(QPointF(right - pixels, bottom - 4), QPointF(right - pixels, bottom + 2));
  painter.drawLine(QPointF(right, bottom - 4), QPointF(right, bottom + 2));
  painter.drawText(QPointF(right - pixels / 2 - metrics.horizontalAdvance(text) / 2, bottom - 6), text);
  painter.restore();
}

}  // namespace kalmoro
