#include "holes/JobOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace kalmoro {
namespace {

std::string Describe(const std::vector<std::size_t>& order) {
  std::string text;
  for (const std::size_t i : order) text += (text.empty() ? "" : " ") + std::to_string(i);
  return text;
}

bool IsPermutation(std::vector<std::size_t> order, std::size_t n) {
  if (order.size() != n) return false;
  std::sort(order.begin(), order.end());
  for (std::size_t k = 0; k < n; ++k)
    if (order[k] != k) return false;
  return true;
}

// The shortening the best 2-opt move of an open path with a fixed first entry would bring, by trying
// every one: reversing the run from p + 1 to q.
double BestTwoOptGain(const std::vector<Point>& centres, const std::vector<std::size_t>& order) {
  const auto d = [&](std::size_t a, std::size_t b) {
    return std::hypot(centres[order[a]].x - centres[order[b]].x, centres[order[a]].y - centres[order[b]].y);
  };
  const std::size_t n = order.size();
  double best = 0;
  for (std::size_t p = 0; p + 1 < n; ++p) {
    for (std::size_t q = p + 2; q < n; ++q) {
      const double removed = d(p, p + 1) + (q + 1 < n ? d(q, q + 1) : 0);
      const double added = d(p, q) + (q + 1 < n ? d(p + 1, q + 1) : 0);
      best = std::max(best, removed - added);
    }
  }
  return best;
}

struct PointSet {
  std::string name;
  std::vector<Point> centres;
};

// Random jobs of many shapes and sizes, the small ones (up to 300, where every other centre is a
// neighbour) and larger ones that go through the neighbour grid.
std::vector<PointSet> RandomSets() {
  std::vector<PointSet> sets;
  std::mt19937 random(20260708);
  const auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<>(low, high)(random);
  };
  for (const std::size_t n : {0, 1, 2, 3, 4, 5, 7, 10, 20, 50, 120, 300, 301, 1000}) {
    for (int round = 0; round < (n <= 50 ? 12 : 1); ++round) {
      const std::string tag = std::to_string(n) + "#" + std::to_string(round);
      PointSet square{"square " + tag, {}};
      PointSet grid{"grid " + tag, {}};
      PointSet line{"line " + tag, {}};
      PointSet clusters{"clusters " + tag, {}};
      PointSet far{"far " + tag, {}};
      for (std::size_t k = 0; k < n; ++k) {
        square.centres.push_back({uniform(-100, 100), uniform(-100, 100)});
        grid.centres.push_back({std::round(uniform(0, 8)) * 5, std::round(uniform(0, 8)) * 5});
        line.centres.push_back({uniform(-50, 50), 7});
        const double cx = std::round(uniform(0, 3)) * 1000;
        clusters.centres.push_back({cx + uniform(-1, 1), uniform(-1, 1)});
        far.centres.push_back({uniform(-99999.999, 99999.999), uniform(-0.001, 0.001)});
      }
      for (PointSet* set : {&square, &grid, &line, &clusters, &far}) sets.push_back(std::move(*set));
    }
  }
  // One spot, many holes: every distance is zero.
  sets.push_back({"one spot", std::vector<Point>(500, Point{3, 4})});
  return sets;
}

TEST(JobOrder, TravelIsTheSumOfTheStepsBetweenCentres) {
  const std::vector<Point> centres = {{0, 0}, {3, 4}, {3, 0}, {-3, 0}};
  EXPECT_DOUBLE_EQ(TravelLength(centres), 5 + 4 + 6);
  const std::vector<std::size_t> order = {0, 2, 1, 3};
  EXPECT_DOUBLE_EQ(TravelLength(centres, order), 3 + 4 + std::hypot(6, 4));
  EXPECT_EQ(TravelLength(std::vector<Point>{}), 0);
  EXPECT_EQ(TravelLength(std::vector<Point>{{5, 5}}), 0);
}

TEST(JobOrder, NearestNeighbourWalksFromTheFirstCentre) {
  const std::vector<Point> centres = {{0, 0}, {10, 0}, {1, 0}, {-2, 0}, {3, 0}};
  EXPECT_EQ(Describe(NearestNeighbourOrder(centres)), "0 2 4 3 1");
  // Equally near: the lower index first.
  const std::vector<Point> tie = {{0, 0}, {-1, 0}, {1, 0}};
  EXPECT_EQ(Describe(NearestNeighbourOrder(tie)), "0 1 2");
}

