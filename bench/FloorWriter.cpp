// A whole process that only formats and writes numbers: the floor for kalmoro-gen's largest program.
// Usage: kalmoro_floor_writer COUNT RADIUS; the text goes to standard output.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FloorWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::size_t count = 0;
  double radius = 0;
  const std::string_view countText = argv[1], radiusText = argv[2];
  if (std::from_chars(countText.data(), countText.data() + countText.size(), count).ec != std::errc() ||
      std::from_chars(radiusText.data(), radiusText.data() + radiusText.size(), radius).ec != std::errc())
    return 2;
  std::string text;
  kalmoro::bench::FormatInto(kalmoro::bench::CoordinateSample(count, radius), text);
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
