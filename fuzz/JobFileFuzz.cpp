// The job file of `kalmoro-gen job` on any bytes: reading it never throws or crashes, the bad lines come
// in line order at lines of the text, at most kMaxJobFileErrors of them with bounded messages, every
// hole stands at a line of its own within the table's range, and a job read without a bad line is one
// GenJob writes, hole by hole or rough-first (its block count never passes 32767 unnoticed). libFuzzer's
// -timeout catches a reading that is not bounded.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "cli/JobFile.h"
#include "holes/Job.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

std::size_t LineCount(std::string_view text) {
  std::size_t lines = 0;
  for (std::size_t at = 0; at < text.size(); ++lines) {
    const std::size_t end = text.find('\n', at);
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = AsText(data, size);
  const auto label = [&] { return "job file:\n" + Escaped(text); };
  JobFileReading r;
  try {
    r = ReadJobFile(text);
  } catch (...) {
    Fail("reading a job file never throws", label());
  }
  const std::size_t lines = LineCount(text);
  if (r.errors.size() > kMaxJobFileErrors) Fail("at most kMaxJobFileErrors bad lines", label());
  if (r.uncheckedAfter != 0 && r.errors.size() != kMaxJobFileErrors)
    Fail("reading stops early only at kMaxJobFileErrors bad lines", label());
  std::size_t last = 0;
  for (const JobFileError& e : r.errors) {
    if (e.line <= last || e.line > lines)
      Fail("bad lines in line order, each at a line of the text", label());
    if (e.message.empty() || e.message.size() > 400 + 3) Fail("a bad line's message is short", label());
    last = e.line;
  }
  if (r.holes.size() != r.holeLines.size()) Fail("every hole has its line", label());
  last = 0;
  for (std::size_t k = 0; k < r.holes.size(); ++k) {
    const std::size_t line = r.holeLines[k];
    if (line <= last || line > lines) Fail("holes in line order, each at a line of the text", label());
    for (const JobFileError& e : r.errors) {
      if (e.line == line) Fail("a line is a hole or a bad line, not both", label());
    }
    const JobHole& hole = r.holes[k];
    if (!(std::fabs(hole.x) <= kMaxJobPosition && std::fabs(hole.y) <= kMaxJobPosition))
      Fail("a hole's position is within the table's range", label());
    if (hole.program.empty()) Fail("a hole has its program", label());
    last = line;
  }
  if (r.Ok() && !r.holes.empty()) {
    const GenResult job = GenJob(r.holes);
    if (!job.Ok()) Fail("a job read without a bad line is written", label() + "\nrefused: " + job.error);
  }
  // The same file for a job that roughs every hole first, whose skims add their own parts.
  const JobFileReading rough = ReadJobFile(text, true);
  if (rough.Ok() && !rough.holes.empty()) {
    const GenResult job = GenJob(rough.holes, {}, true);
    if (!job.Ok())
      Fail("a rough-first job read without a bad line is written", label() + "\nrefused: " + job.error);
  }
  return 0;
}
