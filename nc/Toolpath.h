#pragma once

#include <limits>
#include <span>

// The geometry of a program's path as the reader finds it: moves on the lower contour (X, Y) and the
// upper one (X + U, Y + V), and what is measured on them.
namespace kalmoro {

// One motion block: a straight move, or an arc around the absolute centre (i, j), counter-clockwise
// (G03) unless `clockwise` (G02).
// u and v are the taper offsets in force at the end of the move: the upper wire guide stands at
// (x + u, y + v). Taper words are modal, as the machine's axes are.
struct Move {
  enum class Kind { Line, Arc };
  Kind kind = Kind::Line;
  double x0 = 0, y0 = 0;  // where the move starts
  double u0 = 0, v0 = 0;  // taper offsets at the start
  double x = 0, y = 0;    // where it ends
  double u = 0, v = 0;
  double i = 0, j = 0;       // arc centre
  bool clockwise = false;    // a G02 arc
  bool rapid = false;        // a G00 move
  bool compensated = false;  // compensation (G41, or G42) in force
  int block = 0;             // its block number, 0 when the block has none
  int line = 0;              // source line, from 1
};

struct Point {
  double x = 0, y = 0;
};

// The smallest axis-aligned rectangle holding what was added; empty until something is.
struct Box {
  double minX = std::numeric_limits<double>::infinity(), maxX = -minX;
  double minY = minX, maxY = -minX;

  void Add(Point p);
  void Add(const Box& other);
  bool Empty() const { return !(minX <= maxX); }
  double Width() const { return Empty() ? 0 : maxX - minX; }
  double Height() const { return Empty() ? 0 : maxY - minY; }
};

// The sweep of an arc in radians: in (0, 2π] counter-clockwise, in [−2π, 0) clockwise; a full turn when
// it ends where it starts.
double ArcSweep(const Move& move);

// The point at fraction t (0 … 1) of a move, on the lower contour or on the upper one (the lower point
// plus the taper offsets, which change evenly along the move).
Point PointAt(const Move& move, double t, bool upper);

// The length of a move's path on the lower contour or on the upper one.
double PathLength(const Move& move, bool upper);

// The shortest distance from a point to a move's path, on the lower contour or on the upper one; an arc
// is followed in chords of 0.01 mm at most, which stand off it by less than a micrometre.
double DistanceToPath(const Move& move, Point p, bool upper);

// The bounding box of moves on the lower or the upper contour; an arc adds the axis points it passes.
Box BoundsOf(std::span<const Move> moves, bool upper);

}  // namespace kalmoro
