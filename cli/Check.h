#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmoro {

// "kalmoro-gen check FILE…": prints each file's problems as "FILE:LINE: text" and then what the file
// encodes, the estimated cutting time and, for a program with passes or with a profile given, the
// registers and time of each pass (PassTexts), and the start hole of each hole with its drill
// (StartHoleText); "-" reads standard input. Files are read by the one reader
// (load/ProgramLoad.h, FileUse::Check): Windows-1251, or UTF-8 when their bytes are.
// Notes are printed as "FILE:LINE: примечание: text" and do not count. The machine is the profile file
// given, else the default one (no travel). Returns 0 when no file has a problem, 1 when some has, 2
// when a file cannot be read, none is named, or the profile cannot be read (then nothing is checked).
int RunCheck(const std::vector<std::string_view>& files, const std::optional<std::string>& machine = {});

}  // namespace kalmoro
