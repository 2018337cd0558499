#pragma once

#include <cstddef>
#include <string_view>

#include "save/SignalBlock.h"

// Undoing a save that a signal cuts short: its named temporary file is removed, a file being written in
// place gets its old bytes back. The save code marks what it has in progress; a program that lets
// SIGINT, SIGTERM, SIGHUP or SIGQUIT end it calls InstallSaveInterruptCleanup once at start.
namespace kalmoro {

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT (those still at their default action)
// that undo a save in progress and then end the process by the same signal. A signal taken by another
// thread is passed on to the saving one, so that the undo never runs beside the save.
void InstallSaveInterruptCleanup();

// Undoes the save in progress, if any. Async-signal-safe; for programs with handlers of their own.
void CleanUpInterruptedSave();

// For the save code. ------------------------------------------------------------------------------

// Blocks the signals above in the calling thread, around steps a handler must not see half done.
inline SignalBlock BlockInterrupts() {
  return SignalBlock({SIGINT, SIGTERM, SIGHUP, SIGQUIT}, SignalBlock::Pending::Deliver);
}

// A file being written in place: its descriptor and the old bytes.
struct InPlaceUndo {
  int fd = -1;
  std::string_view oldBytes;
  std::size_t newSize = 0;
};

// Writes all bytes at offset. Async-signal-safe. Returns 0 or the errno value.
int PWriteAll(int fd, std::string_view bytes, long long offset);

// Puts the old bytes back, cuts the file to its old length and syncs it. Async-signal-safe.
bool RestoreInPlace(const InPlaceUndo& undo);

// Marks of the calling thread's save; the Mark*/Clear calls run with BlockInterrupts() held.
void MarkSaveStarted();
void MarkNamedTemp(int dirFd, std::string_view name);
void MarkInPlace(const InPlaceUndo* undo);
void ClearSaveUndo();
void MarkSaveEnded();

}  // namespace kalmoro
