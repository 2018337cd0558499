#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "nc/Toolpath.h"

// The order the holes of a job are cut in: the wire travels from each hole's centre to the next one's,
// and the shorter that travel, the sooner the job is done. The first hole is where the job starts (the
// wire is threaded there first), so it stays first; the travel ends at the last hole.
namespace kalmoro {

// The travel of the holes in their given order: the sum of the straight distances between
// consecutive centres; 0 for fewer than two.
double TravelLength(std::span<const Point> centres);
// The travel when the centres are visited in the order of the indices.
double TravelLength(std::span<const Point> centres, std::span<const std::size_t> order);

// The order a greedy walk takes: from the first centre always to the nearest one not yet visited
// (the lowest index among equally near ones).
std::vector<std::size_t> NearestNeighbourOrder(std::span<const Point> centres);

// A short order of the centres: a permutation of their indices starting with 0. The nearest-neighbour
// walk, or the given order when that is shorter already, improved by 2-opt moves (reversing a run of
// the order) among each centre's nearest neighbours until no such move shortens the travel; the
// number of moves and reversed entries is bounded, so that 10 000 centres take a fraction of a second
// (bench/JobOrderBench.cpp). The travel of the result is never longer than that of the given order
// nor than that of the nearest-neighbour walk.
std::vector<std::size_t> OptimiseOrder(std::span<const Point> centres);

}  // namespace kalmoro
