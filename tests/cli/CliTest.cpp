// kalmoro-gen run as a user runs it: its standard output bytes, standard error, exit status and files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "GenRun.h"

namespace {

using namespace kalmoro::clitest;

// A reference program of tests/data (circle-d10.iso, rect-w20-h10-r2.iso, rect-w10-h5-r0.iso,
// cone-dd1-du0.8-h2.iso); a file that cannot be read gives a text no program can be.
std::string Listing(const char* name) {
  const fs::path path = fs::path(KALMORO_TEST_DATA) / name;
  const std::string bytes = ReadBytes(path);
  return bytes.empty() ? "<" + path.string() + " cannot be read>" : bytes;
}

const std::string kCircle10 = Listing("circle-d10.iso");

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
  EXPECT_EQ(r.out, Listing("rect-w20-h10-r2.iso"));
  const RunResult defaults = RunGen({"rect"});
  EXPECT_EQ(defaults.status, 0);
  EXPECT_EQ(defaults.out, Listing("rect-w10-h5-r0.iso"));
}

TEST(Cli, ConeDerivesTheAngleOrADiameterLikeThePage) {
  const RunResult given =
      RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "0.8", "--angle", "5.72481"});
  EXPECT_EQ(given.status, 0) << given.err;
  EXPECT_EQ(given.out, Listing("cone-dd1-du0.8-h2.iso"));
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
  // A typed angle that the diameters and the height do not make would hide a steeper taper.
  const RunResult hidden =
      RunGen({"cone", "--height", "10", "--lower", "20", "--upper", "10", "--angle", "5"});
  EXPECT_EQ(hidden.status, 1);
  EXPECT_NE(hidden.err.find("они дают угол 53.130102°"), std::string::npos) << hidden.err;
  EXPECT_EQ(hidden.out, "");
  const RunResult agreed =
      RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "0.8", "--angle", "5.72481"});
  EXPECT_EQ(agreed.status, 0) << "the angle the page derives is accepted: " << agreed.err;
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

