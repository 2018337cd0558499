#include "holes/DieOpening.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <variant>

#include "HoleBlocks.h"
#include "holes/HolePasses.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The source gives the total clearance (both sides together) in per cent of the thickness, in four
// columns from extremely tight to loose; the table keeps its "normal tight" and "recommended" columns,
// halved to per side.
constexpr Material Row(std::string_view name, std::string_view title, double tightMin, double tightMax,
                       double optimumMin, double optimumMax) {
  return {name, title, tightMin / 2, tightMax / 2, optimumMin / 2, optimumMax / 2};
}

constexpr std::array kMaterials = {
    Row("mild-steel", "низкоуглеродистая сталь", 5, 10, 20, 30),
    Row("high-carbon-steel", "высокоуглеродистая сталь", 10, 20, 21, 34),
    Row("stainless", "нержавеющая сталь, отожжённая", 6, 10, 20, 30),
    Row("aluminium-soft", "алюминий мягкий", 4, 8, 9, 15),
    Row("aluminium-hard", "алюминий твёрдый", 6, 10, 18, 25),
    Row("brass-half-hard", "латунь полутвёрдая", 6, 10, 16, 26),
    Row("brass-annealed", "латунь отожжённая", 6, 11, 20, 30),
    Row("bronze", "бронза полутвёрдая", 6, 10, 20, 30),
    Row("copper-half-hard", "медь полутвёрдая", 5, 10, 16, 24),
    Row("copper-annealed", "медь отожжённая", 3, 8, 16, 20),
    Row("lead", "свинец", 4, 10, 12, 16),
    Row("magnesium", "магний", 6, 10, 12, 20),
};

constexpr double kMinSheet = 0.01;
constexpr double kMaxSheet = 100;

// A figure as the arithmetic shows it: up to three decimals, trailing zeros dropped.
std::string Mm(double value) {
  return FormatNumber(value, 0, 3);
}

// Rounded to the 0.001 mm of the program's words, half away from zero as the words round.
double ToWords(double value) {
  return LeadingValue(FormatNumber(value, 3, 3));
}

// The text followed by blanks up to the given number of columns, one blank at least; a UTF-8
// character is one column, whatever its bytes.
std::string Pad(std::string text, std::size_t columns) {
  std::size_t width = 0;
  for (const char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  text.append(width < columns ? columns - width : 1, ' ');
  return text;
}

std::string Names() {
  std::string names;
  for (const Material& m : kMaterials) names += (names.empty() ? "" : ", ") + std::string(m.name);
  return names;
}

}  // namespace

std::span<const Material> Materials() {
  return kMaterials;
}

const Material* FindMaterial(std::string_view name) {
  for (const Material& m : kMaterials)
    if (m.name == name) return &m;
  return nullptr;
}

std::string MaterialsText() {
  std::string text = "Зазор между пуансоном и матрицей на сторону, % от толщины листа:\n";
  text += Pad("материал", 20) + Pad("плотный срез", 14) + Pad("рекомендуемый", 15) + "по умолчанию\n";
  for (const Material& m : kMaterials) {
    text += Pad(std::string(m.name), 20) + Pad(Mm(m.tightMin) + "–" + Mm(m.tightMax), 14) +
            Pad(Mm(m.optimumMin) + "–" + Mm(m.optimumMax), 15) + Pad(Mm(m.Share()), 6) +
            std::string(m.title) + "\n";
  }
  text += "Источник: " + std::string(kMaterialSource) + ".\n";
  return text;
}

ClearanceResult ClearanceGiven(double perSide) {
  if (!(perSide >= 0 && perSide <= 10)) return {std::nullopt, "Зазор на сторону должен быть от 0 до 10 мм."};
  return {Clearance{perSide, "задан: " + Mm(perSide) + " мм на сторону"}, {}};
}

ClearanceResult ClearanceFromTable(double sheet, std::string_view material) {
  const Material* m = FindMaterial(material);
  if (!m)
    return {std::nullopt, "Неизвестный материал «" + std::string(material) + "»; есть: " + Names() + "."};
  if (!(sheet >= kMinSheet && sheet <= kMaxSheet))
    return {std::nullopt, "Толщина листа должна быть от " + Mm(kMinSheet) + " до " + Mm(kMaxSheet) + " мм."};
  const double perSide = ToWords(m->Share() / 100 * sheet);
  return {Clearance{perSide, Mm(m->Share()) + " % × " + Mm(sheet) + " мм = " + Mm(perSide) +
                                 " мм на сторону (" + std::string(m->title) + ")"},
          {}};
}

DieOpening RoundDie(double punchDiameter, const Clearance& c) {
  DieOpening die;
  die.width = die.height = ToWords(punchDiameter + 2 * c.perSide);
  die.arithmetic = "Матрица: Ø" + Mm(punchDiameter) + " + 2 × " + Mm(c.perSide) + " = Ø" + Mm(die.width) +
                   " мм; зазор " + c.how;
  return die;
}

DieOpening RectDie(double punchWidth, double punchHeight, double punchRadius, const Clearance& c) {
  DieOpening die;
  die.width = ToWords(punchWidth + 2 * c.perSide);
  die.height = ToWords(punchHeight + 2 * c.perSide);
  die.radius = ToWords(punchRadius + c.perSide);
  const std::string twice = " + 2 × " + Mm(c.perSide) + " = ";
  die.arithmetic = "Матрица: " + Mm(punchWidth) + twice + Mm(die.width) + " × " + Mm(punchHeight) + twice +
                   Mm(die.height) + " мм, радиус " + Mm(punchRadius) + " + " + Mm(c.perSide) + " = " +
                   Mm(die.radius) + " мм; зазор " + c.how;
  return die;
}

