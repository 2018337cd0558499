// The checks against the machine's profile and the cutting time, over generated programs and small
// hand-written ones.

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "check/MachineCheck.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"

namespace kalmoro {
namespace {

ProgramReading Checked(const std::string& program, const MachineProfile& machine = {}) {
  ProgramReading r = ReadProgram(program);
  CheckMachine(r, machine);
  return r;
}

std::vector<const Problem*> OfKind(const ProgramReading& r, ProblemKind kind) {
  std::vector<const Problem*> found;
  for (const Problem& p : r.problems)
    if (p.kind == kind) found.push_back(&p);
  return found;
}

// The line (from 1) of the first block of a program that holds a text.
int LineOf(const std::string& program, const std::string& text) {
  const std::size_t at = program.find(text);
  return at == std::string::npos
             ? 0
             : 1 + static_cast<int>(std::count(program.begin(), program.begin() + at, '\n'));
}

TEST(MachineCheck, GeneratedHolesWithRoomForTheWireAreClean) {
  for (const std::string& program : {GenCircle("10").program, GenRect("20", "10", "2").program,
                                     GenCone("10", "10", "8", "11.421186").program}) {
    ASSERT_FALSE(program.empty());
    const ProgramReading r = Checked(program);
    EXPECT_TRUE(r.problems.empty()) << program << (r.problems.empty() ? "" : r.problems[0].text);
  }
}

TEST(MachineCheck, CornerRadiusBelowTheWireIsAProblemAtTheCornersLine) {
  const std::string program = GenRect("20", "10", "0.1").program;
  const ProgramReading r = Checked(program);
  const auto arcs = OfKind(r, ProblemKind::WireRadius);
  ASSERT_EQ(arcs.size(), 4u) << "each corner at its line";
  EXPECT_EQ(arcs[0]->line, LineOf(program, "G03"));
  EXPECT_NE(arcs[0]->text.find("радиус 0.1 мм меньше радиуса проволоки с зазором 0.145 мм"),
            std::string::npos)
      << arcs[0]->text;
  EXPECT_EQ(ProblemCount(r), 4u);

  MachineProfile thin;
  thin.wireDiameter = 0.1;
  thin.sparkGap = 0.01;
  EXPECT_TRUE(OfKind(Checked(program, thin), ProblemKind::WireRadius).empty()) << "a thinner wire cuts it";
}

TEST(MachineCheck, SharpCornerIsANoteThatDoesNotCount) {
  const std::string program = GenRect("20", "10", "0").program;
  const ProgramReading r = Checked(program);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].kind, ProblemKind::Note);
  EXPECT_NE(r.problems[0].text.find("углы будут скруглены радиусом 0.145 мм (проволока с зазором)"),
            std::string::npos)
      << r.problems[0].text;
  EXPECT_EQ(r.problems[0].line, LineOf(program, "G41") + 1)
      << "at the first corner, the end of the first edge";
  EXPECT_EQ(ProblemCount(r), 0u);
  EXPECT_NE(SummaryText(r).find("ошибок нет"), std::string::npos);
}

TEST(MachineCheck, TaperBeyondTheMachinesAngleAtTheFirstSteepBlock) {
  // 2·atan(1/10) = 11.42°: within the generator's limit, steeper than this machine's.
  const std::string program = GenCone("10", "10", "8", "11.421186").program;
  ASSERT_FALSE(program.empty());
  MachineProfile machine;
  machine.maxTaperAngle = 10;
  const ProgramReading r = Checked(program, machine);
  const auto taper = OfKind(r, ProblemKind::Taper);
  ASSERT_EQ(taper.size(), 1u);
  int first = 0;
  for (const Move& m : r.moves)
    if (first == 0 && (m.u != 0 || m.v != 0)) first = m.line;
  EXPECT_EQ(taper[0]->line, first);
  EXPECT_NE(taper[0]->text.find("круче предела станка 10°"), std::string::npos) << taper[0]->text;
  machine.maxTaperAngle = 11.5;
  EXPECT_TRUE(OfKind(Checked(program, machine), ProblemKind::Taper).empty());
}

TEST(MachineCheck, TravelIsCheckedOnlyWhenTheProfileGivesIt) {
  const std::string program = GenCircle("999").program;
  EXPECT_TRUE(Checked(program).problems.empty()) << "nobody described the machine";
  MachineProfile machine;
  machine.travelX = 350;
  machine.travelY = 1200;
  const ProgramReading r = Checked(program, machine);
  const auto travel = OfKind(r, ProblemKind::Travel);
  ASSERT_EQ(travel.size(), 1u) << "X only, once";
  EXPECT_EQ(travel[0]->line, LineOf(program, "G03")) << "the first arc swings out to X = -499.5";
  EXPECT_NE(travel[0]->text.find("X выходит за ход стола: 499.5 мм от начальной точки при ходе ±175 мм"),
            std::string::npos)
      << travel[0]->text;
}

