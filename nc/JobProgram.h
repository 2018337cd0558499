#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "nc/HoleHeader.h"

// A job: several hole programs in one, the wire cut after each hole, a rapid move to the next centre
// and the wire threaded again there. Each hole keeps its own program's blocks, renumbered:
//
//   %(JOB: 2)
//   (1: CIRCLE: D10 @ X20 Y0)
//   N1G92X0.000Y0.000 … N12X0.000Y0.000       the hole's blocks from G92 to its return, no M02
//   (ОБРЕЗАТЬ ПРОВОЛОКУ)
//   N13M00                                     the machine's cut code
//   N14G00X-50.000Y15.000                      to the next centre, in this hole's frame
//   (ЗАПРАВИТЬ ПРОВОЛОКУ)
//   N15M00                                     the machine's thread code
//   (2: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15)
//   N16G92X0.000Y0.000 …
//   N33M02
namespace kalmoro {

// The stop codes a machine takes for cutting and threading the wire: one M word each.
struct WireCodes {
  std::string cut = "M00";
  std::string thread = "M00";
  bool operator==(const WireCodes&) const = default;
};

// Whether a text is a wire stop code: "M" and one to three digits, not a program end (M02, M30).
bool IsWireCode(std::string_view code);

// A job holds at most this many holes; a reading counts those beyond.
inline constexpr std::size_t kMaxJobHoles = 10'000;

// One hole of a job: its own program as its generator wrote it (header line first, M02 last, CR LF
// line ends), and where its centre stands.
struct JobHoleProgram {
  std::string_view program;
  double x = 0, y = 0;
};

// The job's program text. Each rapid move is rounded from where the previous moves really put the
// wire, so rounding never adds up along the job. Throws NcOverflow when the job needs a block number
// above 32767, std::invalid_argument for no holes, a program not as the generators write it, a position
// that is not finite, or codes IsWireCode refuses.
std::string WriteJob(std::span<const JobHoleProgram> holes, const WireCodes& codes);

// The first line of a job, "%(JOB: n)" (blanks around it and the letters' case do not matter): n, or
// nothing when the line is not a job's first line. Whether a line starts like one: `IsJobHeaderStart`.
std::optional<long> ParseJobHeader(std::string_view line);
bool IsJobHeaderStart(std::string_view line);

// A hole's comment line "(k: HEADER @ Xx Yy)" read back.
struct JobHoleLine {
  long number = 0;
  std::optional<HoleHeader> header;  // nothing when the header part is not one of the three holes
  double x = 0, y = 0;
};
// Nothing when the line is not a hole's comment line of a job.
std::optional<JobHoleLine> ParseJobHoleLine(std::string_view line);

// The text of a hole's comment, without its parentheses: "2: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15".
std::string JobHoleText(long number, std::string_view headerLine, double x, double y);

}  // namespace kalmoro
