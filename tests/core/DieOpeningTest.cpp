// The die opening from its punch, and the start holes of a plate.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "RandomHoles.h"
#include "check/ProgramReader.h"
#include "check/StartHoles.h"
#include "holes/DieOpening.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

TEST(DieOpening, TenMillimetrePunchInTwoMillimetreMildSteel) {
  const ClearanceResult c = ClearanceFromTable(2, "mild-steel");
  ASSERT_TRUE(c.clearance) << c.error;
  EXPECT_DOUBLE_EQ(c.clearance->perSide, 0.25);  // 12.5 % per side of 2 mm
  const DieOpening die = RoundDie(10, *c.clearance);
  EXPECT_DOUBLE_EQ(die.width, 10.5);
  EXPECT_EQ(die.arithmetic,
            "Матрица: Ø10 + 2 × 0.25 = Ø10.5 мм; зазор 12.5 % × 2 мм = 0.25 мм на сторону "
            "(низкоуглеродистая сталь)");
}

// For any material, sheet and punch: the die is the punch and twice the clearance per side, to the
// 0.001 mm the program's words hold, and a rectangle's corners keep the gap all round.
TEST(DieOpening, IsThePunchAndTwiceTheClearancePerSide) {
  std::mt19937 random(20261209);
  std::uniform_real_distribution<double> sheet(0.1, 12), size(1, 200);
  for (int k = 0; k < 500; ++k) {
    const Material& m = Materials()[random() % Materials().size()];
    const double t = LeadingValue(FormatNumber(sheet(random), 0, 2));
    const ClearanceResult c = ClearanceFromTable(t, m.name);
    ASSERT_TRUE(c.clearance) << m.name << " " << t;
    EXPECT_NEAR(c.clearance->perSide, m.Share() / 100 * t, 0.0005 + 1e-12) << m.name << " " << t;
    const double w = size(random), h = size(random), r = std::min(w, h) / 4;
    const DieOpening die = RectDie(w, h, r, *c.clearance);
    EXPECT_NEAR(die.width - w, 2 * c.clearance->perSide, 0.0006);
    EXPECT_NEAR(die.height - h, 2 * c.clearance->perSide, 0.0006);
    EXPECT_NEAR(die.radius - r, c.clearance->perSide, 0.0006);
    EXPECT_NE(die.arithmetic.find(FormatNumber(die.width, 0, 3)), std::string::npos) << die.arithmetic;
  }
}

TEST(DieOpening, TableIsPerSideAndNamesItsSource) {
  for (const Material& m : Materials()) {
    EXPECT_LT(m.tightMax, m.optimumMax) << m.name;
    EXPECT_TRUE(m.optimumMin <= m.Share() && m.Share() <= m.optimumMax) << m.name;
    EXPECT_EQ(FindMaterial(m.name), &m);
  }
  const std::string text = MaterialsText();
  EXPECT_NE(text.find("на сторону"), std::string::npos);
  EXPECT_NE(text.find("Berger Tools"), std::string::npos);
  EXPECT_NE(text.find("mild-steel          2.5–5         10–15          12.5"), std::string::npos) << text;
}

TEST(DieOpening, RefusesWhatIsNoClearance) {
  EXPECT_EQ(ClearanceFromTable(2, "unobtainium")
                .error.rfind("Неизвестный материал «unobtainium»; есть: mild-steel", 0),
            0u);
  EXPECT_FALSE(ClearanceFromTable(0, "mild-steel").clearance);
  EXPECT_FALSE(ClearanceFromTable(std::nan(""), "mild-steel").clearance);
  EXPECT_FALSE(ClearanceGiven(-0.01).clearance);
  EXPECT_FALSE(ClearanceGiven(std::nan("")).clearance);
  EXPECT_TRUE(ClearanceGiven(0).clearance);
  EXPECT_DOUBLE_EQ(SuggestedLand(2.9), 3);
  EXPECT_DOUBLE_EQ(SuggestedLand(5), 5);
}

