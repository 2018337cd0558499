// kalmoro-gen for die openings, run as a user runs it: tapered rectangles in both corner modes, a die from
// its punch with its arithmetic, a land with its relief, the materials table, jobs of them, and check on
// each with its start holes.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "GenRun.h"
#include "holes/RectTaperHole.h"

namespace {

using namespace kalmoro::clitest;

fs::path Folder(const std::string& name) {
  fs::path dir = ScratchDir() / ("openings-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The tapered rectangle 20×10 R2 in a plate of 20 at 1° checks clean in both corner modes; a U word
// moved by hand along a straight side keeps the upper point on the top's contour, and is named at its
// line all the same.
TEST(OpeningsCli, TaperedRectangleChecksCleanAndAMovedUWordIsNamedAtItsLine) {
  const fs::path dir = Folder("taper");
  for (const char* corners : {"cylindrical", "conical"}) {
    const RunResult made = RunGen({"rect-taper", "--width", "20", "--height", "10", "--radius", "2",
                                   "--thickness", "20", "--angle", "1", "--corners", corners, "-o", "part"},
                                  dir);
    ASSERT_EQ(made.status, 0) << made.err;
    std::string program = ReadBytes(dir / "part.iso");
    const bool cylindrical = corners[1] == 'y';
    const RunResult clean = RunGen({"check", "part.iso"}, dir);
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_NE(clean.out.find("part.iso: прямоугольное отверстие с уклоном W=20 H=10 R=2 T=20 ANG=1, углы " +
                             std::string(cylindrical ? "цилиндрические" : "конические") +
                             "; кадров: 90; ошибок нет\n"),
              std::string::npos)
        << clean.out;
    // N5 ends the first side at the top-left corner: its upper point 0.05 mm further along the side.
    const std::string word = std::string("\r\nN5X-8.000Y5.000U") + (cylindrical ? "0.175" : "0.000");
    ASSERT_NE(program.find(word), std::string::npos) << program;
    program.replace(program.find(word), word.size(),
                    std::string("\r\nN5X-8.000Y5.000U") + (cylindrical ? "0.225" : "0.050"));
    Write(dir / "moved.iso", program);
    const RunResult moved = RunGen({"check", "moved.iso"}, dir);
    EXPECT_EQ(moved.status, 1);
    EXPECT_NE(moved.out.find("moved.iso:6: Кадр N5: слова U, V отклоняются от уклона на 0.05 мм\n"),
              std::string::npos)
        << moved.out;
  }
  // The top width gives the angle as the cone page derives one; both or neither is a usage error.
  const std::string angle = kalmoro::RectTaperAngleText("20", "19.5", "20");
  EXPECT_EQ(
      RunGen({"rect-taper", "--width", "20", "--height", "10", "--thickness", "20", "--top-width", "19,5"})
          .out,
      RunGen({"rect-taper", "--width", "20", "--height", "10", "--thickness", "20", "--angle", angle}).out);
}

// A punch of 10 mm in 2 mm mild steel: the die D10.5 with its arithmetic on standard error; with a land
// of 3 mm and a relief of 1° the program is the vertical pass and the relief pass, which check passes.
TEST(OpeningsCli, DieFromThePunchWithItsArithmeticAndItsRelief) {
  const fs::path dir = Folder("die");
  const std::vector<std::string> punch = {"circle", "--punch",    "10",        "--sheet",
                                          "2",      "--material", "mild-steel"};
  const RunResult die = RunGen(punch);
  EXPECT_EQ(die.status, 0) << die.err;
  EXPECT_EQ(die.err,
            "Матрица: Ø10 + 2 × 0.25 = Ø10.5 мм; зазор 12.5 % × 2 мм = 0.25 мм на сторону (низкоуглеродистая "
            "сталь)\n");
  EXPECT_EQ(die.out, RunGen({"circle", "--diameter", "10.5"}).out) << "the program is the die's opening";

  std::vector<std::string> relief = punch;
  relief.insert(relief.end(), {"--land", "3", "--relief", "1", "--thickness", "20", "-o", "die"});
  ASSERT_EQ(RunGen(relief, dir).status, 0);
  const std::string program = ReadBytes(dir / "die.iso");
  EXPECT_EQ(program.substr(0, program.find("\r\nN3")),
            "%(CIRCLE: D10.5:LAND=3:RELIEF=1:T=20)\r\nN1G92X0.000Y0.000W0.000R20.000\r\nN2G60");
  const RunResult r = RunGen({"check", "die.iso"}, dir);
  EXPECT_EQ(r.status, 0) << r.out;
  for (const char* line :
       {"die.iso: круглое отверстие D10.5, поясок 3 мм, освобождение 1° на сторону, T=20; кадров: 139; "
        "ошибок нет\n",
        "die.iso: проход 1 из 1: D0 = 0.145 мм (проволока 0.125 + зазор 0.02), против часовой стрелки, G41",
        "die.iso: освобождение: D0 = 0.145 мм (проволока 0.125 + зазор 0.02), против часовой стрелки, G41",
        "die.iso: стартовое отверстие: X0 Y0, сверло Ø9 мм (до контура 5.25 мм)\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;

  // A relief steeper than the machine tilts is refused.
  Write(dir / "m.ini", "[machine]\nmax_taper_angle = 1.5\n");
  const RunResult steep = RunGen({"rect", "--width", "20", "--height", "10", "--land", "3", "--relief", "1",
                                  "--thickness", "20", "--machine", "m.ini"},
                                 dir);
  EXPECT_EQ(steep.status, 1);
  EXPECT_EQ(steep.err,
            "Уклон освобождения 1° на сторону (полный угол 2°) больше наибольшего угла станка 1.5°.\n");
}

// Job lines take the new holes and options; the job checks clean cut hole by hole and rough-first, the
// relief coming after the skims, and check lists a start hole for each hole.
TEST(OpeningsCli, JobsOfOpeningsCheckClean) {
  const fs::path dir = Folder("job");
  Write(dir / "plate.txt",
        "circle --punch 10 --clearance 0.25 --land 3 --relief 1 --thickness 20 --skims 2 --stop 3 @ 20 0\n"
        "rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1 --corners conical @ -30 15\n"
        "rect --width 20 --height 10 --radius 5 --land 3 --relief 1 --thickness 20 --skims 1 @ 0 40\n");
  for (const bool roughFirst : {false, true}) {
    std::vector<std::string> args = {"job", "plate.txt", "-o", "plate"};
    if (roughFirst) args.insert(args.begin() + 1, "--rough-first");
    const RunResult made = RunGen(args, dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const RunResult r = RunGen({"check", "plate.iso"}, dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("; освобождение: ≈ "), std::string::npos) << r.out;
    // Each hole once, though a rough-first job comes back to it for its skims.
    const std::string second = "стартовое отверстие 2: X-30 Y15, сверло Ø8 мм (до контура 4.825 мм)";
    EXPECT_NE(r.out.find(second), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("стартовое отверстие 1:"), r.out.rfind("стартовое отверстие 1:")) << r.out;
  }
}

}  // namespace
