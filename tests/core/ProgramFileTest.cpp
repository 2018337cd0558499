#include "save/ProgramFile.h"

#include "save/ProgramBackup.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace kalmoro {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramFileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("kalmoro-save-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
  }
  fs::path m_dir;
};

TEST(WithIsoExtension, AddedOnlyWhenMissing) {
  EXPECT_EQ(WithIsoExtension("part"), "part.iso");
  EXPECT_EQ(WithIsoExtension("part.iso"), "part.iso");
  EXPECT_EQ(WithIsoExtension("dir.iso/part"), "dir.iso/part.iso");
  EXPECT_EQ(WithIsoExtension("part.ISO"), "part.ISO.iso");
  EXPECT_EQ(WithIsoExtension("part.is"), "part.is.iso");
}

TEST(Cp1251Refusal, NamesTheCharacterAndWhatToDo) {
  EXPECT_EQ(
      Cp1251Refusal("\xE4\xB8\xAD"),
      "символ «\xE4\xB8\xAD» нельзя записать в кодировке Windows-1251. Удалите его из текста программы.");
  EXPECT_EQ(Cp1251Refusal("\xE2\x80\x8B", "U+200B"),
            "символ «\xE2\x80\x8B» (U+200B) нельзя записать в кодировке Windows-1251. Удалите его из текста "
            "программы.")
      << "a note stands in parentheses after the character";
}

TEST_F(ProgramFileTest, SaveAddsExtensionAndLineEnd) {
  const SaveResult saved = SaveProgramFile((m_dir / "part").string(), "N13M02\r\n");
  EXPECT_EQ(saved.kind, SaveResult::Kind::Saved) << saved.message;
  EXPECT_EQ(saved.message, "");
  EXPECT_EQ(saved.path, (m_dir / "part.iso").string());
  EXPECT_EQ(ReadBytes(m_dir / "part.iso"), "N13M02\r\n\r\n");
  EXPECT_TRUE(SaveProgramFile((m_dir / "empty.iso").string(), "").Saved());
  EXPECT_EQ(ReadBytes(m_dir / "empty.iso"), "\r\n");
  EXPECT_EQ(FilesInDir(), 2u) << "no temporary file may be left behind";
}

