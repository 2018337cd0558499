// How long a press of each "Создать программу" takes, measured against the floor of formatting the
// same number of coordinates with std::to_chars, in process and as a whole kalmoro-gen process.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FloorWriter.h"
#include "fields/FieldCheck.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/NcWriter.h"

extern char** environ;

namespace {

using namespace kalmoro;

// Lower diameters (mm) of cones with 1 121 to 32 765 blocks: the block count grows with the square
// root of the diameter, and 869 700 mm gives the largest program the block numbers allow.
const std::vector<long long> kLowerDiameters = {999, 13000, 52000, 208000, 869700};

GenResult Cone(long long lower) {
  const std::string text = std::to_string(lower);
  return GenCone("20", text, text, "0");
}

// Coordinate words in a program: each is a letter followed by a signed number.
std::size_t CoordinateWords(const std::string& program) {
  std::size_t words = 0;
  for (std::size_t i = 0; i + 1 < program.size(); ++i) {
    const char c = program[i];
    const char next = program[i + 1];
    if ((c == 'X' || c == 'Y' || c == 'U' || c == 'V' || c == 'I' || c == 'J' || c == 'W' || c == 'R') &&
        (next == '-' || (next >= '0' && next <= '9')))
      ++words;
  }
  return words;
}

std::size_t Blocks(const std::string& program) {
  return static_cast<std::size_t>(std::count(program.begin(), program.end(), '\n')) - 1;
}

void BM_Circle(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GenCircle("10"));
}
BENCHMARK(BM_Circle);

void BM_Rect(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GenRect("20", "10", "2"));
}
BENCHMARK(BM_Rect);

void BM_Cone(benchmark::State& state) {
  const std::string program = Cone(state.range(0)).program;
  for (auto _ : state) benchmark::DoNotOptimize(Cone(state.range(0)));
  state.counters["blocks"] = static_cast<double>(Blocks(program));
  state.SetComplexityN(static_cast<benchmark::IterationCount>(Blocks(program)));
  state.SetBytesProcessed(static_cast<std::int64_t>(program.size()) * state.iterations());
}

// The same number of coordinates as the cone of that lower diameter, formatted by std::to_chars.
void BM_ToCharsFloor(benchmark::State& state) {
  const std::string program = Cone(state.range(0)).program;
  const std::vector<double> values =
      bench::CoordinateSample(CoordinateWords(program), static_cast<double>(state.range(0)) / 2);
  std::string text;
  for (auto _ : state) {
    bench::FormatInto(values, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["numbers"] = static_cast<double>(values.size());
  state.SetComplexityN(static_cast<benchmark::IterationCount>(Blocks(program)));
}

// Runs a program with its standard output on /dev/null, once per iteration, and gives the largest peak
// memory (ru_maxrss, kB) a run had; a run that fails or exits above maxStatus stops the benchmark.
long RunProcess(benchmark::State& state, std::vector<std::string> args, int maxStatus = 0) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  long peakKb = 0;
  for (auto _ : state) {
    pid_t pid = 0;
    int status = 0;
    struct rusage usage {};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > maxStatus) {
      state.SkipWithError("the process failed");
      break;
    }
    peakKb = std::max(peakKb, usage.ru_maxrss);
  }
  posix_spawn_file_actions_destroy(&actions);
  return peakKb;
}

const long long kLargest = kLowerDiameters.back();

void BM_ProcessGenLargest(benchmark::State& state) {
  const std::string d = std::to_string(kLargest);
  RunProcess(state, {KALMORO_GEN_PATH, "cone", "--height", "20", "--lower", d, "--upper", d, "--angle", "0"});
}
BENCHMARK(BM_ProcessGenLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessFloorLargest(benchmark::State& state) {
  const std::size_t words = CoordinateWords(Cone(kLargest).program);
  RunProcess(state, {KALMORO_FLOOR_PATH, std::to_string(words), std::to_string(kLargest / 2)});
}
BENCHMARK(BM_ProcessFloorLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// `kalmoro-gen check` on a file: the wall time and the peak memory of the process (ru_maxrss), against
// the size of the file. The floor is the same check of an empty file: the process itself.
std::string CheckInput(int kind) {
  std::string path = "/tmp/kalmoro-bench-check-" + std::to_string(kind) + ".iso";
  if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
    std::fclose(existing);
    return path;
  }
  std::string text;
  if (kind == 1) text = Cone(kLargest).program;  // the largest program
  if (kind == 2) text.assign(50u << 20, 'X');    // a 50 MB line of one letter
  if (kind == 3)                                 // 50 MB of one-word moves
    for (std::size_t n = 0; text.size() < (50u << 20); ++n) text += "X1\n";
  if (kind == 4)  // 50 MB of bytes 0 … 255
    for (std::size_t n = 0; n < (50u << 20); ++n) text += static_cast<char>(n * 2654435761u >> 13);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
  return path;
}

void BM_CheckProcess(benchmark::State& state) {
  const std::string path = CheckInput(static_cast<int>(state.range(0)));
  const long peakKb = RunProcess(state, {KALMORO_GEN_PATH, "check", path}, 1);
  struct stat st {};
  ::stat(path.c_str(), &st);
  state.counters["file_MB"] = static_cast<double>(st.st_size) / (1 << 20);
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024;
}
// 0: an empty file (the floor), then the inputs of CheckInput.
BENCHMARK(BM_CheckProcess)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A paste of the longest text a field check is made for.
void BM_FieldCheckPaste(benchmark::State& state) {
  std::u16string text;
  for (int i = 0; i < 32767; ++i) text += static_cast<char16_t>(u"1a,.-+ 9"[i % 8]);
  for (auto _ : state) benchmark::DoNotOptimize(CheckInputErr(text, 16000, true));
}
BENCHMARK(BM_FieldCheckPaste)->Unit(benchmark::kMicrosecond);

void ConeArgs(benchmark::internal::Benchmark* b) {
  for (const long long lower : kLowerDiameters) b->Arg(lower);
  b->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);
}
BENCHMARK(BM_Cone)->Apply(ConeArgs);
BENCHMARK(BM_ToCharsFloor)->Apply(ConeArgs);

}  // namespace
