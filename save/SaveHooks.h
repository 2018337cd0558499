#pragma once

// Test seams of saving: a call at named points of a save (a test build stops or kills the process there),
// and the named temporary files that file systems without unnamed ones get.
namespace kalmoro {

struct SaveHooks {
  enum class Stage {
    Started,           // the save has begun; nothing is looked at yet
    Locked,            // the existing file is locked for this save; nothing is written yet
    TempWritten,       // the new program is complete and synced in its temporary file, not yet in place
    TempLinked,        // the unnamed new file has its temporary name, not yet renamed (signals held)
    Renamed,           // the new file has the name; the folder is not synced yet (signals held)
    BackupWritten,     // in place: the backup of the old program is whole and synced, the file untouched
    InPlaceWritten,    // the new bytes are written over the old ones, not yet cut to length and synced
    InPlaceTruncated,  // cut to the new length, not yet synced
    InPlaceSynced,     // the new program is on disk; its backup is not removed yet
  };
  void (*atStage)(Stage) = nullptr;
  bool namedTempOnly = false;
};

void SetSaveHooks(const SaveHooks& hooks);

}  // namespace kalmoro
