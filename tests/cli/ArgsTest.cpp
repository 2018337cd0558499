// kalmoro-gen's command line read into a command, without running it.

#include "cli/Args.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace kalmoro {
namespace {

struct UsageCase {
  std::vector<std::string_view> args;
  std::string message;
};

TEST(Args, UsageErrorsSayWhatIsWrong) {
  const UsageCase cases[] = {
      {{}, "не указана команда (circle, rect, cone, rect-taper, materials, job или check)"},
      {{"square"}, "неизвестная команда «square»"},
      {{"circle", "10"}, "лишний аргумент «10»"},
      {{"circle", "--diameter"}, "у параметра --diameter нет значения"},
      {{"circle", "-o", "a", "-o", "b"}, "параметр -o указан дважды"},
      {{"circle", "-o", ""}, "пустое имя файла в -o"},
      {{"circle", "--width", "5"}, "неизвестный параметр «--width» команды circle"},
      {{"circle", "--diameter", "5", "--diameter=6"}, "параметр --diameter указан дважды"},
      {{"circle", "--diameter", "1.2,3"}, "недопустимое значение параметра --diameter: «1.2,3»"},
      {{"rect", "--radius", "+1"}, "недопустимое значение параметра --radius: «+1»"},
      {{"cone", "--angle", "--5"}, "недопустимое значение параметра --angle: «--5»"},
      {{"cone", "--angle=-"}, "недопустимое значение параметра --angle: «-»"},
      {{"circle", "--skims", "5"},
       "недопустимое значение параметра --skims: «5» (число чистовых проходов от 0 до 4)"},
      {{"rect", "--skims=two"},
       "недопустимое значение параметра --skims: «two» (число чистовых проходов от 0 до 4)"},
      {{"cone", "--stop", "-3"},
       "недопустимое значение параметра --stop: «-3» (длина в мм; 0 — без остановки)"},
      {{"circle", "--direction", "left"},
       "недопустимое значение параметра --direction: «left» (alternate или same)"},
      {{"circle", "--skims", "1", "--skims", "2"}, "параметр --skims указан дважды"},
      {{"circle", "--stop"}, "у параметра --stop нет значения"},
      {{"circle", "--machine="}, "пустое имя файла в --machine"},
      {{"job", "--rough-first", "a.txt", "--rough-first"}, "параметр --rough-first указан дважды"},
      // Options of die openings and tapered rectangles that go together.
      {{"rect-taper", "--thickness", "20"}, "укажите ровно один из параметров --angle и --top-width"},
      {{"rect-taper", "--angle", "1", "--corners", "round"},
       "недопустимое значение параметра --corners: «round» (cylindrical или conical)"},
      {{"circle", "--punch", "10", "--diameter", "11", "--clearance", "0.1"},
       "размер матрицы вычисляется по пуансону: не указывайте вместе с --punch --diameter"},
      {{"rect", "--punch", "20", "--clearance", "0.1"},
       "недопустимое значение параметра --punch: «20» (ширина и высота пуансона в мм: 20x10)"},
      {{"circle", "--punch", "10"},
       "для --punch нужен зазор: --clearance ММ (на сторону) или --sheet ТОЛЩИНА --material МАТЕРИАЛ"},
      {{"circle", "--punch", "10", "--sheet", "2"},
       "--sheet и --material указываются вместе: нет --material"},
      {{"circle", "--clearance", "0.1"},
       "--clearance, --sheet и --material задают зазор матрицы по пуансону: укажите и --punch"},
      {{"rect", "--land", "3", "--relief", "1"},
       "для освобождения под пояском нужны --land, --relief и --thickness: нет --thickness"},
  };
  for (const UsageCase& c : cases) {
    const Command command = ParseArgs(c.args);
    const auto* error = std::get_if<UsageError>(&command);
    ASSERT_NE(error, nullptr) << "a usage error for \"" << c.message << "\"";
    EXPECT_EQ(error->message, c.message);
  }
}

TEST(Args, APunchOfARectangleIsItsWidthAndHeight) {
  for (const std::string_view value : {"20x10", "20×10", "20,5х10.5"}) {
    const Command command = ParseArgs({"rect", "--punch", value, "--sheet", "2", "--material", "mild-steel"});
    ASSERT_TRUE(std::holds_alternative<GenerateCommand>(command)) << value;
    EXPECT_EQ(std::get<GenerateCommand>(command).punch.size(), 2u) << value;
  }
}

TEST(Args, PassOptionsGoIntoTheCommand) {
  const Command command =
      ParseArgs({"rect", "--skims", "3", "--stop=2,5", "--direction", "same", "--machine", "m.ini"});
  const auto* generate = std::get_if<GenerateCommand>(&command);
  ASSERT_NE(generate, nullptr);
  EXPECT_EQ(generate->passes, (PassOptions{3, 2.5, SkimDirection::Same}));
  EXPECT_EQ(generate->machine, "m.ini");
  const Command job = ParseArgs({"job", "--rough-first", "plate.txt"});
  ASSERT_TRUE(std::holds_alternative<JobCommand>(job));
  EXPECT_TRUE(std::get<JobCommand>(job).roughFirst);
}

TEST(Args, HelpAnywhereWinsOverEverythingElse) {
  for (const std::vector<std::string_view>& args :
       std::vector<std::vector<std::string_view>>{{"--help"},
                                                  {"-h"},
                                                  {"square", "-h"},
                                                  {"check", "a.iso", "--help"},
                                                  {"circle", "--diameter", "-h"}})
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(ParseArgs(args))) << args.size() << " arguments";
}

