// How long reading a program takes per block: the largest jobs against the largest single program, the
// cone of 869 700 mm (32 765 blocks), in the same run. A job's reading is the preview's and `check`'s;
// it must not cost much more per block than a single program's.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "check/MachineCheck.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/JobProgram.h"
#include "nc/NcWriter.h"

namespace {

using namespace kalmoro;

enum Program { kCone, kPlainJob, kPassesJob, kRoughFirstJob };

// The holes of a plate: 2 000 round holes of 2 to 20 mm, one pass each (about 30 000 blocks); or round,
// rectangular and conical holes with two skims and a held slug, as many as the block numbers allow.
std::vector<JobHole> Holes(bool passes, bool roughFirst) {
  std::vector<JobHole> holes;
  const PassOptions options{2, 3, SkimDirection::Alternate};
  std::size_t blocks = 1;
  for (int n = 0;; ++n) {
    GenResult hole;
    const std::string d = std::to_string(2 + n % 19);
    if (!passes)
      hole = GenCircle(d);
    else if (n % 3 == 0)
      hole = GenCircle(d, options);
    else if (n % 3 == 1)
      hole = GenRect("20", "10", "2", options);
    else
      hole = GenCone("10", "6", "5", "5.7248", options);
    const std::size_t more = JobHoleBlocks(hole.program, holes.empty(), roughFirst);
    if ((!passes && n == 2000) || blocks + more > static_cast<std::size_t>(NcWriter::kMaxBlockNum)) break;
    blocks += more;
    const int row = n / 50;  // rows of 50 holes 30 mm apart
    holes.push_back({hole.program, static_cast<double>(n % 50 * 30), static_cast<double>(row * 30)});
  }
  return holes;
}

std::string ProgramOf(Program which) {
  if (which == kCone) return GenCone("1", "869700", "869700", "0").program;
  const bool roughFirst = which == kRoughFirstJob;
  return GenJob(Holes(which != kPlainJob, roughFirst), {}, roughFirst).program;
}

// Range 0: the program; range 1: the reading alone (0), or all `check` does with it (1): the reading,
// the machine's check and the cutting time.
void BM_ReadPerBlock(benchmark::State& state) {
  const std::string text = ProgramOf(static_cast<Program>(state.range(0)));
  const bool whole = state.range(1) == 1;
  const MachineProfile machine;
  int blocks = 0;
  for (auto _ : state) {
    ProgramReading r = ReadProgram(text);
    if (whole) {
      CheckMachine(r, machine);
      benchmark::DoNotOptimize(EstimateCuttingTime(r, machine));
    }
    if (ProblemCount(r) != 0) state.SkipWithError("the program reads with problems");
    blocks = r.blocks;
    benchmark::DoNotOptimize(r.moves.data());
  }
  state.counters["blocks"] = blocks;
  state.counters["per_block"] =
      benchmark::Counter(blocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadPerBlock)
    ->ArgsProduct({{kCone, kPlainJob, kPassesJob, kRoughFirstJob}, {0, 1}})
    ->ArgNames({"program", "check"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
