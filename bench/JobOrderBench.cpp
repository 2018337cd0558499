// How long "Оптимизировать порядок" takes for a job of 10 000 holes (kMaxJobHoles), the largest a job
// holds, for holes spread in several ways: the greedy walk alone, and the whole optimisation.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "holes/JobOrder.h"
#include "nc/JobProgram.h"

namespace {

using namespace kalmoro;

enum Spread { kUniform, kClusters, kGrid, kLine, kOneSpot, kSpeck };

std::vector<Point> Centres(Spread spread, std::size_t n) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<> unit(0, 1);
  std::vector<Point> centres(n);
  for (std::size_t k = 0; k < n; ++k) {
    Point& p = centres[k];
    const std::size_t backwards = n - 1 - k;
    switch (spread) {
      case kUniform:  // a plate of 2 × 2 m
        p = {unit(random) * 2000, unit(random) * 2000};
        break;
      case kClusters:  // ten flanges, each holes within 10 mm
        p = {std::floor(unit(random) * 10) * 150 + unit(random) * 10, unit(random) * 10};
        break;
      case kGrid:  // a perforated sheet, rows of 100 holes 5 mm apart, given row by row backwards
        p = {static_cast<double>(backwards % 100) * 5, static_cast<double>(backwards - backwards % 100) / 20};
        break;
      case kLine:
        p = {unit(random) * 1000, 0};
        break;
      case kOneSpot:
        p = {1, 1};
        break;
      case kSpeck:  // all within 0.01 mm but the last, a metre away
        p = k + 1 == n ? Point{1000, 1000} : Point{unit(random) * 0.01, unit(random) * 0.01};
        break;
    }
  }
  return centres;
}

void SpreadArgs(benchmark::internal::Benchmark* b) {
  for (int spread = kUniform; spread <= kSpeck; ++spread) b->Arg(spread);
  b->ArgName("spread(uniform,clusters,grid,line,one_spot,speck)");
}

void BM_NearestNeighbourOrder(benchmark::State& state) {
  const std::vector<Point> centres = Centres(static_cast<Spread>(state.range(0)), kMaxJobHoles);
  for (auto _ : state) benchmark::DoNotOptimize(NearestNeighbourOrder(centres));
}
BENCHMARK(BM_NearestNeighbourOrder)->Apply(SpreadArgs)->Unit(benchmark::kMillisecond);

void BM_OptimiseOrder(benchmark::State& state) {
  const std::vector<Point> centres = Centres(static_cast<Spread>(state.range(0)), kMaxJobHoles);
  double travel = 0;
  for (auto _ : state) {
    const std::vector<std::size_t> order = OptimiseOrder(centres);
    travel = TravelLength(centres, order);
    benchmark::DoNotOptimize(travel);
  }
  state.counters["travel_given_m"] = TravelLength(centres) / 1000;
  state.counters["travel_greedy_m"] = TravelLength(centres, NearestNeighbourOrder(centres)) / 1000;
  state.counters["travel_m"] = travel / 1000;
}
BENCHMARK(BM_OptimiseOrder)->Apply(SpreadArgs)->Unit(benchmark::kMillisecond);

}  // namespace
