#pragma once

#include <string>
#include <string_view>

namespace kalmoro {

// Text for the terminal: control characters as \xHH or \uHHHH, bytes that are not UTF-8 as \xHH and a
// backslash doubled, so that a name from the command line cannot move the cursor, recolour or reorder
// the message that names it.
std::string Shown(std::string_view text);

// The same for a text that shows its control bytes escaped already (the program reader's problems give
// a NUL byte as "\x00"): its backslashes stay single, so that such an escape reads as one.
std::string ShownEscaped(std::string_view text);

}  // namespace kalmoro
