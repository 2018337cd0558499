#pragma once

#include <string>
#include <vector>

#include "save/SaveResult.h"

// The backups that interrupted saves leave. A save that writes a file in place (hard links, an owner
// the saver cannot give, extended attributes, a folder the saver may not write) first keeps a whole
// copy of the old program, "NAME.kalmoro-backup" next to the file or, where its folder takes no new
// file, in $XDG_STATE_HOME/kalmoro/ (by default ~/.local/state/kalmoro/), and removes it once the new
// program is on disk. A SIGKILL or a power cut in between leaves it: then the file may hold a mix of the
// two programs, and the backup the whole old one.
namespace kalmoro {

// The backups interrupted saves left of the file at path (links followed), by their whole paths; one
// that holds what the file holds now is no news and left out. Empty when the file cannot be read.
std::vector<std::string> FindBackups(const std::string& path);

// Puts the program of backup (one FindBackups named) back into the file at path, as ReplaceFileContents
// saves (a read-only file is refused), and removes the backup once that is done.
SaveResult RestoreBackup(const std::string& path, const std::string& backup);

}  // namespace kalmoro
