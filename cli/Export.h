#pragma once

#include <string_view>
#include <vector>

namespace kalmoro {

// "kalmoro-gen export --dxf FILE -o OUT": writes the contours of the program in FILE (read as the
// window opens files: Windows-1251 or UTF-8) to the DXF drawing OUT. Returns 0 when written, 1 when the
// program cannot be read or the drawing not written, 2 for a usage error; messages go to standard error.
int RunExport(const std::vector<std::string_view>& args);

}  // namespace kalmoro
