// Die openings and tapered rectangles as they are written and read back: every point of the written
// contours against the ideal shapes, the relief pivoting at the land's depth, the die against its
// arithmetic, and the header forms.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "RandomHoles.h"
#include "check/ProgramReader.h"
#include "holes/DieOpening.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/HoleHeader.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// Signed distance of p from a rectangle W × H with corners of radius r about the origin (a circle when
// 2r is both sides): negative inside.
double Distance(Point p, double width, double height, double r) {
  const double qx = std::fabs(p.x) - (width / 2 - r), qy = std::fabs(p.y) - (height / 2 - r);
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

std::string Listing(const ProgramReading& r) {
  std::string text;
  for (const Problem& p : r.problems) text += "\n  line " + std::to_string(p.line) + ": " + p.text;
  return text.empty() ? " none" : text;
}

// For random tapered rectangles of both corner modes, with and without passes: every pass's contour as
// read lies on the bottom (X, Y) and on the top (X + U, Y + V), each point within what its words allow
// and each chord within 0.002 mm inside; the check finds nothing and works the hole back.
TEST(RectTaper, EveryWrittenPointLiesOnTheBottomAndOnTheTop) {
  std::mt19937 random(20280401);
  std::uniform_real_distribution<double> size(3, 60), share(0, 0.45), angle(-4, 4), plate(2, 50);
  int checked = 0;
  for (int n = 0; n < 120; ++n) {
    const CornerMode corners = n % 2 ? CornerMode::Conical : CornerMode::Cylindrical;
    const auto text = [](double v) { return FormatNumber(v, 0, 3); };
    const double w = LeadingValue(text(size(random))), h = LeadingValue(text(size(random)));
    const double r = LeadingValue(text(share(random) * std::min(w, h)));
    const double t = LeadingValue(text(plate(random))), a = LeadingValue(text(angle(random)));
    const PassOptions passes = n % 3 == 0 ? RandomPasses(random) : PassOptions{};
    const GenResult made = GenRectTaper(text(w), text(h), text(r), text(t), text(a), corners, passes);
    if (!made.Ok()) continue;
    ++checked;
    const std::string label = made.program.substr(0, made.program.find('\r'));
    const ProgramReading read = ReadProgram(made.program);
    ASSERT_TRUE(read.problems.empty()) << label << Listing(read);
    ASSERT_EQ(read.passes.size(), static_cast<std::size_t>(passes.Passes())) << label;
    const double d = t * std::tan(a * std::numbers::pi / 360);
    const double topRadius = corners == CornerMode::Conical ? r - d : r;
    for (const PassReading& p : read.passes) {
      for (std::size_t k = p.contourFirst; k < p.contourFirst + p.contourCount; ++k) {
        const Move& m = read.moves[k];
        for (const bool upper : {false, true}) {
          const double sw = upper ? w - 2 * d : w, sh = upper ? h - 2 * d : h;
          const double sr = upper ? topRadius : r, words = upper ? 0.0015 : 0.00075;
          // Each point of a corner lies on its arcs; where the held slug's stop splits a chord, it lies
          // on the chord.
          const bool split = p.stopLine != 0 && k + 1 == p.stopMove;
          for (const double along : {0.5, 1.0}) {
            const double off = Distance(PointAt(m, along, upper), sw, sh, sr);
            if (along == 1 && !split)
              EXPECT_NEAR(off, 0, words) << label << " line " << m.line;
            else
              EXPECT_LE(std::fabs(off + 0.001), 0.001 + words) << label << " inside a chord, line " << m.line;
          }
        }
      }
    }
    ASSERT_TRUE(read.encoded) << label;
    const auto& found = std::get<RectTaperHeader>(read.encoded->dimensions);
    EXPECT_NEAR(found.width, w, 0.0011) << label;
    EXPECT_NEAR(found.height, h, 0.0011) << label;
    EXPECT_NEAR(found.radius, r, 0.01) << label;
    EXPECT_NEAR(found.angle, a, 0.1 / t) << label;
    if (std::fabs(d) > 0.01 && r > 0.5) {
      EXPECT_EQ(found.corners, corners) << label;
    }
  }
  EXPECT_GT(checked, 80);
}

// For random round and rectangular openings with a land and a relief: the relief's contour, each point
// taken between its bottom and its top at the land's depth, is the opening's contour there; the program
// writes those points as the relief pass, after the vertical passes, and the check reads it clean.
TEST(Relief, PivotsOnTheOpeningsContourAtTheLandsDepth) {
  std::mt19937 random(20280402);
  std::uniform_real_distribution<double> size(3, 60), share(0, 0.5), plate(2, 50), landShare(0, 0.95),
      angle(0.1, 3);
  int checked = 0;
  for (int n = 0; n < 200; ++n) {
    const bool round = n % 2 == 0;
    const double w = size(random), h = round ? w : size(random);
    const double r = round ? w / 2 : share(random) * std::min(w, h);
    const double t = plate(random);
    const Relief relief{landShare(random) * t, angle(random), t};
    const std::optional<std::vector<TaperPoint>> points = ReliefContour(w, h, r, round, relief);
    if (!points) continue;
    ++checked;
    const std::string label = (round ? "D" : "W×H R ") + StdText(w) + " " + StdText(h) + " " + StdText(r) +
                              ", land " + StdText(relief.land) + ", relief " + StdText(relief.angle) +
                              "°, T " + StdText(t);
    const double pivot = (t - relief.land) / t;  // of the way from the bottom to the top
    for (const TaperPoint& p : *points) {
      const Point at{p.lower.x + pivot * (p.upper.x - p.lower.x),
                     p.lower.y + pivot * (p.upper.y - p.lower.y)};
      ASSERT_NEAR(Distance(at, w, h, r), 0, 0.001) << label;
    }
    if (n % 4 >= 2) continue;
    // The program as written: its last pass is the relief, those points in words of three decimals.
    const std::string wt = StdText(w), ht = StdText(h), rt = StdText(r);
    const GenResult made = round ? GenCircle(wt, {}, kDefaultStopCode, relief)
                                 : GenRect(wt, ht, rt, {}, kDefaultStopCode, relief);
    ASSERT_TRUE(made.Ok()) << label << ": " << made.error;
    const ProgramReading read = ReadProgram(made.program);
    ASSERT_TRUE(read.problems.empty()) << label << Listing(read);
    ASSERT_EQ(read.passes.size(), 2u) << label;
    const PassReading& cut = read.passes.back();
    EXPECT_TRUE(cut.relief) << label;
    EXPECT_EQ(cut.offsetRegister, 0) << label;
    ASSERT_EQ(cut.contourCount, points->size()) << label;
    for (std::size_t k = 0; k < points->size(); ++k) {
      const Move& m = read.moves[cut.contourFirst + k];
      const TaperPoint& p = (*points)[k];
      EXPECT_NEAR(m.x, p.lower.x, 0.0005 + 1e-9) << label;
      EXPECT_NEAR(m.y + m.v, p.upper.y, 0.001 + 1e-9) << label;
    }
  }
  EXPECT_GT(checked, 150);
}

// For random punches, materials, sheets and typed clearances: the die is the punch and twice the
// clearance as its arithmetic says it, and the program cuts that die.
TEST(DieOpening, TheDieIsWhatItsArithmeticSaysAndWhatItsProgramCuts) {
  std::mt19937 random(20280403);
  std::uniform_real_distribution<double> size(1, 120), sheet(0.2, 8), typed(0, 0.5);
  for (int n = 0; n < 300; ++n) {
    ClearanceTexts clearance;
    if (n % 3 == 0)
      clearance.clearance = FormatNumber(typed(random), 0, 3);
    else
      clearance = {"", FormatNumber(sheet(random), 0, 2),
                   std::string(Materials()[n % Materials().size()].name)};
    const std::string punch = FormatNumber(size(random), 0, 3);
    const double perSide = ClearanceFor(clearance).clearance->perSide;
    const DieResult die = RoundDieFor(punch, clearance);
    ASSERT_TRUE(die.die) << die.error;
    // "Матрица: Ø<punch> + 2 × <clearance> = Ø<die> мм; …"
    const std::string& text = die.die->arithmetic;
    const std::string expected = "Матрица: Ø" + FormatNumber(LeadingValue(punch), 0, 3) + " + 2 × " +
                                 FormatNumber(perSide, 0, 3) + " = Ø" + FormatNumber(die.die->width, 0, 3) +
                                 " мм";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_NEAR(die.die->width, LeadingValue(punch) + 2 * perSide, 0.0005 + 1e-9) << text;
    const GenResult made = GenCircle(StdText(die.die->width));
    ASSERT_TRUE(made.Ok()) << made.error;
    EXPECT_EQ(HeaderLine(CircleHeader{StdText(die.die->width)}),
              made.program.substr(0, made.program.find('\r')));
    const DieResult rect = RectDieFor(punch, "10", "0.5", clearance);
    ASSERT_TRUE(rect.die) << rect.error;
    EXPECT_NEAR(rect.die->height, 10 + 2 * perSide, 0.0005 + 1e-9) << rect.die->arithmetic;
    EXPECT_NEAR(rect.die->radius, 0.5 + perSide, 0.0005 + 1e-9) << rect.die->arithmetic;
  }
  EXPECT_EQ(RoundDieFor("0", {"0.1", "", ""}).error,
            "Диаметр пуансона должен быть больше 0 и не больше 999 мм.");
  EXPECT_EQ(RectDieFor("20", "10", "6", {"0.1", "", ""}).error,
            "Радиус углов пуансона должен быть от 0 до половины его меньшей стороны.");
  EXPECT_EQ(RoundDieFor("10", {"", "2", "unobtainium"}).error.rfind("Неизвестный материал", 0), 0u);
}

TEST(Opening, HeadersStateTheTaperAndTheReliefAndReadThemBack) {
  const struct {
    HoleHeader header;
    const char* line;
  } rows[] = {
      {RectTaperHeader{20, 10, 2, 20, 1, CornerMode::Cylindrical, {}},
       "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1:CORNERS=CYLINDRICAL)"},
      {RectTaperHeader{20, 10, 2, 20, -1.5, CornerMode::Conical, {1, 3, SkimDirection::Same}},
       "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=-1.5:CORNERS=CONICAL:SKIMS=1:STOP=3:DIR=SAME)"},
      {CircleHeader{"10.5", {}, Relief{3, 1, 20}}, "%(CIRCLE: D10.5:LAND=3:RELIEF=1:T=20)"},
      {RectHeader{20, 10, 2, {2, 0, SkimDirection::Alternate}, Relief{0, 0.25, 12.5}},
       "%(RECTANGLE: W=20:H=10:R=2:LAND=0:RELIEF=0.25:T=12.5:SKIMS=2)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(HeaderLine(row.header), row.line);
    const std::optional<HoleHeader> back = ParseHeaderLine(row.line);
    ASSERT_TRUE(back) << row.line;
    EXPECT_EQ(HeaderLine(*back), row.line);
  }
  EXPECT_TRUE(ParseHeaderLine("%(rect-taper: w=20 :h=10:r=2:t=20:ang=1:corners=conical)"))
      << "case and blanks";
  for (const char* bad :
       {"%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1)", "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1:CORNERS=ROUND)",
        "%(CIRCLE: D10:LAND=3:RELIEF=1)", "%(CIRCLE: D10:SKIMS=1:LAND=3:RELIEF=1:T=20)",
        "%(RECTANGLE: W=20:H=10:R=2:LAND=3:T=20:RELIEF=1)"})
    EXPECT_FALSE(ParseHeaderLine(bad)) << bad;
}

// A relief the opening or the machine cannot take is refused with its reason; a slot's full-round ends
// take conical relief corners, which the top holds.
TEST(Relief, RefusalsNameTheLimit) {
  const struct {
    GenResult result;
    const char* start;  // of the message, or nullptr when it is made
  } rows[] = {
      {GenCircle("10", {}, kDefaultStopCode, Relief{3, 1, 20}), nullptr},
      {GenRect("20", "10", "5", {}, kDefaultStopCode, Relief{3, 1, 20}), nullptr},
      {GenCircle("10", {}, kDefaultStopCode, Relief{19, 15, 20}), "Освобождение пересекло бы центр"},
      {GenRect("20", "10", "2", {}, kDefaultStopCode, Relief{3, 2, 20}, 3), "Уклон освобождения 2°"},
      {GenCircle("10", {}, kDefaultStopCode, Relief{20, 1, 20}), "Высота пояска"},
      {GenRect("20", "10", "2", {}, kDefaultStopCode, Relief{15, 15, 20}),
       "Освобождение не помещается в углы"},
  };
  for (const auto& row : rows) {
    if (!row.start) {
      EXPECT_TRUE(row.result.Ok()) << row.result.error;
      continue;
    }
    EXPECT_EQ(row.result.error.rfind(row.start, 0), 0u) << row.result.error;
  }
}

}  // namespace
}  // namespace kalmoro
