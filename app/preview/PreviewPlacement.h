#pragma once

#include <QRect>
#include <QSize>

// Where the preview window opens: beside the main window, so that the program field and the drawing are
// seen together. A pure function of the geometry, so that any screen can be tried without one.
namespace kalmoro {

// The gap between the main window and the preview beside it, in pixels.
constexpr int kPreviewGap = 12;

// The frame rectangle of the preview on a screen (its available area) beside the main window's frame:
// to its right, left, below or above, wherever the preferred size, or failing that a size down to the
// least one, fits without covering the main window; of those, the largest, and of equal ones the first
// in that order. Where no side has room, the least size placed where it covers the least of the main
// window, kept on the screen (and no larger than it).
QRect PlacePreview(const QRect& screen, const QRect& main, const QSize& preferred, const QSize& minimum);

}  // namespace kalmoro
