#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "holes/Job.h"

// The file "kalmoro-gen job" reads: one hole a line, its command and options as "kalmoro-gen" takes
// them on its command line, then "@" and the centre's X and Y in mm:
//
//   # plate 12
//   circle --diameter 10 --skims 2 --stop 3 @ 20 0
//   rect --width 20 --height 10 --radius 2 @ -30 15
//   cone --height 2 --lower 1 --upper 0.8 @ 0 40
//
// Words are separated by blanks (spaces, tabs); a line whose first word starts with "#" is a comment,
// a blank line is skipped; LF or CR LF line ends, an optional UTF-8 byte-order mark. X and Y are plain
// decimal numbers with an optional leading sign, "," read as ".". A line may not carry "-o", "-h" or
// "--machine": the job's profile holds every hole's slug.
namespace kalmoro {

// A line that is not a hole of the job, and why (in Russian, without the line number).
struct JobFileError {
  std::size_t line = 0;  // from 1
  std::string message;
};

// Reading stops at this many bad lines: each line may cost a hole's generation, and a file of 64 MB
// holds a million lines.
inline constexpr std::size_t kMaxJobFileErrors = 100;

struct JobFileReading {
  std::vector<JobHole> holes;          // the holes of the good lines, in order, each generated
  std::vector<std::size_t> holeLines;  // the line of each hole
  std::vector<JobFileError> errors;    // the bad lines, in line order, at most kMaxJobFileErrors
  // The last line read when reading stopped at kMaxJobFileErrors bad lines with more lines to come;
  // 0 when the file was read to its end or to the line that made the job too large.
  std::size_t uncheckedAfter = 0;

  bool Ok() const { return errors.empty(); }
};

// Reads a job file and generates each hole exactly as "kalmoro-gen <command> <options>" would (the
// cone's derived values and its angle check included, a die from its punch; Generate.h), the slug held
// at holdCode, a relief held to the machine's full taper angle maxTaperAngle. Every bad
// line is reported, up to kMaxJobFileErrors: an unknown command, a bad option, a missing or bad
// position, a position beyond ±kMaxJobPosition, a refusal of the generator. The line at which the job's
// program (rough-first or not, JobHoleBlocks) would need more than 32767 blocks is reported with
// kMsgJobTooLarge and ends the reading. So the work stays bounded for any file: a few hundred
// generations at most. Never throws on any text.
JobFileReading ReadJobFile(std::string_view text, bool roughFirst = false,
                           std::string_view holdCode = kDefaultStopCode, double maxTaperAngle = 30);

}  // namespace kalmoro
