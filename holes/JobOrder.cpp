#include "holes/JobOrder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <numeric>
#include <utility>

namespace kalmoro {
namespace {

// Each centre's nearest neighbours the 2-opt moves look among; all others for a job this small, so
// that its result has no improving 2-opt move at all.
constexpr std::size_t kNeighbours = 10;
constexpr std::size_t kAllNeighboursUpTo = 300;

// The bounds that keep the improvement fast for any job: moves made, and entries of the order moved
// by their reversals. Random jobs of 10 000 holes make about 2 500 moves that move about 1.2 million
// entries; the bound on reversals costs about 0.1 s at most (bench/JobOrderBench.cpp).
constexpr std::size_t kMovesPerCentre = 5;
constexpr std::size_t kReversedEntries = 20'000'000;

double Distance(const Point& a, const Point& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

double SquaredDistance(const Point& a, const Point& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return dx * dx + dy * dy;
}

// A neighbour as found: its squared distance, then its index, orders the nearest first.
using Candidate = std::pair<double, std::size_t>;

// A k-d tree over the centres: each node holds a run of `m_index`, split at its median along the longer
// side of its bounding box, down to a few centres a leaf.
class CentreTree {
 public:
  explicit CentreTree(std::span<const Point> centres) : m_centres(centres), m_index(centres.size()) {
    std::iota(m_index.begin(), m_index.end(), std::size_t{0});
    m_nodes.reserve(2 * centres.size() / kLeafSize + 2);
    Build(0, centres.size());
  }

  // The k nearest centres to centre i, itself left out, nearest first, into out. Subtrees no nearer
  // than the k-th found are not searched, so that centres standing on one spot are found at once.
  void Nearest(std::size_t i, std::size_t k, std::vector<Candidate>& best) const {
    best.clear();
    Search(0, i, k, best);
    std::sort_heap(best.begin(), best.end());
  }

 private:
  static constexpr std::size_t kLeafSize = 8;

  struct Node {
    std::size_t from = 0, to = 0;   // its run of m_index
    std::size_t low = 0, high = 0;  // its two halves; none for a leaf (0)
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
  };

  std::size_t Build(std::size_t from, std::size_t to) {
    const std::size_t at = m_nodes.size();
    m_nodes.push_back({from, to});
    Node node{from, to};
    node.minX = node.maxX = m_centres[m_index[from]].x;
    node.minY = node.maxY = m_centres[m_index[from]].y;
    for (std::size_t k = from; k < to; ++k) {
      const Point& p = m_centres[m_index[k]];
      node.minX = std::min(node.minX, p.x);
      node.maxX = std::max(node.maxX, p.x);
      node.minY = std::min(node.minY, p.y);
      node.maxY = std::max(node.maxY, p.y);
    }
    if (to - from > kLeafSize) {
      const std::size_t middle = from + (to - from) / 2;
      const bool alongX = node.maxX - node.minX >= node.maxY - node.minY;
      const auto first = m_index.begin() + static_cast<std::ptrdiff_t>(from);
      std::nth_element(first, m_index.begin() + static_cast<std::ptrdiff_t>(middle),
                       m_index.begin() + static_cast<std::ptrdiff_t>(to), [&](std::size_t a, std::size_t b) {
                         return alongX ? m_centres[a].x < m_centres[b].x : m_centres[a].y < m_centres[b].y;
                       });
      node.low = Build(from, middle);
      node.high = Build(middle, to);
    }
    m_nodes[at] = node;
    return at;
  }

  void Search(std::size_t n, std::size_t i, std::size_t k, std::vector<Candidate>& best) const {
    const Node& node = m_nodes[n];
    const Point& p = m_centres[i];
    if (best.size() == k) {
      const double dx = std::max({node.minX - p.x, 0.0, p.x - node.maxX});
      const double dy = std::max({node.minY - p.y, 0.0, p.y - node.maxY});
      if (dx * dx + dy * dy >= best.front().first) return;
    }
    if (node.low == 0) {
      for (std::size_t m = node.from; m < node.to; ++m) {
        const std::size_t j = m_index[m];
        if (j == i) continue;
        const Candidate found{SquaredDistance(p, m_centres[j]), j};
        if (best.size() < k) {
          best.push_back(found);
          std::push_heap(best.begin(), best.end());
        } else if (found < best.front()) {
          std::pop_heap(best.begin(), best.end());
          best.back() = found;
          std::push_heap(best.begin(), best.end());
        }
      }
      return;
    }
    // The half the centre stands nearer to first: the k-th distance shrinks sooner.
    const Node& low = m_nodes[node.low];
    const bool alongX = node.maxX - node.minX >= node.maxY - node.minY;
    const bool lowFirst = alongX ? p.x <= low.maxX : p.y <= low.maxY;
    Search(lowFirst ? node.low : node.high, i, k, best);
    Search(lowFirst ? node.high : node.low, i, k, best);
  }

  std::span<const Point> m_centres;
  std::vector<std::size_t> m_index;
  std::vector<Node> m_nodes;
};

// The nearest `k` other centres of every centre, nearest first (`k` entries from i * k for centre i).
std::vector<std::size_t> NearestNeighbours(std::span<const Point> centres, std::size_t k) {
  const std::size_t n = centres.size();
  k = std::min(k, n - 1);
  std::vector<std::size_t> out(n * k);
  if (k == 0) return out;
  const CentreTree tree(centres);
  std::vector<Candidate> best;
  best.reserve(k + 1);
  for (std::size_t i = 0; i < n; ++i) {
    tree.Nearest(i, k, best);
    for (std::size_t m = 0; m < k; ++m) out[i * k + m] = best[m].second;
  }
  return out;
}

// Every other centre of every centre, nearest first: for small jobs.
std::vector<std::size_t> AllNeighbours(std::span<const Point> centres) {
  const std::size_t n = centres.size();
  const std::size_t k = n - 1;
  std::vector<std::size_t> out(n * k);
  std::vector<Candidate> others;
  others.reserve(k);
  for (std::size_t i = 0; i < n; ++i) {
    others.clear();
    for (std::size_t j = 0; j < n; ++j)
      if (j != i) others.emplace_back(SquaredDistance(centres[i], centres[j]), j);
    std::sort(others.begin(), others.end());
    for (std::size_t m = 0; m < k; ++m) out[i * k + m] = others[m].second;
  }
  return out;
}

// 2-opt on an open path whose first entry stays: a move takes out two edges (or one edge and the
// path's end) and joins the ends the other way round by reversing the run between them. Moves are
// looked for from centres on a queue, among each centre's nearest neighbours, the first that shortens
// the travel taken; the four centres at the edges it changed go back on the queue.
class TwoOpt {
 public:
  TwoOpt(std::span<const Point> centres, std::vector<std::size_t> order)
      : m_centres(centres), m_order(std::move(order)), m_pos(m_order.size()) {
    for (std::size_t p = 0; p < m_order.size(); ++p) m_pos[m_order[p]] = p;
    const std::size_t n = m_order.size();
    if (n <= kAllNeighboursUpTo) {
      m_k = n - 1;
      m_neighbours = AllNeighbours(centres);
    } else {
      m_k = std::min(kNeighbours, n - 1);
      m_neighbours = NearestNeighbours(centres, m_k);
    }
  }

  std::vector<std::size_t> Run() && {
    const std::size_t n = m_order.size();
    const std::size_t maxMoves = kMovesPerCentre * n;
    std::size_t moves = 0;
    // A centre leaves the queue when no move is found from it, and comes back when a move changes one
    // of its edges. A move can still open up from a centre whose edges stayed, so the rounds go on
    // until one finds no move from any centre.
    for (bool moved = true; moved;) {
      moved = false;
      std::deque<std::size_t> queue(m_order.begin(), m_order.end());
      std::vector<char> queued(n, 1);
      while (!queue.empty()) {
        if (moves >= maxMoves || m_reversed >= kReversedEntries) return std::move(m_order);
        const std::size_t a = queue.front();
        queue.pop_front();
        queued[a] = 0;
        std::array<std::size_t, 4> touched{};
        if (!Improve(a, touched)) continue;
        ++moves;
        moved = true;
        for (const std::size_t t : touched) {
          if (t < n && !queued[t]) {
            queued[t] = 1;
            queue.push_back(t);
          }
        }
      }
    }
    return std::move(m_order);
  }

 private:
  double Dist(std::size_t a, std::size_t b) const { return Distance(m_centres[a], m_centres[b]); }

  // Whether `added` is shorter than `removed` by more than rounding.
  static bool Shorter(double added, double removed) {
    return added < removed - 1e-12 * std::max(1.0, removed);
  }

  // Makes the first shortening move found from centre a; the centres at its changed edges go into
  // `touched` (n for none).
  bool Improve(std::size_t a, std::array<std::size_t, 4>& touched) {
    const std::size_t n = m_order.size();
    const std::size_t i = m_pos[a];
    const std::span<const std::size_t> near(m_neighbours.data() + a * m_k, m_k);
    // a's edge to its successor a2 replaced by a - c, and c's to its successor (if any) by a2 - c2.
    if (i + 1 < n) {
      const std::size_t a2 = m_order[i + 1];
      const double edge = Dist(a, a2);
      for (const std::size_t c : near) {
        const double join = Dist(a, c);
        if (!(join < edge)) break;
        const std::size_t j = m_pos[c];
        if (j == i + 1 || j + 1 == i) continue;
        const bool last = j + 1 == n;
        const std::size_t c2 = last ? n : m_order[j + 1];
        const double removed = edge + (last ? 0 : Dist(c, c2));
        const double added = join + (last ? 0 : Dist(a2, c2));
        if (!Shorter(added, removed)) continue;
        Reverse(std::min(i, j) + 1, std::max(i, j));
        touched = {a, a2, c, c2};
        return true;
      }
    }
    // a's edge to its predecessor a0 replaced by a - c, and c's to its predecessor c0 by a0 - c0. The
    // first entry is nobody's successor and has no predecessor: it never moves.
    if (i >= 1) {
      const std::size_t a0 = m_order[i - 1];
      const double edge = Dist(a0, a);
      for (const std::size_t c : near) {
        const double join = Dist(a, c);
        if (!(join < edge)) break;
        const std::size_t j = m_pos[c];
        if (j == 0 || j + 1 == i || j == i + 1) continue;
        const std::size_t c0 = m_order[j - 1];
        const double removed = edge + Dist(c0, c);
        const double added = join + Dist(a0, c0);
        if (!Shorter(added, removed)) continue;
        Reverse(std::min(i, j), std::max(i, j) - 1);
        touched = {a, a0, c, c0};
        return true;
      }
    }
    return false;
  }

  void Reverse(std::size_t from, std::size_t to) {
    m_reversed += to - from + 1;
    for (; from < to; ++from, --to) {
      std::swap(m_order[from], m_order[to]);
      m_pos[m_order[from]] = from;
      m_pos[m_order[to]] = to;
    }
  }

  std::span<const Point> m_centres;
  std::vector<std::size_t> m_order;
  std::vector<std::size_t> m_pos;  // where each centre stands in m_order
  std::size_t m_k = 0;
  std::vector<std::size_t> m_neighbours;
  std::size_t m_reversed = 0;
};

}  // namespace

double TravelLength(std::span<const Point> centres) {
  double sum = 0;
  for (std::size_t k = 1; k < centres.size(); ++k) sum += Distance(centres[k - 1], centres[k]);
  return sum;
}

double TravelLength(std::span<const Point> centres, std::span<const std::size_t> order) {
  double sum = 0;
  for (std::size_t k = 1; k < order.size(); ++k) sum += Distance(centres[order[k - 1]], centres[order[k]]);
  return sum;
}

std::vector<std::size_t> NearestNeighbourOrder(std::span<const Point> centres) {
  const std::size_t n = centres.size();
  std::vector<std::size_t> order;
  order.reserve(n);
  if (n == 0) return order;
  // The centres not yet visited, in increasing index order.
  std::vector<std::size_t> left(n - 1);
  std::iota(left.begin(), left.end(), std::size_t{1});
  std::size_t at = 0;
  order.push_back(at);
  while (!left.empty()) {
    std::size_t best = 0;
    double bestDistance = SquaredDistance(centres[at], centres[left[0]]);
    for (std::size_t m = 1; m < left.size(); ++m) {
      const double d = SquaredDistance(centres[at], centres[left[m]]);
      if (d < bestDistance) {
        bestDistance = d;
        best = m;
      }
    }
    at = left[best];
    order.push_back(at);
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
  }
  return order;
}

std::vector<std::size_t> OptimiseOrder(std::span<const Point> centres) {
  const std::size_t n = centres.size();
  std::vector<std::size_t> given(n);
  std::iota(given.begin(), given.end(), std::size_t{0});
  if (n < 3) return given;
  for (const Point& p : centres)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return given;
  std::vector<std::size_t> greedy = NearestNeighbourOrder(centres);
  const double givenTravel = TravelLength(centres, given);
  const double greedyTravel = TravelLength(centres, greedy);
  std::vector<std::size_t> start = greedyTravel <= givenTravel ? std::move(greedy) : std::move(given);
  std::vector<std::size_t> improved = TwoOpt(centres, start).Run();
  // Each move shortens the travel by more than rounding, but the sum is added up anew: keep the start
  // should it come out longer by a last bit.
  if (TravelLength(centres, improved) > TravelLength(centres, start)) return start;
  return improved;
}

}  // namespace kalmoro
