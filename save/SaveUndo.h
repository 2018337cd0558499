#pragma once

#include <cstddef>
#include <string_view>

#include "SignalBlock.h"

// Private to save/: what a save has in progress, for the signal handlers of SaveInterrupt.h to undo.
namespace kalmoro {

// Blocks the signals the handlers take in the calling thread, around steps a handler must not see half
// done.
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

// Marks of the calling thread's save, each replacing the one before; call them with BlockInterrupts()
// held. A handler that interrupts the save:
void MarkSaveStarted();
void MarkNamedTemp(int dirFd, std::string_view name);  // removes this temporary file
// Removes this backup: the file is untouched. Once the save is committed, a backup that cannot be removed
// is renamed oldName, so that nothing names it as an interrupted save's.
void MarkBackup(int dirFd, std::string_view name, std::string_view oldName);
void MarkInPlace(const InPlaceUndo* undo);  // puts the old bytes back, then removes the backup if that worked
void MarkCommitted();  // the new program is in place: the signal waits for the save's end (LateSignal);
                       // a handler of the program's own removes the backup, if one is still marked
void ForgetBackup();   // the save removed its backup itself
void ClearSaveUndo();  // nothing to undo
// Ends the save's marks; with LateSignal::EndAfterSave ends the process by a signal that waited.
void MarkSaveEnded();

}  // namespace kalmoro
