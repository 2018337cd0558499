#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

#include "nc/CornerMode.h"

// The relief below a die's land: the wire pivots on the opening's contour `land` mm below the top of a
// plate `thickness` mm thick and leans outwards by `angle` degrees per side, so that below the land the
// opening widens and above it the wire runs in the air of the opening already cut.
namespace kalmoro {

struct Relief {
  double land = 0, angle = 0, thickness = 0;
  // How far the bottom of the relief stands outside the opening, per side, mm.
  double Below() const { return (thickness - land) * std::tan(angle * std::numbers::pi / 180); }
  // How far its top stands inside the opening, per side, mm.
  double Above() const { return land * std::tan(angle * std::numbers::pi / 180); }
  bool operator==(const Relief&) const = default;
};

// The corners of a rectangular opening's relief, both of which pass through the opening's corners at the
// land's depth: cylindrical (the opening's radius from bottom to top, the centres moving with the sides)
// where the top holds twice the radius, else conical (about the opening's corner centres, radius
// R + Below at the bottom and R − Above at the top), which needs R ≥ Above.
inline CornerMode ReliefCorners(double width, double height, double radius, const Relief& relief) {
  return 2 * radius <= std::min(width, height) - 2 * relief.Above() ? CornerMode::Cylindrical
                                                                    : CornerMode::Conical;
}

}  // namespace kalmoro