// The relief pass pivots on the opening's contour at the land's depth: its bottom and top, joined by
// straight wires, pass through the opening exactly there.
TEST(DieOpening, ReliefPivotsAtTheLandsDepth) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> plate(1, 60), share(0, 0.9), angle(0.05, 2), size(2, 80);
  for (int k = 0; k < 300; ++k) {
    const Relief relief{0, angle(random), plate(random)};
    const Relief r{share(random) * relief.thickness, relief.angle, relief.thickness};
    const double half = size(random) / 2;
    if (ReliefRefusal(r, half, 30)) continue;
    const double bottom = half + r.Below(), top = half - r.Above();
    const double pivot = r.thickness - r.land;  // above the bottom
    EXPECT_NEAR(bottom + (top - bottom) * pivot / r.thickness, half, 1e-9);
  }
  EXPECT_FALSE(ReliefRefusal({3, 1, 20}, 5, 30));
  EXPECT_NE(ReliefRefusal({3, 16, 20}, 5, 30)->find("15°"), std::string::npos);
  EXPECT_NE(ReliefRefusal({3, 2, 20}, 5, 3)->find("больше наибольшего угла станка 3°"), std::string::npos);
  EXPECT_NE(ReliefRefusal({19, 15, 20}, 5, 30)->find("центр"), std::string::npos);
  EXPECT_NE(ReliefRefusal({20, 1, 20}, 5, 30)->find("пояска"), std::string::npos);
}

TEST(StartHoles, LargestStandardDrillKeepsTheMarginFromTheContour) {
  struct Row {
    const char* what;
    GenResult program;
    double room;
    std::optional<double> drill;
  };
  const Row rows[] = {
      {"circle D10", GenCircle("10"), 5, 9.0},
      {"circle D1: no drill fits", GenCircle("1"), 0.5, std::nullopt},
      {"circle D3.1", GenCircle("3.1"), 1.55, 2.0},
      {"rectangle 20x10", GenRect("20", "10", "2"), 5, 9.0},
      {"rectangle 40x6", GenRect("40", "6", "0"), 3, 5.0},
      // The top of a hole that narrows upwards is what the drill must clear; a relief's top is in the air.
      {"tapered rectangle 20x10, 1°", GenRectTaper("20", "10", "2", "20", "1", CornerMode::Cylindrical),
       4.825, 8.0},
      {"D10.5 with a relief", GenCircle("10.5", {}, kDefaultStopCode, Relief{3, 1, 20}), 5.25, 9.0},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(row.program.Ok()) << row.what;
    const std::vector<StartHole> holes = StartHoles(ReadProgram(row.program.program));
    ASSERT_EQ(holes.size(), 1u) << row.what;
    EXPECT_NEAR(holes[0].room, row.room, 0.001) << row.what;
    EXPECT_EQ(holes[0].drill, row.drill) << row.what;
    EXPECT_EQ(holes[0].at.x, 0) << row.what;
  }
}

// Every hole of a random job gets its start hole at its position, and the drill, where one fits,
// leaves the margin to every contour point.
TEST(StartHoles, OnePerHoleOfAJobAtItsPosition) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::vector<JobHole> holes;
    holes.reserve(4);
    for (int k = 0; k < 4; ++k)
      holes.push_back({RandomProgram(random, static_cast<int>(random() % 3)).text, 30.0 * k, -10.0 * k});
    const GenResult job = GenJob(holes, {"M00", "M00"});
    ASSERT_TRUE(job.Ok()) << job.error;
    const ProgramReading reading = ReadProgram(job.program);
    const std::vector<StartHole> starts = StartHoles(reading);
    ASSERT_EQ(starts.size(), holes.size());
    for (std::size_t k = 0; k < starts.size(); ++k) {
      EXPECT_EQ(starts[k].hole, static_cast<int>(k) + 1);
      EXPECT_NEAR(starts[k].at.x, holes[k].x, 0.0015);
      EXPECT_NEAR(starts[k].at.y, holes[k].y, 0.0015);
      if (starts[k].drill) {
        EXPECT_LE(*starts[k].drill / 2 + kStartHoleMargin, starts[k].room + 0.0015);
      }
    }
  }
}

}  // namespace
}  // namespace kalmoro
