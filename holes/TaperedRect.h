#pragma once

#include <optional>
#include <string>
#include <vector>

#include "nc/CornerMode.h"
#include "nc/Toolpath.h"

// The geometry of a tapered rectangular hole: its bottom a rectangle with rounded corners, its sides
// leaning by half the full angle, its corners either keeping their radius to the top (cylindrical
// corners: the corner's centre moves with the sides) or shrinking with the taper about a fixed centre
// (conical corners).
namespace kalmoro {

struct TaperedRect {
  double width = 0, height = 0, radius = 0;  // at the bottom, mm
  double thickness = 0;                      // of the plate: the height between bottom and top, mm
  double angle = 0;                          // full angle, degrees; positive when the hole narrows upwards
  CornerMode corners = CornerMode::Cylindrical;

  // How far each side of the top stands inside the bottom's (negative: outside), mm.
  double Offset() const;
  double TopWidth() const { return width - 2 * Offset(); }
  double TopHeight() const { return height - 2 * Offset(); }
  double TopRadius() const { return corners == CornerMode::Conical ? radius - Offset() : radius; }
};

// The full angle at which the wire leans at a cylindrical corner of a hole whose sides lean by the full
// angle `angle`: along the corner's diagonal, √2 times the sides' offset. With `inverse`, the sides'
// angle whose corners lean by `angle`. Degrees, without sign.
double CornerTilt(double angle, bool inverse = false);

// The full angle that gives a top width, degrees.
double TaperAngleForTopWidth(double width, double topWidth, double thickness);

// Why the hole cannot be cut, in Russian, or nothing: the bottom as a rectangular hole's (1–999 mm, twice
// the radius within both sides), the plate at least 0.001 mm, the angle within 30° (with cylindrical
// corners, the wire's lean at the corners, CornerTilt, within 30°), and a top that still
// holds its corners: a conical corner's radius never below 0 (the message gives the least bottom radius
// or the largest angle), a cylindrical corner's top at least twice its radius, the top at least 1 mm.
std::optional<std::string> TaperedRectRefusal(const TaperedRect& rect);

// A point of the contour and the matching point of the top contour.
struct TaperPoint {
  Point lower, upper;
};

// The contour counter-clockwise from the middle of the top side (not repeated at the start) back to it:
// straight sides as single moves, each corner as chords whose farthest distance from its lower and
// upper arc is at most chordTolerance. No two consecutive lower points are the same.
std::vector<TaperPoint> TaperedRectContour(const TaperedRect& rect, double chordTolerance);

}  // namespace kalmoro