TEST_F(ProgramFileTest, ReplacesAnExistingFileWhole) {
  const fs::path path = m_dir / "part.iso";
  std::ofstream(path) << std::string(1000, 'x');
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(SaveProgramFile(path.string(), "short").Saved());
  EXPECT_EQ(ReadBytes(path), "short\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProgramFileTest, FailuresAreReportedAndWriteNothing) {
  const fs::path missing = m_dir / "no-such-folder" / "part";
  const SaveResult error = SaveProgramFile(missing.string(), "N1");
  ASSERT_EQ(error.kind, SaveResult::Kind::Failed);
  EXPECT_NE(error.message.find((m_dir / "no-such-folder" / "part.iso").string()), std::string::npos)
      << error.message;
  EXPECT_NE(error.message.find("папка не найдена"), std::string::npos) << error.message;

  fs::create_directory(m_dir / "taken.iso");
  EXPECT_EQ(SaveProgramFile((m_dir / "taken").string(), "N1").kind, SaveResult::Kind::Failed);
  EXPECT_TRUE(fs::is_directory(m_dir / "taken.iso"));

  const fs::path kept = m_dir / "kept.iso";
  std::ofstream(kept) << "old";
  const SaveResult emoji = SaveProgramFile(kept.string(), "N1 \xF0\x9F\x98\x80");
  ASSERT_EQ(emoji.kind, SaveResult::Kind::Failed);
  EXPECT_EQ(emoji.message, "Файл «" + kept.string() + "» не сохранён: " + Cp1251Refusal("\xF0\x9F\x98\x80"));
  EXPECT_EQ(ReadBytes(kept), "old");
  EXPECT_EQ(FilesInDir(), 2u);
}

// The backups the window offers when it opens a file: only those of interrupted saves, newest first,
// none that holds what the file or a newer backup holds, none a finished save left. Nothing is removed
// until a save; restoring the newest puts its bytes in the file and makes the next one the newest.
TEST_F(ProgramFileTest, FindBackupsNamesInterruptedSavesNewestFirst) {
  ::setenv("XDG_STATE_HOME", (m_dir / "state").c_str(), 1);
  const fs::path part = m_dir / "part.iso";
  std::ofstream(part) << "now";
  struct Made {
    const char* name;
    const char* bytes;
    int age;  // seconds
  };
  const Made made[] = {
      {"part.iso.kalmoro-backup", "older", 40},     // holds what -4, a newer one, holds
      {"part.iso.kalmoro-backup-2", "now", 30},     // holds what the file holds
      {"part.iso.kalmoro-backup-3", "newest", 10},  //
      {"part.iso.kalmoro-backup-4", "older", 20},   //
      {"part.iso.kalmoro-backup-5", "done", 5},     // marked by a finished save
      {"part.iso.kalmoro-old", "outdated", 1},      // renamed by a finished save
  };
  for (const Made& m : made) {
    const fs::path path = m_dir / m.name;
    std::ofstream(path) << m.bytes;
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - m.age, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  if (::setxattr((m_dir / made[4].name).c_str(), "user.kalmoro-finished", "1", 1, 0) != 0)
    GTEST_SKIP() << "the file system of " << m_dir << " keeps no user extended attributes";

  const std::string newest = (m_dir / made[2].name).string();
  const std::string older = (m_dir / made[3].name).string();
  EXPECT_EQ(FindBackups(part.string()), (std::vector<std::string>{newest, older}));
  EXPECT_EQ(FilesInDir(), 7u) << "looking removes nothing";

  const SaveResult restored = RestoreBackup(part.string(), newest);
  EXPECT_TRUE(restored.Saved()) << restored.message;
  EXPECT_EQ(ReadBytes(part), "newest");
  EXPECT_EQ(FindBackups(part.string()), std::vector<std::string>{older});
  EXPECT_EQ(FilesInDir(), 2u) << "the save removes the backup restored and those that are no news";
  ::unsetenv("XDG_STATE_HOME");
}

// Saving over what a folder holds, one row per way a replace can surprise: the entries before, who
// saves and how, the result, and every entry after (bytes, owner, mode, links), with nothing else left.
constexpr uid_t kMe = static_cast<uid_t>(-1);  // the test's own user and group
constexpr uid_t kOwner = 4242;
constexpr uid_t kColleague = 4244;  // in the group kTeam besides their own
constexpr gid_t kTeam = 4243;
const std::string kOld = "old program\r\n";
const std::string kText = "N1G01X1.000Y2.000\r\nN2M02\r\n";
const std::string kNew = kText + "\r\n";
const std::string kLongName = [] {
  std::string name;
  for (int i = 0; i < 125; ++i) name += "п";
  return name + "x";  // 251 bytes, 255 with ".iso"
}();

struct Entry {
  enum Kind { File, Dir, Symlink, HardLink, Fifo } kind;
  std::string name;
  std::string data;  // file bytes, link target, or the entry a hard link shares its file with
  mode_t mode = 0644;
  uid_t uid = kMe;
  gid_t gid = kMe;
  bool attribute = false;  // carries the extended attribute "user.kalmoro"
};

struct SaveRow {
  std::string name;
  std::vector<Entry> before;
  std::string save;  // the name given, in the folder
  uid_t as = kMe;
  ReadOnlyFile readOnly = ReadOnlyFile::Refuse;
  rlim_t fileSizeLimit = 0;  // none when 0
  SaveResult::Kind kind = SaveResult::Kind::Saved;
  std::string message;  // exact; "@" stands for the folder
  std::vector<Entry> after;
  bool stateFolder = true;  // the saver has a state folder for backups; else it cannot make one
};

void PrintTo(const SaveRow& row, std::ostream* out) {
  *out << row.name;
}

uid_t Id(uid_t id, uid_t mine) {
  return id == kMe ? mine : id;
}

std::vector<SaveRow> SaveRows() {
  using K = SaveResult::Kind;
  using E = Entry;
  const std::string failed = "Не удалось сохранить файл «@/part.iso»: ";
  const std::string notWritten = "Не удалось записать файл «@/part.iso»: ";
  const E old{E::File, "part.iso", kOld};
  const E saved{E::File, "part.iso", kNew};
  const E shared{E::File, "part.iso", kOld, 0664, kOwner, kTeam};
  const E owners{E::File, "part.iso", kOld, 0644, kOwner, kOwner};
  const E link{E::HardLink, "other.iso", "part.iso"};
  const E sub{E::Dir, "sub", "", 0755};
  const E backup{E::File, "part.iso.kalmoro-backup", kOld};
  auto with = [](E e, std::string data, mode_t mode) {
    e.data = std::move(data);
    e.mode = mode;
    return e;
  };
  auto in = [](const std::string& dir, E e) {
    e.name = dir + "/" + e.name;
    return e;
  };
  const Entry ro{E::Dir, "ro", "", 0555};
  const Entry pub{E::Dir, "pub", "", 01777};
  // clang-format off
  return {
      {"RootKeepsOwnerGroupAndMode", {with(shared, kOld, 0640)}, "part", kMe, {}, 0, K::Saved, "",
       {with(shared, kNew, 0640)}},
      {"SetuidAndSetgidAreDropped", {with(old, kOld, 06755)}, "part", kMe, {}, 0, K::Saved, "",
       {with(saved, kNew, 0755)}},
      {"ColleagueKeepsOwnerOfSharedFile", {shared}, "part", kColleague, {}, 0, K::Saved, "",
       {with(shared, kNew, 0664)}},
      {"SymlinkWritesTheRealFile", {sub, in("sub", old), {E::Symlink, "part.iso", "sub/part.iso"}}, "part", kMe,
       {}, 0, K::Saved, "", {sub, in("sub", saved), {E::Symlink, "part.iso", "sub/part.iso"}}},
      {"DanglingSymlinkCreatesItsTarget", {{E::Symlink, "part.iso", "made.iso"}}, "part", kMe, {}, 0, K::Saved,
       "", {{E::Symlink, "part.iso", "made.iso"}, {E::File, "made.iso", kNew}}},
      {"StrangersSymlinkInStickyFolderIsNotFollowed",
       {pub, old, {E::Symlink, "pub/part.iso", "../part.iso", 0, kOwner, kOwner}}, "pub/part", kMe, {}, 0,
       K::Failed, "Не удалось сохранить файл «@/pub/part.iso»: это ссылка другого пользователя в общей папке.",
       {pub, old, {E::Symlink, "pub/part.iso", "../part.iso"}}},
      {"HardLinksStayJoined", {with(old, kOld, 04750), link}, "part", kMe, {}, 0, K::Saved, "",
       {with(saved, kNew, 0750), link}},
      {"ReadOnlyFileIsRefused", {with(old, kOld, 0444)}, "part", kMe, {}, 0, K::ReadOnly,
       "Файл «@/part.iso» доступен только для чтения", {with(old, kOld, 0444)}},
      {"ReadOnlyFileIsReplacedWhenAsked", {with(old, kOld, 0444)}, "part", kMe, ReadOnlyFile::Replace, 0,
       K::Saved, "", {with(saved, kNew, 0444)}},
      {"AnotherUsersFileIsReadOnlyToColleague", {owners}, "part", kColleague, {}, 0, K::ReadOnly,
       "Файл «@/part.iso» доступен только для чтения", {owners}},
      {"ReplacingAnotherUsersFileSaysOwnerChanged", {owners}, "part", kColleague, ReadOnlyFile::Replace, 0,
       K::Saved, "Файл «@/part.iso» сохранён как новый файл. Владелец и группа файла изменились: были "
       "4242:4242, стали 4244:4244.", {{E::File, "part.iso", kNew, 0644, kColleague, kColleague}}},
      {"FolderNotWritableFileWrittenInPlace", {ro, in("ro", with(shared, kOld, 0666))}, "ro/part", kColleague,
       {}, 0, K::Saved, "", {ro, in("ro", with(shared, kNew, 0666))}},
      {"StickyFolderFileWrittenInPlace", {pub, in("pub", with(shared, kOld, 0666))}, "pub/part", kColleague,
       {}, 0, K::Saved, "", {pub, in("pub", with(shared, kNew, 0666))}},
      {"NameEndingInSlashIsRefused", {sub}, "sub/", kMe, {}, 0, K::Failed,
       "Не удалось сохранить программу: в «@/sub/» не указано имя файла.", {sub}},
      {"NameOnlyIsoIsRefused", {}, ".iso", kMe, {}, 0, K::Failed,
       "Не удалось сохранить программу: в «@/.iso» не указано имя файла.", {}},
      {"NameDotIsRefused", {sub}, "sub/.", kMe, {}, 0, K::Failed,
       "Не удалось сохранить программу: в «@/sub/.» не указано имя файла.", {sub}},
      {"FileSizeLimitKeepsOldFile", {old}, "part", kMe, {}, 8, K::Failed,
       notWritten + "превышен допустимый размер файла.", {old}},
      {"FileSizeLimitInPlacePutsOldBytesBack", {old, link}, "part", kMe, {}, 16, K::Failed,
       notWritten + "превышен допустимый размер файла.", {old, link}},
      {"FileSizeLimitBelowTheBackupLeavesTheFileUntouched", {old, link}, "part", kMe, {}, 8, K::Failed,
       "Не удалось сделать резервную копию файла «@/part.iso»: превышен допустимый размер файла. Файл не изменён.",
       {old, link}},
      {"FolderNotWritableAndNoStateFolderRefusesTheInPlaceWrite", {ro, in("ro", with(shared, kOld, 0666))},
       "ro/part", kColleague, {}, 0, K::Failed,
       "Не удалось сделать резервную копию файла «@/ro/part.iso»: нет прав на запись в папку. Файл не изменён.",
       {ro, in("ro", with(shared, kOld, 0666))}, false},
      {"BackupOfAnInterruptedSaveIsNamedAndKept", {old, link, {E::File, backup.name, "older\r\n"}}, "part", kMe, {},
       0, K::Saved, "Прошлое сохранение файла «@/part.iso» было прервано: прежняя программа осталась в резервной "
       "копии «@/part.iso.kalmoro-backup».", {saved, link, {E::File, backup.name, "older\r\n"}}},
      {"BackupThatHoldsWhatTheFileHoldsIsRemoved", {old, link, backup}, "part", kMe, {}, 0, K::Saved, "",
       {saved, link}},
      {"StaleTemporariesOfEndedSavesAreRemoved",
       {old, {E::File, ".kalmoro-2147483000-abc123.tmp", "x"}, {E::File, ".kalmoro-1-abc123.tmp", "y"},
        {E::File, ".kalmoro-abc123de", "z"}, {E::File, ".kalmoro-2147483000-abc123.tmp~", "w"}}, "part", kMe, {}, 0,
       K::Saved, "", {saved, {E::File, ".kalmoro-1-abc123.tmp", "y"}, {E::File, ".kalmoro-abc123de", "z"},
       {E::File, ".kalmoro-2147483000-abc123.tmp~", "w"}}},
      {"NameOf255BytesIsSaved", {}, kLongName, kMe, {}, 0, K::Saved, "", {{E::File, kLongName + ".iso", kNew}}},
      {"NameTooLongForTheFileSystem", {}, kLongName + "y", kMe, {}, 0, K::Failed,
       "Не удалось сохранить файл «@/" + kLongName + "y.iso»: слишком длинное имя.", {}},
      {"ExtendedAttributesAreKept", {{E::File, "part.iso", kOld, 0644, kMe, kMe, true}}, "part", kMe, {}, 0,
       K::Saved, "", {{E::File, "part.iso", kNew, 0644, kMe, kMe, true}}},
      {"PipeIsRefused", {{E::Fifo, "part.iso", ""}}, "part", kMe, {}, 0, K::Failed,
       failed + "это не обычный файл.", {{E::Fifo, "part.iso", ""}}},
  };
  // clang-format on
}

std::string Replace(std::string text, const std::string& at) {
  for (std::size_t i = text.find('@'); i != std::string::npos; i = text.find('@', i + at.size()))
    text.replace(i, 1, at);
  return text;
}

class SaveOverFiles : public testing::TestWithParam<SaveRow> {
 protected:
  void SetUp() override {
    m_dir =
        fs::temp_directory_path() / ("kalmoro-over-" + std::to_string(::getpid()) + "-" + GetParam().name);
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    fs::permissions(m_dir, fs::perms::all);  // others may save here unless a row says otherwise
    // The savers' state folder, where backups of files in folders they may not write go.
    m_state = m_dir.string() + "-state";
    fs::remove_all(m_state);
    fs::create_directories(m_state);
    fs::permissions(m_state, fs::perms::all | fs::perms::sticky_bit);
  }
  void TearDown() override {
    for (const auto& e : GetParam().before) {
      if (e.kind == Entry::Dir) fs::permissions(m_dir / e.name, fs::perms::owner_all, fs::perm_options::add);
    }
    fs::remove_all(m_dir);
    fs::remove_all(m_state);
  }

  // Returns false, with the reason in why, when the entry needs what this machine lacks.
  bool Make(const Entry& e, std::string& why) const {
    const fs::path p = m_dir / e.name;
    if (e.kind == Entry::File) std::ofstream(p, std::ios::binary) << e.data;
    if (e.kind == Entry::Dir) fs::create_directory(p);
    if (e.kind == Entry::Symlink) fs::create_symlink(e.data, p);
    if (e.kind == Entry::HardLink) {
      fs::create_hard_link(m_dir / e.data, p);
      return true;
    }
    if (e.kind == Entry::Fifo) ::mkfifo(p.c_str(), 0644);
    if (::lchown(p.c_str(), Id(e.uid, ::geteuid()), Id(e.gid, ::getegid())) != 0) {
      why = "needs root to give files to other users";
      return false;
    }
    if (e.kind != Entry::Symlink && e.kind != Entry::Dir) fs::permissions(p, static_cast<fs::perms>(e.mode));
    if (e.attribute && ::setxattr(p.c_str(), "user.kalmoro", "1", 1, 0) != 0) {
      why = "the file system of " + m_dir.string() + " keeps no user extended attributes";
      return false;
    }
    return true;
  }

  void Expect(const Entry& e) const {
    const fs::path p = m_dir / e.name;
    struct stat st {};
    ASSERT_EQ(::lstat(p.c_str(), &st), 0) << e.name << " must still be there";
    if (e.kind == Entry::Symlink) {
      EXPECT_EQ(fs::read_symlink(p), e.data) << e.name << " must stay a link to " << e.data;
      return;
    }
    if (e.kind == Entry::HardLink) {
      struct stat shared {};
      ASSERT_EQ(::stat((m_dir / e.data).c_str(), &shared), 0);
      EXPECT_EQ(st.st_ino, shared.st_ino) << e.name << " must stay the same file as " << e.data;
      return;
    }
    if (e.kind == Entry::File) {
      EXPECT_EQ(ReadBytes(p), e.data) << "bytes of " << e.name;
    }
    EXPECT_EQ(st.st_mode & 07777, e.mode) << "mode of " << e.name;
    EXPECT_EQ(st.st_uid, Id(e.uid, ::geteuid())) << "owner of " << e.name;
    EXPECT_EQ(st.st_gid, Id(e.gid, ::getegid())) << "group of " << e.name;
    EXPECT_EQ(::getxattr(p.c_str(), "user.kalmoro", nullptr, 0) == 1, e.attribute)
        << "attribute of " << e.name;
  }

  fs::path m_dir;
  fs::path m_state;
};

// The save runs in a child process: it may act as another user and have a file-size limit.
TEST_P(SaveOverFiles, ReplacesAsACarefulEditorDoes) {
  const SaveRow& row = GetParam();
  std::string why;
  for (const auto& e : row.before) {
    if (!Make(e, why)) GTEST_SKIP() << why;
  }
  for (const auto& e : row.before) {
    if (e.kind == Entry::Dir) fs::permissions(m_dir / e.name, static_cast<fs::perms>(e.mode));
  }
  if (row.as != kMe && ::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";

  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    ::umask(022);
    const gid_t team[] = {kTeam};
    if (row.as != kMe && (::setgroups(1, team) != 0 || ::setresgid(row.as, row.as, row.as) != 0 ||
                          ::setresuid(row.as, row.as, row.as) != 0))
      ::_exit(3);
    const rlimit limit{row.fileSizeLimit, row.fileSizeLimit};
    if (row.fileSizeLimit != 0) ::setrlimit(RLIMIT_FSIZE, &limit);
    const fs::path state = row.stateFolder ? m_state : m_dir / "ro" / "state";
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    const SaveResult r = SaveProgramFile((m_dir / row.save).string(), kText, row.readOnly);
    const std::string report = static_cast<char>('0' + static_cast<int>(r.kind)) + r.message;
    ::_exit(::write(pipeFds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 4);
  }
  ::close(pipeFds[1]);
  std::string report;
  char buf[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
    report.append(buf, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot act as another user here";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the save must return, not end the process (signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
      << ")";

  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report[0] - '0', static_cast<int>(row.kind)) << "result kind; message: " << report.substr(1);
  EXPECT_EQ(report.substr(1), Replace(row.message, m_dir.string()));
  std::set<std::string> expected;
  for (const auto& e : row.after) {
    Expect(e);
    expected.insert(e.name);
  }
  std::set<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(m_dir))
    found.insert(entry.path().lexically_relative(m_dir).string());
  EXPECT_EQ(found, expected) << "the folder must hold these entries and no temporary file";
  std::set<std::string> backups;
  for (const auto& entry : fs::recursive_directory_iterator(m_state))
    if (!entry.is_directory()) backups.insert(entry.path().string());
  EXPECT_EQ(backups, std::set<std::string>{}) << "a backup in the state folder must not outlive its save";
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveOverFiles, testing::ValuesIn(SaveRows()),
                         [](const testing::TestParamInfo<SaveRow>& info) { return info.param.name; });

}  // namespace
}  // namespace kalmoro
