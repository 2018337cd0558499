// How long a press of each "Создать программу" takes, and the costs that grow with the input.

#include <benchmark/benchmark.h>
#include <string>

#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/FieldCheck.h"
#include "nc/NcWriter.h"

namespace {

using namespace kalmoro;

void BM_Circle(benchmark::State& state) {
  NcWriter w;
  for (auto _ : state) benchmark::DoNotOptimize(GenCircle(w, "10"));
}
BENCHMARK(BM_Circle);

void BM_Rect(benchmark::State& state) {
  NcWriter w;
  for (auto _ : state) benchmark::DoNotOptimize(GenRect(w, "20", "10", "2"));
}
BENCHMARK(BM_Rect);

// Lower diameter in mm; the block count grows with its square root (8188 blocks a quarter at most).
void BM_Cone(benchmark::State& state) {
  NcWriter w;
  const std::string lower = std::to_string(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const GenResult r = GenCone(w, "20", lower, lower, "0");
    bytes = r.program.size();
    benchmark::DoNotOptimize(r);
  }
  state.counters["blocks"] = w.BlockNum();
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_Cone)->Arg(20)->Arg(999)->Arg(100000)->Arg(860000)->Unit(benchmark::kMicrosecond);

// Linear blocks appended one after another: the buffer must grow in amortised constant time.
void BM_WriterBlocks(benchmark::State& state) {
  for (auto _ : state) {
    NcWriter w;
    w.GenN(true);
    for (int i = 1; i < state.range(0); ++i) w.GenL(i * 0.001, -i * 0.002, true);
    benchmark::DoNotOptimize(w.Text().data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WriterBlocks)->Range(1024, 32767)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

// A paste of the longest text a field check is made for.
void BM_FieldCheckPaste(benchmark::State& state) {
  std::u16string text;
  for (int i = 0; i < 32767; ++i) text += static_cast<char16_t>(u"1a,.-+ 9"[i % 8]);
  for (auto _ : state) benchmark::DoNotOptimize(CheckInputErr(text, 16000, true));
}
BENCHMARK(BM_FieldCheckPaste)->Unit(benchmark::kMicrosecond);

}  // namespace
