// Linked into kalmoro-gen-hooked only. KALMORO_STOP_AT names a point of a save (SaveHooks::Stage, such
// as "temp-written" or "in-place-written") where the tool stops itself with SIGSTOP, so that a test can
// look at the folder and send it a signal exactly there; KALMORO_KILL_AT names one where it kills itself
// with SIGKILL. KALMORO_NAMED_TEMP makes it write through named temporary files, as on file systems
// without unnamed ones.
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "save/SaveHooks.h"

namespace {

using Stage = kalmoro::SaveHooks::Stage;

std::string_view StageName(Stage stage) {
  switch (stage) {
    case Stage::Locked:
      return "locked";
    case Stage::TempWritten:
      return "temp-written";
    case Stage::TempLinked:
      return "temp-linked";
    case Stage::Renamed:
      return "renamed";
    case Stage::BackupWritten:
      return "backup-written";
    case Stage::InPlaceWritten:
      return "in-place-written";
    case Stage::InPlaceTruncated:
      return "in-place-truncated";
    case Stage::InPlaceSynced:
      return "in-place-synced";
  }
  return "";
}

bool Named(const char* variable, Stage stage) {
  const char* at = std::getenv(variable);
  return at && StageName(stage) == at;
}

void AtStage(Stage stage) {
  if (Named("KALMORO_STOP_AT", stage)) std::raise(SIGSTOP);
  if (Named("KALMORO_KILL_AT", stage)) std::raise(SIGKILL);
}

const bool kHooked = [] {
  kalmoro::SaveHooks hooks;
  hooks.atStage = AtStage;
  hooks.namedTempOnly = std::getenv("KALMORO_NAMED_TEMP") != nullptr;
  kalmoro::SetSaveHooks(hooks);
  return true;
}();

}  // namespace
