// Linked into kalmoro-gen-hooked only. KALMORO_STOP_AT ("temp-written" or "in-place-written") stops the
// tool at that point of a save, so that a test can send it a signal exactly there; KALMORO_NAMED_TEMP
// makes it write through a named temporary file, as on file systems without unnamed ones.
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "save/SaveHooks.h"

namespace {

void StopAt(kalmoro::SaveHooks::Stage stage) {
  const char* at = std::getenv("KALMORO_STOP_AT");
  const std::string_view name =
      stage == kalmoro::SaveHooks::Stage::TempWritten ? "temp-written" : "in-place-written";
  if (at && name == at) std::raise(SIGSTOP);
}

const bool kHooked = [] {
  kalmoro::SaveHooks hooks;
  hooks.atStage = StopAt;
  hooks.namedTempOnly = std::getenv("KALMORO_NAMED_TEMP") != nullptr;
  kalmoro::SetSaveHooks(hooks);
  return true;
}();

}  // namespace
