#pragma once

#include <QPointF>
#include <QRectF>
#include <span>
#include <vector>

#include "nc/Toolpath.h"

// Plain geometry the toolpath view works with on the screen, in widget pixels or millimetres, free of
// any widget or painter.
namespace kalmoro {

// The smallest of 1, 2, 5 times a power of ten that is at least value; 1 for zero, negative or
// non-finite values. Grid steps and scale bar lengths are such round numbers.
double NiceStep(double value);

// Cuts the segment a-b to the rectangle (Liang–Barsky): a and b become the ends of the piece inside,
// t0 and t1 where those ends lie on the original segment (0 at a, 1 at b). False, with a and b
// unchanged, when nothing of it lies inside.
bool ClipSegment(const QRectF& rect, QPointF& a, QPointF& b, double& t0, double& t1);

// The squared distance from point p to the segment a-b (to a when the segment is a point).
double SquaredDistanceToSegment(QPointF p, QPointF a, QPointF b);

// Adds a point to a bounding box unless one of its coordinates is not finite.
void AddFinite(Box& box, QPointF point);

// The box as a rectangle; an empty (null) rectangle for an empty box.
QRectF RectOf(const Box& box);

// The polyline moved sideways by offset, to the left of its direction (a negative offset moves it to
// the right): each corner at the meeting of its two moved sides, or cut off with two points where
// that meeting lies more than four offsets away (a sharp turn). Repeated points are skipped.
std::vector<QPointF> OffsetPolyline(std::span<const QPointF> points, double offset);

}  // namespace kalmoro
