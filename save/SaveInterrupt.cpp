#include "save/SaveInterrupt.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace kalmoro {
namespace {

enum Undo : int { kNothing, kNamedTemp, kInPlace };

// The save in progress. g_saveThread is written before g_saving is set; the undo fields are read only
// by a handler on the saving thread, which interrupts that thread, so plain fields do.
std::atomic<bool> g_saving{false};
pthread_t g_saveThread;
std::atomic<int> g_undo{kNothing};
int g_tempDirFd = -1;
char g_tempName[64];
const InPlaceUndo* g_inPlace = nullptr;

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the marks are read in signal handlers");

void OnInterrupt(int sig) {
  const int savedErrno = errno;
  if (g_saving.load() && !pthread_equal(pthread_self(), g_saveThread)) {
    pthread_kill(g_saveThread, sig);
    errno = savedErrno;
    return;
  }
  CleanUpInterruptedSave();
  std::signal(sig, SIG_DFL);
  raise(sig);  // delivered as the handler returns
  errno = savedErrno;
}

}  // namespace

void InstallSaveInterruptCleanup() {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction current {};
    if (sigaction(sig, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
  }
}

void CleanUpInterruptedSave() {
  switch (g_undo.exchange(kNothing)) {
    case kNamedTemp:
      unlinkat(g_tempDirFd, g_tempName, 0);
      break;
    case kInPlace:
      RestoreInPlace(*g_inPlace);
      break;
    default:
      break;
  }
}

int PWriteAll(int fd, std::string_view bytes, long long offset) {
  while (!bytes.empty()) {
    const ssize_t n = pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return 0;
}

bool RestoreInPlace(const InPlaceUndo& undo) {
  // Only the bytes that differ are written back, so a file-size limit below the old length
  // cannot fail the restore; a tail cut off is written back from where the file now ends.
  const std::string_view old = undo.oldBytes;
  const std::size_t reach = std::min(old.size(), undo.newSize);
  bool ok = true;
  char now[4096];
  for (std::size_t at = 0; ok && at < reach; at += sizeof now) {
    const std::size_t n = std::min(sizeof now, reach - at);
    std::size_t from = 0;
    std::size_t to = n;
    if (pread(undo.fd, now, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n)) {
      while (from < to && now[from] == old[at + from]) ++from;
      while (to > from && now[to - 1] == old[at + to - 1]) --to;
    }
    const std::size_t offset = at + from;
    if (from < to)
      ok = PWriteAll(undo.fd, old.substr(offset, to - from), static_cast<long long>(offset)) == 0;
  }
  struct stat st {};
  ok = fstat(undo.fd, &st) == 0 && ok;
  const auto size = static_cast<std::size_t>(st.st_size);
  if (ok && size < old.size()) ok = PWriteAll(undo.fd, old.substr(size), static_cast<long long>(size)) == 0;
  if (ok && size > old.size()) ok = ftruncate(undo.fd, static_cast<off_t>(old.size())) == 0;
  return fsync(undo.fd) == 0 && ok;
}

void MarkSaveStarted() {
  g_saveThread = pthread_self();
  g_saving.store(true);
}

void MarkNamedTemp(int dirFd, std::string_view name) {
  const std::size_t n = std::min(name.size(), sizeof g_tempName - 1);
  std::copy_n(name.data(), n, g_tempName);
  g_tempName[n] = '\0';
  g_tempDirFd = dirFd;
  g_undo.store(kNamedTemp);
}

void MarkInPlace(const InPlaceUndo* undo) {
  g_inPlace = undo;
  g_undo.store(kInPlace);
}

void ClearSaveUndo() {
  g_undo.store(kNothing);
}

void MarkSaveEnded() {
  g_undo.store(kNothing);
  g_saving.store(false);
}

}  // namespace kalmoro
