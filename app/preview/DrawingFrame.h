#pragma once

#include <QPointF>
#include <QSizeF>
#include <optional>

class QPainter;

// What frames the toolpath view's drawing: the plan's millimetre grid with its labels, the 3D view's
// axes and the scale bar. Painted with the painter's font, in widget pixels.
namespace kalmoro {

// The grid over a widget of the given size, at round steps of about 70 pixels, the axes darker; the
// millimetres along the bottom and the left edge, on strips of their own, none above top (the legend's
// foot); the axes' names where they meet the edges. scale is in pixels per millimetre, offset is where
// the plan's origin lies in the widget (Y up).
void PaintPlanGrid(QPainter& painter, double scale, QPointF offset, const QSizeF& size, double top);

// The 3D view's axes, dashed from the table's origin to the ends of X and Y and up to the top of Z (none
// for a drawing without height), each named at its end.
void PaintAxes3d(QPainter& painter, QPointF origin, QPointF x, QPointF y, std::optional<QPointF> z);

// A bar of a round length of about 90 pixels in the lower right corner, labelled in millimetres; in the
// plan above the strip of the grid's labels.
void PaintScaleBar(QPainter& painter, double scale, const QSizeF& size, bool plan);

}  // namespace kalmoro
