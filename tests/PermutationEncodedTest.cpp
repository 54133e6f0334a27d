#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "FitnessFunction.h"
#include "PermutationEncoded.h"
#include "RNG.h"
#include "Statistics.h"
#include "TestSupport.h"

namespace {

const std::shared_ptr<FitnessFunction> kNoObjective;

std::shared_ptr<PermutationEncoded> tour(const Ids& ids) { return tourOf<PermutationEncoded>(ids); }

// What one cross must draw and count, replayed on a twin generator: the
// decision, the site, then child1's and child2's trial at each position, a
// successful trial redrawing its partner until it differs from the position.
Replay replay(long seed, int n, float pc, float pm) {
  long s = seed;
  RNG g(&s);
  Replay r;
  r.site = n - 1;
  if (g.random() < pc) {
    r.crosses = 1;
    r.site = g.range(0, n - 1);
    ++r.draws;
  }
  replayTrials(g, n, pm, r);
  return r;
}

}  // namespace

TEST(PermutationEncodedTest, CrossKeepsTheHeadAndCompletesInTheMatesOrder) {
  const struct {
    int site;
    Ids child1, child2;
  } cases[] = {
      {0, {1, 5, 4, 3, 2}, {5, 1, 2, 3, 4}},
      {1, {1, 2, 5, 4, 3}, {5, 4, 1, 2, 3}},
      {2, {1, 2, 3, 5, 4}, {5, 4, 3, 1, 2}},
      {4, {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}}};  // drawn last site: copies, still a crossover
  for (const auto& c : cases) {
    const long seed = findSeed([&](RNG& g) {
      if (!(g.random() < 1.0f) || g.range(0, 4) != c.site) return false;
      for (int i = 0; i < 10; ++i) {
        if (g.random() == 0.0f) return false;  // no mutation trial may succeed at 0
      }
      return true;
    });
    for (bool parallel : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << "site " << c.site << (parallel ? " crossParallel" : " cross"));
      auto self = tour({1, 2, 3, 4, 5}), mate = tour({5, 4, 3, 2, 1});
      auto child1 = tour({2, 1, 3, 5, 4}), child2 = tour({3, 2, 1, 5, 4});
      child1->setDistance(7.0);
      useSeed(seed);
      Statistics stats;
      EXPECT_EQ(c.site, breed(parallel, *self, mate, child1, child2, 1.0f, 0.0f, stats));
      EXPECT_EQ(c.child1, ids(*child1));
      EXPECT_EQ(c.child2, ids(*child2));
      EXPECT_EQ(1, stats.getCrosses());
      EXPECT_EQ(0, stats.getMutations());
      EXPECT_TRUE(madeDraws(seed, 2 + 10));
      EXPECT_EQ((Ids{1, 2, 3, 4, 5}), ids(*self));
      EXPECT_EQ((Ids{5, 4, 3, 2, 1}), ids(*mate));
      EXPECT_EQ(7.0, child1->getDistance());
    }
  }
}

TEST(PermutationEncodedTest, ConstructionPicksFromAShrinkingPoolOnceEach) {
  for (long seed : {1L, 2L, 3L, 40L, 500L}) {
    useSeed(seed);
    PermutationEncoded t(4, kNoObjective);
    long s = seed;
    RNG twin(&s);
    Ids pool{1, 2, 3, 4}, expected;
    while (!pool.empty()) {
      const int k = twin.range(0, static_cast<int>(pool.size()) - 1);
      expected.push_back(pool[k]);
      pool.erase(pool.begin() + k);
    }
    EXPECT_EQ(expected, ids(t));
    EXPECT_TRUE(madeDraws(seed, 4));
    EXPECT_EQ(-1.0, t.getFitness());
    EXPECT_EQ(-1.0, t.getDistance());
  }
}

TEST(PermutationEncodedTest, CopyHasNoDistanceAndAssignmentKeepsTheTargets) {
  auto source = tour({3, 1, 2});
  source->setFitness(2.5);
  source->setDistance(9.0);
  const PermutationEncoded copy(*source);
  EXPECT_EQ(-1.0, copy.getDistance());
  EXPECT_EQ(2.5, copy.getFitness());
  EXPECT_EQ((Ids{3, 1, 2}), ids(copy));
  auto target = tour({1, 2, 3});
  target->setDistance(4.0);
  *target = *source;
  EXPECT_EQ(4.0, target->getDistance());
  EXPECT_EQ((Ids{3, 1, 2}), ids(*target));
}

TEST(PermutationEncodedTest, SuccessfulTrialsOnTinyTours) {
  for (long seed : {1L, 8L, 99L}) {
    useSeed(seed);
    Statistics stats;
    auto one = tour({1});
    one->mutate(0, 1.0f, stats);  // no second position: counted, unchanged, and it returns
    EXPECT_EQ(Ids{1}, ids(*one));
    auto two = tour({1, 2});
    two->mutate(0, 1.0f, stats);
    EXPECT_EQ((Ids{2, 1}), ids(*two));
    two->mutate(1, 1.0f, stats);
    EXPECT_EQ((Ids{1, 2}), ids(*two));
    EXPECT_EQ(3, stats.getMutations());
  }
}

TEST(PermutationEncodedTest, BitOperationsAnswerNeutrallyAndPositionsAreChecked) {
  auto t = tour({2, 3, 1});
  EXPECT_FALSE(t->getGene(0));
  EXPECT_EQ(-1, t->find_city(2));
  t->setGene(0, true);
  t->swap(1, 1);
  EXPECT_EQ((Ids{2, 3, 1}), ids(*t));
  EXPECT_THROW(t->setCityId(3, 1), std::out_of_range);
  EXPECT_THROW(t->setCityId(-1, 1), std::out_of_range);
}

TEST(PermutationEncodedTest, RandomBreedingFollowsTheDrawsInBothCrosses) {
  checkRandomBreeding<PermutationEncoded>({1, 2, 3, 9, 30}, replay);
}
