// The geometry of a tapered rectangular hole in both corner modes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "holes/TaperedRect.h"

namespace kalmoro {
namespace {

// Signed distance of p from the boundary of a rectangle with rounded corners about the origin.
double Distance(Point p, double halfWidth, double halfHeight, double radius) {
  const double qx = std::fabs(p.x) - (halfWidth - radius);
  const double qy = std::fabs(p.y) - (halfHeight - radius);
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// For random holes of both modes: every point lies on its bottom or top contour, every chord stays
// within the tolerance of both, the contour closes at the middle of the top side, and the wire between
// matching points leans as the mode says: a conical corner keeps its centre, a cylindrical one its
// radius.
TEST(TaperedRect, PointsLieOnBothContoursAsTheCornerModeSays) {
  std::mt19937 random(2812);
  std::uniform_real_distribution<double> size(2, 120), share(0, 0.45), angle(-12, 12), plate(1, 60);
  int checked = 0;
  for (int k = 0; k < 400; ++k) {
    TaperedRect r{size(random),  size(random),  0,
                  plate(random), angle(random), random() % 2 ? CornerMode::Conical : CornerMode::Cylindrical};
    r.radius = random() % 5 == 0 ? 0 : share(random) * std::min(r.width, r.height);
    if (TaperedRectRefusal(r)) continue;
    ++checked;
    const double d = r.Offset();
    const auto points = TaperedRectContour(r, 0.002);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.back().lower.x, 0);
    EXPECT_EQ(points.back().lower.y, r.height / 2);
    Point lastLower{0, r.height / 2}, lastUpper{0, r.height / 2 - d};
    for (const TaperPoint& p : points) {
      EXPECT_NEAR(Distance(p.lower, r.width / 2, r.height / 2, r.radius), 0, 1e-9);
      EXPECT_NEAR(Distance(p.upper, r.TopWidth() / 2, r.TopHeight() / 2, r.TopRadius()), 0, 1e-9);
      const Point mid{(p.lower.x + lastLower.x) / 2, (p.lower.y + lastLower.y) / 2};
      const Point midUp{(p.upper.x + lastUpper.x) / 2, (p.upper.y + lastUpper.y) / 2};
      EXPECT_GE(Distance(mid, r.width / 2, r.height / 2, r.radius), -0.002 - 1e-9);
      EXPECT_GE(Distance(midUp, r.TopWidth() / 2, r.TopHeight() / 2, r.TopRadius()), -0.002 - 1e-9);
      const bool corner = std::fabs(p.lower.x) > r.width / 2 - r.radius + 1e-9 &&
                          std::fabs(p.lower.y) > r.height / 2 - r.radius + 1e-9;
      if (corner && r.corners == CornerMode::Cylindrical) {
        EXPECT_NEAR(p.upper.x - p.lower.x, -std::copysign(1.0, p.lower.x) * d, 1e-9);
        EXPECT_NEAR(p.upper.y - p.lower.y, -std::copysign(1.0, p.lower.y) * d, 1e-9);
      }
      if (corner && r.corners == CornerMode::Conical) {
        // On the ray from the fixed centre, d further in.
        const double cx = std::copysign(r.width / 2 - r.radius, p.lower.x);
        const double cy = std::copysign(r.height / 2 - r.radius, p.lower.y);
        EXPECT_NEAR(std::hypot(p.lower.x - cx, p.lower.y - cy) - std::hypot(p.upper.x - cx, p.upper.y - cy),
                    d, 1e-9);
      }
      lastLower = p.lower;
      lastUpper = p.upper;
    }
  }
  EXPECT_GT(checked, 200);
}

TEST(TaperedRect, TopWidthAndAngleAreEachOthersInverse) {
  const double a = TaperAngleForTopWidth(20, 19.3, 20);
  const TaperedRect r{20, 10, 2, 20, a, CornerMode::Cylindrical};
  EXPECT_NEAR(r.TopWidth(), 19.3, 1e-12);
  EXPECT_NEAR(r.TopHeight(), 9.3, 1e-12);
  EXPECT_NEAR(TaperedRect({20, 10, 2, 20, 1, CornerMode::Conical}).TopRadius(),
              2 - 20 * std::tan(0.5 * std::numbers::pi / 180), 1e-12);
}

TEST(TaperedRect, RefusesTopsThatCannotHoldTheirCorners) {
  struct Row {
    const char* what;
    TaperedRect rect;
    const char* start;  // of the message, or nullptr when accepted
  };
  const Row rows[] = {
      {"the example, cylindrical", {20, 10, 2, 20, 1, CornerMode::Cylindrical}, nullptr},
      {"the example, conical", {20, 10, 2, 20, 1, CornerMode::Conical}, nullptr},
      {"conical corner radius below zero", {20, 10, 0.1, 20, 1, CornerMode::Conical}, "Радиус углов вверху"},
      {"sharp conical corners", {20, 10, 0, 20, -1, CornerMode::Conical}, "Конические углы"},
      {"cylindrical corners too wide for the top",
       {20, 10, 4.9, 20, 1, CornerMode::Cylindrical},
       "Вверху двойной"},
      {"angle over 30", {20, 10, 2, 20, 30.5, CornerMode::Cylindrical}, "Слишком большой угол"},
      {"top under 1 mm", {20, 10, 0, 20, 27, CornerMode::Cylindrical}, "Верх отверстия меньше 1 мм"},
      // Along a cylindrical corner's diagonal the wire leans by √2 of the sides' offset: 37.5° here.
      {"cylindrical corners leaning beyond 30°",
       {40, 40, 2, 20, 27, CornerMode::Cylindrical},
       "При цилиндрических углах проволока"},
      {"conical corners at the same angle", {40, 40, 6, 20, 27, CornerMode::Conical}, nullptr},
      {"no plate", {20, 10, 2, 0, 1, CornerMode::Cylindrical}, "Толщина плиты"},
      {"radius over half", {20, 10, 5.5, 20, 0, CornerMode::Cylindrical}, "Двойная величина радиуса"},
  };
  for (const Row& row : rows) {
    const auto refusal = TaperedRectRefusal(row.rect);
    if (!row.start) {
      EXPECT_FALSE(refusal) << row.what << ": " << *refusal;
      continue;
    }
    ASSERT_TRUE(refusal) << row.what;
    EXPECT_EQ(refusal->rfind(row.start, 0), 0u) << row.what << ": " << *refusal;
  }
  // The limit is in the message: the least bottom radius for that angle and plate.
  EXPECT_NE(TaperedRectRefusal({20, 10, 0.1, 20, 1, CornerMode::Conical})->find("не меньше 0.175 мм"),
            std::string::npos);
}

}  // namespace
}  // namespace kalmoro
