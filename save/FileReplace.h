#pragma once

#include <string>
#include <string_view>

#include "save/SaveResult.h"

namespace kalmoro {

// What to do with a file that is read-only (no write permission bit, or none for the saver).
enum class ReadOnlyFile { Refuse, Replace };

// Replaces the contents of the file at path with bytes the way a careful editor does:
// - a symbolic link is followed to the file it names (a stranger's link in a shared sticky folder is
//   not), which is then written, or created when missing;
// - an existing file is locked (flock) for the length of the save, so that saves of it, through any of
//   its names and from any process, take turns; after at most 10 s of waiting the save fails;
// - normally the bytes go to a new file in the same folder, synced and renamed over the old one in one
//   step, with the old file's owner, group and mode (without setuid/setgid; a file system that can set
//   none of them is no failure when the new file has them already); the folder is synced after, and
//   when that fails the Saved result says the program may not survive a power cut;
// - the file is written in place instead when a rename would lose something (other hard links, an owner
//   or group the saver cannot give, extended attributes such as ACLs) or cannot be done (folder not
//   writable, sticky folder). A whole copy of the old program is kept in a backup first, synced, and
//   removed once the new bytes are on disk (ProgramBackup.h); the file is always cut to the new length,
//   and the old bytes are written back on failure or on an interrupting signal (SaveInterrupt.h);
// - backups that interrupted saves of the file left are named in the result's message and kept (one
//   that holds what the file holds is removed);
// - a read-only file is refused unless readOnly is Replace; replacing it may then lose its owner or
//   hard links, which the message of the Saved result says.
// No temporary file stays behind: it has no name while it is written where the file system allows
// (Linux O_TMPFILE), and is removed on failure; the temporary files ".kalmoro-<pid>-XXXXXX.tmp" of saves
// whose process is gone (a SIGKILL) are removed from the folder by the next save into it. SIGXFSZ is held
// off during the save, so a file-size limit fails it with a message instead of ending the process. One
// save at a time per process.
SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes,
                               ReadOnlyFile readOnly = ReadOnlyFile::Refuse);

}  // namespace kalmoro
