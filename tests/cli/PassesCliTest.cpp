// kalmoro-gen with skims and a held slug, run as a user runs it: the programs, check on them with the
// registers and times of their passes, jobs with and without --rough-first, and the refusals.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "GenRun.h"
#include "text/Cp1251.h"

namespace {

using namespace kalmoro::clitest;

fs::path Folder(const std::string& name) {
  fs::path dir = ScratchDir() / ("passes-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Each hole with passes is written, and check finds nothing wrong with it and tells each pass.
TEST(PassesCli, HolesWithPassesCheckCleanAndCheckTellsEachPass) {
  const fs::path dir = Folder("holes");
  const struct {
    std::vector<std::string> args;
    int count;
  } commands[] = {
      {{"circle", "--diameter", "10", "--skims", "2", "--stop", "3"}, 3},
      {{"rect", "--width", "20", "--height", "10", "--radius", "2", "--skims", "3", "--stop", "5"}, 4},
      {{"cone", "--height", "2", "--lower", "1", "--upper", "0.8", "--skims", "1", "--direction", "same"}, 2},
  };
  for (const auto& [args, count] : commands) {
    std::vector<std::string> save = args;
    save.insert(save.end(), {"-o", "part"});
    const RunResult made = RunGen(save, dir);
    ASSERT_EQ(made.status, 0) << args[0] << ": " << made.err;
    const RunResult r = RunGen({"check", "part.iso"}, dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("ошибок нет"), std::string::npos) << r.out;
    for (int k = 1; k <= count; ++k)
      EXPECT_NE(r.out.find("part.iso: проход " + std::to_string(k) + " из " + std::to_string(count) + ": D" +
                           std::to_string(k - 1) + " = "),
                std::string::npos)
          << r.out;
  }
  const RunResult circle = RunGen({"circle", "--skims", "2", "--stop", "3"});
  EXPECT_EQ(Count(circle.out, "M02"), 1u);
  // Standard output carries the bytes of the saved file: its comments in Windows-1251.
  EXPECT_EQ(circle.out,
            kalmoro::EncodeCp1251(ReadBytes(fs::path(KALMORO_TEST_DATA) / "circle-d10-skims2-stop3.iso"))
                .value_or("?"));
}

// The profile holds the slug at its own code and makes the registers check prints.
TEST(PassesCli, TheMachineProfileGivesTheHoldCodeAndTheRegisters) {
  const fs::path dir = Folder("machine");
  Write(dir / "m.ini",
        "[machine]\nwire_diameter = 0.2\nspark_gap = 0.03\nrough_stock = 0.05\nhold_slug = M60\n");
  const RunResult made =
      RunGen({"circle", "--skims", "1", "--stop", "3", "--machine", "m.ini", "-o", "c"}, dir);
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string program = ReadBytes(dir / "c.iso");
  EXPECT_NE(program.find("\r\nN9M60\r\n"), std::string::npos) << program;
  const RunResult r = RunGen({"check", "--machine", "m.ini", "c.iso"}, dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("c.iso: проход 1 из 2: D0 = 0.18 мм (проволока 0.1 + зазор 0.03 + припуск 0.05)"),
            std::string::npos)
      << r.out;
  // A single pass gets its register line only with a profile.
  RunGen({"circle", "-o", "one"}, dir);
  EXPECT_EQ(RunGen({"check", "one.iso"}, dir).out.find("проход"), std::string::npos);
  EXPECT_NE(RunGen({"check", "--machine", "m.ini", "one.iso"}, dir)
                .out.find("one.iso: проход 1 из 1: D0 = 0.13 мм"),
            std::string::npos);
  const RunResult missing = RunGen({"circle", "--machine", "none.ini"}, dir);
  EXPECT_EQ(missing.status, 2) << "a profile that cannot be read";
}

TEST(PassesCli, AStopTheContourCannotHoldIsRefusedWithItsLength) {
  const RunResult r = RunGen({"circle", "--diameter", "10", "--stop", "40"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "Остановка для закрепления вырубки (40 мм) должна быть короче контура: его длина 31.416 мм.\n");
  const RunResult usage = RunGen({"rect", "--skims", "7"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("--skims"), std::string::npos) << usage.err;
}

// Jobs with options on their lines, cut hole by hole or rough-first, check clean; the rough-first job
// roughs all three holes before the skims of the first and the third.
TEST(PassesCli, JobsWithPassesCheckCleanWithAndWithoutRoughFirst) {
  const fs::path dir = Folder("job");
  Write(dir / "plate.txt",
        "circle --diameter 10 --skims 2 --stop 3 @ 20 0\n"
        "rect --width 20 --height 10 --radius 2 @ -30 15\n"
        "cone --height 2 --lower 1 --upper 0.8 --skims 1 --direction same @ 0 40\n");
  for (const bool roughFirst : {false, true}) {
    std::vector<std::string> args = {"job", "plate.txt", "-o", "plate"};
    if (roughFirst) args.insert(args.begin() + 1, "--rough-first");
    const RunResult made = RunGen(args, dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string program = ReadBytes(dir / "plate.iso");
    EXPECT_EQ(program.starts_with(roughFirst ? "%(JOB: 3:ROUGH-FIRST)\r\n" : "%(JOB: 3)\r\n"), true)
        << program;
    EXPECT_NE(program.find("(1: CIRCLE: D10:SKIMS=2:STOP=3 @ X20 Y0)"), std::string::npos);
    EXPECT_EQ(Count(program, "(\xD7\xC8\xD1\xD2\xCE\xC2\xDB\xC5 \xCF\xD0\xCE\xD5\xCE\xC4\xDB "),
              roughFirst ? 2u : 0u)
        << "the skims of holes 1 and 3 apart (Windows-1251)";
    const RunResult r = RunGen({"check", "plate.iso"}, dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("перезаправок " + std::string(roughFirst ? "4" : "2")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("plate.iso: регистры для 3 проходов (отверстий: 1): D0 = 0.205 мм"),
              std::string::npos)
        << r.out;
  }
  Write(dir / "bad.txt", "circle --machine m.ini @ 0 0\n");
  const RunResult bad = RunGen({"job", "bad.txt"}, dir);
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "kalmoro-gen: строка 1: параметр --machine в строке задания не допускается\n");
}

}  // namespace
