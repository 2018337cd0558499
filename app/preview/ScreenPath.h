#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <cstddef>
#include <optional>
#include <vector>

// The polylines of the toolpath view as they go on the screen: cut to the widget, thinned where they
// retrace pixels already drawn, with direction arrows along them. Pure geometry in widget pixels.
namespace kalmoro {

// The direction arrows of a drawing: at most one in each kCell × kCell patch of the widget and at most
// kMaxArrows in all, however often the path passes by. Arrows outside the widget are left out.
class Arrows {
 public:
  static constexpr int kCell = 40;
  static constexpr std::size_t kMaxArrows = 200;

  struct Arrow {
    QPointF at;
    double angle = 0;  // the direction of travel in radians, from the widget's x axis towards its y axis
  };

  explicit Arrows(const QSize& size);

  void Add(QPointF at, double angle);
  const std::vector<Arrow>& Placed() const { return m_placed; }

 private:
  std::size_t m_columns, m_rows;
  std::vector<bool> m_taken;
  std::vector<Arrow> m_placed;
};

// The pixels a layer of the drawing has covered already. A piece of path that only goes over them
// again adds nothing to the picture and is left out, so that a program that runs round the same
// contour a thousand times costs no more to draw than one that runs round it once.
class Coverage {
 public:
  explicit Coverage(const QSize& size);

  // Whether every point of the segment lies on a covered pixel.
  bool Covered(QPointF a, QPointF b) const;
  // Marks every pixel within half a pixel of the segment (across each axis), so that any point of it
  // counts as covered when it is drawn again, whatever pixels its samples fall into.
  void Mark(QPointF a, QPointF b);

 private:
  std::optional<std::size_t> Index(QPointF p) const;

  int m_width, m_height;
  std::vector<unsigned char> m_bits;
};

// A polyline in widget coordinates as it is drawn: points closer than kKeepDistance to the last one
// kept are left out, pieces outside the clip rectangle are cut away and pieces that only retrace
// covered pixels are dropped, so that the cost of a repaint follows what can be seen rather than the
// number of blocks. With arrows, places one at half a spacing, one and a half, … from the start of
// each run. Coverage and arrows may be null.
class ScreenPath {
 public:
  static constexpr double kArrowSpacing = 110;
  static constexpr double kKeepDistance = 0.6;

  ScreenPath(const QRectF& clip, Coverage* coverage, Arrows* arrows)
      : m_clip(clip), m_coverage(coverage), m_arrows(arrows) {}

  // The next point of the run; a point with a coordinate that is not finite breaks it.
  void Add(QPointF p);
  // The next point starts a new run.
  void Break();
  // What is to be drawn; ends the current run.
  const QPainterPath& Path();

 private:
  void Segment(QPointF a, QPointF b);

  QRectF m_clip;
  Coverage* m_coverage;
  Arrows* m_arrows;
  QPainterPath m_path;
  QPointF m_last, m_pending;
  bool m_open = false;
  bool m_hasPending = false;
  double m_runLength = 0;
  double m_nextArrow = 0;
};

}  // namespace kalmoro
