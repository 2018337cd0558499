// Holes with skims and a held slug: the program they are written as, read back pass by pass, their
// header, their refusals, the registers the operator enters, and jobs that rough every hole first.

#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "RandomHoles.h"
#include "TestText.h"
#include "check/MachineCheck.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/HolePasses.h"
#include "holes/Job.h"
#include "holes/JobList.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/HoleHeader.h"

namespace kalmoro {
namespace {

std::string Listing(const ProgramReading& r) {
  std::string text;
  for (const Problem& p : r.problems) text += "\n  line " + std::to_string(p.line) + ": " + p.text;
  return text.empty() ? " none" : text;
}

// The round hole of D10 with two skims and the slug held 3 mm before the rough contour closes: the
// rough pass counter-clockwise with G41 D0 stopping at "(ЗАКРЕПИТЬ ВЫРУБКУ)" and M00, skim 1 clockwise
// with G42 D1 and its exit mirrored, skim 2 counter-clockwise with G41 D2, one M02.
TEST(Passes, RoundHoleWithTwoSkimsAndAHeldSlugIsTheReferenceListing) {
  const GenResult result = GenCircle("10", {2, 3, SkimDirection::Alternate});
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.program, test::Listing("circle-d10-skims2-stop3.iso"));
}

// Any hole with any passes reads back clean, each pass as it was asked for: its number and register in
// order, its way and the side that keeps the wire inside, the stop in the rough pass only at its
// length, each skim at its share of the rough pass's time; the header states the options.
TEST(Passes, RandomHolesWithRandomPassesReadBackPassByPass) {
  std::mt19937 random(31);
  const MachineProfile machine;
  for (int n = 0; n < 60; ++n) {
    const PassOptions o = RandomPasses(random);
    const Program program = RandomProgram(random, n % 3, o);
    ASSERT_FALSE(program.text.empty());
    const ProgramReading r = ReadProgram(program.text);
    ASSERT_TRUE(r.problems.empty()) << program.text << Listing(r);
    ASSERT_TRUE(r.header);
    EXPECT_EQ(PassesOf(*r.header), o) << program.text;
    ASSERT_EQ(r.passes.size(), static_cast<std::size_t>(o.Passes())) << program.text;
    const CuttingTime time = EstimateCuttingTime(r, machine);
    for (const PassReading& p : r.passes) {
      const std::string label = program.kind + ", pass " + std::to_string(p.number) + ":\n" + program.text;
      EXPECT_EQ(p.number, static_cast<int>(&p - r.passes.data()) + 1) << label;
      EXPECT_EQ(p.count, o.Passes()) << label;
      EXPECT_EQ(p.offsetRegister, p.number - 1) << label;
      EXPECT_EQ(p.clockwise, o.Clockwise(p.number)) << label;
      EXPECT_EQ(p.rightSide, p.clockwise) << label;
      EXPECT_EQ(p.stopLine != 0, p.Rough() && o.stop != 0) << label;
      if (p.stopLine != 0) {
        EXPECT_NEAR(p.stopLength, o.stop, 0.005) << label;
      }
      // The same contour each time, but for the rounding of the rough pass's stop point.
      EXPECT_NEAR(p.contourLength, r.passes[0].contourLength, 0.002) << label;
      const double factor = p.Rough() ? 1 : machine.skimTime[static_cast<std::size_t>(p.number) - 2];
      const double rough = time.passes[0].Total();
      EXPECT_NEAR(time.passes[&p - r.passes.data()].Total(), factor * rough, 1e-4 * rough) << label;
    }
  }
}

TEST(Passes, HeaderStatesTheOptionsInForceAndReadsThemBack) {
  const struct {
    HoleHeader header;
    const char* line;
  } rows[] = {
      {CircleHeader{"10", {2, 3, SkimDirection::Alternate}}, "%(CIRCLE: D10:SKIMS=2:STOP=3)"},
      {CircleHeader{"10", {0, 2.5, SkimDirection::Alternate}}, "%(CIRCLE: D10:STOP=2.5)"},
      {RectHeader{20, 10, 2, {1, 0, SkimDirection::Same}}, "%(RECTANGLE: W=20:H=10:R=2:SKIMS=1:DIR=SAME)"},
      {ConeHeader{1, 0.8, 2, 5.72481, {4, 15, SkimDirection::Same}},
       "%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481:SKIMS=4:STOP=15:DIR=SAME)"},
      {RectHeader{20, 10, 2, {}}, "%(RECTANGLE: W=20:H=10:R=2)"},
      // A tapered rectangle, and die openings with a relief before the passes' suffix.
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
    EXPECT_EQ(PassesOf(*back), PassesOf(row.header)) << row.line;
    EXPECT_EQ(HeaderLine(*back), row.line);
  }
  EXPECT_EQ(PassesOf(*ParseHeaderLine("%(circle: d10 :skims=1 :dir=alternate)")).skims, 1)
      << "case and blanks";
  for (const char* bad :
       {"%(CIRCLE: D10:SKIMS=5)", "%(CIRCLE: D10:SKIMS=2:SKIMS=2)", "%(CIRCLE: D10:DIR=SAME:SKIMS=2)",
        "%(CIRCLE: D10:STOP=0)", "%(CIRCLE: D10:STOP=-3)", "%(CIRCLE: D10:DIR=LEFT)",
        "%(RECTANGLE: W=20:H=10:R=2:X=1)", "%(CIRCLE: D10:)", "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1)",
        "%(CIRCLE: D10:LAND=3:RELIEF=1)", "%(CIRCLE: D10:SKIMS=1:LAND=3:RELIEF=1:T=20)"})
    EXPECT_FALSE(ParseHeaderLine(bad)) << bad;
  // A diameter text cannot fake a suffix: the generator refuses a ":" in it.
  EXPECT_EQ(GenCircle("10:SKIMS=2").error, kMsgDiameterText);
}

TEST(Passes, OptionsAProgramCannotBeMadeWithAreRefused) {
  const struct {
    GenResult result;
    std::string message;
  } rows[] = {
      {GenCircle("10", {5, 0, SkimDirection::Alternate}), kMsgSkims},
      {GenRect("20", "10", "2", {-1, 0, SkimDirection::Alternate}), kMsgSkims},
      {GenCircle("10", {0, 0.005, SkimDirection::Alternate}), kMsgStopShort},
      {GenCircle("10", {0, -3, SkimDirection::Alternate}), kMsgStopShort},
      {GenCircle("10", {1, 3, SkimDirection::Alternate}, "M02"), kMsgHoldCode},
      // The contour of D10 is 31.416 mm long; of 20 × 10 R2, 56.566 mm.
      {GenCircle("10", {0, 31.41, SkimDirection::Alternate}),
       "Остановка для закрепления вырубки (31.41 мм) должна быть короче контура: его длина 31.416 мм."},
      {GenRect("20", "10", "2", {0, 60, SkimDirection::Alternate}),
       "Остановка для закрепления вырубки (60 мм) должна быть короче контура: его длина 56.566 мм."},
      {GenCone("10", "100000", "100000", "0", {4, 0, SkimDirection::Alternate}), kMsgPassBlocks},
  };
  for (const auto& row : rows) {
    EXPECT_FALSE(row.result.Ok()) << row.message;
    EXPECT_EQ(row.result.error, row.message);
  }
  EXPECT_TRUE(GenCircle("10", {0, 31.4, SkimDirection::Alternate}).Ok()) << "a stop shorter than the contour";
}

// Register k = wire radius + gap of pass k + stock it leaves, none after the last pass.
TEST(Passes, RegistersAddTheWireTheGapAndTheStockLeft) {
  MachineProfile m;
  const std::vector<PassRegister> three = RegisterTable(m, 3);
  ASSERT_EQ(three.size(), 3u);
  EXPECT_NEAR(three[0].offset, 0.125 + 0.02 + 0.06, 1e-12);
  EXPECT_NEAR(three[1].offset, 0.125 + 0.01 + 0.015, 1e-12);
  EXPECT_NEAR(three[2].offset, 0.125 + 0.006, 1e-12) << "no stock after the last pass";
  EXPECT_NEAR(RegisterTable(m, 1)[0].offset, m.WireOffset(), 1e-12) << "one pass: today's offset";
  EXPECT_EQ(three[2].timeFactor, 0.5);
  for (int passes = 1; passes <= kMaxSkims + 1; ++passes) {
    const std::vector<PassRegister> table = RegisterTable(m, passes);
    for (std::size_t k = 1; k < table.size(); ++k)
      EXPECT_LT(table[k].offset, table[k - 1].offset) << "the defaults take stock off pass by pass";
  }
}

std::vector<JobHole> PlateHoles() {
  return {{GenCircle("10", {2, 3, SkimDirection::Alternate}).program, 20, 0},
          {GenRect("20", "10", "2").program, -30, 15},
          {GenCone("2", "1", "0.8", "5.72481", {1, 1, SkimDirection::Same}).program, 0, 40}};
}

// Rough-first: each hole roughed first, the skims of each hole after all of them, every part checked
// against its hole's header, and the block count the job file reading foresees.
TEST(Passes, ARoughFirstJobReadsBackWithEachHolesSkimsApart) {
  const std::vector<JobHole> holes = PlateHoles();
  for (const bool roughFirst : {false, true}) {
    const GenResult job = GenJob(holes, {}, roughFirst);
    ASSERT_TRUE(job.Ok()) << job.error;
    const ProgramReading r = ReadProgram(job.program);
    ASSERT_TRUE(r.job);
    EXPECT_TRUE(r.problems.empty()) << job.program << Listing(r);
    EXPECT_EQ(r.job->roughFirst, roughFirst);
    EXPECT_EQ(r.passes.size(), 6u);
    std::size_t blocks = 1;
    for (std::size_t k = 0; k < holes.size(); ++k)
      blocks += JobHoleBlocks(holes[k].program, k == 0, roughFirst);
    EXPECT_EQ(static_cast<std::size_t>(r.blocks), blocks);
    // In cutting order: rough-first takes the rough passes of all three holes first.
    const std::vector<int> order =
        roughFirst ? std::vector<int>{0, 1, 2, 0, 0, 2} : std::vector<int>{0, 0, 0, 1, 2, 2};
    for (std::size_t k = 0; k < order.size(); ++k) EXPECT_EQ(r.passes[k].hole, order[k]) << k;
    EXPECT_EQ(r.job->holes[0].skimPart.has_value(), roughFirst);
    EXPECT_FALSE(r.job->holes[1].skimPart) << "a hole without skims is cut whole";
    EXPECT_EQ(r.job->Rethreads(), roughFirst ? 4 : 2);

    // The page gets the same holes, with their passes, and the same job back.
    JobList list;
    ASSERT_EQ(list.Restore(job.program), std::optional<std::size_t>(0));
    EXPECT_EQ(list.RoughFirst(), roughFirst);
    EXPECT_EQ(list.Generate({}).program, job.program);
  }
}

TEST(Passes, ARoughFirstJobWithoutASkimPartOrARapidLeadInOrOutOfOrderIsFlagged) {
  const std::string job = GenJob(PlateHoles(), {}, true).program;
  const std::size_t skims = job.find("(ЧИСТОВЫЕ ПРОХОДЫ 3:");
  ASSERT_NE(skims, std::string::npos);
  // The last hole's skims left out: the job ends after the first hole's skims.
  std::string cut = job.substr(0, job.rfind("(ОБРЕЗАТЬ ПРОВОЛОКУ)")) + "N999M02\r\n";
  ProgramReading r = ReadProgram(cut);
  EXPECT_TRUE(std::any_of(r.problems.begin(), r.problems.end(), [](const Problem& p) {
    return p.text.starts_with("Нет чистовых проходов отверстия 3");
  })) << Listing(r);
  // The travel leaves G00 in force: the skims' lead-in without its G01 would run at rapid.
  std::string rapid = job;
  rapid.erase(rapid.find("G01", job.find("(ЧИСТОВЫЕ ПРОХОДЫ 1:")), 3);
  r = ReadProgram(rapid);
  EXPECT_TRUE(std::any_of(r.problems.begin(), r.problems.end(), [](const Problem& p) {
    return p.text.find("ускоренное перемещение G00") != std::string::npos;
  })) << Listing(r);
  // The first hole's skims named as the second's.
  std::string renamed = job;
  renamed.replace(renamed.find("(ЧИСТОВЫЕ ПРОХОДЫ 1:"), 20, "(ЧИСТОВЫЕ ПРОХОДЫ 2:");
  r = ReadProgram(renamed);
  EXPECT_FALSE(r.problems.empty()) << "the second hole's header disagrees and it has no skims";
}

}  // namespace
}  // namespace kalmoro
