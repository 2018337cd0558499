#pragma once

#include <string_view>
#include <vector>

namespace kalmoro {

// After "kalmoro-gen check FILE…": names on standard output, as "FILE: text", each backup an interrupted
// save of a file left (save/ProgramBackup.h): the file may hold a mix of two programs, the backup the
// whole old one.
void PrintLeftBackups(const std::vector<std::string_view>& files);

}  // namespace kalmoro
