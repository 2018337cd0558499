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
//
// A hole's comment lines (its passes, the held slug) come along with its blocks. A job that roughs every
// hole first says so in its first line, "%(JOB: 2:ROUGH-FIRST)": each hole's comment line is followed by
// its opening (G92, G60) and its rough pass only; after the last hole the wire is cut, and each hole with
// skims comes back in turn, under "(ЧИСТОВЫЕ ПРОХОДЫ 1: CIRCLE: D10:SKIMS=2 @ X20 Y0)", with its opening
// again and its skims, the wire cut, moved and threaded between them as between holes:
//
//   %(JOB: 2:ROUGH-FIRST)
//   (1: CIRCLE: D10:SKIMS=2:STOP=3 @ X20 Y0)
//   N1G92X0.000Y0.000 …                        its opening and rough pass (with the slug held)
//   (ОБРЕЗАТЬ ПРОВОЛОКУ) … (ЗАПРАВИТЬ ПРОВОЛОКУ)
//   (2: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15)   a hole without skims: its whole program
//   …
//   (ОБРЕЗАТЬ ПРОВОЛОКУ) … (ЗАПРАВИТЬ ПРОВОЛОКУ)  back to hole 1
//   (ЧИСТОВЫЕ ПРОХОДЫ 1: CIRCLE: D10:SKIMS=2:STOP=3 @ X20 Y0)
//   N…G92X0.000Y0.000 …                        its opening again and its two skims
//   N…M02
namespace kalmoro {

// The stop codes a machine takes for cutting and threading the wire and for holding a hole's slug: one
// M word each.
struct WireCodes {
  std::string cut = "M00";
  std::string thread = "M00";
  std::string hold = "M00";
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
// wire, so rounding never adds up along the job. With roughFirst, and some hole with skims, the job
// roughs every hole first (see above); otherwise each hole is cut whole in turn. Throws NcOverflow when
// the job needs a block number above 32767, std::invalid_argument for no holes, a program not as the
// generators write it, a position that is not finite, or cut and thread codes IsWireCode refuses.
std::string WriteJob(std::span<const JobHoleProgram> holes, const WireCodes& codes, bool roughFirst = false);

// The blocks a hole adds to the job WriteJob writes: its own but its M02, the three of the travel before
// it unless it is the first, and in a rough-first job, for a hole with skims, the travel before its skims
// and its opening again. A job has these summed and one M02. Throws as WriteJob for a program not as
// the generators write it.
std::size_t JobHoleBlocks(std::string_view program, bool first, bool roughFirst);

// The first line of a job, "%(JOB: n)" or "%(JOB: n:ROUGH-FIRST)" (blanks around it and the letters'
// case do not matter), or nothing when the line is not a job's first line. Whether a line starts like
// one: `IsJobHeaderStart`.
struct JobHeader {
  long holes = 0;
  bool roughFirst = false;
};
std::optional<JobHeader> ParseJobHeader(std::string_view line);
bool IsJobHeaderStart(std::string_view line);

// A hole's comment line "(k: HEADER @ Xx Yy)" read back.
struct JobHoleLine {
  long number = 0;
  std::optional<HoleHeader> header;  // nothing when the header part is not one of the three holes
  double x = 0, y = 0;
};
// Nothing when the line is not a hole's comment line of a job.
std::optional<JobHoleLine> ParseJobHoleLine(std::string_view line);
// The line that brings a hole's skims in a rough-first job, "(ЧИСТОВЫЕ ПРОХОДЫ k: HEADER @ Xx Yy)", read
// the same way; whether a line starts like one.
std::optional<JobHoleLine> ParseJobSkimLine(std::string_view line);
bool IsJobSkimLineStart(std::string_view line);

// The text of a hole's comment, without its parentheses: "2: RECTANGLE: W=20:H=10:R=2 @ X-30 Y15".
std::string JobHoleText(long number, std::string_view headerLine, double x, double y);

// The comment before pass `pass` of `passes`, "(ПРОХОД 2 ИЗ 3: D1)", read back (blanks around it do not
// matter): pass and passes, or nothing for any other line.
struct PassComment {
  int pass = 0, passes = 0;
};
std::optional<PassComment> ParsePassComment(std::string_view line);
// Whether a line is the comment before the held slug's stop, "(ЗАКРЕПИТЬ ВЫРУБКУ)".
bool IsHoldSlugComment(std::string_view line);

}  // namespace kalmoro
