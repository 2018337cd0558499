#include "BackupPlaces.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "HookPoints.h"
#include "SaveUndo.h"
#include "TempFile.h"

namespace kalmoro {
namespace {

constexpr std::string_view kBackupSuffix = ".kalmoro-backup";
constexpr std::string_view kOldSuffix = ".kalmoro-old";  // a finished save's backup it could not remove
constexpr const char* kFinishedAttribute = "user.kalmoro-finished";
constexpr std::size_t kSlots = 9;
constexpr std::size_t kStemBytes = 100;  // of the file's name, in the state folder

std::string SlotName(const std::string& stem, std::size_t slot) {
  std::string name = stem + std::string(kBackupSuffix);
  if (slot > 1) name += {'-', static_cast<char>('0' + slot)};
  return name;
}

bool Later(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// A backup the save may read and remove: a regular file of the saver, of root or of the file's owner.
bool Ours(const struct stat& st, uid_t owner) {
  return S_ISREG(st.st_mode) && (st.st_uid == ::geteuid() || st.st_uid == 0 || st.st_uid == owner);
}

// Marked by a finished save that could neither remove nor rename it.
bool Finished(int fd) {
  return ::fgetxattr(fd, kFinishedAttribute, nullptr, 0) >= 0;
}

// Whether the two open files, of statuses sa and sb, hold the same bytes.
bool SameBytes(int a, const struct stat& sa, int b, const struct stat& sb) {
  if (sa.st_size != sb.st_size) return false;
  char bufA[65536];
  char bufB[sizeof bufA];
  for (off_t at = 0; at < sa.st_size;) {
    const ssize_t n = ::pread(a, bufA, sizeof bufA, at);
    if (n <= 0 || ::pread(b, bufB, static_cast<std::size_t>(n), at) != n ||
        std::memcmp(bufA, bufB, static_cast<std::size_t>(n)) != 0)
      return false;
    at += n;
  }
  return true;
}

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// 64-bit FNV-1a, as 16 hexadecimal digits.
std::string Hash(std::string_view text) {
  unsigned long long hash = 14695981039346656037ULL;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  std::string hex(16, '0');
  for (std::size_t i = hex.size(); i-- > 0; hash >>= 4) hex[i] = "0123456789abcdef"[hash & 0xF];
  return hex;
}

// The first bytes of name, at most limit, without cutting a UTF-8 sequence.
std::string Cut(const std::string& name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

std::string StateFolderPath() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
    return std::string(state) + "/kalmoro";
  std::string home;
  if (const char* env = std::getenv("HOME"); env && env[0] == '/') home = env;
  if (home.empty()) {
    passwd entry{};
    passwd* found = nullptr;
    std::string buf(16384, '\0');
    if (::getpwuid_r(::geteuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
      home = found->pw_dir;
  }
  return home.empty() ? std::string() : Joined(home, ".local/state/kalmoro");
}

// Makes the folder and those above it that are missing, private to the user as the state folder is.
int MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    if (::mkdir(path.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

}  // namespace

int ReadWhole(int fd, std::string& out) {
  out.clear();
  for (;;) {
    char buf[65536];
    const ssize_t n = ::pread(fd, buf, sizeof buf, static_cast<off_t>(out.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

std::string CanonicalFolder(int dir, const std::string& dirPath) {
  std::string link(PATH_MAX, '\0');
  const std::string proc = "/proc/self/fd/" + std::to_string(dir);
  const ssize_t n = ::readlink(proc.c_str(), link.data(), link.size());
  if (n > 0 && link[0] == '/') return link.substr(0, static_cast<std::size_t>(n));
  if (char* real = ::realpath(dirPath.c_str(), nullptr)) {
    std::string path(real);
    std::free(real);
    return path;
  }
  return dirPath;
}

BackupPlaces::BackupPlaces(int dir, bool dirSyncable, std::string shownDir, const std::string& canonicalDir,
                           const std::string& base) {
  m_next.dir = dir;
  m_next.syncable = dirSyncable;
  m_next.shownDir = std::move(shownDir);
  m_next.stem = base;
  m_state.stem = Cut(base, kStemBytes) + "." + Hash(Joined(canonicalDir, base));
}

int BackupPlaces::OpenState(bool create) {
  if (m_stateFd) return 0;
  const std::string path = StateFolderPath();
  if (path.empty()) return ENOENT;
  if (create) {
    if (const int error = MakeFolders(path)) return error;
  }
  m_stateFd.Reset(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!m_stateFd) return errno;
  m_state.dir = m_stateFd.Get();
  m_state.shownDir = path;
  m_state.syncable = true;
  return 0;
}

std::vector<BackupPlaces::Found> BackupPlaces::Scan(const Place& place, uid_t owner) const {
  std::vector<Found> found;
  if (place.dir < 0) return found;
  for (std::size_t slot = 1; slot <= kSlots; ++slot) {
    Found backup;
    backup.place = &place;
    backup.name = SlotName(place.stem, slot);
    backup.fd.Reset(
        ::openat(place.dir, backup.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (backup.fd ? ::fstat(backup.fd.Get(), &backup.st) != 0
                  : errno == ENOENT ||
                        ::fstatat(place.dir, backup.name.c_str(), &backup.st, AT_SYMLINK_NOFOLLOW) != 0)
      continue;
    if (Ours(backup.st, owner)) found.push_back(std::move(backup));
  }
  return found;
}

std::vector<std::string> BackupPlaces::Left(int file, uid_t owner, const struct stat* skip, bool removeSame) {
  OpenState(false);
  std::vector<Found> all = Scan(m_next, owner);
  for (Found& backup : Scan(m_state, owner)) all.push_back(std::move(backup));
  std::erase_if(all, [&](const Found& backup) {
    return skip && backup.st.st_dev == skip->st_dev && backup.st.st_ino == skip->st_ino;
  });
  std::stable_sort(all.begin(), all.end(),
                   [](const Found& a, const Found& b) { return Later(a.st.st_mtim, b.st.st_mtim); });
  struct stat now {};
  const bool fileKnown = file >= 0 && ::fstat(file, &now) == 0;
  std::vector<const Found*> kept;
  std::vector<std::string> names;
  for (const Found& backup : all) {
    bool news = true;
    if (backup.fd) {
      news = !Finished(backup.fd.Get()) && !(fileKnown && SameBytes(file, now, backup.fd.Get(), backup.st));
      for (std::size_t i = 0; news && i < kept.size(); ++i)
        news = !(kept[i]->fd && SameBytes(kept[i]->fd.Get(), kept[i]->st, backup.fd.Get(), backup.st));
    }
    if (news) {
      kept.push_back(&backup);
      names.push_back(Joined(backup.place->shownDir, backup.name));
    } else if (removeSame) {
      ::unlinkat(backup.place->dir, backup.name.c_str(), 0);
    }
  }
  // What finished saves could not remove.
  for (const Place* place : {&m_next, &m_state}) {
    struct stat st {};
    const std::string old = place->stem + std::string(kOldSuffix);
    if (removeSame && place->dir >= 0 && ::fstatat(place->dir, old.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        Ours(st, owner))
      ::unlinkat(place->dir, old.c_str(), 0);
  }
  return names;
}

int BackupPlaces::Fail(FileStep step, int error) {
  m_failedStep = step;
  return error;
}

int BackupPlaces::WriteIn(const Place& place, std::string_view old, const struct stat& st, bool namedOnly) {
  const bool next = &place == &m_next;
  std::vector<Found> existing = Scan(place, st.st_uid);
  TempFile temp;
  if (const int error = temp.Create(place.dir, next ? st.st_mode & 0666 : 0600, namedOnly))
    return Fail(FileStep::Create, error);
  if (const int error = PWriteAll(temp.Fd(), old, 0)) return Fail(FileStep::Write, error);
  // Its owner's, so that the owner may read and remove it; the saver may be unable to give it.
  if (next && ::fchown(temp.Fd(), st.st_uid, st.st_gid) != 0 &&
      ::fchown(temp.Fd(), static_cast<uid_t>(-1), st.st_gid) != 0) {
    // Neither can be given: the backup stays the saver's, readable by the saver.
  }
  // Later than every other backup of the place, however coarse the file system's clock.
  struct stat made {};
  for (const Found& backup : existing) {
    if (::fstat(temp.Fd(), &made) != 0 || Later(made.st_mtim, backup.st.st_mtim)) continue;
    timespec times[2] = {{0, UTIME_OMIT}, backup.st.st_mtim};
    if (++times[1].tv_nsec == 1'000'000'000L) times[1] = {times[1].tv_sec + 1, 0};
    ::futimens(temp.Fd(), times);
  }
  if (::fsync(temp.Fd()) != 0) return Fail(FileStep::Sync, errno);
  // A free name, or else the oldest backup's.
  std::sort(existing.begin(), existing.end(),
            [](const Found& a, const Found& b) { return Later(b.st.st_mtim, a.st.st_mtim); });
  std::vector<std::string> names;
  for (std::size_t slot = 1; slot <= kSlots; ++slot) names.push_back(SlotName(place.stem, slot));
  for (const Found& backup : existing) names.push_back(backup.name);
  int error = EEXIST;
  for (std::size_t i = 0; i < names.size() && error == EEXIST; ++i) {
    const SignalBlock block = BlockInterrupts();
    const bool reused = i >= kSlots;
    if (reused && ::unlinkat(place.dir, names[i].c_str(), 0) != 0) continue;
    if (reused) m_madeRoom.push_back(Joined(place.shownDir, names[i]));
    error = temp.Link(names[i]);
    if (error) continue;
    MarkBackup(place.dir, names[i], place.stem + std::string(kOldSuffix));
    m_made = &place;
    m_madeName = names[i];
    m_madeFd.Reset(::dup(temp.Fd()));
    m_shown = Joined(place.shownDir, names[i]);
  }
  if (error) return Fail(FileStep::Create, error);
  if (place.syncable && ::fsync(place.dir) != 0 && errno != EINVAL) {
    error = errno;
    Remove();
    return Fail(FileStep::Sync, error);
  }
  return 0;
}

int BackupPlaces::Write(std::string_view old, const struct stat& st) {
  int error = WriteIn(m_next, old, st, NamedTempOnly());
  if (error == kUseNamedTemp) error = WriteIn(m_next, old, st, true);
  // A folder the saver may not add to, or a name too long for another suffix: the state folder.
  if (error != EACCES && error != EPERM && error != EROFS && error != ENAMETOOLONG && error != EEXIST)
    return error;
  error = OpenState(true);
  if (error) return Fail(FileStep::Create, error);
  RemoveStaleTemps(m_state.dir);
  error = WriteIn(m_state, old, st, NamedTempOnly());
  if (error == kUseNamedTemp) error = WriteIn(m_state, old, st, true);
  return error;
}

BackupPlaces::Removal BackupPlaces::RemoveFinished() {
  Removal removal;
  if (!m_made) return removal;
  {
    const SignalBlock block = BlockInterrupts();
    if (::unlinkat(m_made->dir, m_madeName.c_str(), 0) != 0) {
      removal.error = errno;
      const std::string old = m_made->stem + std::string(kOldSuffix);
      if (::renameat(m_made->dir, m_madeName.c_str(), m_made->dir, old.c_str()) == 0) {
        removal.how = Removal::How::Renamed;
        removal.shown = Joined(m_made->shownDir, old);
      } else {
        const bool marked = ::fsetxattr(m_madeFd.Get(), kFinishedAttribute, "1", 1, 0) == 0;
        if (marked) ::fsync(m_madeFd.Get());
        removal.how = marked ? Removal::How::Marked : Removal::How::Stayed;
        removal.shown = m_shown;
      }
    }
    ForgetBackup();
  }
  // Synced, so that a power cut brings no finished save's backup back.
  if (m_made->syncable) ::fsync(m_made->dir);
  m_made = nullptr;
  m_madeName.clear();
  m_madeFd.Reset();
  return removal;
}

void BackupPlaces::Remove() {
  if (!m_made) return;
  {
    const SignalBlock block = BlockInterrupts();
    ::unlinkat(m_made->dir, m_madeName.c_str(), 0);
    ForgetBackup();
  }
  if (m_made->syncable) ::fsync(m_made->dir);
  m_made = nullptr;
  m_madeName.clear();
  m_madeFd.Reset();
}

}  // namespace kalmoro
