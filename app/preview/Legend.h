#pragma once

#include <QColor>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>
#include <vector>

// The legend strip across the top of the toolpath view: what each entry is and where it goes.
namespace kalmoro {

// A mark in place of a line sample: the stops of a job.
enum class LegendMark { None, Cross, Diamond };

struct LegendEntry {
  QColor color;
  double width;  // of the line; 0 for the start marker, below 0 for a note without a sample
  QString text;
  bool dashed = false;
  LegendMark mark = LegendMark::None;
};

// The sample of a line or marker in front of an entry's text, and the gap between sample and text.
constexpr double kLegendSwatch = 24;
constexpr double kLegendSwatchGap = 6;

struct LegendLayout {
  double height = 0;            // of the strip the entries take, from the top of the drawing
  std::vector<QPointF> places;  // where each entry starts: its left end, on its middle line
};

// Places the entries in rows across the top of a drawing of the given width, left to right, starting
// a new row where the next entry would pass the right margin; an entry wider than a whole row gets a
// row of its own.
LegendLayout LayOutLegend(const std::vector<LegendEntry>& entries, const QFontMetricsF& metrics,
                          double width);

}  // namespace kalmoro
