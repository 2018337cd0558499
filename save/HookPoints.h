#pragma once

#include "save/SaveHooks.h"

// Private to save/: the test seams of SaveHooks.h, as the save code calls them (FileReplace.cpp).
namespace kalmoro {

// Calls the test build's hook at a named point of a save; nothing in a normal build.
void PauseAt(SaveHooks::Stage stage);
// True when the test build asks for named temporary files only.
bool NamedTempOnly();

}  // namespace kalmoro
