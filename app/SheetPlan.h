#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QTransform>
#include <vector>

class QPainter;

// The plan on the first page of the setup sheet: both contours to a stated scale, with their legend and
// a scale bar.
namespace kalmoro {

class ToolpathScene;

// The ink of the sheet's text and lines, and the grey of what is said in passing.
inline const QColor kSheetInk(20, 20, 20);
inline const QColor kSheetGrey(110, 114, 122);

// The sheet's sans-serif font.
QFont SheetFont(double points, bool bold = false);

// Where the parts of the plan went, in device pixels. None lies over another.
struct SheetPlanLayout {
  QRectF caption;              // "План, М 1:1"; empty when the plan could not be drawn
  std::vector<QRectF> legend;  // each entry of the legend, its sample and its text
  QRectF drawing;              // the contours as drawn
  QRectF scaleBar;             // the bar and its length
  QTransform toDevice;         // millimetres of the part to device pixels
};

// Paints the plan of a scene into area (device pixels) of the painter's device: a frame, the caption with
// the scale (М 1:1 where the plan fits, otherwise the first standard reduction that does), the legend,
// the contours to that scale and a scale bar. The upper contour is dashed, as the legend shows, so that a
// black-and-white print tells it from the lower one.
SheetPlanLayout PaintSheetPlan(QPainter& painter, const ToolpathScene& scene, const QRectF& area);

}  // namespace kalmoro
