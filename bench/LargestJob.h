#pragma once

#include <string>
#include <utility>
#include <vector>

#include "holes/Job.h"
#include "holes/RoundHole.h"

namespace kalmoro {

// The largest job of round holes D10 on a 20 mm grid, 50 to a row: as many holes as its program's block
// numbers allow. Made once per benchmark program.
struct LargestJobProgram {
  std::string program;
  std::size_t holes = 0;
};

inline const LargestJobProgram& LargestJob() {
  static const LargestJobProgram largest = [] {
    const std::string hole = GenCircle("10").program;
    std::vector<JobHole> holes;
    LargestJobProgram made;
    for (int k = 0;; ++k) {
      holes.push_back({hole, 20.0 * (k % 50), 20.0 * (k - k % 50) / 50});
      GenResult job = GenJob(holes);
      if (!job.Ok()) return made;
      made = {std::move(job.program), holes.size()};
    }
  }();
  return largest;
}

}  // namespace kalmoro
