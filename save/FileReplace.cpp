#include "save/FileReplace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <vector>

#include "save/SaveHooks.h"
#include "save/SaveInterrupt.h"

namespace kalmoro {
namespace {

// errno-like codes of this file, besides the system's.
constexpr int kNotRegularFile = -1;  // a device, pipe or socket has the name
constexpr int kUseNamedTemp = -2;    // the folder's file system has no unnamed temporary files
constexpr int kForeignLink = -3;     // a stranger's link in a shared sticky folder
constexpr int kMaxSymlinks = 40;
constexpr int kTempAttempts = 100;

SaveHooks g_hooks;

void Pause(SaveHooks::Stage stage) {
  if (g_hooks.atStage) g_hooks.atStage(stage);
}

std::string Number(long long value) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string ErrnoReason(int error) {
  switch (error) {
    case ENOENT:
      return "папка не найдена";
    case EACCES:
    case EPERM:
      return "нет прав на запись";
    case ENOSPC:
    case EDQUOT:
      return "на диске нет места";
    case EFBIG:
      return "превышен допустимый размер файла";
    case EROFS:
      return "диск доступен только для чтения";
    case EISDIR:
      return "с таким именем есть папка";
    case ENOTDIR:
      return "часть пути не является папкой";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case ELOOP:
      return "слишком много символических ссылок подряд";
    case ETXTBSY:
      return "файл занят";
    case EINVAL:
      return "недопустимое имя файла";
    case EIO:
      return "ошибка ввода-вывода";
    case kNotRegularFile:
      return "это не обычный файл";
    case kForeignLink:
      return "это ссылка другого пользователя в общей папке";
    default:
      return "ошибка ввода-вывода (код " + Number(error) + ")";
  }
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : m_fd(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }
  void Reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }
  int Get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }

 private:
  int m_fd;
};

// Marks a save in progress for the signal handlers while it lives.
class SaveInProgress {
 public:
  SaveInProgress() { MarkSaveStarted(); }
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

// A short name, so that any name the file system takes can be saved through it.
std::string TempName() {
  static std::atomic<unsigned> counter{0};
  unsigned long long bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<unsigned long long>(now.tv_nsec) * 6364136223846793005ULL ^
           static_cast<unsigned long long>(::getpid()) << 32 ^ counter++;
  }
  std::string name = ".kalmoro-";
  for (int i = 0; i < 8; ++i, bits /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[bits % 36];
  return name;
}

int CreateNamedTemp(int dir, mode_t mode, UniqueFd& file, std::string& name) {
  for (int attempt = 0;; ++attempt) {
    name = TempName();
    file.Reset(::openat(dir, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode));
    if (file) return 0;
    if (errno != EEXIST || attempt == kTempAttempts) return errno;
  }
}

// Removes the named temporary file unless it was renamed into place.
class NamedTemp {
 public:
  NamedTemp(int dir, std::string name) : m_dir(dir), m_name(std::move(name)) {}
  NamedTemp(const NamedTemp&) = delete;
  NamedTemp& operator=(const NamedTemp&) = delete;
  ~NamedTemp() {
    if (m_name.empty()) return;
    const SignalBlock block = BlockInterrupts();
    if (!m_renamed) ::unlinkat(m_dir, m_name.c_str(), 0);
    ClearSaveUndo();
  }
  // Call with BlockInterrupts() held.
  int RenameTo(const std::string& base) {
    if (::renameat(m_dir, m_name.c_str(), m_dir, base.c_str()) != 0) return errno;
    m_renamed = true;
    ClearSaveUndo();
    return 0;
  }

