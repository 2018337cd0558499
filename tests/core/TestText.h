#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nc/NumberText.h"

namespace kalmoro::test {

// A reference program from tests/data, byte for byte as the generator must write it (CR LF line ends):
// "circle-d10.iso", "rect-w20-h10-r2.iso", "rect-w10-h5-r0.iso", "cone-dd1-du0.8-h2.iso". A file that
// cannot be read gives a text no program can be, so that a comparison fails and names it.
inline std::string Listing(std::string_view name) {
  const std::string path = std::string(KALMORO_TEST_DATA) + "/" + std::string(name);
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<" + path + " cannot be read>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

// The value of the word starting with letter in a block, if the block has it.
inline std::optional<double> Word(std::string_view line, char letter) {
  const std::size_t at = line.find(letter);
  if (at == std::string_view::npos) return std::nullopt;
  return LeadingValue(line.substr(at + 1));
}

}  // namespace kalmoro::test
