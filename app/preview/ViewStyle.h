#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

// What the parts of the toolpath view draw with besides the contours' colours: the screen's other
// colours, the widths of the lines, the pens and the small font of the labels.
namespace kalmoro {

inline const QColor kPaper(255, 255, 255);
inline const QColor kGridLine(236, 238, 242);
inline const QColor kAxisLine(150, 156, 166);
inline const QColor kLabel(70, 74, 82);
inline const QColor kWire(110, 116, 128, 120);
inline const QColor kHighlight(0, 190, 90, 150);
inline const QColor kStart(20, 20, 20);
inline const QColor kFault(214, 40, 40, 200);
inline const QColor kWireCentre(120, 40, 170);
inline const QColor kMeasure(0, 120, 110);
inline const QColor kTravel(90, 96, 108);
inline const QColor kCutStop(200, 30, 30);
inline const QColor kThreadStop(0, 140, 60);

constexpr double kCutWidth = 2.2;   // the cut with compensation on
constexpr double kPathWidth = 1.1;  // lead-in and exit
constexpr double kTravelWidth = 1.2;
constexpr double kHighlightWidth = 7;

// A solid line with round ends and joins.
QPen LinePen(const QColor& color, double width);
// The dashed line of a move without the wire, between the holes of a job.
QPen TravelPen();
// A pixel smaller than the widget's font: the labels of the drawing.
QFont SmallFont(const QFont& base);
// A number as the drawing's labels show it: up to six decimals, no trailing zeros.
QString NumberLabel(double value);

}  // namespace kalmoro
