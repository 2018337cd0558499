#pragma once

#include <string>
#include <vector>

#include "save/SaveResult.h"

// The backups that interrupted saves leave. A save that writes a file in place (hard links, an owner
// the saver cannot give, extended attributes, a folder the saver may not write) first keeps a whole
// copy of the old program, "NAME.kalmoro-backup" ("-2" … "-9" while earlier ones wait) next to the file
// or, where its folder takes no new file, in $XDG_STATE_HOME/kalmoro/ (by default ~/.local/state/kalmoro/),
// and removes it once the new program is on disk. A SIGKILL or a power cut in between leaves it: then the
// file may hold a mix of the two programs, and the backup the whole old one.
//
// A finished save whose backup cannot be removed renames it "NAME.kalmoro-old" (or, failing that, marks it
// with the extended attribute "user.kalmoro-finished") and says so in its note: such a backup holds an
// outdated program and is never named here. Only when removing, renaming and marking all fail does it
// keep its name, and the save's note asks the user to remove it.
namespace kalmoro {

// The backups interrupted saves left of the file at path (links followed), by their whole paths, newest
// first: the first is the program the file held before the last interrupted save. A backup that holds
// what the file holds now, or what a newer backup holds, is no news and left out, as are the backups of
// finished saves. Empty when the file cannot be read. Nothing is removed.
std::vector<std::string> FindBackups(const std::string& path);

// Puts the program of backup (one FindBackups named) back into the file at path, as ReplaceFileContents
// saves (a read-only file is refused; the result's message names the file and why, or notes what the
// save notes), and removes the backup once that is done. Afterwards the file holds exactly the backup's
// bytes, and FindBackups no longer names that backup.
SaveResult RestoreBackup(const std::string& path, const std::string& backup);

}  // namespace kalmoro
