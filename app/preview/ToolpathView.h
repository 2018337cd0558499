#pragma once

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <QWidget>
#include <memory>

#include "app/preview/Legend.h"
#include "app/preview/MeasureTool.h"
#include "app/preview/ToolpathScene.h"

class QPainter;
class QPainterPath;

// The drawing of the toolpath preview: the plan of both contours, or a 3D view of the wire between
// them that turns. It fits the drawing to the widget, zooms with the wheel about the cursor, pans (plan)
// or orbits (3D) by dragging and fits again on a double click; a click names the nearest move, and in
// the plan Shift+click measures between two points, snapping to move ends and arc centres.
namespace kalmoro {

class ToolpathView : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { Plan, Oblique };
  // The standard directions of the 3D view.
  enum class StandardView { Top, Front, Side, Isometric };

  explicit ToolpathView(QWidget* parent = nullptr);

  // A new reading: the drawing keeps the user's zoom unless it was fitted, then it fits again.
  void SetScene(std::shared_ptr<const ToolpathScene> scene);
  void SetMode(Mode mode);
  Mode CurrentMode() const { return m_mode; }
  // The move drawn highlighted, -1 for none.
  void SetHighlight(int move);
  int Highlight() const { return m_highlight; }
  void Fit();
  // Turns the 3D view to a standard direction and fits it.
  void SetStandardView(StandardView view);
  // The 3D view's direction in degrees: turned about the vertical, and raised above the table (90 looks
  // straight down).
  double Yaw() const { return m_yaw; }
  double Pitch() const { return m_pitch; }
  // The wire's centre path, drawn thin over the cut.
  void SetWireCentreShown(bool shown);
  bool WireCentreShown() const { return m_wireCentreShown; }
  // The points of the measurement under way (none, one, or the two measured), in millimetres.
  const std::vector<QPointF>& MeasuredPoints() const { return m_measure.Points(); }
  // The snap point nearest a widget point within a few pixels, else the point itself, in millimetres
  // (plan only).
  QPointF SnapAt(QPointF widgetPoint) const;

  // What the drawing holds, in millimetres: X and Y in the plan; in the oblique view X and the
  // height on the drawing's vertical. Empty without moves.
  QRectF SceneBounds() const { return m_bounds; }
  // Where a point of the lower or upper contour (X, Y in millimetres) lies in the widget; in 3D the
  // upper one at the greatest height of the scene's holes.
  QPointF ToWidget(QPointF point, bool upper) const;
  // The nearest move to a widget point within a few pixels, or -1.
  int MoveNear(QPointF widgetPoint) const;

  QSize sizeHint() const override { return {640, 460}; }

 signals:
  // A click on the drawing, and the move nearest it (-1 for none).
  void MoveClicked(int move);
  void DoubleClicked();
  // The cursor over the plan, in millimetres; CursorLeft when it leaves the plan or the widget.
  void CursorMoved(QPointF point);
  void CursorLeft();
  // Two points measured with Shift+click, in millimetres.
  void Measured(QPointF from, QPointF to);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The map from a contour's X, Y at a height above the table to the drawing plane (millimetres): the
  // plan itself, or the oblique view with the point raised to that height.
  QTransform Projection(double height) const;
  QPointF Project(QPointF point, double height) const;
  QPointF PlaneToWidget(QPointF plane) const;
  // The map from a contour's X, Y (millimetres) at a height to the widget.
  QTransform ContourToWidget(double height) const;
  QPointF AtHeight(QPointF point, double height) const { return ContourToWidget(height).map(point); }
  QPointF WidgetToPlane(QPointF widget) const;
  // The height the upper contour of a move is drawn at: its hole's in 3D, none in the plan.
  double UpperHeight(int move) const;
  bool ShowsUpper() const;
  std::vector<LegendEntry> Legend() const;
  double LegendHeight() const;
  // Where a fitted drawing goes: the widget less the legend, the edge labels and the scale bar.
  QRectF FitArea() const;
  void UpdateBounds();
  void Invalidate();
  void PaintDrawing(QPainter& painter) const;
  void PaintContours(QPainter& painter) const;
  void PaintWires(QPainter& painter) const;
  void PaintLegend(QPainter& painter) const;
  void PaintFaults(QPainter& painter) const;
  void PaintHighlight(QPainter& painter) const;
  // A move on the lower or upper contour, cut to the widget.
  QPainterPath MovePath(int move, bool upper) const;

  std::shared_ptr<const ToolpathScene> m_scene = std::make_shared<ToolpathScene>();
  Mode m_mode = Mode::Plan;
  int m_highlight = -1;
  QRectF m_bounds;
  double m_scale = 1;  // pixels per millimetre
  QPointF m_offset;    // where the plane's origin lies in the widget
  bool m_fitted = true;
  QPixmap m_cache;  // everything but the highlight
  bool m_cacheValid = false;
  QPointF m_pressAt;
  QPointF m_dragFrom;
  bool m_pressed = false;
  bool m_dragging = false;
  bool m_afterDoubleClick = false;
  bool m_measuring = false;  // the press was a Shift+click
  double m_yaw = -45, m_pitch = 35.264;
  bool m_wireCentreShown = true;
  MeasureTool m_measure;
};

}  // namespace kalmoro