 private:
  int m_dir;
  std::string m_name;
  bool m_renamed = false;
};

// Names the unnamed file: directly when the target is new, else through a short temporary name that
// is renamed over the old file at once.
int LinkUnnamed(const Target& t, int fd) {
  const std::string proc = "/proc/self/fd/" + Number(fd);
  const auto link = [&](const std::string& name) {
    return ::linkat(AT_FDCWD, proc.c_str(), t.dir.Get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
  };
  int error = t.exists ? EEXIST : link(t.base);
  if (error != EEXIST) return error == ENOENT ? kUseNamedTemp : error;
  std::string temp;
  for (int attempt = 0; error == EEXIST && attempt <= kTempAttempts; ++attempt)
    error = link(temp = TempName());
  if (error) return error == ENOENT ? kUseNamedTemp : error;
  if (::renameat(t.dir.Get(), temp.c_str(), t.dir.Get(), t.base.c_str()) == 0) return 0;
  error = errno;
  ::unlinkat(t.dir.Get(), temp.c_str(), 0);
  return error;
}

// Writes bytes to a new file in the target's folder and puts it in place of the old one in one step:
// the old program stays whole until the new one is complete and on disk. made receives the new
// file's status, to tell what of the old one it kept.
int WriteReplacement(const Target& t, std::string_view bytes, bool unnamed, struct stat& made) {
  const int dir = t.dir.Get();
  const mode_t createMode = t.exists ? 0600 : 0666;  // a new file gets the umask and default ACL
  UniqueFd file;
  std::string tempName;
  if (unnamed) {
    file.Reset(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode));
    if (!file) return errno == EOPNOTSUPP || errno == EISDIR ? kUseNamedTemp : errno;
  } else {
    const SignalBlock block = BlockInterrupts();
    if (const int error = CreateNamedTemp(dir, createMode, file, tempName)) return error;
    MarkNamedTemp(dir, tempName);
  }
  NamedTemp named(dir, tempName);

  int error = PWriteAll(file.Get(), bytes, 0);
  if (!error && t.exists) {
    // The owner first: a change of owner would clear the mode's special bits.
    if (::fchown(file.Get(), t.stat.st_uid, t.stat.st_gid) != 0 &&
        ::fchown(file.Get(), static_cast<uid_t>(-1), t.stat.st_gid) != 0) {
      // Neither owner nor group can be given: the file keeps the saver's, as a new file would.
    }
    if (::fchmod(file.Get(), t.stat.st_mode & 0777) != 0) error = errno;
  }
  if (!error && ::fsync(file.Get()) != 0) error = errno;
  if (!error && ::fstat(file.Get(), &made) != 0) error = errno;
  if (error) return error;
  Pause(SaveHooks::Stage::TempWritten);

  const SignalBlock block = BlockInterrupts();
  error = unnamed ? LinkUnnamed(t, file.Get()) : named.RenameTo(t.base);
  if (error) return error;
  if (t.dirSyncable && ::fsync(dir) != 0 && errno != EINVAL) return errno;
  return 0;
}

int ReadAll(int fd, std::string& out) {
  for (;;) {
    char buf[65536];
    const ssize_t n = ::pread(fd, buf, sizeof buf, static_cast<off_t>(out.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// Writes the new bytes over the old ones in the same file, so that its other names, owner, group and
// attributes stay. The old bytes are kept in memory and put back on failure (restored is set when
// that worked) or on an interrupting signal, until the new ones are on disk.
int WriteInPlace(const Target& t, std::string_view bytes, bool& restored) {
  UniqueFd file(::openat(t.dir.Get(), t.base.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  if (!file) return errno;
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotRegularFile;
  std::string old;
  if (const int error = ReadAll(file.Get(), old)) return error;

  const InPlaceUndo undo{file.Get(), old, bytes.size()};
  {
    const SignalBlock block = BlockInterrupts();
    MarkInPlace(&undo);
  }
  int error = PWriteAll(file.Get(), bytes, 0);
  if (!error) Pause(SaveHooks::Stage::InPlaceWritten);
  if (!error && bytes.size() < old.size() && ::ftruncate(file.Get(), static_cast<off_t>(bytes.size())) != 0)
    error = errno;
  // The kernel drops setuid/setgid on a write by anyone but root; drop them for root too.
  if (!error && (st.st_mode & (S_ISUID | S_ISGID)) != 0) ::fchmod(file.Get(), st.st_mode & 0777);
  if (!error && ::fsync(file.Get()) != 0) error = errno;
  if (error) restored = RestoreInPlace(undo);
  const SignalBlock block = BlockInterrupts();
  ClearSaveUndo();
  return error;
}

// How the save went, beyond the errno value.
struct Outcome {
  bool readOnly = false;    // refused as read-only
  bool restored = true;     // an in-place failure left the old bytes
  bool replaced = false;    // a new file took the place of an existing one
  bool attributes = false;  // the existing one had extended attributes of its own
  struct stat made {};      // the new file
};

int WriteThroughNewFile(const Target& t, std::string_view bytes, Outcome& out) {
  int error = kUseNamedTemp;
  if (!g_hooks.namedTempOnly) error = WriteReplacement(t, bytes, true, out.made);
  if (error == kUseNamedTemp) error = WriteReplacement(t, bytes, false, out.made);
  out.replaced = error == 0 && t.exists;
  return error;
}

int Write(const Target& t, std::string_view bytes, ReadOnlyFile readOnly, Outcome& out) {
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
  if (writable && (keepFile || !renameAllowed)) return WriteInPlace(t, bytes, out.restored);
  const int error = WriteThroughNewFile(t, bytes, out);
  if (writable && (error == EACCES || error == EPERM)) return WriteInPlace(t, bytes, out.restored);
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

}  // namespace

void SetSaveHooks(const SaveHooks& hooks) {
  g_hooks = hooks;
}

SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes, ReadOnlyFile readOnly) {
  const SignalBlock fileSizeSignal({SIGXFSZ}, SignalBlock::Pending::Discard);
  const SaveInProgress saving;
  Target t;
  Outcome out;
  int error = ResolveTarget(path, t);
  if (!error) error = Write(t, bytes, readOnly, out);
  if (error) {
    std::string message = "Не удалось сохранить файл «" + path + "»: " + ErrnoReason(error) + ".";
    if (!out.restored) message += " Прежнее содержимое файла восстановить не удалось.";
    return {SaveResult::Kind::Failed, path, message};
  }
  if (out.readOnly)
    return {SaveResult::Kind::ReadOnly, path, "Файл «" + path + "» доступен только для чтения"};
  return {SaveResult::Kind::Saved, path, out.replaced ? LossNote(path, t, out) : std::string()};
}

}  // namespace kalmoro