ClearanceResult ClearanceFor(const ClearanceTexts& t) {
  if (!t.clearance.empty()) return ClearanceGiven(LeadingValue(t.clearance));
  return ClearanceFromTable(LeadingValue(t.sheet), t.material);
}

DieResult RoundDieFor(std::string_view punchDiameterText, const ClearanceTexts& clearance) {
  const double d = LeadingValue(punchDiameterText);
  if (!(d > 0 && d <= 999))
    return {std::nullopt, "Диаметр пуансона должен быть больше 0 и не больше 999 мм."};
  const ClearanceResult c = ClearanceFor(clearance);
  if (!c.clearance) return {std::nullopt, c.error};
  return {RoundDie(d, *c.clearance), {}};
}

DieResult RectDieFor(std::string_view punchWidthText, std::string_view punchHeightText,
                     std::string_view punchRadiusText, const ClearanceTexts& clearance) {
  const double w = LeadingValue(punchWidthText), h = LeadingValue(punchHeightText);
  const double r = LeadingValue(punchRadiusText);
  if (!(w > 0 && h > 0 && w <= 999 && h <= 999))
    return {std::nullopt, "Ширина и высота пуансона должны быть больше 0 и не больше 999 мм."};
  if (!(r >= 0 && 2 * r <= std::min(w, h)))
    return {std::nullopt, "Радиус углов пуансона должен быть от 0 до половины его меньшей стороны."};
  const ClearanceResult c = ClearanceFor(clearance);
  if (!c.clearance) return {std::nullopt, c.error};
  return {RectDie(w, h, r, *c.clearance), {}};
}

std::optional<std::string> ReliefRefusal(const Relief& r, double halfNarrowest, double maxTaperAngle) {
  if (!(r.thickness >= 0.001 && r.thickness <= 999)) return "Толщина плиты должна быть от 0.001 до 999 мм.";
  if (!(r.land >= 0 && r.land < r.thickness))
    return "Высота пояска должна быть от 0 до толщины плиты (" + Mm(r.thickness) + " мм), не включая её.";
  if (!(r.angle > 0 && r.angle <= 15))
    return "Уклон освобождения должен быть больше 0° и не больше 15° на сторону.";
  if (!(2 * r.angle <= maxTaperAngle))
    return "Уклон освобождения " + Mm(r.angle) + "° на сторону (полный угол " + Mm(2 * r.angle) +
           "°) больше наибольшего угла станка " + Mm(maxTaperAngle) + "°.";
  if (!(r.Above() < halfNarrowest))
    return "Освобождение пересекло бы центр отверстия: над пояском " + Mm(r.land) + " мм при уклоне " +
           Mm(r.angle) + "° верх отходит внутрь на " + Mm(r.Above()) + " мм, а до центра " +
           Mm(halfNarrowest) + " мм.";
  return std::nullopt;
}

std::variant<HoleContour, std::string> ReliefHoleContour(double w, double h, double r, bool round,
                                                         const Relief& relief, double maxTaperAngle) {
  if (const auto refusal = ReliefRefusal(relief, std::min(w, h) / 2, maxTaperAngle)) return *refusal;
  const double below = relief.Below(), above = relief.Above();
  if (round) {
    std::optional<HoleContour> cone = ConeContour(w + 2 * below, w - 2 * above, relief.thickness);
    if (!cone) return std::string(kMsgPassBlocks);
    return std::move(*cone);
  }
  TaperedRect rect{w + 2 * below,    h + 2 * below,    r,
                   relief.thickness, 2 * relief.angle, CornerMode::Cylindrical};
  // At a cylindrical corner the wire leans along the diagonal, steeper than on the sides.
  const double limit = std::min(maxTaperAngle, 30.0);
  if (ReliefCorners(w, h, r, relief) == CornerMode::Cylindrical && CornerTilt(rect.angle) > limit)
    return "В углах освобождения проволока наклонена по диагонали: полный угол " +
           FormatNumber(CornerTilt(rect.angle), 0, 3) + "° больше наибольшего угла станка " + Mm(limit) +
           "°. Уменьшите уклон освобождения до " +
           FormatNumber(std::floor(CornerTilt(limit, true) / 2 * 1000) / 1000, 0, 3) + "° на сторону.";
  if (ReliefCorners(w, h, r, relief) == CornerMode::Conical) {
    // Conical corners about the opening's corner centres: the radius shrinks to R − Above at the top.
    if (!(r >= above && r > 0))
      return "Освобождение не помещается в углы радиуса " + Mm(r) +
             " мм: над пояском его верх отходит внутрь на " + Mm(above) +
             " мм; радиус углов должен быть не больше " + Mm(std::min(w, h) / 2 - above) +
             " мм или не меньше " + Mm(above) + " мм.";
    rect.radius = r + below;
    rect.corners = CornerMode::Conical;
  }
  return TaperedContour(rect);
}

std::optional<std::vector<TaperPoint>> ReliefContour(double width, double height, double radius, bool round,
                                                     const Relief& relief, double maxTaperAngle) {
  const auto contour = ReliefHoleContour(width, height, radius, round, relief, maxTaperAngle);
  const auto* c = std::get_if<HoleContour>(&contour);
  if (!c) return std::nullopt;
  std::vector<TaperPoint> points;
  points.reserve(c->steps.size());
  for (const ContourStep& s : c->steps) points.push_back({{s.x, s.y}, {s.x + s.u, s.y + s.v}});
  return points;
}

double SuggestedLand(double sheet) {
  return sheet < 3 ? 3 : sheet;
}

}  // namespace kalmoro
