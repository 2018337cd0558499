#include "BackupPlaces.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "HookPoints.h"
#include "SaveUndo.h"
#include "TempFile.h"

namespace kalmoro {
namespace {

constexpr std::string_view kBackupSuffix = ".kalmoro-backup";
constexpr int kSlots = 9;
constexpr std::size_t kStemBytes = 100;  // of the file's name, in the state folder

std::string SlotName(const std::string& stem, int slot) {
  std::string name = stem + std::string(kBackupSuffix);
  if (slot > 1) name += {'-', static_cast<char>('0' + slot)};
  return name;
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

std::vector<std::string> BackupPlaces::Left(int file, uid_t owner, const struct stat* skip, bool removeSame) {
  std::vector<std::string> found;
  std::string current;
  bool currentRead = false;
  bool currentKnown = false;
  OpenState(false);
  for (const Place* place : {&m_next, &m_state}) {
    if (place->dir < 0) continue;
    for (int slot = 1; slot <= kSlots; ++slot) {
      const std::string name = SlotName(place->stem, slot);
      const UniqueFd backup(
          ::openat(place->dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
      struct stat st {};
      if (backup ? ::fstat(backup.Get(), &st) != 0
                 : errno == ENOENT || ::fstatat(place->dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        continue;
      if (!S_ISREG(st.st_mode) || (st.st_uid != ::geteuid() && st.st_uid != 0 && st.st_uid != owner))
        continue;
      if (skip && st.st_dev == skip->st_dev && st.st_ino == skip->st_ino) continue;
      if (backup && file >= 0) {
        if (!currentRead) {
          currentRead = true;
          currentKnown = ReadWhole(file, current) == 0;
        }
        std::string bytes;
        if (currentKnown && static_cast<std::size_t>(st.st_size) == current.size() &&
            ReadWhole(backup.Get(), bytes) == 0 && bytes == current) {
          if (removeSame) ::unlinkat(place->dir, name.c_str(), 0);
          continue;
        }
      }
      found.push_back(Joined(place->shownDir, name));
    }
  }
  return found;
}

int BackupPlaces::WriteIn(const Place& place, std::string_view old, const struct stat& st, bool namedOnly) {
  const bool next = &place == &m_next;
  TempFile temp;
  if (const int error = temp.Create(place.dir, next ? st.st_mode & 0666 : 0600, namedOnly)) return error;
  int error = PWriteAll(temp.Fd(), old, 0);
  // Its owner's, so that the owner may read and remove it; the saver may be unable to give it.
  if (!error && next && ::fchown(temp.Fd(), st.st_uid, st.st_gid) != 0 &&
      ::fchown(temp.Fd(), static_cast<uid_t>(-1), st.st_gid) != 0) {
    // Neither can be given: the backup stays the saver's, readable by the saver.
  }
  if (!error && ::fsync(temp.Fd()) != 0) error = errno;
  if (error) return error;
  for (int slot = 1; slot <= kSlots; ++slot) {
    const std::string name = SlotName(place.stem, slot);
    const SignalBlock block = BlockInterrupts();
    error = temp.Link(name);
    if (error == EEXIST) continue;
    if (error) return error;
    MarkBackup(place.dir, name);
    m_made = &place;
    m_madeName = name;
    m_shown = Joined(place.shownDir, name);
    break;
  }
  if (error) return error;  // every name taken
  if (place.syncable && ::fsync(place.dir) != 0 && errno != EINVAL) {
    error = errno;
    Remove();
    return error;
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
  if (error) return error;
  RemoveStaleTemps(m_state.dir);
  error = WriteIn(m_state, old, st, NamedTempOnly());
  if (error == kUseNamedTemp) error = WriteIn(m_state, old, st, true);
  return error;
}

void BackupPlaces::Remove() {
  if (!m_made) return;
  {
    const SignalBlock block = BlockInterrupts();
    ::unlinkat(m_made->dir, m_madeName.c_str(), 0);
    ForgetBackup();
  }
  // Synced, so that a power cut brings no finished save's backup back.
  if (m_made->syncable) ::fsync(m_made->dir);
  m_made = nullptr;
  m_madeName.clear();
}

}  // namespace kalmoro
