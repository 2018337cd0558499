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
#include <functional>
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

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// An input file of the process benchmarks, made once (later runs take it as it is) a megabyte at a time:
// `part(n)` is the n-th part, empty after the last. The benchmark's own memory must not grow with the
// input, since a spawned child's peak memory (ru_maxrss) starts from its parent's.
std::string MadeInput(const std::string& path, const std::function<std::string(std::size_t)>& part) {
  if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
    std::fclose(existing);
    return path;
  }
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    for (std::size_t n = 0;; ++n) {
      const std::string text = part(n);
      if (text.empty()) break;
      std::fwrite(text.data(), 1, text.size(), file);
    }
    std::fclose(file);
  }
  return path;
}

// Part n of 50 MB made of `unit` over and over.
std::string Repeated(std::string_view unit, std::size_t n) {
  std::string text;
  if (n >= 50) return text;
  while (text.size() < kMegabyte) text += unit;
  text.resize(kMegabyte);
  return text;
}

// `kalmoro-gen check` on a file: the wall time and the peak memory of the process (ru_maxrss), against
// the size of the file. The floor is the same check of an empty file: the process itself.
std::string CheckInput(int kind) {
  const std::string path = "/tmp/kalmoro-bench-check-" + std::to_string(kind) + ".iso";
  if (kind == 5) {  // 100 MB, over the limit: refused unread
    std::string made = MadeInput(path, [](std::size_t) { return std::string(); });
    if (::truncate(made.c_str(), off_t{100} << 20) != 0) ::unlink(made.c_str());  // fails the run
    return made;
  }
  return MadeInput(path, [kind](std::size_t n) {
    if (kind == 1) return n == 0 ? Cone(kLargest).program : std::string();  // the largest program
    if (kind == 2) return Repeated("X", n);                                 // a 50 MB line of one letter
    if (kind == 3) return Repeated("X1\n", n);                              // 50 MB of one-word moves
    std::string text;
    if (kind == 4 && n < 50)  // 50 MB of bytes 0 … 255
      for (std::size_t k = n * kMegabyte; k < (n + 1) * kMegabyte; ++k)
        text += static_cast<char>(k * 2654435761u >> 13);
    return text;
  });
}

void BM_CheckProcess(benchmark::State& state) {
  const std::string path = CheckInput(static_cast<int>(state.range(0)));
  const long peakKb = RunProcess(state, {KALMORO_GEN_PATH, "check", path}, state.range(0) == 5 ? 2 : 1);
  struct stat st {};
  ::stat(path.c_str(), &st);
  state.counters["file_MB"] = static_cast<double>(st.st_size) / (1 << 20);
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024;
}
// 0: an empty file (the floor), then the inputs of CheckInput.
BENCHMARK(BM_CheckProcess)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// `kalmoro-gen job` on a file, as BM_CheckProcess measures check. The floor is the job of one circle.
std::string JobInput(int kind) {
  return MadeInput("/tmp/kalmoro-bench-job-" + std::to_string(kind) + ".txt", [kind](std::size_t n) {
    std::string text;
    if (kind == 0 && n == 0) text = "circle @ 0 0\n";
    if (kind == 1 && n == 0)  // the largest job: as many circles as the block numbers allow
      for (int k = 0; k < 2184; ++k) text += "circle --diameter 10 @ " + std::to_string(k) + " 0\n";
    if (kind == 2) text = Repeated("x", n);  // a 50 MB line of one unknown word
    if (kind == 3) {                         // a circle whose diameter is a 50 MB number
      text = n == 0 ? "circle --diameter " : n <= 50 ? Repeated("1", n - 1) : n == 51 ? " @ 0 0\n" : "";
    }
    if (kind == 4) text = n == 0 ? "circle @ 0 0\n" : Repeated("# x\n", n - 1);  // 50 MB of comments
    return text;
  });
}

void BM_JobProcess(benchmark::State& state) {
  const std::string path = JobInput(static_cast<int>(state.range(0)));
  const long peakKb = RunProcess(state, {KALMORO_GEN_PATH, "job", path}, 1);
  struct stat st {};
  ::stat(path.c_str(), &st);
  state.counters["file_MB"] = static_cast<double>(st.st_size) / (1 << 20);
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024;
}
BENCHMARK(BM_JobProcess)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

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