TEST(MachineCheck, TaperHeadTravel) {
  const std::string program = GenCone("10", "10", "8", "11.421186").program;
  MachineProfile machine;
  machine.travelU = 1.8;  // the taper offset is 1 mm
  machine.travelV = 2.2;
  const ProgramReading r = Checked(program, machine);
  const auto travel = OfKind(r, ProblemKind::Travel);
  ASSERT_EQ(travel.size(), 1u) << "U only, once";
  EXPECT_NE(travel[0]->text.find("U выходит за ход конусной головки: 0.918 мм от вертикали при ходе ±0.9 мм"),
            std::string::npos)
      << "the first chord past ±0.9: " << travel[0]->text;
}

TEST(MachineCheck, NotesGoBeforeProblemsWhenTheListIsFull) {
  // A program with many problems of its own and a sharp corner: the count stays the count of problems.
  std::string program = GenRect("20", "10", "0").program;
  const std::size_t at = program.find("N2");
  std::string junk;
  for (int k = 0; k < 150; ++k) junk += "N2Q1\r\n";
  program.insert(at, junk);
  const ProgramReading plain = ReadProgram(program);
  const ProgramReading r = Checked(program);
  EXPECT_EQ(ProblemCount(r), ProblemCount(plain));
  EXPECT_TRUE(OfKind(r, ProblemKind::Note).empty());
}

// Cutting time: length × height ÷ rate, lead-in and exit apart.
TEST(CuttingTime, ContourLengthTimesHeightOverRate) {
  MachineProfile machine;
  machine.cuttingRate = 50;
  machine.height = 20;
  const ProgramReading circle = ReadProgram(GenCircle("10").program);
  const CuttingTime t = EstimateCuttingTime(circle, machine);
  const double pi = std::numbers::pi;
  EXPECT_NEAR(t.contour, 10 * pi * 20 / 50, 1e-9);
  // Lead-in 5, exit quarter arc and line 4.65, back to the centre 0.35.
  EXPECT_NEAR(t.leadInAndExit, (5 + pi * 0.35 / 2 + 4.65 + 0.35) * 20 / 50, 1e-9);
  EXPECT_EQ(t.height, 20) << "a round hole takes the profile's height";
  EXPECT_EQ(CuttingTimeText(t),
            "время резания ≈ 17 мин (оценка: контур 13 мин, подвод и отвод 4.2 мин, высота 20 мм)");

  // A cone's program gives its height; the wire sweeps the mean of its two contours.
  const ProgramReading cone = ReadProgram(GenCone("10", "10", "8", "11.421186").program);
  const CuttingTime c = EstimateCuttingTime(cone, machine);
  EXPECT_EQ(c.height, 10);
  EXPECT_NEAR(c.contour, (10 + 8) / 2.0 * pi * 10 / 50, 0.01) << "chords run a hair short of the circle";
}

// The lengths the time is reckoned from, on each contour: a cone's upper contour is its own.
TEST(CuttingTime, LengthsOfEachContourApart) {
  const double pi = std::numbers::pi;
  const ProgramReading circle = ReadProgram(GenCircle("10").program);
  const CutLengths lower = CutLengthsOf(circle, false);
  EXPECT_NEAR(lower.contour, 10 * pi, 1e-9);
  EXPECT_NEAR(lower.leadInAndExit, 5 + pi * 0.35 / 2 + 4.65 + 0.35, 1e-9);
  const CutLengths upper = CutLengthsOf(circle, true);
  EXPECT_NEAR(upper.contour, lower.contour, 1e-12) << "no taper: the upper contour is the lower one";

  const ProgramReading cone = ReadProgram(GenCone("10", "10", "8", "11.421186").program);
  EXPECT_NEAR(CutLengthsOf(cone, false).contour, 10 * pi, 0.01);
  EXPECT_NEAR(CutLengthsOf(cone, true).contour, 8 * pi, 0.01);
}

TEST(CuttingTime, MinutesAsShown) {
  const struct {
    double minutes;
    const char* text;
  } rows[] = {{0, "0"},     {0.01, "< 0.1"}, {0.05, "0.1"}, {3.14, "3.1"},
              {9.96, "10"}, {12.4, "12"},    {125.5, "126"}};
  for (const auto& row : rows) EXPECT_EQ(MinutesText(row.minutes), row.text) << row.minutes;
}

}  // namespace
}  // namespace kalmoro
