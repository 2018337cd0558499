#include "app/preview/MeasureTool.h"

#include <QPainter>
#include <cmath>

#include "ViewStyle.h"
#include "nc/NumberText.h"

namespace kalmoro {

QPointF MeasureTool::Snap(const std::vector<QPointF>& snapPoints, const QTransform& toWidget, QPointF at) {
  QPointF best = toWidget.inverted().map(at);
  double bestDistance = kSnapPixels * kSnapPixels;
  for (const QPointF& p : snapPoints) {
    const QPointF d = toWidget.map(p) - at;
    const double distance = QPointF::dotProduct(d, d);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = p;
    }
  }
  return best;
}

bool MeasureTool::Add(QPointF point) {
  if (m_points.size() >= 2) m_points.clear();
  m_points.push_back(point);
  return m_points.size() == 2;
}

void MeasureTool::Paint(QPainter& painter, const QTransform& toWidget) const {
  if (m_points.empty()) return;
  painter.save();
  painter.setPen(QPen(kMeasure, 1.5));
  if (m_points.size() == 2) {
    const QPointF a = toWidget.map(m_points.front()), b = toWidget.map(m_points.back());
    painter.drawLine(a, b);
    const QPointF d = m_points.back() - m_points.front();
    painter.setFont(SmallFont(painter.font()));
    painter.drawText(
        (a + b) / 2 + QPointF(6, -6),
        QString::fromStdString(FormatNumber(std::hypot(d.x(), d.y()), 3, 3)) + QStringLiteral(" мм"));
  }
  for (const QPointF& p : m_points) {
    const QPointF w = toWidget.map(p);
    painter.drawLine(w + QPointF(-6, 0), w + QPointF(6, 0));
    painter.drawLine(w + QPointF(0, -6), w + QPointF(0, 6));
  }
  painter.restore();
}

}  // namespace kalmoro
