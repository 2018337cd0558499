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
// - normally the bytes go to a new file in the same folder, synced and renamed over the old one in one
//   step, with the old file's owner, group and mode (without setuid/setgid); the folder is synced after;
// - the file is written in place instead when a rename would lose something (other hard links, an owner
//   or group the saver cannot give, extended attributes such as ACLs) or cannot be done (folder not
//   writable, sticky folder); the old bytes are kept until the new ones are on disk and written back
//   on failure or on an interrupting signal (see SaveInterrupt.h);
// - a read-only file is refused unless readOnly is Replace; replacing it may then lose its owner or
//   hard links, which the message of the Saved result says.
// No temporary file stays behind: it has no name while it is written where the file system allows
// (Linux O_TMPFILE), and is removed on failure. SIGXFSZ is held off during the save, so a file-size
// limit fails it with a message instead of ending the process. One save at a time per process.
SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes,
                               ReadOnlyFile readOnly = ReadOnlyFile::Refuse);

}  // namespace kalmoro
