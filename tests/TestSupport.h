// Helpers shared by the unit tests: a generator whose draws the test knows.
#pragma once

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <initializer_list>
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

// Puts generator 0 just before its first draw of exactly `wanted`: a first
// draw hits one exact value too rarely to find by seed, a long sequence does.
inline void nextDrawIs(float wanted) {
  long seed = 1;
  RNG probe(&seed);
  long before = 0;
  while (probe.random() != wanted) ++before;
  seed = 1;
  auto rng = std::make_shared<RNG>(&seed);
  for (long i = 0; i < before; ++i) rng->random();
  useSeed(1);
  RNG::instances[0] = rng;
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

// A team of the given size, each thread with a generator (use useSeed to seed
// them); the runtime's setting and the table are restored afterwards.
struct ThreadTeam {
  explicit ThreadTeam(int threads) : saved(omp_get_max_threads()) {
    RNG::getInstance();
    table = RNG::instances;
    if (RNG::instances.size() < static_cast<size_t>(threads)) RNG::instances.resize(threads);
    omp_set_num_threads(threads);
  }
  ~ThreadTeam() {
    omp_set_num_threads(saved);
    RNG::instances = table;
  }
  int saved;
  std::vector<std::shared_ptr<RNG>> table;
};

struct ThreadCountRestorer {
  int saved = omp_get_max_threads();
  ~ThreadCountRestorer() { omp_set_num_threads(saved); }
};

// A chain of tour crossings, children breeding next: every call checked
// against `replay` of its draws on a twin generator (site, counters, draws;
// children without a crossover are the parents with the replayed exchanges),
// and crossParallel at 1, 2 and 4 threads giving what cross gives.
template <class Tour>
void checkRandomBreeding(std::initializer_list<int> lengths,
                         Replay (*replay)(long seed, int n, float pc, float pm)) {
  const ThreadCountRestorer restore;
  const float settings[][2] = {
      {0.0f, 0.3f}, {1.0f, 0.0f}, {0.7f, 0.05f}, {1.0f, 1.0f}, {0.3f, 0.5f}};
  for (long seed : {1L, 17L, 4242L}) {
    for (int n : lengths) {
      useSeed(seed);
      std::vector<std::shared_ptr<Individual>> pop;
      for (int i = 0; i < 6; ++i) {
        pop.push_back(std::make_shared<Tour>(n, std::shared_ptr<FitnessFunction>()));
      }
      for (int call = 0; call < 45; ++call) {
        SCOPED_TRACE(testing::Message()
                     << "seed " << seed << ", length " << n << ", call " << call);
        const float pc = settings[call % 5][0], pm = settings[call % 5][1];
        omp_set_num_threads(1 << (call % 3));
        const long callSeed = seed * 1000 + call;
        const Replay expected = replay(callSeed, n, pc, pm);
        for (int parallel = 0; parallel < 2; ++parallel) {
          const auto& child1 = pop[2 + 2 * parallel];
          const auto& child2 = pop[3 + 2 * parallel];
          useSeed(callSeed);
          Statistics stats;
          ASSERT_EQ(expected.site, breed(parallel, *pop[0], pop[1], child1, child2, pc, pm, stats));
          ASSERT_EQ(expected.crosses, stats.getCrosses());
          ASSERT_EQ(expected.mutations, stats.getMutations());
          ASSERT_TRUE(madeDraws(callSeed, expected.draws));
          ASSERT_TRUE(isPermutation(ids(*child1)));
          ASSERT_TRUE(isPermutation(ids(*child2)));
          if (expected.site == n - 1) {
            Ids copy1 = ids(*pop[0]), copy2 = ids(*pop[1]);
            for (auto [i, j] : expected.swaps[0]) std::swap(copy1[i], copy1[j]);
            for (auto [i, j] : expected.swaps[1]) std::swap(copy2[i], copy2[j]);
            ASSERT_EQ(copy1, ids(*child1));
            ASSERT_EQ(copy2, ids(*child2));
          }
        }
        ASSERT_EQ(ids(*pop[2]), ids(*pop[4]));
        ASSERT_EQ(ids(*pop[3]), ids(*pop[5]));
        std::swap(pop[0], pop[2]);
        std::swap(pop[1], pop[3]);
      }
    }
  }
}