TEST(JobOrder, PointsOnALineGivenShuffledComeInSortedOrder) {
  std::vector<Point> centres(12);
  for (std::size_t k = 0; k < centres.size(); ++k) centres[k] = {static_cast<double>(k) * 2.5, 1};
  std::vector<Point> shuffled = {centres[0]};
  std::vector<Point> rest(centres.begin() + 1, centres.end());
  std::shuffle(rest.begin(), rest.end(), std::mt19937(7));
  shuffled.insert(shuffled.end(), rest.begin(), rest.end());
  const std::vector<std::size_t> order = OptimiseOrder(shuffled);
  ASSERT_TRUE(IsPermutation(order, shuffled.size())) << Describe(order);
  EXPECT_NEAR(TravelLength(shuffled, order), 11 * 2.5, 1e-9)
      << "from the left end of a line the order must run straight to the right end: " << Describe(order);
  for (std::size_t k = 0; k < order.size(); ++k) EXPECT_EQ(shuffled[order[k]].x, k * 2.5) << Describe(order);
}

TEST(JobOrder, AZigZagTheGreedyWalkGetsWrongIsMadeShorter) {
  // The greedy walk swings right, left, right and left again, each time to the nearer side; going
  // right to the end first and then left once is shorter.
  const std::vector<Point> centres = {{0, 0}, {1, 0}, {-1.9, 0}, {4, 0}, {-8, 0}};
  EXPECT_EQ(Describe(NearestNeighbourOrder(centres)), "0 1 2 3 4");
  EXPECT_NEAR(TravelLength(centres, NearestNeighbourOrder(centres)), 1 + 2.9 + 5.9 + 12, 1e-9);
  const std::vector<std::size_t> order = OptimiseOrder(centres);
  ASSERT_TRUE(IsPermutation(order, centres.size()));
  EXPECT_EQ(order.front(), 0u);
  EXPECT_NEAR(TravelLength(centres, order), 1 + 3 + 12, 1e-9) << Describe(order);
}

TEST(JobOrder, FewCentresKeepTheirOrder) {
  EXPECT_EQ(Describe(OptimiseOrder(std::vector<Point>{})), "");
  EXPECT_EQ(Describe(OptimiseOrder(std::vector<Point>{{1, 1}})), "0");
  EXPECT_EQ(Describe(OptimiseOrder(std::vector<Point>{{1, 1}, {-5, 2}})), "0 1");
  // A centre that is no number leaves the order as it was.
  EXPECT_EQ(Describe(OptimiseOrder(std::vector<Point>{{0, 0}, {NAN, 1}, {2, 2}, {1, 1}})), "0 1 2 3");
}

// For any job: a permutation with the first hole first, no longer than the given order nor than the
// greedy walk; small jobs (every other centre a neighbour) have no shortening 2-opt move left.
TEST(JobOrder, RandomJobsNeverGetLonger) {
  for (const PointSet& set : RandomSets()) {
    SCOPED_TRACE(set.name);
    const std::size_t n = set.centres.size();
    const std::vector<std::size_t> order = OptimiseOrder(set.centres);
    ASSERT_TRUE(IsPermutation(order, n)) << "must be a permutation: " << Describe(order);
    if (n > 0) {
      EXPECT_EQ(order.front(), 0u) << "the first hole is where the wire is threaded first";
    }
    const double travel = TravelLength(set.centres, order);
    EXPECT_LE(travel, TravelLength(set.centres)) << "never longer than the order given";
    EXPECT_LE(travel, TravelLength(set.centres, NearestNeighbourOrder(set.centres)))
        << "never longer than the nearest-neighbour walk";
    if (n <= 300) {
      EXPECT_LE(BestTwoOptGain(set.centres, order), 1e-9 * std::max(1.0, travel))
          << "no 2-opt move may shorten the result: " << Describe(order);
    }
  }
}

// Large random jobs come out well below the greedy walk, as 2-opt among near neighbours does.
TEST(JobOrder, LargeJobsImproveOnTheGreedyWalk) {
  std::mt19937 random(99);
  std::uniform_real_distribution<> uniform(0, 1000);
  std::vector<Point> centres(5000);
  for (Point& p : centres) p = {uniform(random), uniform(random)};
  const std::vector<std::size_t> order = OptimiseOrder(centres);
  ASSERT_TRUE(IsPermutation(order, centres.size()));
  const double greedy = TravelLength(centres, NearestNeighbourOrder(centres));
  EXPECT_LT(TravelLength(centres, order), 0.95 * greedy);
}

}  // namespace
}  // namespace kalmoro
