#include "holes/TaperedRect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kMaxAngle = 30;
constexpr double kMinThickness = 0.001;
constexpr double kMinTop = 1;
constexpr double kMinRadius = 0.001;

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

std::string Mm(double value) {
  return FormatNumber(value, 0, 3);
}

// Chords per quarter of a circle of radius r whose sagitta stays within the tolerance.
int ChordsPerQuarter(double r, double tolerance) {
  if (!(r > tolerance)) return 1;
  const double step = 2 * std::acos(1 - tolerance / r);
  return std::max(1, static_cast<int>(std::ceil(std::numbers::pi / 2 / step)));
}

}  // namespace

double CornerTilt(double angle, bool inverse) {
  const double half = std::fabs(angle) * std::numbers::pi / 360;
  const double factor = inverse ? 1 / std::numbers::sqrt2 : std::numbers::sqrt2;
  return 2 * std::atan(factor * std::tan(half)) * 180 / std::numbers::pi;
}

double TaperedRect::Offset() const {
  return thickness * std::tan(Radians(angle) / 2);
}

double TaperAngleForTopWidth(double width, double topWidth, double thickness) {
  return 2 * std::atan((width - topWidth) / (2 * thickness)) * 180 / std::numbers::pi;
}

std::optional<std::string> TaperedRectRefusal(const TaperedRect& r) {
  if (!(r.width >= 1 && r.height >= 1 && r.width <= 999 && r.height <= 999))
    return "Введите Ширину и Высоту в диапазоне 1-999 мм";
  if (!(r.radius == 0 || r.radius >= kMinRadius)) return "Радиус должен быть равен 0 или не меньше 0.001 мм";
  if (!(2 * r.radius <= r.width && 2 * r.radius <= r.height))
    return "Двойная величина радиуса превышает Ширину или Высоту";
  if (!(r.thickness >= kMinThickness && r.thickness <= 999))
    return "Толщина плиты должна быть от 0.001 до 999 мм.";
  if (!(std::fabs(r.angle) <= kMaxAngle)) return "Слишком большой угол";
  const double d = r.Offset();
  if (r.corners == CornerMode::Conical && r.radius == 0 && d != 0)
    return "Конические углы сужаются или расширяются вместе с уклоном: задайте радиус углов больше 0.";
  if (r.corners == CornerMode::Conical && r.TopRadius() < 0) {
    const double largest = 2 * std::atan(r.radius / r.thickness) * 180 / std::numbers::pi;
    return "Радиус углов вверху стал бы отрицательным (" + Mm(r.TopRadius()) +
           " мм): при конических углах и угле " + Mm(r.angle) + "° радиус внизу должен быть не меньше " +
           Mm(d) + " мм, или угол не больше " + FormatNumber(largest, 0, 3) + "°.";
  }
  if (!(r.TopWidth() >= kMinTop && r.TopHeight() >= kMinTop))
    return "Верх отверстия меньше 1 мм: " + Mm(r.TopWidth()) + " × " + Mm(r.TopHeight()) + " мм.";
  if (r.corners == CornerMode::Cylindrical && d != 0) {
    if (!(2 * r.radius <= r.TopWidth() && 2 * r.radius <= r.TopHeight()))
      return "Вверху двойной радиус углов (" + Mm(2 * r.radius) + " мм) больше ширины или высоты (" +
             Mm(r.TopWidth()) + " × " + Mm(r.TopHeight()) + " мм): уменьшите радиус или угол.";
    // Sides of no length at the bottom would leave the wire pivoting on one point of the bottom.
    if (!(2 * r.radius < r.width && 2 * r.radius < r.height))
      return "При цилиндрических углах и уклоне двойной радиус должен быть меньше Ширины и Высоты.";
    // A cylindrical corner's centre moves in along both sides at once: there the wire leans along the
    // diagonal, by √2 of the sides' offset, and the machine must tilt it that far.
    if (CornerTilt(r.angle) > kMaxAngle)
      return "При цилиндрических углах проволока в углах наклонена круче, чем на сторонах: на " +
             FormatNumber(CornerTilt(r.angle), 0, 3) + "° (полный угол), больше предела " + Mm(kMaxAngle) +
             "°. Уменьшите угол до " +
             FormatNumber(std::floor(CornerTilt(kMaxAngle, true) * 1000) / 1000, 0, 3) +
             "° или выберите конические углы.";
  }
  return std::nullopt;
}

std::vector<TaperPoint> TaperedRectContour(const TaperedRect& r, double tolerance) {
  const double d = r.Offset();
  const double hw = r.width / 2, hh = r.height / 2;
  const double topRadius = r.TopRadius();
  const int k = r.radius > 0 ? ChordsPerQuarter(std::max(r.radius, topRadius), tolerance) : 0;
  std::vector<TaperPoint> points;
  points.reserve(4 * static_cast<std::size_t>(k) + 5);
  Point last{0, hh};  // the contour starts at the middle of the top side
  const auto add = [&](Point lower, Point upper) {
    if (lower.x == last.x && lower.y == last.y) return;
    points.push_back({lower, upper});
    last = lower;
  };
  // The corners counter-clockwise from the top left: the signs of their quadrant, and the direction from
  // the centre where each corner's arc starts (a quarter turn later it ends).
  const struct {
    double sx, sy;
    int quarter;
  } corners[4] = {{-1, 1, 1}, {-1, -1, 2}, {1, -1, 3}, {1, 1, 0}};
  // Exact directions at the quarter points, so that corners and sides meet exactly.
  constexpr double kAxisCos[5] = {1, 0, -1, 0, 1};
  constexpr double kAxisSin[5] = {0, 1, 0, -1, 0};
  for (const auto& c : corners) {
    const Point centre{c.sx * (hw - r.radius), c.sy * (hh - r.radius)};
    // A cylindrical corner's centre moves in with both sides; a conical one stays.
    const Point top =
        r.corners == CornerMode::Cylindrical ? Point{centre.x - c.sx * d, centre.y - c.sy * d} : centre;
    const int steps = std::max(k, 1);
    for (int i = 0; i <= steps; ++i) {
      double cx = kAxisCos[c.quarter + (i == steps ? 1 : 0)], cy = kAxisSin[c.quarter + (i == steps ? 1 : 0)];
      if (i > 0 && i < steps) {
        const double a = (c.quarter + static_cast<double>(i) / steps) * std::numbers::pi / 2;
        cx = std::cos(a);
        cy = std::sin(a);
      }
      add({centre.x + r.radius * cx, centre.y + r.radius * cy},
          {top.x + topRadius * cx, top.y + topRadius * cy});
    }
  }
  // Back to the middle of the top side.
  if (!(points.back().lower.x == 0 && points.back().lower.y == hh)) points.push_back({{0, hh}, {0, hh - d}});
  return points;
}

}  // namespace kalmoro
