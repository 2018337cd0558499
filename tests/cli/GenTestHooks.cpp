// Linked into kalmoro-gen-hooked only. KALMORO_STOP_AT names points of a save (SaveHooks::Stage, such
// as "temp-written" or "in-place-written", several separated by commas) where the tool stops itself with
// SIGSTOP, so that a test can look at the folder and send it a signal exactly there; KALMORO_KILL_AT names
// one where it kills itself with SIGKILL. KALMORO_NAMED_TEMP makes it write through named temporary files, as
// on file systems without unnamed ones.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "save/SaveHooks.h"

namespace {

using Stage = kalmoro::SaveHooks::Stage;

std::string_view StageName(Stage stage) {
  switch (stage) {
    case Stage::Started:
      return "started";
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

// Whether the variable names the stage, alone or in a list separated by commas.
bool Named(const char* variable, Stage stage) {
  const char* at = std::getenv(variable);
  if (!at) return false;
  const std::string_view name = StageName(stage);
  for (std::string_view list = at; !list.empty();) {
    const std::size_t comma = std::min(list.find(','), list.size());
    if (list.substr(0, comma) == name) return true;
    list.remove_prefix(std::min(comma + 1, list.size()));
  }
  return false;
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
