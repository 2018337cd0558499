#include "TempFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "HookPoints.h"
#include "SaveUndo.h"

namespace kalmoro {
namespace {

constexpr std::string_view kTempPrefix = ".kalmoro-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::string_view kDigits36 = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomChars = 6;
constexpr int kTempAttempts = 100;

std::string Decimal(long long value) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  return std::string(buf, end);
}

// A short name, so that any name the file system takes can be saved through it.
std::string TempName() {
  static std::atomic<unsigned> counter{0};
  unsigned long long bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<unsigned long long>(now.tv_nsec) * 6364136223846793005ULL ^ counter++;
  }
  std::string name = std::string(kTempPrefix) + Decimal(::getpid()) + "-";
  for (std::size_t i = 0; i < kRandomChars; ++i, bits /= kDigits36.size())
    name += kDigits36[bits % kDigits36.size()];
  return name + std::string(kTempSuffix);
}

}  // namespace

pid_t TempFileOwner(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return 0;
  name.remove_prefix(kTempPrefix.size());
  name.remove_suffix(kTempSuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash > 10 || name.size() - dash - 1 != kRandomChars)
    return 0;
  for (const char c : name.substr(dash + 1))
    if (kDigits36.find(c) == std::string_view::npos) return 0;
  long long pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
  if (error != std::errc() || end != name.data() + dash || name[0] == '0' || pid <= 0 || pid > 0x7fffffff)
    return 0;
  return static_cast<pid_t>(pid);
}

void RemoveStaleTemps(int dir) {
  const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* listing = ::fdopendir(fd);
  if (!listing) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t pid = TempFileOwner(entry->d_name);
    if (pid == 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(dir, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      ::unlinkat(dir, entry->d_name, 0);
  }
  ::closedir(listing);
}

TempFile::~TempFile() {
  if (m_name.empty() || m_placed) return;
  const SignalBlock block = BlockInterrupts();
  ::unlinkat(m_dir, m_name.c_str(), 0);
  ClearSaveUndo();
}

int TempFile::Create(int dir, mode_t mode, bool namedOnly) {
  m_dir = dir;
  if (!namedOnly) {
    m_file.Reset(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (m_file) return 0;
    if (errno != EOPNOTSUPP && errno != EISDIR) return errno;
  }
  const SignalBlock block = BlockInterrupts();
  for (int attempt = 0;; ++attempt) {
    std::string name = TempName();
    m_file.Reset(::openat(dir, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode));
    if (m_file) {
      m_name = std::move(name);
      MarkNamedTemp(dir, m_name);
      return 0;
    }
    if (errno != EEXIST || attempt == kTempAttempts) return errno;
  }
}

int TempFile::LinkUnnamed(const std::string& name) {
  const std::string proc = "/proc/self/fd/" + Decimal(m_file.Get());
  if (::linkat(AT_FDCWD, proc.c_str(), m_dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  return errno == ENOENT ? kUseNamedTemp : errno;
}

int TempFile::Link(const std::string& name) {
  if (m_name.empty()) {
    const int error = LinkUnnamed(name);
    m_placed = error == 0;
    return error;
  }
  // A rename that keeps a taken name: file systems without hard links (FAT) have named files only.
  if (::renameat2(m_dir, m_name.c_str(), m_dir, name.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // Without RENAME_NOREPLACE the name is looked at first: the saves of a file take turns.
    struct stat st {};
    if (::fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    if (::renameat(m_dir, m_name.c_str(), m_dir, name.c_str()) != 0) return errno;
  }
  m_placed = true;
  return 0;
}

int TempFile::Replace(const std::string& name) {
  if (!m_name.empty()) {
    if (::renameat(m_dir, m_name.c_str(), m_dir, name.c_str()) != 0) return errno;
    m_placed = true;
    return 0;
  }
  // An unnamed file cannot replace a name: it gets a temporary one that is renamed at once.
  std::string temp;
  int error = EEXIST;
  for (int attempt = 0; error == EEXIST && attempt <= kTempAttempts; ++attempt)
    error = LinkUnnamed(temp = TempName());
  if (error) return error;
  PauseAt(SaveHooks::Stage::TempLinked);
  if (::renameat(m_dir, temp.c_str(), m_dir, name.c_str()) != 0) {
    error = errno;
    ::unlinkat(m_dir, temp.c_str(), 0);
    return error;
  }
  m_placed = true;
  return 0;
}

}  // namespace kalmoro
