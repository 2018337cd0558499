#include "app/preview/Legend.h"

namespace kalmoro {
namespace {

constexpr double kMargin = 10;    // at the left and right of the strip
constexpr double kEntryGap = 20;  // between entries of a row

}  // namespace

LegendLayout LayOutLegend(const std::vector<LegendEntry>& entries, const QFontMetricsF& metrics,
                          double width) {
  LegendLayout layout;
  const double rowHeight = metrics.height() + 6;
  double x = kMargin, y = 4 + rowHeight / 2;
  for (const LegendEntry& entry : entries) {
    const double w =
        (entry.width >= 0 ? kLegendSwatch + kLegendSwatchGap : 0) + metrics.horizontalAdvance(entry.text);
    if (x > kMargin && x + w > width - kMargin) {
      x = kMargin;
      y += rowHeight;
    }
    layout.places.emplace_back(x, y);
    x += w + kEntryGap;
  }
  layout.height = y + rowHeight / 2 + 4;
  return layout;
}

}  // namespace kalmoro
