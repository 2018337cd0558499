#pragma once

#include <QColor>
#include <QFontMetricsF>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QPainter;

// The legend of a drawing of the toolpath, on the screen across the top of the view and on the setup
// sheet above the plan: what each entry is, where it goes and how its sample looks.
namespace kalmoro {

class ToolpathScene;

// A mark in place of a line sample: the stops of a job, the stop where the slug is held.
enum class LegendMark { None, Cross, Diamond, Slug };

struct LegendEntry {
  QColor color;
  double width;  // of the line; 0 for the start marker, below 0 for a note without a sample
  QString text;
  bool dashed = false;
  LegendMark mark = LegendMark::None;
  // The sample's pen, when the drawing draws that line with a pen of its own (the sheet's dashes in
  // millimetres); otherwise one of the colour and width, dashed or solid.
  std::optional<QPen> pen = std::nullopt;
};

// The sample of a line or marker in front of an entry's text, and the gap between sample and text, in
// screen pixels.
constexpr double kLegendSwatch = 24;
constexpr double kLegendSwatchGap = 6;

struct LegendLayout {
  double height = 0;            // of the strip the entries take, from the top of the drawing
  std::vector<QPointF> places;  // where each entry starts: its left end, on its middle line
  std::vector<QRectF> boxes;    // what each entry takes, its sample and its text
};

// Places the entries in rows across the top of a drawing of the given width, left to right, starting
// a new row where the next entry would pass the right margin; an entry wider than a whole row gets a
// row of its own. unit is the size of a screen pixel on the device drawn on: 1 on the screen, more on
// paper; the samples, gaps and margins grow with it, the text with the font of the metrics.
LegendLayout LayOutLegend(const std::vector<LegendEntry>& entries, const QFontMetricsF& metrics, double width,
                          double unit = 1);

// What the 3D view's legend says of the height: the R word of the program, or of each hole of a job, and
// the tapered holes drawn at one height because they give none.
QString HeightNote(const ToolpathScene& scene);

// Paints each entry at its place: the sample, then the text in textColor with the painter's font.
void PaintLegendEntries(QPainter& painter, const std::vector<LegendEntry>& entries,
                        const LegendLayout& layout, const QColor& textColor, double unit = 1);

}  // namespace kalmoro
