#include "holes/JobList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"

namespace kalmoro {
namespace {

std::string Rows(const JobList& list) {
  std::string text;
  for (const JobListHole& h : list.Holes())
    text += HoleSizeText(h.header) + " @ " + PositionText(h.hole.x) + " " + PositionText(h.hole.y) + "; ";
  return text;
}

TEST(JobList, PositionsAsTyped) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"12", 12},
      {"-12.5", -12.5},
      {"+3", 3},
      {"0,125", 0.125},
      {" 7.1 ", 7.1},
      {"99999.999", 99999.999},
      {"-99999.999", -99999.999},
      {".5", 0.5},
      {"5.", 5},
      {"-0", 0},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"1.2345", std::nullopt},
      {"100000", std::nullopt},
      {"1e3", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1,2,3", std::nullopt},
      {"--1", std::nullopt},
      {"-", std::nullopt},
      {"12 5", std::nullopt},
      {"99999.9991", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = ParsePosition(c.text);
    EXPECT_EQ(value, c.value) << "\"" << c.text << "\"";
    if (value == 0.0) {
      EXPECT_FALSE(std::signbit(*value)) << "\"" << c.text << "\" must not give a negative zero";
    }
  }
  EXPECT_EQ(PositionText(12), "12");
  EXPECT_EQ(PositionText(-0.5), "-0.5");
  EXPECT_EQ(PositionText(-0.0), "0");
  EXPECT_EQ(PositionText(99999.999), "99999.999");
}

TEST(JobList, TableTextsOfEachHole) {
  const struct {
    GenResult generated;
    const char* kind;
    const char* size;
  } cases[] = {
      {GenCircle("10"), "круглое", "D10"},
      {GenRect("20", "10", "2"), "прямоугольное", "20×10 R2"},
      {GenCone("2", "1", "0.8", "0"), "коническое", "D1 / D0.8, H2"},
      {GenRectTaper("20", "10", "2", "20", "-1", CornerMode::Conical), "прямоугольное с уклоном",
       "20×10 R2, T20, -1°, углы конические"},
      {GenCircle("10.5", {}, kDefaultStopCode, Relief{3, 1, 20}), "круглое",
       "D10.5, поясок 3, освобождение 1°, T20"},
  };
  for (const auto& c : cases) {
    JobList list;
    ASSERT_EQ(list.Add(c.generated), "");
    EXPECT_EQ(HoleKindText(list.Holes()[0].header), c.kind);
    EXPECT_EQ(HoleSizeText(list.Holes()[0].header), c.size);
    EXPECT_EQ(list.Holes()[0].hole.program, c.generated.program) << "the hole keeps its page's program";
  }
}

TEST(JobList, AddMoveRemove) {
  JobList list;
  EXPECT_EQ(list.Add(GenCircle("0")), GenCircle("0").error) << "a refusal adds nothing";
  EXPECT_EQ(list.Size(), 0u);
  ASSERT_EQ(list.Add(GenCircle("10"), 1, 2), "");
  ASSERT_EQ(list.Add(GenCircle("20"), 3, 4), "");
  ASSERT_EQ(list.Add(GenCircle("30")), "");
  list.MoveUp(0);
  list.MoveDown(2);
  EXPECT_EQ(Rows(list), "D10 @ 1 2; D20 @ 3 4; D30 @ 0 0; ") << "nothing moves past the ends";
  list.MoveDown(0);
  list.MoveUp(2);
  EXPECT_EQ(Rows(list), "D20 @ 3 4; D30 @ 0 0; D10 @ 1 2; ");
  list.SetPosition(1, -5.5, 0.001);
  list.Remove(0);
  EXPECT_EQ(Rows(list), "D30 @ -5.5 0.001; D10 @ 1 2; ");
}

TEST(JobList, AFullListTakesNoMore) {
  JobList list;
  const GenResult hole = GenCircle("5");
  for (std::size_t k = 0; k < kMaxJobHoles; ++k) ASSERT_EQ(list.Add(hole), "");
  EXPECT_EQ(list.Add(hole), kMsgJobFull);
  EXPECT_EQ(list.PlaceOnCircle(0, {"2", "10", "0", "0", "0"}), kMsgJobFull);
  EXPECT_EQ(list.PlaceOnCircle(0, {"1", "10", "0", "0", "0"}), "") << "one copy replaces the hole";
  EXPECT_EQ(list.Size(), kMaxJobHoles);
}

TEST(JobList, BoltCircleReplacesTheHoleByItsCopies) {
  JobList list;
  ASSERT_EQ(list.Add(GenCircle("10")), "");
  ASSERT_EQ(list.Add(GenRect("20", "10", "2"), 7, 7), "");
  ASSERT_EQ(list.Add(GenCircle("30")), "");
  ASSERT_EQ(list.PlaceOnCircle(1, {"6", "100", "0", "10", "-20"}), "");
  EXPECT_EQ(Rows(list),
            "D10 @ 0 0; "
            "20×10 R2 @ 60 -20; 20×10 R2 @ 35 23.301; 20×10 R2 @ -15 23.301; "
            "20×10 R2 @ -40 -20; 20×10 R2 @ -15 -63.301; 20×10 R2 @ 35 -63.301; "
            "D30 @ 0 0; ");
  // From 90° on a circle of 3 holes, typed with commas and blanks; 450° is 90°.
  for (const char* angle : {"90", "450", " 90,0 "}) {
    JobList three;
    ASSERT_EQ(three.Add(GenCircle("10")), "");
    ASSERT_EQ(three.PlaceOnCircle(0, {"3", "2,5", angle, "0", "0"}), "");
    EXPECT_EQ(Rows(three), "D10 @ 0 1.25; D10 @ -1.083 -0.625; D10 @ 1.083 -0.625; ") << angle;
  }
}