// check reads files as the window saves them (Windows-1251), prints each problem as FILE:LINE: text and
// what the file encodes, and sums up in its exit status.
TEST(Cli, CheckReportsProblemsAtTheirLinesAndWhatEachFileEncodes) {
  const fs::path dir = ScratchDir() / "check";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_EQ(RunGen({"circle", "-o", "clean"}, dir).status, 0);
  std::string broken = kCircle10;
  broken.replace(broken.find("N2G60"), 5, "N2G60\xC6");  // a Cyrillic letter in Windows-1251
  broken.replace(broken.find("I0.000J0.000 D0"), 6, "I0.400");
  std::ofstream(dir / "broken.iso", std::ios::binary) << broken;

  RunResult r = RunGen({"check", "clean.iso"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "clean.iso: круглое отверстие D10; кадров: 13; ошибок нет\n"
      "clean.iso: время резания ≈ 4.2 мин (оценка: контур 3.1 мин, подвод и отвод 1.1 мин, высота 10 мм); "
      "станок по умолчанию\n"
      "clean.iso: стартовое отверстие: X0 Y0, сверло Ø9 мм (до контура 5 мм)\n");

  r = RunGen({"check", "clean.iso", "broken.iso"}, dir);
  EXPECT_EQ(r.status, 1) << "a problem in one file: " << r.err;
  EXPECT_NE(r.out.find("broken.iso:3: Недопустимый символ «Ж»\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("broken.iso:6: Дуга: начало и конец на разном расстоянии"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("broken.iso:6: Кадр N5: перемещение отклоняется от контура отверстия"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("broken.iso: круглое отверстие D10; кадров: 13; ошибок: 3\n"), std::string::npos)
      << r.out;

  r = RunGen({"check", "clean.iso", "missing.iso"}, dir);
  EXPECT_EQ(r.status, 2) << "an unreadable file";
  EXPECT_NE(r.err.find("«missing.iso»: файл не найден"), std::string::npos) << r.err;
  EXPECT_EQ(RunGen({"check"}, dir).status, 2) << "no file named";
  fs::remove_all(dir);
}

// check --machine holds the programs against the machine's profile: the wire's radius at a corner, the
// taper head's angle at the first steep block, a sharp corner as a note; a bad profile checks nothing.
TEST(Cli, CheckAgainstTheMachineProfile) {
  const fs::path dir = ScratchDir() / "machine";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_EQ(RunGen({"rect", "--radius", "0.1", "-o", "small"}, dir).status, 0);
  ASSERT_EQ(RunGen({"rect", "--radius", "0", "-o", "sharp"}, dir).status, 0);
  ASSERT_EQ(RunGen({"cone", "--height", "10", "--lower", "10", "--upper", "8", "-o", "cone"}, dir).status, 0);
  std::ofstream(dir / "machine.ini") << "[machine]\nmax_taper_angle = 10 ; degrees\ncutting_rate = 50\n";
  std::ofstream(dir / "bad.ini") << "[machine]\n\nmax_taper_angle = 1O\n";

  RunResult r = RunGen({"check", "--machine", "machine.ini", "small.iso"}, dir);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("small.iso:7: Кадр N6: радиус 0.1 мм меньше радиуса проволоки с зазором 0.145 мм\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("small.iso: время резания ≈ 7.1 мин (оценка: контур 6 мин"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("станок по умолчанию"), std::string::npos) << r.out;

  r = RunGen({"check", "--machine=machine.ini", "sharp.iso"}, dir);
  EXPECT_EQ(r.status, 0) << "a note is not a problem: " << r.out;
  EXPECT_NE(r.out.find("sharp.iso:6: примечание: Кадр N5: углы будут скруглены радиусом 0.145 мм"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("ошибок нет"), std::string::npos) << r.out;

  r = RunGen({"check", "--machine", "machine.ini", "cone.iso"}, dir);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("cone.iso:4: Кадр N3: конусность 11.421° круче предела станка 10°\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("высота 10 мм)\n"), std::string::npos) << "the cone's own height: " << r.out;

  r = RunGen({"check", "--machine", "bad.ini", "cone.iso"}, dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "") << "nothing is checked against a bad profile";
  EXPECT_EQ(
      r.err,
      "kalmoro-gen: ошибка в профиле станка «bad.ini», строка 3: значение «1O» ключа «max_taper_angle» не "
      "число (дробная часть пишется через точку)\n");
  r = RunGen({"check", "--machine", "none.ini", "cone.iso"}, dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("не удалось прочитать профиль станка «none.ini»: файл не найден"), std::string::npos)
      << r.err;
  EXPECT_EQ(RunGen({"check", "--machine"}, dir).status, 2);
  fs::remove_all(dir);
}

// Saving with -o when things go wrong: a signal mid-save (the hooked build stops itself at a fixed point
// of the save and gets the signal there), a file-size limit, a folder the user may not write into, odd
// names. Each row checks the bytes, owner and mode of every file in the folder afterwards, and that no
// temporary file is left.
struct OutputRow {
  std::string name;
  std::vector<std::string> args;  // after "circle"
  bool hardLink = false;          // part.iso ("old") has a second name, so it is written in place
  std::vector<std::string> env;
  rlim_t fileSizeLimit = 0;
  int signal = 0;                 // sent at the stop; the tool must end by it
  std::size_t entriesAtStop = 0;  // what the folder holds at the stop, to show the stop was mid-save
  std::string partAtStop;
  int status = 0;
  std::string err;
  std::map<std::string, std::string> files;  // everything the folder holds afterwards; a folder as kFolder
  std::vector<std::string> folders = {};     // made in the folder before the run
  bool readOnlyFolder = false;               // no write permission on the folder; run as nobody under root
  std::vector<std::string> strace = {};      // run under strace with these options (faults injected)
  mode_t umask = 022;
};

const std::string kFolder = "<folder>";

void PrintTo(const OutputRow& row, std::ostream* out) {
  *out << row.name;
}

const std::string kOld = "old\r\n";
const std::string kLate =
    "Файл «part.iso» сохранён; сигнал, пришедший во время сохранения, завершает программу.\n";
const std::string kSaved = std::string(kCircle10) + "\r\n";
const std::string kLong = [] {
  std::string name;
  for (int i = 0; i < 125; ++i) name += "п";
  return name + "x";  // 251 bytes, 255 with ".iso"
}();

std::vector<OutputRow> OutputRows() {
  const std::string stop = "KALMORO_STOP_AT=";
  // clang-format off
  return {
      {"SigtermWhileTheNewFileHasNoName", {"-o", "part"}, false, {stop + "temp-written"}, 0, SIGTERM, 1, kOld, -1,
       "", {{"part.iso", kOld}}},
      {"SigtermWhileTheNewFileHasATemporaryName", {"-o", "part"}, false,
       {stop + "temp-written", "KALMORO_NAMED_TEMP=1"}, 0, SIGTERM, 2, kOld, -1, "", {{"part.iso", kOld}}},
      {"CtrlCWhileWritingInPlace", {"-o", "part"}, true, {stop + "in-place-written"}, 0, SIGINT, 3, kSaved, -1,
       "", {{"part.iso", kOld}, {"other.iso", kOld}}},
      // A signal held while the new program is put in place: the save finishes and says so, then the
      // tool ends by the signal.
      {"SigtermAsTheNewFileIsRenamedIntoPlace", {"-o", "part"}, false, {stop + "temp-linked"}, 0, SIGTERM, 2, kOld,
       -1, kLate, {{"part.iso", kSaved}}},
      {"SigtermAsTheNamedTemporaryIsRenamedIntoPlace", {"-o", "part"}, false,
       {stop + "renamed", "KALMORO_NAMED_TEMP=1"}, 0, SIGTERM, 1, kSaved, -1, kLate, {{"part.iso", kSaved}}},
      {"CtrlCOnceTheProgramWrittenInPlaceIsOnDisk", {"-o", "part"}, true, {stop + "in-place-synced"}, 0, SIGINT,
       3, kSaved, -1, kLate, {{"part.iso", kSaved}, {"other.iso", kSaved}}},
      // FAT through FUSE changes no mode or owner (ENOSYS): no failure when the file has them already.
      {"ModeAndOwnerThatCannotBeSetButAreRight", {"-o", "part"}, false, {}, 0, 0, 0, "", 0, "",
       {{"part.iso", kSaved}}, {}, false, {"-e", "trace=fchmod,fchown", "-e", "inject=fchmod,fchown:error=ENOSYS"}},
      {"ModeThatCannotBeSetAndIsWrongFailsTheSave", {"-o", "part"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось сохранить прежние права доступа файла «part.iso»: файловая система не поддерживает эту "
       "операцию.\n",
       {{"part.iso", kOld}}, {}, false, {"-e", "trace=fchmod", "-e", "inject=fchmod:error=ENOSYS"}, 077},
      // The folder's fsync after the rename fails: the program is in place, maybe not on disk.
      {"FolderNotSyncedAfterTheRename", {"-o", "part"}, false, {}, 0, 0, 0, "", 0,
       "Файл «part.iso» сохранён, но может не пережить отключение питания: папку не удалось записать на диск "
       "(ошибка ввода-вывода).\n", {{"part.iso", kSaved}}, {}, false,
       {"-e", "trace=fsync", "-e", "inject=fsync:error=EIO:when=2+"}},
      // Each failing step says what failed and why (strace makes the call fail).
      {"NoSpaceForTheNewProgram", {"-o", "part"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось записать файл «part.iso»: на диске нет места.\n", {{"part.iso", kOld}}, {}, false,
       {"-e", "trace=pwrite64", "-e", "inject=pwrite64:error=ENOSPC"}},
      {"FileSystemRefusesTheNewLength", {"-o", "part"}, true, {}, 0, 0, 0, "", 1,
       "Не удалось обрезать файл «part.iso» до длины новой программы: файловая система не допускает такую длину "
       "файла.\n", {{"part.iso", kOld}, {"other.iso", kOld}}, {}, false,
       {"-e", "trace=ftruncate", "-e", "inject=ftruncate:error=EINVAL:when=1"}},
      {"NewProgramNotSyncedToDisk", {"-o", "part"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось записать файл «part.iso» на диск: ошибка ввода-вывода.\n", {{"part.iso", kOld}}, {}, false,
       {"-e", "trace=fsync", "-e", "inject=fsync:error=EIO:when=1"}},
      {"RenameAcrossFileSystems", {"-o", "part"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось заменить файл «part.iso»: файлы оказались на разных файловых системах.\n", {{"part.iso", kOld}},
       {}, false, {"-e", "trace=renameat,renameat2", "-e", "inject=renameat,renameat2:error=EXDEV"}},
      {"FileSizeLimit", {"-o", "part"}, false, {}, 64, 0, 0, "", 1,
       "Не удалось записать файл «part.iso»: превышен допустимый размер файла.\n", {{"part.iso", kOld}}},
      {"NameOf255Bytes", {"-o", kLong}, false, {}, 0, 0, 0, "", 0, "", {{"part.iso", kOld}, {kLong + ".iso", kSaved}}},
      {"NameEndingInSlash", {"-o", "sub/"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось сохранить программу: в «sub/» не указано имя файла.\n", {{"part.iso", kOld}}},
      {"ControlCharactersInNameShownEscaped", {"-o", "\x1B[2J\xC2\x9B\xFF/part"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось сохранить файл «\\x1B[2J\\u009B\\xFF/part.iso»: папка не найдена.\n", {{"part.iso", kOld}}},
      {"NameOfAFolder", {"-o", "sub"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось сохранить файл «sub.iso»: с таким именем есть папка.\n", {{"part.iso", kOld}, {"sub.iso", kFolder}},
       {"sub.iso"}},
      {"FolderWithoutWritePermission", {"-o", "new"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось создать файл «new.iso»: нет прав на запись в папку.\n", {{"part.iso", kOld}}, {}, true},
      // A name that is there and is no regular file is refused as it is, not given ".iso".
      {"DeviceIsNoFile", {"-o", "/dev/null"}, false, {}, 0, 0, 0, "", 1,
       "Не удалось сохранить файл «/dev/null»: это не обычный файл.\n", {{"part.iso", kOld}}},
  };
  // clang-format on
}

class GenOutput : public testing::TestWithParam<OutputRow> {};

TEST_P(GenOutput, LeavesTheOldProgramOrTheNewOneAndNothingElse) {
  const OutputRow& row = GetParam();
  const fs::path dir = ScratchDir() / row.name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "part.iso", std::ios::binary) << kOld;
  fs::permissions(dir / "part.iso", static_cast<fs::perms>(0644));
  if (row.hardLink) fs::create_hard_link(dir / "part.iso", dir / "other.iso");
  for (const std::string& folder : row.folders) fs::create_directory(dir / folder);
  if (row.readOnlyFolder) fs::permissions(dir, static_cast<fs::perms>(0555));

  Launch launch;
  launch.args = {"circle"};
  launch.args.insert(launch.args.end(), row.args.begin(), row.args.end());
  launch.cwd = dir;
  launch.env = row.env;
  launch.fileSizeLimit = row.fileSizeLimit;
  launch.signalAtStop = row.signal;
  launch.program = row.signal           ? KALMORO_GEN_HOOKED_PATH
                   : row.readOnlyFolder ? ForAnyUser(KALMORO_GEN_PATH)
                                        : KALMORO_GEN_PATH;
  launch.asNobody = row.readOnlyFolder;
  launch.umask = row.umask;
  if (!row.strace.empty()) {
    // strace is installed by scripts/install-deps.sh: its absence fails the row.
    launch.wrapper = {"strace", "-f", "-qq", "-o", "/dev/null"};
    launch.wrapper.insert(launch.wrapper.end(), row.strace.begin(), row.strace.end());
  }
  bool stopped = false;
  launch.atStop = [&] {
    stopped = true;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), row.entriesAtStop)
        << "entries in the folder at the stop";
    EXPECT_EQ(ReadBytes(dir / "part.iso"), row.partAtStop) << "part.iso at the stop";
  };
  const RunResult r = Start(launch);
  EXPECT_EQ(stopped, row.signal != 0) << "the tool must stop at the point named, mid-save";
  EXPECT_EQ(r.signal, row.signal) << "the tool must end by the signal it got";
  EXPECT_EQ(r.status, row.status);
  EXPECT_EQ(r.err, row.err);
  std::map<std::string, std::string> files;
  if (row.readOnlyFolder) fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_directory()) {
      files[entry.path().filename().string()] = kFolder;
      continue;
    }
    files[entry.path().filename().string()] = ReadBytes(entry.path());
    struct stat st {};
    ASSERT_EQ(::stat(entry.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "mode of " << entry.path();
    EXPECT_EQ(st.st_uid, ::geteuid()) << "owner of " << entry.path();
  }
  EXPECT_EQ(files, row.files) << "the folder must hold these files and no temporary file";
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Saving, GenOutput, testing::ValuesIn(OutputRows()),
                         [](const testing::TestParamInfo<OutputRow>& info) { return info.param.name; });

// Every file the tool reads goes through one reader: a regular file only, refused at once otherwise (a
// named pipe without a writer would block for ever), its size looked at before a byte is read, each
// failure with its cause and step (strace injects read errors into the named file's reads only). Export
// draws nothing of a program beyond any machine (10^238 once overflowed dxflib's number buffer) and
// makes no scratch file, while the largest program a job holds is drawn.
struct ReadRow {
  std::string name;
  std::vector<std::string> args;
  int status = 2;
  std::string err = {};  // standard error, exactly
  std::string out = {};  // a line standard output must hold
  std::string injectReadErrorInto = {};
  std::string input = {};  // standard input read from this file of the folder
};

void PrintTo(const ReadRow& row, std::ostream* out) {
  *out << row.name;
}

std::vector<ReadRow> ReadRows() {
  const std::string cannot = "kalmoro-gen: не удалось прочитать ";
  const std::string tooLarge = "файл больше 64 МБ, программы для станка не бывают такими\n";
  const std::string notDrawn = "kalmoro-gen: Контур не записан в файл «part.dxf»: в строке 4 ";
  // clang-format off
  return {
      {"CheckNamedPipeWithoutWriter", {"check", "pipe.iso"}, 2, cannot + "«pipe.iso»: это не обычный файл\n"},
      {"CheckFileOverTheLimitIsNotRead", {"check", "huge.iso"}, 2, cannot + "«huge.iso»: " + tooLarge, "",
       "huge.iso"},
      {"CheckStandardInputOverTheLimit", {"check", "-"}, 2, cannot + "«<stdin>»: " + tooLarge, "", "", "huge.iso"},
      {"CheckReadFailsMidway", {"check", "part.iso"}, 2,
       cannot + "«part.iso»: ошибка ввода-вывода во время чтения\n", "", "part.iso"},
      {"CheckNulByteEscapedOnce", {"check", "nul.iso"}, 1, "", "nul.iso:1: Недопустимый символ «\\x00»\n"},
      {"MachineProfileOverItsLimit", {"check", "--machine", "huge.ini", "part.iso"}, 2,
       cannot + "профиль станка «huge.ini»: файл больше 1 МБ, профили станка не бывают такими\n"},
      {"ExportNamedPipe", {"export", "--dxf", "pipe.iso", "-o", "part.dxf"}, 1,
       "kalmoro-gen: Не удалось открыть файл «pipe.iso»: это не обычный файл.\n"},
      {"ExportBinaryContent", {"export", "--dxf", "nul.iso", "-o", "part.dxf"}, 1,
       "kalmoro-gen: Не удалось открыть файл «nul.iso»: это не текстовый файл программы (в нём есть двоичные данные).\n"},
      {"ExportFromStandardInput", {"export", "--dxf", "-", "-o", "part.dxf"}, 0, "", "", "", "part.iso"},
      {"ExportCoordinateBeyondAnyMachine", {"export", "--dxf", "far.iso", "-o", "part.dxf"}, 1,
       notDrawn + "координата 1E+238 мм вне пределов станка (X, Y, I, J по модулю меньше 1000000 мм).\n"},
      {"ExportTaperBeyondAnyMachine", {"export", "--dxf", "taper.iso", "-o", "part.dxf"}, 1,
       notDrawn + "смещение конусности 10000000000000 мм вне пределов станка (U, V по модулю меньше "
       "1000000000000 мм).\n"},
      {"ExportLargestConeAtTheCornerOfAJob", {"export", "--dxf", "largest.iso", "-o", "part.dxf"}, 0},
  };
  // clang-format on
}

class ReadRefusal : public testing::TestWithParam<ReadRow> {};

TEST_P(ReadRefusal, RefusedAtOnceWithItsCause) {
  const ReadRow& row = GetParam();
  const fs::path dir = fs::canonical(ScratchDir()) / ("read-" + row.name);
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  ASSERT_EQ(RunGen({"circle", "-o", "part"}, dir).status, 0);
  ASSERT_EQ(RunGen({"cone", "--height", "2", "--lower", "1", "--upper", "0.8", "-o", "cone"}, dir).status, 0);
  const auto edited = [&](const char* from, const char* file, const std::string& what,
                          const std::string& to) {
    std::string text = ReadBytes(dir / from);
    std::ofstream(dir / file, std::ios::binary) << text.replace(text.find(what), what.size(), to);
  };
  edited("part.iso", "far.iso", "N3G01X0.000", "N3G01X1" + std::string(238, '0') + ".000");
  edited("cone.iso", "taper.iso", "U0.000V-0.100", "U10000000000000.000V-0.100");
  std::ofstream(dir / "job.txt") << "cone --height 1 --lower 869700 --upper 869700 @ 99999.999 -99999.999\n";
  if (row.name.find("Largest") != std::string::npos) {
    ASSERT_EQ(RunGen({"job", "job.txt", "-o", "largest"}, dir).status, 0);
  }
  ASSERT_EQ(::mkfifo((dir / "pipe.iso").c_str(), 0600), 0);
  std::ofstream(dir / "nul.iso", std::ios::binary) << std::string("N1X1\0\r\n", 7);
  // Sparse files one byte over the limits: a reading of them would take seconds, or an injected error.
  for (const auto& [name, megabytes] : {std::pair("huge.iso", 64), std::pair("huge.ini", 1)}) {
    std::ofstream(dir / name).close();
    fs::resize_file(dir / name, (std::uintmax_t(megabytes) << 20) + 1);
  }

  fs::create_directory(dir / "tmp");
  Launch launch;
  launch.args = row.args;
  launch.cwd = dir;
  launch.env = {"TMPDIR=" + (dir / "tmp").string()};
  if (!row.input.empty()) launch.input = dir / row.input;
  if (!row.injectReadErrorInto.empty())
    launch.wrapper = {"strace",
                      "-f",
                      "-qq",
                      "-o",
                      "/dev/null",
                      "-P",
                      (dir / row.injectReadErrorInto).string(),
                      "-e",
                      "trace=read",
                      "-e",
                      "inject=read:error=EIO"};
  const RunResult r = Start(launch);
  EXPECT_EQ(r.status, row.status) << r.err;
  EXPECT_EQ(r.err, row.err);
  EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
  EXPECT_EQ(fs::exists(dir / "part.dxf"), row.args[0] == "export" && row.status == 0);
  EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "no scratch file is left";
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cli, ReadRefusal, testing::ValuesIn(ReadRows()),
                         [](const testing::TestParamInfo<ReadRow>& info) { return info.param.name; });

TEST(Cli, ArgumentsInMessagesAreShownEscaped) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"\x1B]0;title\x07"}, "kalmoro-gen: неизвестная команда «\\x1B]0;title\\x07»\n"},
      {{"circle\xC0\xAF\xED\xA0\x80"},
       "kalmoro-gen: неизвестная команда «circle\\xC0\\xAF\\xED\\xA0\\x80»\n"},
      {{"circle", "--diameter", "1\u202E2\\"},
       "kalmoro-gen: недопустимое значение параметра --diameter: «1\\u202E2\\\\»\n"},
      {{"circle", "пример"}, "kalmoro-gen: лишний аргумент «пример»\n"},
  };
  for (const auto& [args, firstLine] : cases) {
    const RunResult r = RunGen(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), firstLine) << "controls, direction marks and bytes that "
                                                                   "are not UTF-8 must be escaped";
  }
}

}  // namespace
