#pragma once

// Test seams of saving: a call at fixed points of a save (a test build stops the process there to send
// it a signal), and the named temporary file that file systems without unnamed ones get.
namespace kalmoro {

struct SaveHooks {
  enum class Stage {
    TempWritten,     // the new program is complete and synced in its temporary file, not yet in place
    InPlaceWritten,  // the new bytes are written over the old ones, not yet cut to length and synced
  };
  void (*atStage)(Stage) = nullptr;
  bool namedTempOnly = false;
};

void SetSaveHooks(const SaveHooks& hooks);

}  // namespace kalmoro
