#include "HoleCheck.h"

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Largest difference of two distances measured on words rounded to three decimals.
constexpr double kRoundedDistance = 0.003;
// Largest difference of a length measured between two rounded words and the value it was made from;
// on the upper contour each end is the sum of two rounded words.
constexpr double kRoundedLength = 0.0011;
constexpr double kRoundedUpperLength = 0.0021;
// A closed contour ends where it began, within the rounding of its words.
constexpr double kSamePoint = 0.0015;

std::string Num(double value) {
  return FormatNumber(value, 0, 3);
}

// The contour: the compensated moves from the first one until the path is back where it began.
std::vector<const Move*> Contour(const std::vector<Move>& moves, bool& closed) {
  std::vector<const Move*> contour;
  closed = false;
  for (const Move& m : moves) {
    if (!m.compensated) {
      if (!contour.empty()) break;
      continue;
    }
    contour.push_back(&m);
    const Move& first = *contour.front();
    if (std::hypot(m.x - first.x0, m.y - first.y0) <= kSamePoint && contour.size() > 1) {
      closed = true;
      break;
    }
  }
  return contour;
}

// One dimension of the header against the contour.
struct Dimension {
  std::string label;  // "D", "W=", …
  double header;
  double contour;
  double tolerance;
};

void CompareWithHeader(ProgramReading& r, const std::vector<Dimension>& dims) {
  for (const Dimension& d : dims) {
    if (std::fabs(d.header - d.contour) <= d.tolerance) continue;
    r.problems.push_back({r.headerLine, ProblemKind::Header,
                          "Заголовок: " + d.label + Num(d.header) + ", контур: " + d.label +
                              (d.label == "ANG=" ? FormatNumber(d.contour, 0, 6) : Num(d.contour))});
  }
}

// Works the hole back from the contour and compares it with the header.
}  // namespace

void CheckHoleAgainstHeader(ProgramReading& r) {
  if (!r.header) return;
  bool closed = false;
  const std::vector<const Move*> contour = Contour(r.moves, closed);
  if (contour.empty()) {
    r.problems.push_back(
        {r.headerLine, ProblemKind::Contour, "Контур не найден: нет перемещений с коррекцией G41"});
    return;
  }
  if (!closed)
    r.problems.push_back(
        {contour.back()->line, ProblemKind::Contour, "Контур не замкнут: он не возвращается в начало"});
  const std::span<const Move> path(contour.front(), contour.size());
  const Box lower = BoundsOf(path, false);
  const Box upper = BoundsOf(path, true);
  if (const auto* circle = std::get_if<CircleHeader>(&*r.header)) {
    const double d = lower.Width();
    r.encoded = EncodedHole{CircleHeader{Num(d)}, "круглое отверстие D" + Num(d)};
    CompareWithHeader(r, {{"D", LeadingValue(circle->diameter), d, kRoundedLength}});
  } else if (const auto* rect = std::get_if<RectHeader>(&*r.header)) {
    double radius = 0;
    for (const Move* m : contour) {
      if (m->kind == Move::Kind::Arc) {
        radius = std::hypot(m->x0 - m->i, m->y0 - m->j);
        break;
      }
    }
    const RectHeader found{lower.Width(), lower.Height(), radius};
    r.encoded = EncodedHole{found, "прямоугольное отверстие W=" + Num(found.width) +
                                       " H=" + Num(found.height) + " R=" + Num(found.radius)};
    CompareWithHeader(r, {{"W=", rect->width, found.width, kRoundedLength},
                          {"H=", rect->height, found.height, kRoundedLength},
                          {"R=", rect->radius, found.radius, kRoundedDistance / 2}});
  } else if (const auto* cone = std::get_if<ConeHeader>(&*r.header)) {
    if (!r.wireHeight) {
      r.problems.push_back({r.headerLine, ProblemKind::Header, "Нет высоты конуса: слово R в кадре G92"});
      return;
    }
    const double h = *r.wireHeight;
    const double taper = lower.Width() - upper.Width();  // difference of the diameters
    const double t = taper / (2 * h);
    const double angle = std::fabs(2 * std::atan(t) * 180 / kPi);
    // How far the rounding of the words can move the angle, in degrees, and the six decimals of the field.
    const double slack = (0.004 + std::fabs(taper) * 0.0005 / std::fabs(h)) / (std::fabs(h) * (1 + t * t));
    const double angleTolerance = slack * 180 / kPi + 1e-6;
    const ConeHeader found{lower.Width(), upper.Width(), h, angle};
    r.encoded =
        EncodedHole{found, "коническое отверстие D-DOWN=" + Num(found.lower) + " D-UP=" + Num(found.upper) +
                               " H=" + Num(h) + " ANG=" + FormatNumber(angle, 0, 6)};
    CompareWithHeader(r, {{"D-DOWN=", cone->lower, found.lower, kRoundedLength},
                          {"D-UP=", cone->upper, found.upper, kRoundedUpperLength},
                          {"H=", cone->height, h, 0.0006},
                          {"ANG=", cone->angle, angle, angleTolerance}});
  }
}

}  // namespace kalmoro
