// Helpers shared by the unit tests: a generator whose draws the test knows.
#pragma once

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "FitnessFunction.h"
#include "Individual.h"
#include "RNG.h"
#include "Statistics.h"

// Puts generator i of the table (i >= 1 from seed + i) on a known sequence.
inline void useSeed(long seed) {
  RNG::getInstance();
  for (size_t i = 0; i < RNG::instances.size(); ++i) {
    long s = seed + static_cast<long>(i);
    RNG::instances[i] = std::make_shared<RNG>(&s);
  }
}

// The first seed from 1 up whose fresh generator makes wanted(generator) true:
// how a test forces a crossover site or cut points without a test-only branch.
template <class Predicate>
long findSeed(Predicate wanted) {
  for (long seed = 1; seed < 2000000; ++seed) {
    long s = seed;
    RNG probe(&s);
    if (wanted(probe)) return seed;
  }
  ADD_FAILURE() << "no seed gives the wanted draws";
  return 1;
}

// True when the calling thread's generator, put on seed, has made exactly
// steps draws since: its next draws match a fresh twin advanced that far.
inline ::testing::AssertionResult madeDraws(long seed, int steps) {
  long s = seed;
  RNG twin(&s);
  for (int i = 0; i < steps; ++i) twin.random();
  RNG& rng = *RNG::getInstance();
  for (int i = 0; i < 8; ++i) {
    if (twin.random() != rng.random()) {
      return ::testing::AssertionFailure() << "not " << steps << " draws past seed " << seed;
    }
  }
  return ::testing::AssertionSuccess();
}

using Ids = std::vector<int>;

// A tour encoding holding the given ids.
template <class Tour>
std::shared_ptr<Tour> tourOf(const Ids& ids) {
  auto t = std::make_shared<Tour>(static_cast<int>(ids.size()), std::shared_ptr<FitnessFunction>());
  for (size_t i = 0; i < ids.size(); ++i) t->setCityId(static_cast<int>(i), ids[i]);
  return t;
}

inline Ids ids(const Individual& t) {
  Ids v;
  for (int i = 0; i < t.getLength(); ++i) v.push_back(t.getCityId(i));
  return v;
}

inline bool isPermutation(const Ids& v) {
  Ids expected(v.size());
  std::iota(expected.begin(), expected.end(), 1);
  return std::is_permutation(v.begin(), v.end(), expected.begin());
}

// What one tour crossover must draw and count, replayed on a twin generator.
struct Replay {
  int site = 0;
  int crosses = 0;
  int mutations = 0;
  int draws = 1;
  std::vector<std::pair<int, int>> swaps[2];  // each child's exchanges, in order
};

// The mutation trials of a tour crossover: child1's and child2's trial at
// each position, a successful one redrawing its partner until it differs.
inline void replayTrials(RNG& g, int n, float pm, Replay& r) {
  for (int m = 0; m < n; ++m) {
    for (int child = 0; child < 2; ++child) {
      ++r.draws;
      if (!g.flip(pm)) continue;
      ++r.mutations;
      int partner = m;
      while (n > 1 && partner == m) {
        partner = g.range(0, n - 1);
        ++r.draws;
      }
      r.swaps[child].emplace_back(m, partner);
    }
  }
}

inline int breed(bool parallel, Individual& self, const std::shared_ptr<Individual>& mate,
                 const std::shared_ptr<Individual>& child1,
                 const std::shared_ptr<Individual>& child2, float pc, float pm,
                 Statistics& stats) {
  return parallel ? self.crossParallel(mate, child1, child2, pc, pm, stats)
                  : self.cross(mate, child1, child2, pc, pm, stats);
}

struct ThreadCountRestorer {
  int saved = omp_get_max_threads();
  ~ThreadCountRestorer() { omp_set_num_threads(saved); }
};
