// Saves with -o cut short by SIGKILL at any instant, and several saves of one name at once, in every
// save mode: a new file; an existing one replaced through an unnamed or a named temporary file; one
// written in place because of a hard link, an extended attribute, an owner the saver cannot give or a
// folder the saver may not write (its backup then goes to the state folder). After a kill the name
// holds the whole old or the whole new program, or a backup holds the whole old one; the next save
// names a backup that holds something else than the file, keeps it, and leaves no temporary file.
// Saves at once take turns: every round ends with one whole program and every saver exits 0.
//
// The kills: at each named point of a save (kalmoro-gen-hooked kills itself there), at the entry of
// each system call of a save that changes a file or takes the lock (strace -e inject=…:signal=SIGKILL),
// and at random instants inside the save: KALMORO_SOAK_KILLS kills per mode (8 by default). Saves at once:
// KALMORO_CONCURRENT_ROUNDS rounds of four per mode (2 by default).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "GenRun.h"

namespace {

using namespace kalmoro::clitest;

constexpr uid_t kOwner = 4242;
constexpr gid_t kTeam = 4243;
constexpr uid_t kColleague = 4244;  // in the group kTeam besides their own

// The bytes kalmoro-gen saves for these arguments: the program and one more CR LF.
const std::string& Saved(const std::vector<std::string>& args) {
  static std::map<std::vector<std::string>, std::string> cache;
  auto it = cache.find(args);
  if (it == cache.end()) {
    const RunResult r = RunGen(args);
    EXPECT_EQ(r.status, 0) << r.err;
    it = cache.emplace(args, r.out + "\r\n").first;
  }
  return it->second;
}

const std::vector<std::string> kCircle = {"circle"};  // 273 bytes
const std::vector<std::string> kSmallCone = {"cone", "--height", "10", "--lower",
                                             "20",   "--upper",  "20"};  // 5 kB
const std::vector<std::string> kMidCone = {"cone", "--height", "10", "--lower", "52000", "--upper", "52000"};
const std::vector<std::string> kLargestCone = {
    "cone", "--height", "10", "--lower", "869700", "--upper", "869700"};  // 1.39 MB, the largest there is

int EnvCount(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// Why a save keeps the existing file and writes it in place, if it does.
enum class Keep { NewFile, Nothing, HardLink, Attribute, ForeignOwner, FolderNotWritable };

struct SaveMode {
  std::string name;
  Keep keep;
  bool namedTemps = false;  // as on file systems without unnamed temporary files
  bool InPlace() const { return keep >= Keep::HardLink; }
  bool OtherUser() const { return keep == Keep::ForeignOwner || keep == Keep::FolderNotWritable; }
};

void PrintTo(const SaveMode& mode, std::ostream* out) {
  *out << mode.name;
}

const std::vector<SaveMode>& SaveModes() {
  static const std::vector<SaveMode> modes = {
      {"NewFile", Keep::NewFile},
      {"NewFileThroughNamedTemporary", Keep::NewFile, true},
      {"Replaced", Keep::Nothing},
      {"ReplacedThroughNamedTemporary", Keep::Nothing, true},
      {"InPlaceHardLink", Keep::HardLink},
      {"InPlaceHardLinkNamedTemporaries", Keep::HardLink, true},
      {"InPlaceExtendedAttribute", Keep::Attribute},
      {"InPlaceForeignOwner", Keep::ForeignOwner},
      {"InPlaceFolderNotWritable", Keep::FolderNotWritable},
  };
  return modes;
}

const SaveMode& ModeNamed(const std::string& name) {
  for (const SaveMode& mode : SaveModes())
    if (mode.name == name) return mode;
  throw std::invalid_argument(name);
}

// A folder where a save of part.iso takes a mode, and the saver's state folder beside it.
class ModeFolder {
 public:
  ModeFolder(const SaveMode& mode, const std::string& tag)
      : m_mode(mode), m_dir(ScratchDir() / tag), m_state(ScratchDir() / (tag + "-state")) {}
  ModeFolder(const ModeFolder&) = delete;
  ModeFolder& operator=(const ModeFolder&) = delete;
  ~ModeFolder() { Clear(); }

  const SaveMode& Mode() const { return m_mode; }
  const fs::path& Dir() const { return m_dir; }

  // Lays the folder out afresh, part.iso holding old unless the mode saves a new file. Returns why this
  // machine cannot, or nothing.
  std::string Make(const std::string& old) {
    Clear();
    fs::create_directories(m_dir);
    fs::create_directories(m_state);
    fs::permissions(m_dir, static_cast<fs::perms>(0755));
    const fs::path part = m_dir / "part.iso";
    if (m_mode.keep != Keep::NewFile) {
      std::ofstream(part, std::ios::binary) << old;
      fs::permissions(part, static_cast<fs::perms>(0644));
    }
    if (m_mode.OtherUser() && ::geteuid() != 0) return "needs root to act as another user";
    switch (m_mode.keep) {
      case Keep::HardLink:
        fs::create_hard_link(part, m_dir / "other.iso");
        break;
      case Keep::Attribute:
        if (::setxattr(part.c_str(), "user.kalmoro", "1", 1, 0) != 0)
          return "the file system of " + m_dir.string() + " keeps no user extended attributes";
        break;
      case Keep::ForeignOwner:  // the colleague may write the team's file but cannot give it its owner
        if (::chown(part.c_str(), kOwner, kTeam) != 0 ||
            ::chown(m_state.c_str(), kColleague, kColleague) != 0)
          return "cannot give files to other users here";
        fs::permissions(part, static_cast<fs::perms>(0664));
        fs::permissions(m_dir, static_cast<fs::perms>(0777));
        break;
      case Keep::FolderNotWritable:  // the colleague's file in root's folder
        if (::chown(part.c_str(), kColleague, kColleague) != 0 ||
            ::chown(m_state.c_str(), kColleague, kColleague) != 0)
          return "cannot give files to other users here";
        break;
      default:
        break;
    }
    return {};
  }

  void Clear() {
    fs::remove_all(m_dir);
    fs::remove_all(m_state);
  }

  // A run of the tool in the folder as the mode's saver.
  Launch Run(std::vector<std::string> args, bool hooked = false) const {
    Launch launch;
    launch.args = std::move(args);
    launch.cwd = m_dir;
    launch.env = {"XDG_STATE_HOME=" + m_state.string()};
    if (m_mode.namedTemps) launch.env.push_back("KALMORO_NAMED_TEMP=1");
    launch.program = hooked ? KALMORO_GEN_HOOKED_PATH : KALMORO_GEN_PATH;
    if (m_mode.OtherUser()) {
      launch.program = ForAnyUser(launch.program);
      launch.user = kColleague;
      launch.groups = {kTeam};
    }
    return launch;
  }
  // Saves the program of these arguments to part.iso.
  Launch Save(const std::vector<std::string>& program, bool hooked = false) const {
    std::vector<std::string> args(program);
    args.insert(args.end(), {"-o", "part"});
    return Run(args, hooked);
  }

  std::optional<std::string> Part() const {
    if (!fs::exists(m_dir / "part.iso")) return std::nullopt;
    return ReadBytes(m_dir / "part.iso");
  }
  // The backups with their bytes, named as the save names them: next to the file by their names, in the
  // state folder by their whole paths.
  std::vector<std::pair<std::string, std::string>> Backups() const {
    std::vector<std::pair<std::string, std::string>> backups;
    for (const fs::path& name : Sorted(m_dir))
      if (name.filename().string().starts_with("part.iso.kalmoro-backup"))
        backups.emplace_back(name.filename().string(), ReadBytes(name));
    for (const fs::path& name : Sorted(m_state / "kalmoro"))
      if (name.filename().string().find(".kalmoro-backup") != std::string::npos)
        backups.emplace_back(name.string(), ReadBytes(name));
    return backups;
  }
  // What else the folders hold: temporary files left behind.
  std::vector<std::string> Strays() const {
    std::vector<std::string> strays;
    for (const fs::path& name : Sorted(m_dir)) {
      const std::string base = name.filename().string();
      if (base != "part.iso" && base != "other.iso" && !base.starts_with("part.iso.kalmoro-backup"))
        strays.push_back(base);
    }
    for (const fs::path& name : Sorted(m_state / "kalmoro"))
      if (name.filename().string().find(".kalmoro-backup") == std::string::npos)
        strays.push_back(name.string());
    return strays;
  }
  // The second name of the hard-link mode is still the file's.
  bool LinksJoined() const {
    struct stat part {};
    struct stat other {};
    return m_mode.keep != Keep::HardLink ||
           (::stat((m_dir / "part.iso").c_str(), &part) == 0 &&
            ::stat((m_dir / "other.iso").c_str(), &other) == 0 && part.st_ino == other.st_ino);
  }

 private:
  static std::vector<fs::path> Sorted(const fs::path& dir) {
    std::vector<fs::path> names;
    if (!fs::is_directory(dir)) return names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    return names;
  }

  const SaveMode& m_mode;
  fs::path m_dir;
  fs::path m_state;
};

std::string Describe(const std::optional<std::string>& bytes) {
  if (!bytes) return "nothing";
  return std::to_string(bytes->size()) + " bytes starting \"" + bytes->substr(0, 24) + "\"";
}

// What the name holds after a kill.
enum class Left { Old, New, Mixed };

// The invariant after a kill: the name holds the whole old program (none for a new file) or the whole
// new one, or a backup holds the whole old one; only a save in place makes a backup, and it keeps the
// file's second name joined.
Left ExpectWholeOrBackedUp(const ModeFolder& folder, const std::string& old, const std::string& now,
                           const std::string& when) {
  const std::optional<std::string> part = folder.Part();
  const bool isOld = folder.Mode().keep == Keep::NewFile ? !part : part == old;
  const bool isNew = part == now;
  bool backedUp = false;
  for (const auto& [name, bytes] : folder.Backups()) {
    EXPECT_TRUE(folder.Mode().InPlace()) << when << ": only a save in place makes a backup, not " << name;
    backedUp = backedUp || bytes == old;
  }
  EXPECT_TRUE(isOld || isNew || backedUp)
      << when
      << ": the name must hold the whole old or the whole new program, or a backup the whole old one; "
      << "part.iso holds " << Describe(part);
  EXPECT_TRUE(folder.LinksJoined()) << when << ": other.iso must stay part.iso's second name";
  return isOld ? Left::Old : isNew ? Left::New : Left::Mixed;
}

std::string LeftNote(const std::vector<std::string>& named) {
  if (named.empty()) return {};
  std::string names;
  for (const std::string& name : named) names += (names.empty() ? "«" : ", «") + name + "»";
  return "Прошлое сохранение файла «part.iso» было прервано: прежняя программа осталась в " +
         std::string(named.size() == 1 ? "резервной копии " : "резервных копиях ") + names + ".\n";
}

// The save after a kill exits 0, names each backup the kill left that holds something else than the
// file, keeps those and removes the rest, and leaves no temporary file.
void ExpectNextSaveCleansUp(const ModeFolder& folder, const std::string& when) {
  const std::optional<std::string> part = folder.Part();
  std::vector<std::string> named;
  for (const auto& [name, bytes] : folder.Backups())
    if (bytes != part) named.push_back(name);
  const RunResult r = Start(folder.Save(kCircle));
  EXPECT_EQ(r.status, 0) << when << ": the next save must succeed: " << r.err;
  EXPECT_EQ(r.err, LeftNote(named)) << when << ": the next save names the backups that hold another program";
  EXPECT_EQ(folder.Part(), Saved(kCircle)) << when;
  std::vector<std::string> kept;
  for (const auto& backup : folder.Backups()) kept.push_back(backup.first);
  EXPECT_EQ(kept, named) << when << ": the backups named stay, the others go";
  EXPECT_EQ(folder.Strays(), std::vector<std::string>{})
      << when << ": no temporary file survives the next save";
  EXPECT_TRUE(folder.LinksJoined()) << when;
}

// What the name holds at a kill, in the tally of a test.
struct Tally {
  int old = 0;       // the old program (or none, for a new file): the save had not put anything in place
  int now = 0;       // the new program
  int mixed = 0;     // neither whole: the old one was whole in a backup
  int backups = 0;   // kills after which a backup was there
  int finished = 0;  // saves that ended before the kill came

  void Add(Left left, bool backup) {
    (left == Left::Old ? old : left == Left::New ? now : mixed)++;
    backups += backup ? 1 : 0;
  }
  std::string Text() const {
    return std::to_string(old + now + mixed) + " kills: the old program at the name " + std::to_string(old) +
           ", the new one " + std::to_string(now) + ", neither (the old one whole in the backup) " +
           std::to_string(mixed) + "; a backup left by " + std::to_string(backups) + "; " +
           std::to_string(finished) + " saves finished before their kill";
  }
};

void Report(const std::string& what, const std::string& text) {
  std::cout << "[ TALLY    ] " << what << ": " << text << std::endl;
  testing::Test::RecordProperty("tally", text);
}

// ---------------------------------------------------------------------------------------------------
// Killed at each named point of a save.

enum class Part { Absent, Old, New, Mixed };

struct KillPoint {
  std::string mode;
  std::string stage;  // as KALMORO_KILL_AT names it
  Part part;          // what the name holds after the kill
  bool backup;        // a backup of the old program is there
  bool temporary;     // a temporary file is left for the next save to remove
};

std::string CamelCase(const std::string& dashed) {
  std::string name;
  bool upper = true;
  for (const char c : dashed) {
    if (c == '-') {
      upper = true;
      continue;
    }
    name += upper ? static_cast<char>(c - 'a' + 'A') : c;
    upper = false;
  }
  return name;
}

void PrintTo(const KillPoint& point, std::ostream* out) {
  *out << point.mode << "_At" << CamelCase(point.stage);
}

std::vector<KillPoint> KillPoints() {
  std::vector<KillPoint> points = {
      {"NewFile", "temp-written", Part::Absent, false, false},
      {"NewFile", "renamed", Part::New, false, false},
      {"NewFileThroughNamedTemporary", "temp-written", Part::Absent, false, true},
      {"NewFileThroughNamedTemporary", "renamed", Part::New, false, false},
      {"Replaced", "locked", Part::Old, false, false},
      {"Replaced", "temp-written", Part::Old, false, false},
      {"Replaced", "temp-linked", Part::Old, false, true},
      {"Replaced", "renamed", Part::New, false, false},
      {"ReplacedThroughNamedTemporary", "locked", Part::Old, false, false},
      {"ReplacedThroughNamedTemporary", "temp-written", Part::Old, false, true},
      {"ReplacedThroughNamedTemporary", "renamed", Part::New, false, false},
  };
  for (const SaveMode& mode : SaveModes()) {
    if (!mode.InPlace()) continue;
    for (const KillPoint& point :
         std::vector<KillPoint>{{mode.name, "locked", Part::Old, false, false},
                                {mode.name, "backup-written", Part::Old, true, false},
                                {mode.name, "in-place-written", Part::Mixed, true, false},
                                {mode.name, "in-place-truncated", Part::New, true, false},
                                {mode.name, "in-place-synced", Part::New, true, false}})
      points.push_back(point);
  }
  return points;
}

class KilledAtPoint : public testing::TestWithParam<KillPoint> {};

TEST_P(KilledAtPoint, LeavesAWholeProgramOrABackupThatCheckAndTheNextSaveName) {
  const KillPoint& point = GetParam();
  const SaveMode& mode = ModeNamed(point.mode);
  ModeFolder folder(mode, "point-" + point.mode + "-" + point.stage);
  const std::string old = mode.keep == Keep::NewFile ? "" : Saved(kSmallCone);
  const std::string now = Saved(kCircle);
  if (const std::string why = folder.Make(old); !why.empty()) GTEST_SKIP() << why;

  Launch launch = folder.Save(kCircle, true);
  launch.env.push_back("KALMORO_KILL_AT=" + point.stage);
  const RunResult r = Start(launch);
  ASSERT_EQ(r.signal, SIGKILL) << "the save must reach " << point.stage << " and be killed there: " << r.err;

  const std::optional<std::string> part = folder.Part();
  switch (point.part) {
    case Part::Absent:
      EXPECT_EQ(part, std::nullopt) << "a new file has no name yet";
      break;
    case Part::Old:
      EXPECT_EQ(part, old) << "part.iso must still hold the old program";
      break;
    case Part::New:
      EXPECT_EQ(part, now) << "part.iso must hold the new program";
      break;
    case Part::Mixed:
      EXPECT_TRUE(part && part->starts_with(now) && *part != now)
          << "the new bytes over the old ones, not yet cut: " << Describe(part);
      break;
  }
  EXPECT_EQ(folder.Backups().empty(), !point.backup) << "a backup of the old program";
  EXPECT_EQ(folder.Strays().empty(), !point.temporary) << "a temporary file left by the kill";
  ExpectWholeOrBackedUp(folder, old, now, point.stage);

  // check names each backup that holds something else than the file, by its whole path.
  if (part) {
    std::string named;
    for (const auto& [name, bytes] : folder.Backups()) {
      if (bytes == part) continue;
      const std::string path = name.starts_with("/") ? name : (fs::canonical(folder.Dir()) / name).string();
      named += "part.iso: сохранение файла было прервано, прежняя программа осталась в резервной копии «" +
               path + "»\n";
    }
    const RunResult check = Start(folder.Run({"check", "part.iso"}));
    const std::size_t summary = check.out.find("part.iso: ");
    EXPECT_NE(summary, std::string::npos) << check.err;
    EXPECT_TRUE(check.out.ends_with(named))
        << "check must end by naming the backups:\n"
        << named << "it says:\n"
        << check.out.substr(check.out.size() - std::min<std::size_t>(600, check.out.size()));
  }
  ExpectNextSaveCleansUp(folder, point.stage);
}

INSTANTIATE_TEST_SUITE_P(SaveModes, KilledAtPoint, testing::ValuesIn(KillPoints()),
                         [](const testing::TestParamInfo<KillPoint>& info) {
                           return info.param.mode + "_At" + CamelCase(info.param.stage);
                         });

// ---------------------------------------------------------------------------------------------------
// Killed at each system call of a save that changes a file or takes its lock. A kill at any other call
// leaves the disk as a kill at the next of these does.

constexpr const char* kChangingCalls =
    "openat,pwrite64,ftruncate,fsync,fdatasync,linkat,renameat,renameat2,unlinkat,fchmod,fchown,mkdir,flock";

// The calls in an strace log, each as its name and its number among the calls of that name (strace
// counts them so for when=), from the save's first call (the folder opened) on. Opens that only read
// are left out.
std::vector<std::pair<std::string, int>> ChangingCalls(const std::string& log) {
  std::vector<std::pair<std::string, int>> calls;
  std::map<std::string, int> counts;
  bool saving = false;
  std::size_t at = 0;
  for (std::size_t end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = log.substr(at, end - at);
    line = line.substr(std::min(line.size(), line.find(' ')));  // the process id, then blanks
    line = line.substr(std::min(line.size(), line.find_first_not_of(' ')));
    const std::size_t paren = line.find('(');
    if (paren == std::string::npos || line.starts_with("+++") || line.starts_with("---")) continue;
    const std::string name = line.substr(0, paren);
    const int number = ++counts[name];
    saving = saving || line.starts_with("openat(AT_FDCWD, \".\", ");
    const bool changes = name != "openat" || line.find("O_CREAT") != std::string::npos ||
                         line.find("O_TMPFILE") != std::string::npos ||
                         line.find("O_RDWR") != std::string::npos ||
                         line.find("O_WRONLY") != std::string::npos;
    if (saving && changes) calls.emplace_back(name, number);
  }
  return calls;
}

class KilledAtSystemCall : public testing::TestWithParam<SaveMode> {};

TEST_P(KilledAtSystemCall, LeavesAWholeProgramOrABackupAndTheNextSaveCleansUp) {
  const SaveMode& mode = GetParam();
  ModeFolder folder(mode, "call-" + mode.name);
  const std::string old = mode.keep == Keep::NewFile ? "" : Saved(kSmallCone);
  const std::string now = Saved(kCircle);
  if (const std::string why = folder.Make(old); !why.empty()) GTEST_SKIP() << why;

  // The calls of a save that is not interrupted. strace is installed by scripts/install-deps.sh.
  const fs::path logs = ScratchDir() / "strace-logs";
  fs::create_directories(logs);
  fs::permissions(logs, fs::perms::all);
  const fs::path log = logs / mode.name;
  Launch traced = folder.Save(kCircle);
  traced.wrapper = {"strace", "-f", "-qq", "-o", log.string(), "-e", std::string("trace=") + kChangingCalls};
  const RunResult plain = Start(traced);
  ASSERT_EQ(plain.status, 0) << "strace must run the save: " << plain.err;
  const auto calls = ChangingCalls(ReadBytes(log));
  ASSERT_GE(calls.size(), 5u) << ReadBytes(log);

  Tally tally;
  for (const auto& [name, number] : calls) {
    const std::string when = name + " #" + std::to_string(number);
    ASSERT_EQ(folder.Make(old), "");
    Launch killed = folder.Save(kCircle);
    killed.wrapper = {"strace",
                      "-f",
                      "-qq",
                      "-o",
                      "/dev/null",
                      "-e",
                      "trace=" + name,
                      "-e",
                      "inject=" + name + ":signal=SIGKILL:when=" + std::to_string(number)};
    const RunResult r = Start(killed);
    EXPECT_EQ(r.signal, SIGKILL) << when << ": the save must be killed at this call: " << r.err;
    const bool backup = !folder.Backups().empty();
    tally.Add(ExpectWholeOrBackedUp(folder, old, now, when), backup);
    ExpectNextSaveCleansUp(folder, when);
    if (HasFailure()) break;
  }
  Report("killed at each of " + std::to_string(calls.size()) + " system calls, " + mode.name, tally.Text());
}

INSTANTIATE_TEST_SUITE_P(SaveModes, KilledAtSystemCall, testing::ValuesIn(SaveModes()),
                         [](const testing::TestParamInfo<SaveMode>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------------
// Killed at random instants: the largest program saved over a smaller one and the other way round. Each
// run stops itself as its save begins and again at the save's last point (the new program in place,
// the signals held); the test lets it go on and kills it after a time drawn evenly from the span between
// the two stops of uninterrupted runs. So every kill lands inside the save, at the latest at its last
// point, and no run ends before its kill. The seed is fixed; what must hold is the same for every kill.

class KilledAtRandom : public testing::TestWithParam<SaveMode> {};

// Whether the process has stopped itself (and not been waited for as stopped).
bool Stopped(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid;
}

TEST_P(KilledAtRandom, LeavesAWholeProgramOrABackupAndTheNextSaveCleansUp) {
  const SaveMode& mode = GetParam();
  const int kills = EnvCount("KALMORO_SOAK_KILLS", 8);
  ModeFolder folder(mode, "random-" + mode.name);
  const auto oldOf = [&](int i) {
    return mode.keep == Keep::NewFile ? std::string() : Saved(i % 2 == 0 ? kMidCone : kLargestCone);
  };
  const auto newOf = [&](int i) { return i % 2 == 0 ? kLargestCone : kMidCone; };
  if (const std::string why = folder.Make(oldOf(0)); !why.empty()) GTEST_SKIP() << why;
  const std::string lastPoint = mode.InPlace() ? "in-place-synced" : "renamed";
  const auto launchOf = [&](int i) {
    Launch launch = folder.Save(newOf(i), true);
    launch.env.push_back("KALMORO_STOP_AT=started," + lastPoint);
    return launch;
  };

  // The span of the save in microseconds, from its start to its last point, of three uninterrupted runs
  // for each of the two programs: the median of each.
  long long span[2] = {};
  for (int parity = 0; parity < 2; ++parity) {
    std::vector<long long> runs;
    for (int run = 0; run < 3; ++run) {
      ASSERT_EQ(folder.Make(oldOf(parity)), "");
      GenProcess save(launchOf(parity));
      ASSERT_TRUE(save.WaitForStop()) << "the save must stop as it begins";
      const auto start = std::chrono::steady_clock::now();
      ::kill(save.Pid(), SIGCONT);
      ASSERT_TRUE(save.WaitForStop()) << "the save must stop at " << lastPoint;
      runs.push_back(
          std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
              .count());
      ::kill(save.Pid(), SIGCONT);
      const RunResult r = save.Wait();
      ASSERT_EQ(r.status, 0) << r.err;
    }
    std::sort(runs.begin(), runs.end());
    span[parity] = std::max(runs[1], 1LL);
  }

  std::mt19937_64 random(20240611 + static_cast<unsigned>(mode.name.size()));
  Tally tally;
  int atLastPoint = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kills; ++i) {
    const std::string when = "run " + std::to_string(i + 1);
    const std::string old = oldOf(i);
    ASSERT_EQ(folder.Make(old), "");
    GenProcess save(launchOf(i));
    ASSERT_TRUE(save.WaitForStop()) << when << ": the save must stop as it begins";
    const long long delay = std::uniform_int_distribution<long long>(0, span[i % 2])(random);
    ::kill(save.Pid(), SIGCONT);
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    atLastPoint += Stopped(save.Pid()) ? 1 : 0;
    ::kill(save.Pid(), SIGKILL);
    const RunResult r = save.Wait();
    EXPECT_EQ(r.signal, SIGKILL) << when << ": the kill must land inside the save: " << r.err;
    const bool backup = !folder.Backups().empty();
    const Left left = ExpectWholeOrBackedUp(folder, old, Saved(newOf(i)), when);
    if (r.signal == SIGKILL)
      tally.Add(left, backup);
    else
      ++tally.finished;
    ExpectNextSaveCleansUp(folder, when);
    if (HasFailure()) break;
  }
  EXPECT_EQ(tally.old + tally.now + tally.mixed, kills) << "every kill must land inside its save";
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Report("killed at random, " + mode.name + " (a save lasts " + std::to_string(span[0] / 1000) + " or " +
             std::to_string(span[1] / 1000) + " ms; " + std::to_string(static_cast<int>(seconds)) +
             " s in all)",
         tally.Text() + "; at the save's last point " + std::to_string(atLastPoint));
}

INSTANTIATE_TEST_SUITE_P(SaveModes, KilledAtRandom, testing::ValuesIn(SaveModes()),
                         [](const testing::TestParamInfo<SaveMode>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------------
// Thirty saves in place in a row, each killed once its program is on disk and before its backup is
// removed, so that each leaves a backup of another program. The newest nine stay; the next save works,
// names them and says which one gave its name to that save's own backup.

class InterruptedThirtyTimes : public testing::TestWithParam<std::string> {};

TEST_P(InterruptedThirtyTimes, KeepsTheNewestNineBackupsAndTheNextSaveWorks) {
  const SaveMode& mode = ModeNamed(GetParam());
  ModeFolder folder(mode, "thirty-" + mode.name);
  if (const std::string why = folder.Make(Saved(kCircle)); !why.empty()) GTEST_SKIP() << why;
  constexpr int kSaves = 30;
  const auto program = [](int i) {
    return std::vector<std::string>{"circle", "--diameter", std::to_string(11 + i)};
  };
  for (int i = 0; i < kSaves; ++i) {
    Launch launch = folder.Save(program(i), true);
    launch.env.push_back("KALMORO_KILL_AT=in-place-synced");
    const RunResult r = Start(launch);
    ASSERT_EQ(r.signal, SIGKILL) << "save " << i + 1 << " must be killed: " << r.err;
    ASSERT_LE(folder.Backups().size(), 9u) << "after save " << i + 1 << ": at most nine backups";
  }
  // Save i backed up the program of save i - 1: the last nine hold those of saves 20 to 28.
  std::map<std::string, std::string> nameOf;
  for (const auto& [name, bytes] : folder.Backups()) nameOf[bytes] = name;
  std::vector<std::string> newestFirst;
  for (int i = kSaves - 2; i >= kSaves - 10; --i) {
    ASSERT_TRUE(nameOf.contains(Saved(program(i)))) << "a backup must hold the program of save " << i + 1;
    newestFirst.push_back(nameOf[Saved(program(i))]);
  }
  ASSERT_EQ(nameOf.size(), 9u);
  const std::string oldest = newestFirst.back();
  newestFirst.pop_back();

  const RunResult r = Start(folder.Save(kCircle));
  EXPECT_EQ(r.status, 0) << "the next save must work: " << r.err;
  std::string note = LeftNote(newestFirst);
  note.pop_back();
  EXPECT_EQ(r.err, note + " Самая старая резервная копия «" + oldest +
                       "» удалена: в одной папке хранится не больше 9 резервных копий файла, самые новые.\n")
      << "the save names the backups it keeps, newest first, and the one it removed";
  EXPECT_EQ(folder.Part(), Saved(kCircle));
  std::vector<std::string> kept;
  for (const auto& backup : folder.Backups()) kept.push_back(backup.first);
  std::sort(newestFirst.begin(), newestFirst.end());
  EXPECT_EQ(kept, newestFirst) << "the backups named stay";
  EXPECT_EQ(folder.Strays(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(SaveModes, InterruptedThirtyTimes,
                         testing::Values("InPlaceHardLink", "InPlaceFolderNotWritable"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// ---------------------------------------------------------------------------------------------------
// A save in place that finishes but cannot remove its backup (strace fails the calls with EIO): it
// exits 0 and says what became of the backup, and check and the next save take it for no interrupted
// save's.

struct StayingBackup {
  std::string name;
  std::string failing;  // the calls that fail
  std::string note;     // the save's note
  std::string stays;    // the name the old program stays under
};

void PrintTo(const StayingBackup& row, std::ostream* out) {
  *out << row.name;
}

const std::string kNotRemoved =
    "Файл «part.iso» сохранён, но резервную копию прежней программы удалить не удалось (ошибка "
    "ввода-вывода): ";

class FinishedSaveKeepsItsBackup : public testing::TestWithParam<StayingBackup> {};

TEST_P(FinishedSaveKeepsItsBackup, SaysSoAndIsNotTakenForAnInterruptedSave) {
  const StayingBackup& row = GetParam();
  ModeFolder folder(ModeNamed("InPlaceHardLink"), "staying-" + row.name);
  const std::string old = Saved(kSmallCone);
  ASSERT_EQ(folder.Make(old), "");
  Launch launch = folder.Save(kCircle);
  launch.wrapper = {"strace",
                    "-f",
                    "-qq",
                    "-o",
                    "/dev/null",
                    "-e",
                    "trace=" + row.failing,
                    "-e",
                    "inject=" + row.failing + ":error=EIO"};
  const RunResult saved = Start(launch);
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.err, row.note);
  EXPECT_EQ(folder.Part(), Saved(kCircle));
  EXPECT_EQ(ReadBytes(folder.Dir() / row.stays), old) << row.stays << " must hold the old program";

  const RunResult check = Start(folder.Run({"check", "part.iso"}));
  EXPECT_EQ(check.out.find("сохранение файла было прервано"), std::string::npos) << check.out;
  const RunResult next = Start(folder.Save(kCircle));
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_EQ(next.err, "") << "the next save names no interrupted save";
  EXPECT_EQ(folder.Backups().size() + folder.Strays().size(), 0u) << "the next save removes it";
}

INSTANTIATE_TEST_SUITE_P(
    Saving, FinishedSaveKeepsItsBackup,
    testing::Values(
        StayingBackup{"RemovalFails", "unlinkat",
                      kNotRemoved +
                          "она переименована в «part.iso.kalmoro-old», её удалит следующее сохранение "
                          "файла.\n",
                      "part.iso.kalmoro-old"},
        StayingBackup{
            "RemovalAndRenameFail", "unlinkat,renameat,renameat2",
            "Файл «part.iso» сохранён, но резервную копию прежней программы «part.iso.kalmoro-backup» "
            "удалить не удалось (ошибка ввода-вывода): она помечена как ненужная, её удалит следующее "
            "сохранение файла.\n",
            "part.iso.kalmoro-backup"}),
    [](const testing::TestParamInfo<StayingBackup>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------------
// Four saves of one name started at once, four programs of 1.36 to 1.39 MB: they take turns, every one
// exits 0 and says nothing, and the name holds one of the four whole.

class SavedAtOnce : public testing::TestWithParam<SaveMode> {};

TEST_P(SavedAtOnce, EveryRoundEndsWithOneWholeProgram) {
  const SaveMode& mode = GetParam();
  const int rounds = EnvCount("KALMORO_CONCURRENT_ROUNDS", 2);
  // Of nearly one size, so that they come to their saves together, yet of different lengths, so that a
  // save that does not cut the file would leave another program's tail.
  std::vector<std::vector<std::string>> programs;
  for (const char* diameter : {"869700", "860000", "850000", "840000"})
    programs.push_back({"cone", "--height", "10", "--lower", diameter, "--upper", diameter});
  ModeFolder folder(mode, "at-once-" + mode.name);
  const std::string old = mode.keep == Keep::NewFile ? "" : Saved({"rect"});
  if (const std::string why = folder.Make(old); !why.empty()) GTEST_SKIP() << why;

  std::map<std::size_t, int> won;  // the size of the program each round ended with
  for (int round = 0; round < rounds; ++round) {
    const std::string when = "round " + std::to_string(round + 1);
    ASSERT_EQ(folder.Make(old), "");
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    std::vector<std::unique_ptr<GenProcess>> savers;
    for (const auto& program : programs) {
      Launch launch = folder.Save(program);
      launch.gate = gate[0];
      savers.push_back(std::make_unique<GenProcess>(launch));
    }
    const std::string go(programs.size(), 'x');
    EXPECT_EQ(::write(gate[1], go.data(), go.size()), static_cast<ssize_t>(go.size()));
    ::close(gate[0]);
    ::close(gate[1]);
    for (const auto& saver : savers) {
      const RunResult r = saver->Wait();
      EXPECT_EQ(r.status, 0) << when << ": every saver must succeed: " << r.err;
      EXPECT_EQ(r.err, "") << when;
    }
    const std::optional<std::string> part = folder.Part();
    bool whole = false;
    for (const auto& program : programs) whole = whole || part == Saved(program);
    EXPECT_TRUE(whole) << when << ": part.iso must hold one of the programs whole, it holds "
                       << Describe(part);
    EXPECT_TRUE(folder.Backups().empty()) << when << ": no backup may outlive its save";
    EXPECT_EQ(folder.Strays(), std::vector<std::string>{}) << when << ": no temporary file may be left";
    EXPECT_TRUE(folder.LinksJoined()) << when;
    if (part) ++won[part->size()];
    if (HasFailure()) break;
  }
  std::string text = std::to_string(rounds) + " rounds of " + std::to_string(programs.size()) +
                     " saves; the program a round ended with, by size:";
  for (const auto& [size, count] : won) text += " " + std::to_string(size) + " B x" + std::to_string(count);
  Report("saved at once, " + mode.name, text);
}

INSTANTIATE_TEST_SUITE_P(SaveModes, SavedAtOnce, testing::ValuesIn(SaveModes()),
                         [](const testing::TestParamInfo<SaveMode>& info) { return info.param.name; });

}  // namespace
