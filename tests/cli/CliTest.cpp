// kalmoro-gen run as a user runs it: its standard output bytes, standard error, exit status and files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

fs::path ScratchDir() {
  fs::path dir = fs::temp_directory_path() / ("kalmoro-cli-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

RunResult RunGen(const std::vector<std::string>& args, const fs::path& cwd = ScratchDir()) {
  const fs::path outPath = ScratchDir() / "stdout";
  const fs::path errPath = ScratchDir() / "stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen(outPath.c_str(), "wb", stdout) || !std::freopen(errPath.c_str(), "wb", stderr) ||
        ::chdir(cwd.c_str()) != 0) {
      ::_exit(127);
    }
    std::vector<char*> argv;
    std::string program = KALMORO_GEN_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  RunResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadBytes(outPath);
  result.err = ReadBytes(errPath);
  return result;
}

// Removes the scratch folder when the run ends.
class ScratchCleanup : public testing::Environment {
 public:
  void TearDown() override { fs::remove_all(ScratchDir()); }
};
const testing::Environment* const kCleanup = testing::AddGlobalTestEnvironment(new ScratchCleanup);

const char* const kCircle10 =
    "%(CIRCLE: D10)\r\nN1G92X0.000Y0.000\r\nN2G60\r\nN3G01X0.000Y5.000\r\nN4G41\r\n"
    "N5G03X-5.000Y0.000I0.000J0.000 D0\r\nN6X0.000Y-5.000I0.000J0.000\r\nN7X5.000Y0.000I0.000J0.000\r\n"
    "N8X0.000Y5.000I0.000J0.000\r\nN9X-0.350Y4.650I0.000J4.650\r\nN10G01X-0.350Y0.000\r\nN11G40\r\n"
    "N12X0.000Y0.000\r\nN13M02\r\n";

TEST(Cli, CircleListingOnStandardOutput) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"circle"}, {"circle", "--diameter", "10"}, {"circle", "--diameter=10"}}) {
    const RunResult r = RunGen(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kCircle10);
    EXPECT_EQ(r.err, "");
  }
  const RunResult comma = RunGen({"circle", "--diameter", "2,5"});
  EXPECT_EQ(comma.status, 0);
  EXPECT_EQ(comma.out.substr(0, 18), "%(CIRCLE: D2.5)\r\nN") << "a comma is read as the decimal point";
}

TEST(Cli, RefusalGoesToStandardErrorWithStatusOne) {
  const RunResult r = RunGen({"circle", "--diameter", "0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Введите диаметр в диапазоне 1-999 мм\n");
  const RunResult rect = RunGen({"rect", "--width", "20", "--height", "10", "--radius", "5.5"});
  EXPECT_EQ(rect.status, 1);
  EXPECT_EQ(rect.err, "Двойная величина радиуса превышает Ширину или Высоту\n");
}

TEST(Cli, RectListings) {
  const RunResult r = RunGen({"rect", "--width", "20", "--height", "10", "--radius", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("%(RECTANGLE: W=20:H=10:R=2)\r\nN1G92X0.000Y0.000\r\n", 0), 0u);
  EXPECT_TRUE(r.out.ends_with("N17X0.000Y0.000\r\nN18M02\r\n"));
  const RunResult defaults = RunGen({"rect"});
  EXPECT_EQ(defaults.status, 0);
  EXPECT_EQ(defaults.out.rfind("%(RECTANGLE: W=10:H=5:R=0)\r\n", 0), 0u);
  EXPECT_TRUE(defaults.out.ends_with("N13X0.000Y0.000\r\nN14M02\r\n"));
}

TEST(Cli, ConeDerivesTheAngleOrADiameterLikeThePage) {
  const RunResult given =
      RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "0.8", "--angle", "5.72481"});
  EXPECT_EQ(given.status, 0) << given.err;
  EXPECT_EQ(given.out.rfind("%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481)\r\n", 0), 0u) << given.out;
  const RunResult derived = RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "0.8"});
  EXPECT_EQ(derived.status, 0) << derived.err;
  EXPECT_EQ(derived.out, given.out);

  const RunResult upper = RunGen({"cone", "--height", "10", "--lower", "10", "--angle", "10"});
  EXPECT_EQ(upper.status, 0) << upper.err;
  EXPECT_EQ(upper.out.rfind("%(CONE: D-DOWN=10:D-UP=11.75:H=10:ANG=10)\r\n", 0), 0u) << upper.out;
  const RunResult lower = RunGen({"cone", "--height", "10", "--upper", "10", "--angle", "10"});
  EXPECT_EQ(lower.status, 0) << lower.err;
  EXPECT_EQ(lower.out.rfind("%(CONE: D-DOWN=11.75:D-UP=10:H=10:ANG=10)\r\n", 0), 0u) << lower.out;

  const RunResult steep = RunGen({"cone", "--height", "10", "--lower", "20", "--upper", "10"});
  EXPECT_EQ(steep.status, 1);
  EXPECT_EQ(steep.err, "Слишком большой угол\n");
  EXPECT_EQ(steep.out, "");
  const RunResult none = RunGen({"cone"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "Введите Высоту\n");
}

TEST(Cli, UsageErrorsNameTheProblemAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"square"},
      {"circle", "--diameter"},
      {"circle", "--diameter", "abc"},
      {"circle", "--diameter", "1.2.3"},
      {"circle", "--diameter", "-5"},
      {"circle", "--diameter", ""},
      {"circle", "--width", "5"},
      {"circle", "--diameter", "5", "--diameter", "6"},
      {"rect", "--radius", "+1"},
      {"cone", "--angle", "--5"},
      {"circle", "-o", ""},
  };
  for (const auto& args : cases) {
    const RunResult r = RunGen(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_EQ(r.out, "") << joined;
    EXPECT_NE(r.err.find("kalmoro-gen: "), std::string::npos) << joined;
  }
  EXPECT_NE(RunGen({"circle", "--diameter", "abc"}).err.find("--diameter"), std::string::npos);
  const RunResult help = RunGen({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("kalmoro-gen circle"), std::string::npos);
  EXPECT_EQ(RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "1.2", "--angle", "-5.72481"}).status,
            0);
}

TEST(Cli, OutputFileGetsTheProgramPlusLineEnd) {
  const fs::path dir = ScratchDir() / "out";
  fs::remove_all(dir);
  fs::create_directories(dir);
  RunResult r = RunGen({"circle", "-o", "part"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadBytes(dir / "part.iso"), std::string(kCircle10) + "\r\n");

  r = RunGen({"rect", "-o", (dir / "part.iso").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(dir / "part.iso").rfind("%(RECTANGLE: ", 0), 0u) << "the file is replaced";
  EXPECT_FALSE(fs::exists(dir / "part.iso.iso"));

  r = RunGen({"circle", "-o", (dir / "missing" / "part").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find((dir / "missing" / "part.iso").string()), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "missing"));

  r = RunGen({"circle", "--diameter", "0", "-o", "refused"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(dir / "refused.iso")) << "nothing is written on refusal";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

}  // namespace
