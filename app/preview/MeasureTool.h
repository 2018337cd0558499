#pragma once

#include <QPointF>
#include <QTransform>
#include <vector>

class QPainter;

// Measuring in the plan: two points, each clicked with Shift, and the distance between them. A point
// clicked near one of the scene's snap points (move ends and arc centres of both contours) is taken as
// that point exactly, so that a measurement between two of them is as exact as the program.
namespace kalmoro {

class MeasureTool {
 public:
  // How near on the screen a click must be to a snap point to take it.
  static constexpr double kSnapPixels = 10;

  // The snap point nearest a widget point within kSnapPixels, else the widget point itself, in
  // millimetres; toWidget maps millimetres to the widget.
  static QPointF Snap(const std::vector<QPointF>& snapPoints, const QTransform& toWidget,
                      QPointF widgetPoint);

  // Adds a point; after two, the next one starts a new measurement. True when it completes one.
  bool Add(QPointF point);
  void Clear() { m_points.clear(); }
  // None, one, or the two points measured, in millimetres.
  const std::vector<QPointF>& Points() const { return m_points; }
  // The points as crosses and, for two, the line between them with its length.
  void Paint(QPainter& painter, const QTransform& toWidget) const;

 private:
  std::vector<QPointF> m_points;
};

}  // namespace kalmoro