TEST(Args, CheckTakesEveryFurtherArgumentAsAFile) {
  const Command command = ParseArgs({"check", "a.iso", "-", "-o", "--diameter=1"});
  const auto* check = std::get_if<CheckCommand>(&command);
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->files, (std::vector<std::string>{"a.iso", "-", "-o", "--diameter=1"}));
  const Command none = ParseArgs({"check"});
  ASSERT_TRUE(std::holds_alternative<CheckCommand>(none)) << "RunCheck says that a file is missing";
  EXPECT_TRUE(std::get<CheckCommand>(none).files.empty());
}

TEST(Args, CheckTakesTheMachineProfileBeforeItsFiles) {
  const struct {
    std::vector<std::string_view> args;
    std::optional<std::string> machine;
    std::vector<std::string> files;
  } rows[] = {
      {{"check", "--machine", "m.ini", "a.iso"}, "m.ini", {"a.iso"}},
      {{"check", "--machine=m.ini", "a.iso", "--machine"}, "m.ini", {"a.iso", "--machine"}},
      {{"check", "--machinery", "a.iso"}, std::nullopt, {"--machinery", "a.iso"}},
      {{"check", "--machine", "m.ini"}, "m.ini", {}},
  };
  for (const auto& row : rows) {
    const Command command = ParseArgs(row.args);
    const auto* check = std::get_if<CheckCommand>(&command);
    ASSERT_NE(check, nullptr) << row.args[1];
    EXPECT_EQ(check->machine, row.machine) << row.args[1];
    EXPECT_EQ(check->files, row.files) << row.args[1];
  }
  for (const std::vector<std::string_view>& bad : {std::vector<std::string_view>{"check", "--machine"},
                                                   {"check", "--machine="},
                                                   {"check", "--machine", "a", "--machine", "b"}})
    EXPECT_TRUE(std::holds_alternative<UsageError>(ParseArgs(bad))) << bad.size();
}

TEST(Args, JobTakesOneFileAndItsOptionsAnywhere) {
  const struct {
    std::vector<std::string_view> args;
    std::string file;
    std::optional<std::string> machine;
    std::optional<std::string> output;
  } rows[] = {
      {{"job", "j.txt"}, "j.txt", std::nullopt, std::nullopt},
      {{"job", "-"}, "-", std::nullopt, std::nullopt},
      {{"job", "--machine", "m.ini", "j.txt", "-o", "part"}, "j.txt", "m.ini", "part"},
      {{"job", "-o", "part", "--machine=m.ini", "-"}, "-", "m.ini", "part"},
  };
  for (const auto& row : rows) {
    const Command command = ParseArgs(row.args);
    const auto* job = std::get_if<JobCommand>(&command);
    ASSERT_NE(job, nullptr) << row.args.size() << " arguments";
    EXPECT_EQ(job->file, row.file);
    EXPECT_EQ(job->machine, row.machine);
    EXPECT_EQ(job->output, row.output);
  }
  const UsageCase bad[] = {
      {{"job"}, "команде job нужен файл задания (или «-» для стандартного ввода)"},
      {{"job", "a.txt", "b.txt"}, "лишний аргумент «b.txt»: команде job нужен один файл"},
      {{"job", "a.txt", "--diameter", "5"}, "неизвестный параметр «--diameter» команды job"},
      {{"job", "--machinery", "a.txt"}, "неизвестный параметр «--machinery» команды job"},
      {{"job", "a.txt", "-o"}, "у параметра -o нет значения"},
      {{"job", "a.txt", "--machine"}, "у параметра --machine нет значения"},
      {{"job", "a.txt", "-o", ""}, "пустое имя файла в -o"},
      {{"job", "a.txt", "--machine="}, "пустое имя файла в --machine"},
      {{"job", "-o", "a", "a.txt", "-o", "b"}, "параметр -o указан дважды"},
      {{"job", "--machine", "a", "a.txt", "--machine=b"}, "параметр --machine указан дважды"},
  };
  for (const UsageCase& c : bad) {
    const Command command = ParseArgs(c.args);
    const auto* error = std::get_if<UsageError>(&command);
    ASSERT_NE(error, nullptr) << "a usage error for \"" << c.message << "\"";
    EXPECT_EQ(error->message, c.message);
  }
}

TEST(Args, OptionsBecomeFieldTextsAndTheRestKeepTheInitialTexts) {
  const Command command = ParseArgs({"cone", "--lower", "2,5", "--angle=-5", "-o", "part"});
  const auto* generate = std::get_if<GenerateCommand>(&command);
  ASSERT_NE(generate, nullptr);
  EXPECT_EQ(generate->hole, "cone");
  EXPECT_EQ(generate->Text("--lower"), "2.5") << "a comma is read as the decimal point";
  EXPECT_EQ(generate->Text("--angle"), "-5");
  EXPECT_EQ(generate->Text("--height"), "0") << "the field's initial text";
  EXPECT_EQ(generate->Text("--upper"), "0");
  EXPECT_TRUE(generate->Given("--lower"));
  EXPECT_TRUE(generate->Given("--angle"));
  EXPECT_FALSE(generate->Given("--upper"));
  EXPECT_EQ(generate->output, "part");

  const Command circle = ParseArgs({"circle"});
  ASSERT_TRUE(std::holds_alternative<GenerateCommand>(circle));
  EXPECT_EQ(std::get<GenerateCommand>(circle).Text("--diameter"), "10");
  EXPECT_EQ(std::get<GenerateCommand>(circle).output, std::nullopt);
}

}  // namespace
}  // namespace kalmoro
