#include "save/SaveInterrupt.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "SaveUndo.h"

namespace kalmoro {
namespace {

enum Undo : int { kNothing, kNamedTemp, kBackup, kInPlace, kCommitted };

// The save in progress. g_saveThread is written before g_saving is set; the undo fields are read only
// by a handler on the saving thread, which interrupts that thread, so plain fields do.
std::atomic<bool> g_saving{false};
pthread_t g_saveThread;
std::atomic<int> g_undo{kNothing};
int g_tempDirFd = -1;
char g_tempName[64];
int g_backupDirFd = -1;
char g_backupName[256];  // empty when there is no backup to remove
char g_backupOldName[256];
const InPlaceUndo* g_inPlace = nullptr;
std::atomic<int> g_lateSignal{0};
LateSignal g_late = LateSignal::EndAfterSave;

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the marks are read in signal handlers");

void CopyName(std::string_view name, char* to, std::size_t size) {
  const std::size_t n = std::min(name.size(), size - 1);
  std::copy_n(name.data(), n, to);
  to[n] = '\0';
}

// Removes the backup; that of a committed save, which holds an outdated program, is renamed when it
// cannot be removed.
void RemoveBackup(bool committed) {
  if (g_backupName[0] == '\0') return;
  if (unlinkat(g_backupDirFd, g_backupName, 0) != 0 && committed)
    renameat(g_backupDirFd, g_backupName, g_backupDirFd, g_backupOldName);
  g_backupName[0] = '\0';
}

void OnInterrupt(int sig) {
  const int savedErrno = errno;
  if (g_saving.load() && !pthread_equal(pthread_self(), g_saveThread)) {
    pthread_kill(g_saveThread, sig);
    errno = savedErrno;
    return;
  }
  if (g_saving.load() && g_undo.load() == kCommitted) {
    // The new program is in place: the save finishes first (MarkSaveEnded, TakeLateSignal).
    int none = 0;
    g_lateSignal.compare_exchange_strong(none, sig);
    errno = savedErrno;
    return;
  }
  CleanUpInterruptedSave();
  std::signal(sig, SIG_DFL);
  raise(sig);  // delivered as the handler returns
  errno = savedErrno;
}

}  // namespace

void InstallSaveInterruptCleanup(LateSignal late) {
  g_late = late;
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
    case kBackup:
      RemoveBackup(false);
      break;
    case kCommitted:
      RemoveBackup(true);
      break;
    case kInPlace:
      // Without the old bytes back the backup is the only whole copy of the old program: it stays.
      if (RestoreInPlace(*g_inPlace)) RemoveBackup(false);
      break;
    default:
      break;
  }
}

int TakeLateSignal() {
  return g_lateSignal.exchange(0);
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
  g_backupName[0] = '\0';
  g_saving.store(true);
}

void MarkNamedTemp(int dirFd, std::string_view name) {
  CopyName(name, g_tempName, sizeof g_tempName);
  g_tempDirFd = dirFd;
  g_undo.store(kNamedTemp);
}

void MarkBackup(int dirFd, std::string_view name, std::string_view oldName) {
  CopyName(name, g_backupName, sizeof g_backupName);
  CopyName(oldName, g_backupOldName, sizeof g_backupOldName);
  g_backupDirFd = dirFd;
  g_undo.store(kBackup);
}

void MarkInPlace(const InPlaceUndo* undo) {
  g_inPlace = undo;
  g_undo.store(kInPlace);
}

void MarkCommitted() {
  g_undo.store(kCommitted);
}

void ForgetBackup() {
  g_backupName[0] = '\0';
}

void ClearSaveUndo() {
  g_undo.store(kNothing);
}

void MarkSaveEnded() {
  g_undo.store(kNothing);
  g_backupName[0] = '\0';
  g_saving.store(false);
  if (g_late == LateSignal::EndAfterSave) {
    if (const int sig = TakeLateSignal()) raise(sig);  // the handler ends the process by it
  }
}

}  // namespace kalmoro