TEST(JobList, BoltCircleRefusalsChangeNothing) {
  const struct {
    BoltCircleTexts texts;
    const char* message;
  } cases[] = {
      {{"0", "10", "0", "0", "0"}, kMsgCircleCount},
      {{"361", "10", "0", "0", "0"}, kMsgCircleCount},
      {{"2.5", "10", "0", "0", "0"}, kMsgCircleCount},
      {{"", "10", "0", "0", "0"}, kMsgCircleCount},
      {{"-3", "10", "0", "0", "0"}, kMsgCircleCount},
      {{"6", "0", "0", "0", "0"}, kMsgCircleDiameter},
      {{"6", "-10", "0", "0", "0"}, kMsgCircleDiameter},
      {{"6", "ten", "0", "0", "0"}, kMsgCircleDiameter},
      {{"6", "10", "x", "0", "0"}, kMsgCircleAngle},
      {{"6", "10", "", "0", "0"}, kMsgCircleAngle},
      {{"6", "10", "0", "1.0001", "0"}, kMsgCircleCentre},
      {{"6", "10", "0", "0", "100000"}, kMsgCircleCentre},
      {{"6", "10", "0", "99999", "0"}, kMsgJobPosition},
      {{"6", "1e3", "0", "0", "0"}, kMsgCircleDiameter},
  };
  for (const auto& c : cases) {
    JobList list;
    ASSERT_EQ(list.Add(GenCircle("10"), 1, 2), "");
    EXPECT_EQ(list.PlaceOnCircle(0, c.texts), c.message)
        << c.texts.count << " | " << c.texts.diameter << " | " << c.texts.angle << " | " << c.texts.x << " | "
        << c.texts.y;
    EXPECT_EQ(Rows(list), "D10 @ 1 2; ");
  }
}

TEST(JobList, OptimiseReordersTheHoles) {
  JobList list;
  for (const double x : {0.0, 1.0, -1.9, 4.0, -8.0}) ASSERT_EQ(list.Add(GenCircle("10"), x, 0), "");
  EXPECT_NEAR(list.Travel(), 1 + 2.9 + 5.9 + 12, 1e-9);
  const std::vector<std::size_t> order = list.Optimise();
  ASSERT_EQ(order.size(), 5u);
  EXPECT_NEAR(list.Travel(), 16, 1e-9);
  for (std::size_t k = 0; k < order.size(); ++k)
    EXPECT_EQ(list.Holes()[k].hole.x, (std::vector<double>{0.0, 1.0, -1.9, 4.0, -8.0})[order[k]]);
}

// The job's program is its own save format: restoring it gives the same holes, and the same program.
TEST(JobList, RestoredJobGivesTheSameProgram) {
  JobList list;
  ASSERT_EQ(list.Add(GenCircle("12.5"), 20, 0), "");
  ASSERT_EQ(list.Add(GenRect("20", "10", "2"), -30, 15.125), "");
  ASSERT_EQ(list.Add(GenCone("2", "1", "1.2", "-5.72481"), 0.001, -99999.999), "");
  ASSERT_EQ(list.Add(GenCone("2", "1", "0.8", "5.72481"), 3, 3), "");
  const GenResult job = list.Generate({"M00", "M01"});
  ASSERT_TRUE(job.Ok()) << job.error;

  JobList restored;
  EXPECT_EQ(restored.Restore(job.program), std::optional<std::size_t>(0));
  EXPECT_EQ(Rows(restored), Rows(list));
  const GenResult again = restored.Generate({"M00", "M01"});
  EXPECT_EQ(again.program, job.program) << "generating a restored job must give the same bytes";
}

TEST(JobList, RestoreLeavesOutWhatItCannotRegenerate) {
  const std::string program =
      "%(JOB: 5)\r\n"
      "(1: CIRCLE: D10 @ X20 Y0)\r\n"
      "(2: TRIANGLE: A=5 @ X1 Y1)\r\n"  // no hole of ours
      "(3: CIRCLE: D0 @ X0 Y0)\r\n"     // the generator refuses it
      "(4: CIRCLE: D10 @ X200000 Y0)\r\n"
      "(ОБРЕЗАТЬ ПРОВОЛОКУ)\r\n"
      "\n(5: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15)\r"
      "N1M02\r\n";
  JobList list;
  EXPECT_EQ(list.Restore(program), std::optional<std::size_t>(3));
  EXPECT_EQ(Rows(list), "D10 @ 20 0; 20×10 R2 @ -30 15; ");

  // A single hole's program is no job: the list stays.
  EXPECT_EQ(list.Restore(GenCircle("10").program), std::nullopt);
  EXPECT_EQ(list.Restore(""), std::nullopt);
  EXPECT_EQ(list.Size(), 2u);
}

}  // namespace
}  // namespace kalmoro
