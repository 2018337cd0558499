#include "save/FileReplace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <optional>
#include <vector>

#include "BackupPlaces.h"
#include "HookPoints.h"
#include "Restoring.h"
#include "SaveUndo.h"
#include "TempFile.h"
#include "UniqueFd.h"
#include "save/ErrnoText.h"
#include "save/SaveHooks.h"

namespace kalmoro {
namespace {

// errno-like codes of this file, besides the system's and kUseNamedTemp.
constexpr int kNotRegularFile = -1;  // a device, pipe or socket has the name
constexpr int kForeignLink = -3;     // a stranger's link in a shared sticky folder
constexpr int kLockBusy = -4;        // another save holds the file for longer than kLockWaitNs
constexpr int kMaxSymlinks = 40;
constexpr int kLockRetries = 20;  // the file replaced by the save that held the lock, found again
constexpr long long kLockWaitNs = 10'000'000'000LL;
constexpr long kLockPollMaxNs = 50'000'000L;

SaveHooks g_hooks;

std::string Number(long long value) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string Reason(int error, FileStep step) {
  switch (error) {
    case kNotRegularFile:
      return "это не обычный файл";
    case kForeignLink:
      return "это ссылка другого пользователя в общей папке";
    case kLockBusy:
      return "файл сейчас сохраняет другая программа";
    default:
      return ErrnoReason(error, step);
  }
}

std::string Joined(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  return second.empty() ? first : first + " " + second;
}

// Marks a save in progress for the signal handlers while it lives.
class SaveInProgress {
 public:
  SaveInProgress() {
    const SignalBlock block = BlockInterrupts();
    MarkSaveStarted();
  }
  SaveInProgress(const SaveInProgress&) = delete;
  SaveInProgress& operator=(const SaveInProgress&) = delete;
  ~SaveInProgress() { MarkSaveEnded(); }
};

// The file a save writes: the folder that holds it, open, and its name there; links followed.
struct Target {
  std::string dirPath;
  std::string base;
  UniqueFd dir;
  bool dirSyncable = false;  // opened for reading, which fsync needs
  struct stat dirStat {};
  bool exists = false;
  struct stat stat {};
  UniqueFd file;              // the existing file, open and locked for the save
  bool fileWritable = false;  // opened for writing
};

int OpenFolder(Target& t) {
  int fd = ::open(t.dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  t.dirSyncable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = ::open(t.dirPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  t.dir.Reset(fd);
  return ::fstat(fd, &t.dirStat) == 0 ? 0 : errno;
}

// A link in a sticky world-writable folder (/tmp) is followed only when it belongs to the saver or to
// the folder's owner, as the kernel's protected_symlinks does: a stranger's link there could aim a
// privileged save at any file.
bool MayFollow(const struct stat& dir, const struct stat& link) {
  if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
  return link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

int ResolveTarget(std::string path, Target& t) {
  for (int hops = 0;; ++hops) {
    const std::size_t slash = path.rfind('/');
    t.dirPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    t.base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (t.base.empty() || t.base == "." || t.base == "..") return EISDIR;
    if (const int error = OpenFolder(t)) return error;
    if (::fstatat(t.dir.Get(), t.base.c_str(), &t.stat, AT_SYMLINK_NOFOLLOW) != 0) {
      t.exists = false;
      return errno == ENOENT ? 0 : errno;
    }
    t.exists = true;
    if (!S_ISLNK(t.stat.st_mode)) return 0;
    if (hops == kMaxSymlinks) return ELOOP;
    if (!MayFollow(t.dirStat, t.stat)) return kForeignLink;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(t.dir.Get(), t.base.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<std::size_t>(n));
    path = link.starts_with('/') ? link : t.dirPath + "/" + link;
  }
}

long long Elapsed(const timespec& since) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - since.tv_sec) * 1'000'000'000LL + (now.tv_nsec - since.tv_nsec);
}

// Waits for the lock of the file, at most kLockWaitNs. A file system without locks does without.
int WaitForLock(int fd) {
  timespec start{};
  ::clock_gettime(CLOCK_MONOTONIC, &start);
  timespec pause{0, 1'000'000L};
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return 0;
    if (Elapsed(start) > kLockWaitNs) return kLockBusy;
    ::nanosleep(&pause, nullptr);
    pause.tv_nsec = std::min(pause.tv_nsec * 2, kLockPollMaxNs);
  }
}

// Resolves the name and, when it is an existing file, opens and locks that file for the length of the
// save, so that saves of it (through any of its names) take turns. A save that held the lock may have
// put a new file in place meanwhile: then the name is resolved again.
int ResolveAndLock(const std::string& path, Target& t) {
  for (int attempt = 0;; ++attempt) {
    t = Target{};
    if (const int error = ResolveTarget(path, t)) return error;
    if (!t.exists || !S_ISREG(t.stat.st_mode)) return 0;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::openat(t.dir.Get(), t.base.c_str(), O_RDWR | kFlags);
    t.fileWritable = fd >= 0;
    if (fd < 0) fd = ::openat(t.dir.Get(), t.base.c_str(), O_RDONLY | kFlags);
    if (fd < 0) return 0;  // neither readable nor writable by the saver: replaced unlocked, if at all
    t.file.Reset(fd);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (const int error = WaitForLock(fd)) return error;
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd, &locked) != 0) return errno;
    if (::fstatat(t.dir.Get(), t.base.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == locked.st_dev && named.st_ino == locked.st_ino) {
      t.stat = named;
      PauseAt(SaveHooks::Stage::Locked);
      return 0;
    }
    if (attempt == kLockRetries) return kLockBusy;
  }
}

bool InGroup(gid_t gid) {
  if (gid == ::getegid()) return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
  for (int i = 0; i < n; ++i) {
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  }
  return false;
}

bool CanGiveOwner(const struct stat& st) {
  const uid_t me = ::geteuid();
  return me == 0 || (st.st_uid == me && InGroup(st.st_gid));
}

// Extended attributes a new file would not get: ACLs, user attributes. Labels under "security." are
// given to every new file by the system's policy.
bool HasOwnAttributes(const Target& t) {
  const std::string path = t.dirPath + "/" + t.base;
  const ssize_t size = ::llistxattr(path.c_str(), nullptr, 0);
  if (size <= 0) return false;
  std::string names(static_cast<std::size_t>(size), '\0');
  const ssize_t n = ::llistxattr(path.c_str(), names.data(), names.size());
  if (n < 0) return true;  // changed meanwhile: keep the file to be safe
  names.resize(static_cast<std::size_t>(n));
  for (std::size_t at = 0; at < names.size();) {
    if (names.compare(at, 9, "security.") != 0) return true;
    const std::size_t end = names.find('\0', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return false;
}

// A rename in a sticky folder needs the saver to own the file or the folder.
bool StickyForbidsRename(const Target& t) {
  const uid_t me = ::geteuid();
  return (t.dirStat.st_mode & S_ISVTX) != 0 && me != 0 && t.stat.st_uid != me && t.dirStat.st_uid != me;
}

// Gives the new file the old one's owner, group and mode (without setuid/setgid). A file system that
// changes none of them (FAT through FUSE answers ENOSYS) fails the save only when the new file does not
// have the mode already; an owner the saver cannot give is said by the Saved result (LossNote).
int KeepOwnerAndMode(int fd, const struct stat& old) {
  // The owner first: a change of owner would clear the mode's special bits.
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Neither owner nor group can be given: the file keeps the saver's, as a new file would.
  }
  const mode_t mode = old.st_mode & 0777;
  if (::fchmod(fd, mode) == 0) return 0;
  const int error = errno;
  struct stat now {};
  return ::fstat(fd, &now) == 0 && (now.st_mode & 07777) == mode ? 0 : error;
}

// How the save went, beyond the errno value.
struct Outcome {
  bool readOnly = false;                  // refused as read-only
  bool restored = true;                   // an in-place failure left the old bytes
  bool replaced = false;                  // a new file took the place of an existing one
  bool attributes = false;                // the existing one had extended attributes of its own
  bool backupFailed = false;              // the error is the backup's: the file is untouched
  FileStep step = FileStep::OpenToWrite;  // the step that failed
  std::string keptBackup;                 // the old bytes could not be put back: the backup that holds them
  int folderNotSynced = 0;                // the errno value of the folder's fsync after the rename
  std::vector<std::string> left;          // backups interrupted saves left
  BackupPlaces::Removal removal;          // the backup of a save in place, once the new program is on disk
  struct stat made {};                    // the new file

  int Fail(FileStep failed, int error) {
    step = failed;
    return error;
  }
};

// Writes bytes to a new file in the target's folder and puts it in place of the old one in one step:
// the old program stays whole until the new one is complete and on disk.
int WriteReplacement(const Target& t, std::string_view bytes, bool namedOnly, Outcome& out) {
  // The old mode (the umask applies, so never wider), or for a new file the umask and default ACL.
  const mode_t createMode = t.exists ? t.stat.st_mode & 0777 : 0666;
  TempFile temp;
  if (const int error = temp.Create(t.dir.Get(), createMode, namedOnly))
    return out.Fail(FileStep::Create, error);
  if (const int error = PWriteAll(temp.Fd(), bytes, 0)) return out.Fail(FileStep::Write, error);
  if (t.exists) {
    if (const int error = KeepOwnerAndMode(temp.Fd(), t.stat)) return out.Fail(FileStep::KeepMode, error);
  }
  if (::fsync(temp.Fd()) != 0 || ::fstat(temp.Fd(), &out.made) != 0) return out.Fail(FileStep::Sync, errno);
  PauseAt(SaveHooks::Stage::TempWritten);
  {
    const SignalBlock block = BlockInterrupts();
    // An unnamed file for a new name is linked there at once, unless another save just made it.
    int error = t.exists || namedOnly ? EEXIST : temp.Link(t.base);
    if (error == EEXIST) error = temp.Replace(t.base);
    if (error) return out.Fail(FileStep::Replace, error);
    MarkCommitted();
    PauseAt(SaveHooks::Stage::Renamed);
  }
  if (t.dirSyncable && ::fsync(t.dir.Get()) != 0 && errno != EINVAL) out.folderNotSynced = errno;
  return 0;
}

int WriteThroughNewFile(const Target& t, std::string_view bytes, Outcome& out) {
  int error = kUseNamedTemp;
  if (!NamedTempOnly()) error = WriteReplacement(t, bytes, false, out);
  if (error == kUseNamedTemp) error = WriteReplacement(t, bytes, true, out);
  out.replaced = error == 0 && t.exists;
  return error;
}

// Writes the new bytes over the old ones in the same file, so that its other names, owner, group and
// attributes stay. A whole copy of the old program is kept in a backup, synced before the file is
// touched and removed once the new bytes are on disk; the old bytes are also kept in memory and put
// back on failure (restored is set when that worked) or on an interrupting signal.
int WriteInPlace(const Target& t, std::string_view bytes, BackupPlaces& backups, Outcome& out) {
  out.step = FileStep::OpenToWrite;
  UniqueFd own;
  int fd = t.fileWritable ? t.file.Get() : -1;
  if (fd < 0) {
    own.Reset(::openat(t.dir.Get(), t.base.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!own) return errno;
    fd = own.Get();
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotRegularFile;
  std::string old;
  if (const int error = ReadWhole(fd, old)) return out.Fail(FileStep::Read, error);
  if (const int error = backups.Write(old, st)) {
    out.backupFailed = true;
    return out.Fail(backups.FailedStep(), error);
  }
  PauseAt(SaveHooks::Stage::BackupWritten);

  const InPlaceUndo undo{fd, old, bytes.size()};
  {
    const SignalBlock block = BlockInterrupts();
    MarkInPlace(&undo);
  }
  int error = out.Fail(FileStep::Write, PWriteAll(fd, bytes, 0));
  if (!error) PauseAt(SaveHooks::Stage::InPlaceWritten);
  // Always cut to the new length: whatever lies beyond it is not this program.
  if (!error && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
    error = out.Fail(FileStep::Truncate, errno);
  if (!error) PauseAt(SaveHooks::Stage::InPlaceTruncated);
  // The kernel drops setuid/setgid on a write by anyone but root; drop them for root too.
  if (!error && (st.st_mode & (S_ISUID | S_ISGID)) != 0) ::fchmod(fd, st.st_mode & 0777);
  if (!error && ::fsync(fd) != 0) error = out.Fail(FileStep::Sync, errno);
  if (error) {
    out.restored = RestoreInPlace(undo);
    const SignalBlock block = BlockInterrupts();
    ClearSaveUndo();
    // Without the old bytes back, the backup is the one whole copy of the old program: it stays.
    if (out.restored)
      backups.Remove();
    else
      out.keptBackup = backups.Shown();
    return error;
  }
  {
    const SignalBlock block = BlockInterrupts();
    MarkCommitted();
  }
  PauseAt(SaveHooks::Stage::InPlaceSynced);
  out.removal = backups.RemoveFinished();
  return 0;
}

int Write(const Target& t, std::string_view bytes, ReadOnlyFile readOnly, BackupPlaces& backups,
          Outcome& out) {
  if (!t.exists) return WriteThroughNewFile(t, bytes, out);
  if (S_ISDIR(t.stat.st_mode)) return EISDIR;
  if (!S_ISREG(t.stat.st_mode)) return kNotRegularFile;
  const int dir = t.dir.Get();
  const bool writable = ::faccessat(dir, t.base.c_str(), W_OK, AT_EACCESS) == 0;
  if (!writable && errno != EACCES) return errno;
  // Root may write anything; a file without any write bit is read-only to it as well.
  if ((!writable || (t.stat.st_mode & 0222) == 0) && readOnly == ReadOnlyFile::Refuse) {
    out.readOnly = true;
    return 0;
  }
  const bool renameAllowed = ::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) == 0 && !StickyForbidsRename(t);
  out.attributes = HasOwnAttributes(t);
  const bool keepFile = t.stat.st_nlink > 1 || !CanGiveOwner(t.stat) || out.attributes;
  if (writable && (keepFile || !renameAllowed)) return WriteInPlace(t, bytes, backups, out);
  const int error = WriteThroughNewFile(t, bytes, out);
  if (writable && (error == EACCES || error == EPERM)) return WriteInPlace(t, bytes, backups, out);
  return error;
}

// What a forced replacement of a read-only file could not keep.
std::string LossNote(const std::string& path, const Target& t, const Outcome& out) {
  std::string lost;
  if (out.made.st_uid != t.stat.st_uid || out.made.st_gid != t.stat.st_gid) {
    lost += " Владелец и группа файла изменились: были " + Number(t.stat.st_uid) + ":" +
            Number(t.stat.st_gid) + ", стали " + Number(out.made.st_uid) + ":" + Number(out.made.st_gid) +
            ".";
  }
  if (t.stat.st_nlink > 1)
    lost += " Другие имена файла (жёсткие ссылки) по-прежнему ведут к старой программе.";
  if (out.attributes) lost += " Расширенные атрибуты файла (списки доступа) не перенесены.";
  return lost.empty() ? lost : "Файл «" + path + "» сохранён как новый файл." + lost;
}

// Names the backups that interrupted saves of the file left and those removed to make room.
std::string LeftNote(const std::string& path, std::vector<std::string> left,
                     const std::vector<std::string>& removed) {
  std::string names;
  std::erase_if(left,
                [&](const std::string& name) { return std::ranges::find(removed, name) != removed.end(); });
  for (const std::string& name : left) names += (names.empty() ? "«" : ", «") + name + "»";
  std::string note;
  if (!left.empty()) {
    note = "Прошлое сохранение файла «" + path + "» было прервано: прежняя программа осталась в " +
           (left.size() == 1 ? "резервной копии " : "резервных копиях ") + names + ".";
  }
  for (const std::string& name : removed) {
    std::string sentence = "Самая старая резервная копия «";
    sentence += name;
    sentence += "» удалена: в одной папке хранится не больше 9 резервных копий файла, самые новые.";
    note = Joined(note, sentence);
  }
  return note;
}

// The step of a save that failed, with the file's name.
std::string FailedStep(const std::string& path, const Target& t, const Outcome& out) {
  const std::string file = "«" + path + "»";
  if (out.backupFailed) return "Не удалось сделать резервную копию файла " + file;
  switch (out.step) {
    case FileStep::Read:
      return "Не удалось прочитать файл " + file;
    case FileStep::Create:
      return (t.exists ? "Не удалось создать новый файл для " : "Не удалось создать файл ") + file;
    case FileStep::Write:
      return "Не удалось записать файл " + file;
    case FileStep::Truncate:
      return "Не удалось обрезать файл " + file + " до длины новой программы";
    case FileStep::Sync:
      return "Не удалось записать файл " + file + " на диск";
    case FileStep::KeepMode:
      return "Не удалось сохранить прежние права доступа файла " + file;
    case FileStep::Replace:
      return (t.exists ? "Не удалось заменить файл " : "Не удалось создать файл ") + file;
    default:
      return "Не удалось сохранить файл " + file;
  }
}

// What became of the backup of a save in place that could not be removed.
std::string RemovalNote(const std::string& path, const BackupPlaces::Removal& removal) {
  using How = BackupPlaces::Removal::How;
  if (removal.how == How::Removed) return {};
  std::string note = "Файл «" + path + "» сохранён, но резервную копию прежней программы";
  if (removal.how != How::Renamed) note += " «" + removal.shown + "»";
  note += " удалить не удалось (" + ErrnoReason(removal.error, FileStep::Remove) + "): ";
  switch (removal.how) {
    case How::Renamed:
      return note + "она переименована в «" + removal.shown + "», её удалит следующее сохранение файла.";
    case How::Marked:
      return note + "она помечена как ненужная, её удалит следующее сохранение файла.";
    default:
      return note + "удалите её сами.";
  }
}

}  // namespace

void PauseAt(SaveHooks::Stage stage) {
  if (g_hooks.atStage) g_hooks.atStage(stage);
}

bool NamedTempOnly() {
  return g_hooks.namedTempOnly;
}

void SetSaveHooks(const SaveHooks& hooks) {
  g_hooks = hooks;
}

SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes, ReadOnlyFile readOnly,
                               const struct stat* restoring) {
  const SignalBlock fileSizeSignal({SIGXFSZ}, SignalBlock::Pending::Discard);
  const SaveInProgress saving;
  PauseAt(SaveHooks::Stage::Started);
  Target t;
  Outcome out;
  int error = ResolveAndLock(path, t);
  std::optional<BackupPlaces> backups;
  if (!error) {
    RemoveStaleTemps(t.dir.Get());
    backups.emplace(t.dir.Get(), t.dirSyncable, t.dirPath == "." ? std::string() : t.dirPath,
                    CanonicalFolder(t.dir.Get(), t.dirPath), t.base);
    if (t.exists && S_ISREG(t.stat.st_mode))
      out.left = backups->Left(t.file.Get(), t.stat.st_uid, restoring, true);
    error = Write(t, bytes, readOnly, *backups, out);
  }
  const std::string left =
      LeftNote(path, out.left, backups ? backups->MadeRoom() : std::vector<std::string>());
  if (error) {
    std::string message = FailedStep(path, t, out) + ": " + Reason(error, out.step) + ".";
    if (out.backupFailed) message += " Файл не изменён.";
    if (!out.restored) {
      message += " Прежнее содержимое файла восстановить не удалось";
      message += out.keptBackup.empty()
                     ? "."
                     : "; прежняя программа сохранена в резервной копии «" + out.keptBackup + "».";
    }
    return {SaveResult::Kind::Failed, path, Joined(message, left)};
  }
  if (out.readOnly)
    return {SaveResult::Kind::ReadOnly, path, "Файл «" + path + "» доступен только для чтения"};
  std::string notes = out.replaced ? LossNote(path, t, out) : std::string();
  if (out.folderNotSynced != 0) {
    notes = Joined(
        notes,
        "Файл «" + path +
            "» сохранён, но может не пережить отключение питания: папку не удалось записать на диск (" +
            Reason(out.folderNotSynced, FileStep::Sync) + ").");
  }
  notes = Joined(notes, RemovalNote(path, out.removal));
  return {SaveResult::Kind::Saved, path, Joined(notes, left)};
}

SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes, ReadOnlyFile readOnly) {
  return ReplaceFileContents(path, bytes, readOnly, nullptr);
}

}  // namespace kalmoro
