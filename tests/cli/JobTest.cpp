// kalmoro-gen job run as a user runs it: a job file of one hole a line in, one program for all the
// holes out, or every bad line named with its number and nothing written.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <csignal>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "GenRun.h"
#include "cli/Args.h"
#include "holes/Job.h"
#include "text/Cp1251.h"

namespace {

using namespace kalmoro::clitest;
using kalmoro::GenJob;
using kalmoro::GenResult;
using kalmoro::JobHole;
using kalmoro::WireCodes;

// A fresh folder for one test.
fs::path Folder(const std::string& name) {
  fs::path dir = ScratchDir() / ("job-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& a : args) text += (text.empty() ? "" : " ") + a;
  return text;
}

// The lines of a text, each ended by `end` (the last one may be not).
std::vector<std::string> Lines(std::string_view text, std::string_view end = "\r\n") {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t next = text.find(end, at);
    lines.emplace_back(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
    at = next == std::string_view::npos ? text.size() : next + end.size();
  }
  return lines;
}

double Number(std::string_view text) {
  double value = NAN;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : NAN;
}

// A program's bytes as -o writes them but for the last line end, and standard output carries them:
// Windows-1251.
std::string Cp1251(const std::string& utf8) {
  const std::optional<std::string> bytes = kalmoro::EncodeCp1251(utf8);
  return bytes ? *bytes : "<not in Windows-1251: " + utf8 + ">";
}

const std::string kPrefix = "kalmoro-gen: ";
std::string AtLine(int line, const std::string& message) {
  return kPrefix + "строка " + std::to_string(line) + ": " + message + "\n";
}

// ---------------------------------------------------------------------------------------------------
// Refusals: each names the right line, exits 1 (the job refused) or 2 (usage, a file or profile that
// cannot be read), puts nothing on standard output and, with -o, creates no file.

struct RefusalRow {
  std::string name;
  std::string job;                // job.txt's text
  std::vector<std::string> args;  // after "kalmoro-gen"
  int status = 1;
  std::string err;     // standard error, exactly
  bool usage = false;  // the usage follows the message
};

void PrintTo(const RefusalRow& row, std::ostream* out) {
  *out << row.name;
}

const std::vector<std::string> kJobArgs = {"job", "job.txt"};

std::vector<RefusalRow> RefusalRows() {
  std::string tooLarge;
  // A circle of D10 is 13 blocks, 12 of them in a job, and 3 more between two holes: 2184 holes make
  // 32758 blocks, the 2185th would need 32773.
  for (int i = 0; i < 2200; ++i) tooLarge += "circle @ " + std::to_string(i) + " 0\n";
  std::string manyBad;
  std::string manyBadErr;
  for (int i = 1; i <= 150; ++i) {
    manyBad += "square @ 0 0\n";
    if (i <= 100)
      manyBadErr += AtLine(i, "неизвестное отверстие «square» (circle, rect, cone или rect-taper)");
  }
  manyBadErr += kPrefix + "после 100 строк с ошибками задание дальше строки 100 не проверялось\n";
  std::string manyWords = "circle";
  for (int i = 0; i < 40; ++i) manyWords += " --diameter 5";
  // A message quotes at most 400 bytes of what the line holds.
  std::string longWord = "неизвестное отверстие «" + std::string(1000, 'x');
  longWord.resize(400);
  longWord += "…";
  std::string longNumber = "слово длиннее 32767 байт: «" + std::string(1000, '1');
  longNumber.resize(400);
  longNumber += "…";
  const std::string position = "Координаты отверстия должны быть в пределах ±99999.999 мм.";
  // clang-format off
  return {
      {"UnknownHole", "circle @ 0 0\nsquare --side 5 @ 1 1\n", kJobArgs, 1,
       AtLine(2, "неизвестное отверстие «square» (circle, rect, cone или rect-taper)")},
      {"ACommandThatIsNoHole", "check @ 0 0\n", kJobArgs, 1,
       AtLine(1, "неизвестное отверстие «check» (circle, rect, cone или rect-taper)")},
      {"UnknownOptionAfterACommentAndABlankLine", "# plate 12\n\ncircle --width 5 @ 0 0\n", kJobArgs, 1,
       AtLine(3, "неизвестный параметр «--width» команды circle")},
      {"ValueThatIsNoNumber", "circle @ 0 0\r\nrect --width 2O @ 0 0\r\n", kJobArgs, 1,
       AtLine(2, "недопустимое значение параметра --width: «2O»")},
      {"OptionWithoutValue", "circle --diameter @ 0 0", kJobArgs, 1,
       AtLine(1, "у параметра --diameter нет значения")},
      {"StrayWord", "circle 10 @ 0 0", kJobArgs, 1, AtLine(1, "лишний аргумент «10»")},
      {"OptionGivenTwice", "circle --diameter 5 --diameter=6 @ 0 0", kJobArgs, 1,
       AtLine(1, "параметр --diameter указан дважды")},
      {"OutputNameOnALine", "circle -o part @ 0 0", kJobArgs, 1,
       AtLine(1, "параметр -o в строке задания не допускается")},
      {"HelpOnALine", "circle\t--help @ 0 0", kJobArgs, 1,
       AtLine(1, "параметр --help в строке задания не допускается")},
      {"ShortHelpOnALine", "rect -h @ 0 0", kJobArgs, 1, AtLine(1, "параметр -h в строке задания не допускается")},
      {"NoHoleBeforeThePosition", "  @ 1 2", kJobArgs, 1,
       AtLine(1, "не указано отверстие (circle, rect, cone или rect-taper) перед «@ X Y»")},
      {"NoPosition", "circle --diameter 10\n", kJobArgs, 1,
       AtLine(1, "нет положения отверстия: после параметров укажите «@ X Y», его центр в мм")},
      {"NoCoordinates", "circle @", kJobArgs, 1,
       AtLine(1, "после «@» нужны две координаты центра, X и Y, а указано 0")},
      {"OneCoordinate", "circle @ 20", kJobArgs, 1,
       AtLine(1, "после «@» нужны две координаты центра, X и Y, а указано 1")},
      {"ThreeCoordinates", "circle @ 1 2 3", kJobArgs, 1,
       AtLine(1, "после «@» нужны две координаты центра, X и Y, а указано больше")},
      {"TwoPositionMarks", "circle @ 1 @ 2", kJobArgs, 1,
       AtLine(1, "после «@» нужны две координаты центра, X и Y, а указано больше")},
      {"TooManyWords", manyWords + "@ 0 0", kJobArgs, 1, AtLine(1, "больше 32 слов перед «@ X Y»")},
      {"LongWordQuotedInPart", "\n" + std::string(1000, 'x') + " @ 0 0", kJobArgs, 1, AtLine(2, longWord)},
      {"CoordinateThatIsNoNumber", "circle @ 1x 2", kJobArgs, 1, AtLine(1, "недопустимая координата X: «1x»")},
      {"CoordinateWithTwoSigns", "circle @ 0 --2", kJobArgs, 1, AtLine(1, "недопустимая координата Y: «--2»")},
      {"CoordinateInExponentForm", "circle @ 1E3 0", kJobArgs, 1, AtLine(1, "недопустимая координата X: «1E3»")},
      {"CoordinateWithTwoPoints", "circle @ 1.5,2 0", kJobArgs, 1,
       AtLine(1, "недопустимая координата X: «1.5,2»")},
      {"CoordinateBeyondTheTable", "circle @ 0 0\ncircle @ 100000 0\n", kJobArgs, 1, AtLine(2, position)},
      {"CoordinateOfHundredsOfDigits", "circle @ 0 " + std::string(400, '9'), kJobArgs, 1, AtLine(1, position)},
      {"GeneratorRefusal", "circle @ 0 0\ncircle @ 10 0\ncircle --diameter 0 @ 20 0\n", kJobArgs, 1,
       AtLine(3, "Введите диаметр в диапазоне 1-999 мм")},
      {"RectRefusal", "rect --width 20 --height 10 --radius 5.5 @ 0 0", kJobArgs, 1,
       AtLine(1, "Двойная величина радиуса превышает Ширину или Высоту")},
      {"ConeWithoutHeight", "cone @ 0 0", kJobArgs, 1, AtLine(1, "Введите Высоту")},
      {"ConeAngleThatHidesTheTaper", "\n\ncone --height 10 --lower 20 --upper 10 --angle 5 @ 0 0", kJobArgs, 1,
       AtLine(3, "Угол 5° не согласуется с диаметрами и высотой: они дают угол 53.130102°. Не указывайте "
                 "одно из значений, и его выведет программа.")},
      {"EveryBadLineIsReported",
       "circle @ 0 0\nsquare @ 0 0\r\n  # fine\ncircle --diameter 0 @ 1 1\ncircle @ 1\ncircle @ 5 5\n", kJobArgs, 1,
       AtLine(2, "неизвестное отверстие «square» (circle, rect, cone или rect-taper)") +
           AtLine(4, "Введите диаметр в диапазоне 1-999 мм") +
           AtLine(5, "после «@» нужны две координаты центра, X и Y, а указано 1")},
      {"ReadingStopsAtAHundredBadLines", manyBad, kJobArgs, 1, manyBadErr},
      {"JobTooLargeAtTheLineThatMakesIt", tooLarge, kJobArgs, 1,
       AtLine(2185, "Задание слишком большое: программа превысила бы 32767 кадров. Разделите его на несколько.")},
      {"OnlyComments", "# nothing yet\n\n   \t\n", kJobArgs, 1, kPrefix + "В задании нет отверстий.\n"},
      {"EmptyFile", "", kJobArgs, 1, kPrefix + "В задании нет отверстий.\n"},
      {"MissingFile", "", {"job", "missing.txt"}, 2,
       kPrefix + "не удалось прочитать «missing.txt»: файл не найден\n"},
      {"FileOf64MegabytesAndMore", "", {"job", "huge.txt"}, 2,
       kPrefix + "не удалось прочитать «huge.txt»: файл больше 64 МБ, задания не бывают такими\n"},
      {"DeviceInsteadOfAFile", "", {"job", "/dev/zero"}, 2,
       kPrefix + "не удалось прочитать «/dev/zero»: это не обычный файл\n"},
      {"NamedPipeWithoutAWriter", "", {"job", "pipe"}, 2, kPrefix + "не удалось прочитать «pipe»: это не обычный файл\n"},
      {"MachineProfileThatIsANamedPipe", "circle @ 0 0", {"job", "--machine", "pipe", "job.txt"}, 2,
       kPrefix + "не удалось прочитать профиль станка «pipe»: это не обычный файл\n"},
      {"WordLongerThanAFieldHolds", "circle --diameter " + std::string(40000, '1') + " @ 0 0", kJobArgs, 1,
       AtLine(1, longNumber)},
      {"BadMachineProfile", "circle @ 0 0", {"job", "--machine", "bad.ini", "job.txt"}, 2,
       kPrefix + "ошибка в профиле станка «bad.ini», строка 3: значение «1O» ключа «max_taper_angle» не число "
                 "(дробная часть пишется через точку)\n"},
      {"MissingMachineProfile", "circle @ 0 0", {"job", "--machine=none.ini", "job.txt"}, 2,
       kPrefix + "не удалось прочитать профиль станка «none.ini»: файл не найден\n"},
      {"NoJobFile", "", {"job"}, 2,
       kPrefix + "команде job нужен файл задания (или «-» для стандартного ввода)\n", true},
      {"TwoJobFiles", "", {"job", "job.txt", "other.txt"}, 2,
       kPrefix + "лишний аргумент «other.txt»: команде job нужен один файл\n", true},
      {"OptionOfAHole", "", {"job", "--diameter", "10", "job.txt"}, 2,
       kPrefix + "неизвестный параметр «--diameter» команды job\n", true},
  };
  // clang-format on
}

class JobRefusal : public testing::TestWithParam<RefusalRow> {};

TEST_P(JobRefusal, NamesTheLineAndWritesNothing) {
  const RefusalRow& row = GetParam();
  const fs::path dir = Folder(row.name);
  Write(dir / "job.txt", row.job);
  Write(dir / "bad.ini", "[machine]\n\nmax_taper_angle = 1O\n");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::ofstream(dir / "huge.txt").close();
  fs::resize_file(dir / "huge.txt", (std::uintmax_t{64} << 20) + 1);  // sparse
  const std::set<std::string> before = Entries(dir);
  const std::string err = row.err + (row.usage ? kalmoro::kUsage : "");

  const RunResult r = RunGen(row.args, dir);
  EXPECT_EQ(r.status, row.status) << Joined(row.args);
  EXPECT_EQ(r.out, "") << "nothing on standard output when the job is refused";
  EXPECT_EQ(r.err, err) << "each bad line named by its number";

  std::vector<std::string> withOutput = row.args;
  withOutput.insert(withOutput.begin() + 1, {"-o", "part"});
  const RunResult saved = RunGen(withOutput, dir);
  EXPECT_EQ(saved.status, row.status) << Joined(withOutput);
  EXPECT_EQ(saved.out, "");
  EXPECT_EQ(saved.err, err);
  EXPECT_EQ(Entries(dir), before) << "no file is created with -o when the job is refused";
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cli, JobRefusal, testing::ValuesIn(RefusalRows()),
                         [](const testing::TestParamInfo<RefusalRow>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------------
// Random jobs: the job's program is GenJob of the programs "kalmoro-gen circle|rect|cone" prints for
// the same options, and, read independently of GenJob, each hole's blocks are its single program's.

// A hole of a random job: its options as typed, its position as typed and as a value, and the single
// program the tool prints for the options.
struct RandomHole {
  std::vector<std::string> words;  // "circle", "--diameter", "10", …
  std::string x, y;                // as typed
  double xValue = 0, yValue = 0;
  std::string program;
};

class RandomJobs {
 public:
  explicit RandomJobs(unsigned seed) : m_random(seed) {}

  int Int(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_random); }
  bool OneIn(int n) { return Int(1, n) == 1; }

  // A decimal text of thousandths with its value: "12", "12.5", "0,125", "-3.04", "+7".
  std::pair<std::string, double> Decimal(long thousandths, bool signAllowed) {
    const bool negative = thousandths < 0;
    const long magnitude = negative ? -thousandths : thousandths;
    std::string text = std::to_string(magnitude / 1000);
    std::string frac = std::to_string(1000 + magnitude % 1000).substr(1);
    while (!frac.empty() && frac.back() == '0' && !OneIn(4)) frac.pop_back();
    if (!frac.empty()) text += "." + frac;
    const double value = Number(text) * (negative ? -1 : 1);
    if (negative)
      text = "-" + text;
    else if (signAllowed && OneIn(6))
      text = "+" + text;
    if (OneIn(5) && text.find('.') != std::string::npos) text[text.find('.')] = ',';
    return {text, value};
  }

  // Options of a hole the tool may well refuse; the caller tries again then.
  std::vector<std::string> Options() {
    std::vector<std::string> words;
    const auto option = [&](const std::string& name, long thousandths, bool signAllowed = false) {
      const std::string value = Decimal(thousandths, signAllowed).first;
      if (OneIn(3)) {
        words.push_back(name + "=" + value);
      } else {
        words.push_back(name);
        words.push_back(value);
      }
    };
    switch (Int(0, 2)) {
      case 0:
        words = {"circle"};
        if (!OneIn(5)) option("--diameter", Int(1000, 150000));
        break;
      case 1: {
        words = {"rect"};
        const int w = Int(2000, 150000);
        const int h = Int(2000, 150000);
        if (!OneIn(5)) option("--width", w);
        if (!OneIn(5)) option("--height", h);
        if (!OneIn(3)) option("--radius", Int(0, std::min(w, h) / 2));
        break;
      }
      default: {
        words = {"cone"};
        const int height = Int(1000, 30000);
        const int lower = Int(2000, 40000);
        const int upper = lower + Int(-lower / 5, lower / 5);
        option("--height", height);
        switch (Int(0, 2)) {
          case 0:  // both diameters: the angle is derived
            option("--lower", lower);
            option("--upper", upper);
            break;
          case 1:  // one diameter and the angle: the other is derived
            option(OneIn(2) ? "--lower" : "--upper", lower);
            option("--angle", Int(-15000, 15000), true);
            break;
          default:  // all four, the angle the page derives (read from the derived program's header)
            option("--lower", lower);
            option("--upper", upper);
            m_wantsAngle = true;
        }
      }
    }
    return words;
  }

  // A hole the tool generates, with its single program.
  std::optional<RandomHole> Hole() {
    for (int attempt = 0; attempt < 50; ++attempt) {
      RandomHole hole;
      m_wantsAngle = false;
      hole.words = Options();
      RunResult single = RunGen(hole.words);
      if (single.status == 0 && m_wantsAngle) {
        const std::string header = single.out.substr(0, single.out.find("\r\n"));
        const std::size_t at = header.find("ANG=");
        hole.words.push_back("--angle=" + header.substr(at + 4, header.size() - at - 5));
        single = RunGen(hole.words);
      }
      if (single.status != 0) continue;
      hole.program = single.out;
      std::tie(hole.x, hole.xValue) = Decimal(Int(-500000, 500000), true);
      std::tie(hole.y, hole.yValue) = Decimal(Int(-500000, 500000), true);
      return hole;
    }
    return std::nullopt;
  }

  std::string Blanks(int least) {
    std::string text;
    for (int i = Int(least, 3); i > 0; --i) text += OneIn(3) ? '\t' : ' ';
    return text;
  }

  // Comment and blank lines at random.
  std::string Filler(const std::string& lineEnd) {
    std::string text;
    for (int i = Int(0, 2); i > 0; --i) {
      switch (Int(0, 3)) {
        case 0:
          text += "# деталь " + std::to_string(Int(1, 99)) + " @ 1 2" + lineEnd;
          break;
        case 1:
          text += Blanks(1) + "#circle --diameter 0 @ x" + lineEnd;
          break;
        case 2:
          text += Blanks(0) + lineEnd;
          break;
        default:
          text += "#" + lineEnd;
      }
    }
    return text;
  }

  std::string JobText(const std::vector<RandomHole>& holes) {
    const std::string lineEnd = OneIn(3) ? "\r\n" : "\n";
    std::string text = Filler(lineEnd);
    for (std::size_t k = 0; k < holes.size(); ++k) {
      std::string line = Blanks(0);
      for (const std::string& word : holes[k].words) line += word + Blanks(1);
      line += "@" + Blanks(1) + holes[k].x + Blanks(1) + holes[k].y + Blanks(0);
      text += line;
      if (k + 1 < holes.size() || !OneIn(3)) text += lineEnd;
      if (k + 1 < holes.size()) text += Filler(lineEnd);
    }
    return text;
  }

 private:
  std::mt19937 m_random;
  bool m_wantsAngle = false;
};

// The block without its number: "N12X0.000Y0.000" gives "X0.000Y0.000"; empty when it has none.
std::string Body(const std::string& block, std::string* number = nullptr) {
  if (block.empty() || block[0] != 'N') return {};
  std::size_t k = 1;
  while (k < block.size() && block[k] >= '0' && block[k] <= '9') ++k;
  if (number) *number = block.substr(1, k - 1);
  return k == 1 ? std::string() : block.substr(k);
}

// Reads the job's text apart, without GenJob: its header, then each hole's comment with its header
// and position, its blocks byte for byte its single program's (renumbered, without its M02), the wire
// cut, a rapid move that leaves the wire within rounding of the next centre, the wire threaded; M02 at
// the end; the blocks numbered 1, 2, 3, … throughout.
void ExpectHolesAsTheirPrograms(const std::string& job, const std::vector<RandomHole>& holes,
                                const WireCodes& codes = {}) {
  const std::vector<std::string> lines = Lines(job);
  std::size_t at = 0;
  int blockNum = 0;
  const auto line = [&]() -> std::string { return at < lines.size() ? lines[at++] : "<end of the job>"; };
  const auto block = [&](const std::string& what) {
    const std::string text = line();
    std::string number;
    std::string body = Body(text, &number);
    EXPECT_EQ(number, std::to_string(++blockNum)) << "blocks numbered one after the other: " << text;
    EXPECT_EQ(body, what) << "block " << blockNum;
    return body;
  };
  EXPECT_EQ(line(), "%(JOB: " + std::to_string(holes.size()) + ")");
  double wireX = holes.front().xValue;
  double wireY = holes.front().yValue;
  for (std::size_t k = 0; k < holes.size(); ++k) {
    const RandomHole& hole = holes[k];
    const std::vector<std::string> own = Lines(hole.program);
    ASSERT_GE(own.size(), 3u);
    const std::string inner = own.front().substr(2, own.front().size() - 3);  // "%(" … ")"
    const std::string comment = line();
    const std::string start = "(" + std::to_string(k + 1) + ": " + inner + " @ X";
    ASSERT_EQ(comment.substr(0, start.size()), start)
        << "hole " << k + 1 << "'s comment: its program's header";
    const std::string position = comment.substr(start.size(), comment.size() - start.size() - 1);
    const std::size_t y = position.find(" Y");
    ASSERT_NE(y, std::string::npos) << comment;
    EXPECT_EQ(Number(position.substr(0, y)), hole.xValue) << comment << " for X " << hole.x;
    EXPECT_EQ(Number(position.substr(y + 2)), hole.yValue) << comment << " for Y " << hole.y;
    EXPECT_EQ(comment.back(), ')');
    // Where the wire stands after the rapid move is this hole's centre, within the rounding of one move.
    EXPECT_LE(std::fabs(wireX - hole.xValue), 0.0005 + 1e-9) << "hole " << k + 1;
    EXPECT_LE(std::fabs(wireY - hole.yValue), 0.0005 + 1e-9) << "hole " << k + 1;
    EXPECT_EQ(Body(own.back()), "M02") << "a single program ends with M02";
    for (std::size_t i = 1; i + 1 < own.size(); ++i) block(Body(own[i]));
    if (k + 1 == holes.size()) break;
    EXPECT_EQ(line(), "(ОБРЕЗАТЬ ПРОВОЛОКУ)");
    block(codes.cut);
    const std::string rapid = lines.size() > at ? Body(lines[at]) : "";
    const std::size_t yAt = rapid.find('Y');
    ASSERT_TRUE(rapid.starts_with("G00X") && yAt != std::string::npos) << rapid;
    block(rapid);
    wireX += Number(rapid.substr(4, yAt - 4));
    wireY += Number(rapid.substr(yAt + 1));
    EXPECT_EQ(line(), "(ЗАПРАВИТЬ ПРОВОЛОКУ)");
    block(codes.thread);
  }
  block("M02");
  EXPECT_EQ(at, lines.size()) << "nothing after M02";
}

std::vector<JobHole> Singles(const std::vector<RandomHole>& holes) {
  std::vector<JobHole> singles;
  singles.reserve(holes.size());
  for (const RandomHole& hole : holes) singles.push_back({hole.program, hole.xValue, hole.yValue});
  return singles;
}

TEST(Job, RandomJobsAreTheSingleProgramsJoined) {
  RandomJobs random(20250611);
  const fs::path dir = Folder("random");
  std::map<std::string, int> kinds;  // "circle", …, and the cone by the options given
  for (int n = 0; n < 50; ++n) {
    std::vector<RandomHole> holes;
    for (int k = random.Int(1, 5); k > 0; --k) {
      const std::optional<RandomHole> hole = random.Hole();
      ASSERT_TRUE(hole) << "no hole the tool generates in 50 tries";
      holes.push_back(*hole);
      std::string kind = hole->words[0];
      for (const char* option : {"--lower", "--upper", "--angle"}) {
        for (const std::string& word : hole->words) {
          if (word.starts_with(option) && kind.find(option) == std::string::npos)
            kind += " " + std::string(option);
        }
      }
      ++kinds[kind];
    }
    const std::string text = random.JobText(holes);
    Write(dir / "job.txt", text);
    const RunResult r = RunGen({"job", "job.txt"}, dir);
    ASSERT_EQ(r.status, 0) << "job " << n << ":\n" << text << "\n" << r.err;
    EXPECT_EQ(r.err, "");

    const GenResult expected = GenJob(Singles(holes));
    ASSERT_TRUE(expected.Ok()) << expected.error;
    EXPECT_EQ(r.out, Cp1251(expected.program)) << "job " << n << " must be GenJob of the single programs:\n"
                                               << text;
    ExpectHolesAsTheirPrograms(kalmoro::DecodeCp1251(r.out), holes);
    if (testing::Test::HasFailure()) {
      ADD_FAILURE() << "job " << n << ":\n" << text;
      break;
    }
  }
  // The tries that the tool refuses must not leave a kind of hole or a way of giving a cone untried.
  for (const char* kind : {"circle", "rect", "cone --lower --upper", "cone --lower --angle",
                           "cone --upper --angle", "cone --lower --upper --angle"})
    EXPECT_GE(kinds[kind], 3) << kind;
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------------------------------

const std::string kTwoHoles =
    "circle --diameter 10 @ 20 0\nrect --width 20 --height 10 --radius 2 @ -30 15\n";

std::vector<RandomHole> TwoHoles() {
  std::vector<RandomHole> holes(2);
  holes[0].program = RunGen({"circle", "--diameter", "10"}).out;
  holes[0].xValue = 20;
  holes[1].program = RunGen({"rect", "--width", "20", "--height", "10", "--radius", "2"}).out;
  holes[1].xValue = -30;
  holes[1].yValue = 15;
  return holes;
}

std::string Expected(const std::vector<RandomHole>& holes, const WireCodes& codes = {}) {
  return GenJob(Singles(holes), codes).program;
}

TEST(Job, ExampleOfTwoHolesIsWrittenAndPassesTheCheck) {
  const fs::path dir = Folder("example");
  Write(dir / "job.txt", kTwoHoles);
  const RunResult r = RunGen({"job", "job.txt"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = kalmoro::DecodeCp1251(r.out);
  EXPECT_EQ(out.substr(0, out.find("N2")), "%(JOB: 2)\r\n(1: CIRCLE: D10 @ X20 Y0)\r\nN1G92X0.000Y0.000\r\n");
  EXPECT_NE(
      out.find("\r\n(ОБРЕЗАТЬ ПРОВОЛОКУ)\r\nN13M00\r\nN14G00X-50.000Y15.000\r\n(ЗАПРАВИТЬ ПРОВОЛОКУ)\r\n"
               "N15M00\r\n(2: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15)\r\nN16G92X0.000Y0.000\r\n"),
      std::string::npos)
      << out;
  EXPECT_TRUE(out.ends_with("M02\r\n")) << "no extra line end, as the program field holds it";
  EXPECT_EQ(out, Expected(TwoHoles()));
  ExpectHolesAsTheirPrograms(out, TwoHoles());
  // Standard output carries the saved file's bytes, Windows-1251, but for the line end a save adds, so
  // that "> plate.iso" gives a file the machine reads; the check reads both.
  ASSERT_EQ(RunGen({"job", "job.txt", "-o", "saved"}, dir).status, 0);
  EXPECT_EQ(r.out + "\r\n", ReadBytes(dir / "saved.iso"));
  Write(dir / "redirected.iso", r.out);
  for (const char* file : {"redirected.iso", "saved.iso"}) {
    const RunResult checked = RunGen({"check", file}, dir);
    EXPECT_EQ(checked.status, 0) << file << "\n" << checked.out;
    EXPECT_NE(checked.out.find("задание: отверстий 2, перезаправок 1"), std::string::npos) << checked.out;
  }
  // A terminal gets UTF-8, which it shows (script(1) gives the tool one).
  Launch terminal;
  terminal.program = "/usr/bin/script";
  terminal.args = {"-qec", std::string(KALMORO_GEN_PATH) + " job job.txt", "/dev/null"};
  terminal.cwd = dir;
  const RunResult shown = Start(terminal);
  EXPECT_NE(shown.out.find("(ОБРЕЗАТЬ ПРОВОЛОКУ)"), std::string::npos) << shown.out;
  fs::remove_all(dir);
}

// The machine's codes stand between the holes: cut_wire after each hole, thread_wire before the next.
TEST(Job, MachineProfileGivesTheWireCodes) {
  const fs::path dir = Folder("machine");
  Write(dir / "job.txt", kTwoHoles + "circle @ 0 40\n");
  Write(dir / "cut.ini", "[machine]\ncut_wire = M60\n");
  Write(dir / "both.ini", "[machine]\ncut_wire = M60 ; cut\nthread_wire = M61\n");
  std::vector<RandomHole> holes = TwoHoles();
  holes.push_back(holes[0]);
  holes[2].xValue = 0;
  holes[2].yValue = 40;

  RunResult r = RunGen({"job", "--machine", "cut.ini", "job.txt"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = kalmoro::DecodeCp1251(r.out);
  EXPECT_NE(out.find("(ОБРЕЗАТЬ ПРОВОЛОКУ)\r\nN13M60\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("(ЗАПРАВИТЬ ПРОВОЛОКУ)\r\nN15M00\r\n"), std::string::npos) << out;
  EXPECT_EQ(r.out, Cp1251(Expected(holes, {"M60", "M00"})));
  ExpectHolesAsTheirPrograms(out, holes, {"M60", "M00"});

  r = RunGen({"job", "job.txt", "--machine=both.ini"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Cp1251(Expected(holes, {"M60", "M61"})));
  ExpectHolesAsTheirPrograms(kalmoro::DecodeCp1251(r.out), holes, {"M60", "M61"});

  r = RunGen({"job", "job.txt"}, dir);
  EXPECT_EQ(r.out, Cp1251(Expected(holes))) << "M00 for both without a profile";

  // A profile's fault is told as check tells it, and nothing is written.
  Write(dir / "end.ini", "[machine]\ncut_wire = M02\n");
  Write(dir / "a.iso", holes[0].program);
  r = RunGen({"job", "--machine", "end.ini", "job.txt", "-o", "part"}, dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("end.ini"), std::string::npos) << r.err;
  EXPECT_EQ(r.err, RunGen({"check", "--machine", "end.ini", "a.iso"}, dir).err);
  EXPECT_FALSE(fs::exists(dir / "part.iso"));
  fs::remove_all(dir);
}

TEST(Job, DashReadsStandardInput) {
  const fs::path dir = Folder("stdin");
  Write(dir / "job.txt", kTwoHoles);
  Launch launch;
  launch.args = {"job", "-"};
  launch.cwd = dir;
  launch.input = dir / "job.txt";
  RunResult r = Start(launch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Cp1251(Expected(TwoHoles())));

  Write(dir / "bad.txt", "circle @ 0 0\n\ncircle --diameter 1000 @ 1 1\n");
  launch.input = dir / "bad.txt";
  launch.args = {"job", "-o", "part", "-"};
  r = Start(launch);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, AtLine(3, "Введите диаметр в диапазоне 1-999 мм"));
  EXPECT_FALSE(fs::exists(dir / "part.iso"));
  fs::remove_all(dir);
}

// -o saves as the generate commands save: the program field's text plus CR LF in Windows-1251, and a
// signal that comes as the new file is put in place ends the tool once the save is reported.
TEST(Job, OutputFileAsTheGenerateCommandsSaveIt) {
  const fs::path dir = Folder("output");
  Write(dir / "job.txt", kTwoHoles);
  const std::optional<std::string> file = kalmoro::EncodeCp1251(Expected(TwoHoles()) + "\r\n");
  ASSERT_TRUE(file);
  RunResult r = RunGen({"job", "job.txt", "-o", "part"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBytes(dir / "part.iso"), *file);
  Write(dir / "part.iso", "old\r\n");

  Launch launch;
  launch.args = {"job", "job.txt", "-o", "part"};
  launch.cwd = dir;
  launch.program = KALMORO_GEN_HOOKED_PATH;
  launch.env = {"KALMORO_STOP_AT=temp-linked"};
  launch.signalAtStop = SIGTERM;
  r = Start(launch);
  EXPECT_EQ(r.signal, SIGTERM) << "the tool ends by the signal it got";
  EXPECT_EQ(r.err, "Файл «part.iso» сохранён; сигнал, пришедший во время сохранения, завершает программу.\n");
  EXPECT_EQ(ReadBytes(dir / "part.iso"), *file);
  fs::remove_all(dir);
}

// The last hole that fits: 2184 circles of D10 make 32758 blocks, accepted (the 2185th is refused in
// the table above).
TEST(Job, TheLargestJobOfCirclesIsWritten) {
  const fs::path dir = Folder("largest");
  std::string text;
  for (int i = 0; i < 2184; ++i)
    text += "circle @ " + std::to_string(i % 100) + " " + std::to_string(i / 100) + "\n";
  Write(dir / "job.txt", text);
  const RunResult r = RunGen({"job", "job.txt"}, dir);
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 300);
  EXPECT_TRUE(r.out.ends_with("\r\nN32758M02\r\n")) << r.out.substr(r.out.size() - 40);
  fs::remove_all(dir);
}

}  // namespace
