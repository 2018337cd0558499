#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "holes/TaperedRect.h"
#include "nc/Relief.h"

// The opening of a piercing die worked out from its punch: die = punch + 2 × clearance per side, the
// clearance typed directly or taken from the material table as a share of the sheet thickness. Every
// figure here is per side; the source's totals are halved once, in the table.
namespace kalmoro {

// One row of the clearance table: the share of the sheet thickness left between punch and die on
// each side, in per cent, for a clean, tight cut and for the longest tool life.
struct Material {
  std::string_view name;                  // as the command line takes it: "mild-steel"
  std::string_view title;                 // Russian, as the window and the table show it
  double tightMin = 0, tightMax = 0;      // % per side, a tight cut (little burr, more wear)
  double optimumMin = 0, optimumMax = 0;  // % per side, the source's recommended clearance
  // The share used when none is chosen: the middle of the recommended range, % per side.
  double Share() const { return (optimumMin + optimumMax) / 2; }
};

// The table, in the order it is printed. Its source, named where it is printed: Berger Tools,
// "Punches and Dies" catalogue, "Punch-to-Die Clearances", total clearance in % of the thickness.
std::span<const Material> Materials();
const Material* FindMaterial(std::string_view name);
inline constexpr const char* kMaterialSource =
    "Berger Tools, каталог «Punches and Dies», таблица «Punch-to-Die Clearances» (там — суммарный "
    "зазор, здесь — половина, на сторону)";
// The table as `kalmoro-gen materials` prints it: a line per material, per side, and its source.
std::string MaterialsText();

// The clearance per side, and how it was found, as the arithmetic shows it.
struct Clearance {
  double perSide = 0;  // mm
  std::string how;  // "12.5 % × 2 мм (низкоуглеродистая сталь, на сторону)"
};

// The clearance typed directly (mm per side), or the material's share of the sheet thickness. A
// refusal (Russian) for a negative or non-finite value, an unknown material (the names listed), or a
// sheet outside 0.01 … 100 mm.
struct ClearanceResult {
  std::optional<Clearance> clearance;
  std::string error;
};
ClearanceResult ClearanceGiven(double perSide);
ClearanceResult ClearanceFromTable(double sheet, std::string_view material);

// A die opening and its arithmetic ("Матрица: 10 + 2 × 0.25 = 10.5 мм"). Sizes are rounded to
// 0.001 mm, the resolution of the program's words; a rectangle's corner radius grows by the clearance,
// so that the gap is the same all round.
struct DieOpening {
  double width = 0, height = 0, radius = 0;  // a round die: its diameter in width
  std::string arithmetic;
};
DieOpening RoundDie(double punchDiameter, const Clearance& clearance);
DieOpening RectDie(double punchWidth, double punchHeight, double punchRadius, const Clearance& clearance);

// The clearance as a page or the command line gives it: typed directly (mm per side) when that text is
// not empty, else the sheet's thickness and a material of the table by its name.
struct ClearanceTexts {
  std::string clearance;
  std::string sheet;
  std::string material;
};
ClearanceResult ClearanceFor(const ClearanceTexts& texts);

// The die opening for a punch given as field texts (read as leading-number values), or why there is
// none (Russian): a punch of no size or beyond 999 mm, a corner radius below 0 or more than half the
// punch's smaller side, or the clearance's own refusal. Whether the die can be cut is its generator's
// to say.
struct DieResult {
  std::optional<DieOpening> die;
  std::string error;
};
DieResult RoundDieFor(std::string_view punchDiameterText, const ClearanceTexts& clearance);
DieResult RectDieFor(std::string_view punchWidthText, std::string_view punchHeightText,
                     std::string_view punchRadiusText, const ClearanceTexts& clearance);

// Why the relief cannot be cut, in Russian, or nothing: a plate of 0.001–999 mm, a land from 0 up to
// less than the plate, an angle above 0 whose full angle the machine can tilt to (maxTaperAngle, full
// angle in degrees), and a top that does not cross the opening's centre (halfNarrowest: the radius of a
// round opening, half the smaller side of a rectangular one).
std::optional<std::string> ReliefRefusal(const Relief& relief, double halfNarrowest, double maxTaperAngle);

// The relief pass's contour below an opening's land, each point with its upper twin, as the program of
// GenCircle (round: `width` is the diameter) or GenRect writes it before its words round it: the cone,
// or the tapered rectangle (ReliefCorners), whose wire passes through the opening's contour at the
// land's depth. Nothing when the generator refuses the relief.
std::optional<std::vector<TaperPoint>> ReliefContour(double width, double height, double radius, bool round,
                                                     const Relief& relief, double maxTaperAngle = 30);

// The land under the cutting edge that die design guides give for a sheet: 3 mm below 3 mm, else the
// sheet's own thickness.
double SuggestedLand(double sheet);

}  // namespace kalmoro
