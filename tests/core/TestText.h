#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalmoro::test {

// The lines of a program; every line must end with CR LF (a bare LF or a missing end is kept visible
// as a line with "<no CR LF>" so that a comparison fails).
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      lines.emplace_back(std::string(text) + "<no CR LF>");
      break;
    }
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

}  // namespace kalmoro::test
