#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "FitnessFunction.h"
#include "PmxEncoded.h"
#include "RNG.h"
#include "Statistics.h"
#include "TestSupport.h"

namespace {

const std::shared_ptr<FitnessFunction> kNoObjective;

std::shared_ptr<PmxEncoded> tour(const Ids& ids) { return tourOf<PmxEncoded>(ids); }

// What one cross must draw and count, replayed on a twin generator: the
// decision; when crossing (three cities at least) lo, redrawn while no
// position lies two away from it (the middle of three cities), then hi until
// it lies two or more away; then child1's and child2's trial at each position,
// a successful trial redrawing its partner until it differs from the position.
Replay replay(long seed, int n, float pc, float pm) {
  long s = seed;
  RNG g(&s);
  Replay r;
  r.site = n - 1;
  if (g.random() < pc && n >= 3) {
    r.crosses = 1;
    int lo, hi;
    do {
      lo = g.range(0, n - 1);
      ++r.draws;
    } while (lo - 2 < 0 && lo + 2 > n - 1);
    do {
      hi = g.range(0, n - 1);
      ++r.draws;
    } while (std::abs(lo - hi) <= 1);
    r.site = std::min(lo, hi);
  }
  replayTrials(g, n, pm, r);
  return r;
}

}  // namespace

TEST(PmxEncodedTest, WorkedExampleForEveryOrderOfTheCutPoints) {
  // Cut points 2 and 5, drawn either way round, with neighbours redrawn.
  const Ids cutDraws[] = {{2, 5}, {5, 2}, {2, 1, 3, 5}, {5, 5, 4, 2}};
  for (const Ids& draws : cutDraws) {
    const int n = 8;
    const long seed = findSeed([&](RNG& g) {
      if (!(g.random() < 1.0f)) return false;
      for (int cut : draws) {
        if (g.range(0, n - 1) != cut) return false;
      }
      for (int i = 0; i < 2 * n; ++i) {
        if (g.random() == 0.0f) return false;  // no mutation trial may succeed at 0
      }
      return true;
    });
    for (bool parallel : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << "first cut " << draws[0] << ", " << draws.size() << " cut draws"
                   << (parallel ? ", crossParallel" : ", cross"));
      auto self = tour({1, 2, 3, 4, 5, 6, 7, 8}), mate = tour({3, 7, 5, 1, 6, 8, 2, 4});
      auto child1 = tour({8, 7, 6, 5, 4, 3, 2, 1}), child2 = tour({2, 1, 4, 3, 6, 5, 8, 7});
      useSeed(seed);
      Statistics stats;
      EXPECT_EQ(2, breed(parallel, *self, mate, child1, child2, 1.0f, 0.0f, stats));
      EXPECT_EQ((Ids{4, 2, 5, 1, 6, 8, 7, 3}), ids(*child1));
      EXPECT_EQ((Ids{8, 7, 3, 4, 5, 6, 2, 1}), ids(*child2));
      EXPECT_EQ(1, stats.getCrosses());
      EXPECT_EQ(0, stats.getMutations());
      EXPECT_TRUE(madeDraws(seed, 1 + static_cast<int>(draws.size()) + 2 * n));
      EXPECT_EQ((Ids{1, 2, 3, 4, 5, 6, 7, 8}), ids(*self));
      EXPECT_EQ((Ids{3, 7, 5, 1, 6, 8, 2, 4}), ids(*mate));
    }
  }
}

TEST(PmxEncodedTest, CrossingKnownShapes) {
  const struct {
    Ids self, mate, child1, child2;
  } cases[] = {
      // Three cities always cut at 0 and 2: the children swap parents.
      {{1, 2, 3}, {3, 1, 2}, {3, 1, 2}, {1, 2, 3}},
      // Identical parents: every id is found in place.
      {{4, 1, 3, 6, 2, 5}, {4, 1, 3, 6, 2, 5}, {4, 1, 3, 6, 2, 5}, {4, 1, 3, 6, 2, 5}},
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.self.size());
    // The last seed starts the cut points in the middle, which has no partner on three cities.
    const long middleFirst =
        findSeed([&](RNG& g) { return g.random() < 1.0f && g.range(0, n - 1) == 1; });
    for (long seed : {1L, 2L, 3L, 4L, middleFirst}) {
      useSeed(seed);
      Statistics stats;
      Ids reversed(c.self.rbegin(), c.self.rend());
      auto child1 = tour(reversed), child2 = tour(reversed);
      tour(c.self)->cross(tour(c.mate), child1, child2, 1.0f, 0.0f, stats);
      EXPECT_EQ(c.child1, ids(*child1)) << "seed " << seed << ", length " << n;
      EXPECT_EQ(c.child2, ids(*child2)) << "seed " << seed << ", length " << n;
      EXPECT_EQ(1, stats.getCrosses());
    }
  }
}

TEST(PmxEncodedTest, FindCityGivesThePositionOfAnId) {
  auto t = tour({3, 1, 2});
  EXPECT_EQ(0, t->find_city(3));
  EXPECT_EQ(2, t->find_city(2));
}

TEST(PmxEncodedTest, FindCityOnAMissingIdReportsTheTourAndExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto t = tour({3, 1, 2});
  EXPECT_EXIT(t->find_city(9), ::testing::ExitedWithCode(1),
              "^Error: City 9 not found\\. Invalid tour!\nTour: 3>1>2\n$");
}

TEST(PmxEncodedTest, BitOperationsAnswerNeutrallyAndPositionsAreChecked) {
  auto t = tour({2, 3, 1});
  EXPECT_FALSE(t->getGene(0));
  t->setGene(0, true);
  t->swap(2, 2);
  EXPECT_EQ((Ids{2, 3, 1}), ids(*t));
  t->swap(0, 2);
  EXPECT_EQ((Ids{1, 3, 2}), ids(*t));
  EXPECT_THROW(t->setCityId(3, 1), std::out_of_range);
}

// A chain of crossings, children breeding next: every call replayed on a twin
// generator (site, counters, draws; children without a crossover, as always
// below three cities, are the parents with the replayed exchanges), and
// crossParallel at 1, 2 and 4 threads giving what cross gives.
TEST(PmxEncodedTest, RandomBreedingFollowsTheDrawsInBothCrosses) {
  checkRandomBreeding<PmxEncoded>({1, 2, 3, 4, 9, 30}, replay);
}
