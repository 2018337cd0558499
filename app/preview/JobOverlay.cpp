#include "app/preview/JobOverlay.h"

#include <QPainter>
#include <string>

#include "ViewStyle.h"
#include "app/preview/ToolpathScene.h"

namespace kalmoro {

void PaintStopMark(QPainter& painter, QPointF at, bool thread) {
  constexpr double kSize = 4.5;
  painter.setPen(QPen(thread ? kThreadStop : kCutStop, 2));
  if (thread) {
    const QPointF diamond[] = {at + QPointF(0, -kSize), at + QPointF(kSize, 0), at + QPointF(0, kSize),
                               at + QPointF(-kSize, 0)};
    painter.setBrush(kPaper);
    painter.drawPolygon(diamond, 4);
    painter.setBrush(Qt::NoBrush);
  } else {
    painter.drawLine(at + QPointF(-kSize, -kSize), at + QPointF(kSize, kSize));
    painter.drawLine(at + QPointF(-kSize, kSize), at + QPointF(kSize, -kSize));
  }
}

void PaintJobMarks(QPainter& painter, const ToolpathScene& scene, const QTransform& toWidget) {
  for (const ToolpathScene::Stop& stop : scene.Stops())
    PaintStopMark(painter, toWidget.map(stop.at), stop.thread);
  if (scene.Holes().size() < 2) return;
  painter.setPen(kLabel);
  for (const ToolpathScene::HoleMark& hole : scene.Holes())
    painter.drawText(toWidget.map(hole.at) + QPointF(7, -7),
                     QString::fromStdString(std::to_string(hole.number)));
}

void AddJobLegend(const ToolpathScene& scene, std::vector<LegendEntry>& entries) {
  if (scene.Stops().empty()) return;
  entries.push_back({kTravel, kTravelWidth, QStringLiteral("Переход без проволоки (G00)"), true});
  entries.push_back({kCutStop, 1, QStringLiteral("Обрезка проволоки"), false, LegendMark::Cross});
  entries.push_back({kThreadStop, 1, QStringLiteral("Заправка проволоки"), false, LegendMark::Diamond});
}

}  // namespace kalmoro
