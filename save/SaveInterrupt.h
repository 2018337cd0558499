#pragma once

// Undoing a save that a signal cuts short: its temporary file is removed, a file being written in place
// gets its old bytes back (and its backup goes). A signal that comes once the new program is in place
// waits for the save to finish. Every program that saves and lets SIGINT, SIGTERM, SIGHUP or SIGQUIT end
// it calls InstallSaveInterruptCleanup once at start (kalmoro-gen and the window do).
namespace kalmoro {

// What becomes of a signal that comes once the new program is in place, while the save finishes.
enum class LateSignal {
  EndAfterSave,   // the process ends by it as the save returns (the window)
  KeepForCaller,  // the save returns its result; TakeLateSignal() gives the signal, and the caller ends
                  // the process by it after reporting the save (kalmoro-gen)
};

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT (those still at their default action)
// that undo a save in progress and then end the process by the same signal. A signal taken by another
// thread is passed on to the saving one, so that the undo never runs beside the save.
void InstallSaveInterruptCleanup(LateSignal late = LateSignal::EndAfterSave);

// Undoes the save in progress, if any. Async-signal-safe; for programs with handlers of their own.
void CleanUpInterruptedSave();

// With LateSignal::KeepForCaller: the signal that came once the last save's program was in place, or 0.
// Clears it.
int TakeLateSignal();

}  // namespace kalmoro
