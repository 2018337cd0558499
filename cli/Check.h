#pragma once

#include <string_view>
#include <vector>

namespace kalmoro {

// "kalmoro-gen check FILE…": prints each file's problems as "FILE:LINE: text" and then what the file
// encodes; "-" reads standard input. Files are read as Windows-1251. Returns 0 when no file has a
// problem, 1 when some has, 2 when a file cannot be read or none is named.
int RunCheck(const std::vector<std::string_view>& files);

}  // namespace kalmoro
