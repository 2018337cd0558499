#pragma once

#include <QPointF>
#include <QTransform>
#include <vector>

#include "app/preview/Legend.h"

class QPainter;

// What the toolpath view draws over a job besides its moves: the stops where the wire is cut and threaded
// again, the holes' numbers at their centres, and the legend's entries for them.
namespace kalmoro {

class ToolpathScene;

// A cross where the wire is cut, a diamond where it is threaded again.
void PaintStopMark(QPainter& painter, QPointF at, bool thread);
// The stops and, for more than one hole, the holes' numbers; toWidget maps the lower contour.
void PaintJobMarks(QPainter& painter, const ToolpathScene& scene, const QTransform& toWidget);
// The legend's entries for the travel between holes and the stops; none for a program without stops.
void AddJobLegend(const ToolpathScene& scene, std::vector<LegendEntry>& entries);

}  // namespace kalmoro
