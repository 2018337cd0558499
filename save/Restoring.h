#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "save/FileReplace.h"

// Private to save/.
namespace kalmoro {

// ReplaceFileContents putting a backup's program back: the backup restoring (its device and inode) is
// not named as one an interrupted save left.
SaveResult ReplaceFileContents(const std::string& path, std::string_view bytes, ReadOnlyFile readOnly,
                               const struct stat* restoring);

}  // namespace kalmoro
