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
    // The program as written: its last pass is the relief, those points in words of three decimals, cut
    // with the last vertical pass's register, which leaves no stock: it pivots on the finished land.
    const std::string wt = StdText(w), ht = StdText(h), rt = StdText(r);
    const PassOptions passes{n % 3};
    const GenResult made = round ? GenCircle(wt, passes, kDefaultStopCode, relief)
                                 : GenRect(wt, ht, rt, passes, kDefaultStopCode, relief);
    ASSERT_TRUE(made.Ok()) << label << ": " << made.error;
    const ProgramReading read = ReadProgram(made.program);
    ASSERT_TRUE(read.problems.empty()) << label << Listing(read);
    ASSERT_EQ(read.passes.size(), static_cast<std::size_t>(passes.Passes() + 1)) << label;
    const PassReading& cut = read.passes.back();
    EXPECT_TRUE(cut.relief) << label;
    EXPECT_EQ(cut.offsetRegister, passes.skims) << label;
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
// clearance as its arithmetic says it, and its program cuts that die.
TEST(DieOpening, TheDieIsWhatItsArithmeticSaysAndWhatItsProgramCuts) {
  std::mt19937 random(20280403);
  std::uniform_real_distribution<double> size(1, 120), sheet(0.2, 8), typed(0, 0.5);
  for (int n = 0; n < 300; ++n) {
    const ClearanceTexts clearance =
        n % 3 == 0 ? ClearanceTexts{FormatNumber(typed(random), 0, 3), "", ""}
                   : ClearanceTexts{"", FormatNumber(sheet(random), 0, 2),
                                    std::string(Materials()[n % Materials().size()].name)};
    const double punch = LeadingValue(FormatNumber(size(random), 0, 3));
    const double perSide = ClearanceFor(clearance).clearance->perSide;
    const DieResult die = RoundDieFor(StdText(punch), clearance);
    ASSERT_TRUE(die.die) << die.error;
    const std::string said = "Матрица: Ø" + StdText(punch) + " + 2 × " + FormatNumber(perSide, 0, 3) +
                             " = Ø" + FormatNumber(die.die->width, 0, 3) + " мм; зазор ";
    EXPECT_EQ(die.die->arithmetic.substr(0, said.size()), said);
    EXPECT_NEAR(die.die->width, punch + 2 * perSide, 0.0005 + 1e-9) << die.die->arithmetic;
    const GenResult made = GenCircle(StdText(die.die->width));
    EXPECT_EQ(made.program.substr(0, made.program.find('\r')), "%(CIRCLE: D" + StdText(die.die->width) + ")");
  }
}

// The refusals of a rectangle's relief corners, and a slot's full-round ends taking conical ones.
TEST(Relief, RectangleCornersTheReliefCannotKeepAreRefused) {
  EXPECT_TRUE(GenRect("20", "10", "5", {}, kDefaultStopCode, Relief{3, 1, 20}).Ok());
  EXPECT_EQ(GenRect("20", "10", "2", {}, kDefaultStopCode, Relief{15, 15, 20})
                .error.rfind("Освобождение не помещается в углы", 0),
            0u);
  EXPECT_EQ(GenRect("20", "12", "1", {}, kDefaultStopCode, Relief{3, 12, 20})
                .error.rfind("В углах освобождения", 0),
            0u)
      << "the diagonal lean of cylindrical corners, 33.5° at 12° per side";
}

}  // namespace
}  // namespace kalmoro
