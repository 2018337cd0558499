#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>

class QLabel;

// The two lines under the plan: the cursor's coordinates (over a cone also the upper point above it) with
// the last distance measured, and the hint of what the mouse does. They keep one height whatever they
// show, so that the drawing above them never changes size while the cursor moves; a text too long for
// the width is cut short, never wrapped.
namespace kalmoro {

class PlanReadout : public QWidget {
  Q_OBJECT

 public:
  explicit PlanReadout(QWidget* parent = nullptr);

  // The cursor over the plan, in millimetres; upperScale, the ratio of a cone's upper diameter to its
  // lower one, adds the upper point above it.
  void ShowCursor(QPointF point, std::optional<double> upperScale);
  // The cursor left the plan: the measurement stays.
  void ClearCursor();
  void ShowMeasure(QPointF from, QPointF to);
  // A new drawing: neither the cursor nor a measurement.
  void Clear();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ShowText();
  void Fix();

  QLabel* m_cursor;
  QLabel* m_hint;
  QString m_position;
  QString m_measured;
};

}  // namespace kalmoro
