#include <omp.h>

#include <atomic>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "FitnessFunction.h"
#include "Individual.h"
#include "Population.h"
#include "RouletteWheel.h"
#include "SelectionScheme.h"
#include "Statistics.h"
#include "TestSupport.h"

namespace {

// A bit string scores as its binary value behind a leading 1, a tour as
// 1 + sum of (position + 1) * id: never 0. Records how often, and by which
// thread, each individual of a watched population is scored.
class GeneScore : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>& x) const override {
    auto it = watched.find(x.get());
    if (it != watched.end()) {
      ++calls[it->second];
      thread[it->second] = omp_get_thread_num();
    }
    return of(*x);
  }
  static double of(const Individual& x) {
    double s = 1.0;
    for (int i = 0; i < x.getLength(); ++i) {
      s = x.getCityId(i) < 0 ? 2 * s + x.getGene(i) : s + (i + 1) * x.getCityId(i);
    }
    return s;
  }
  void watch(const Population& p) {
    for (int k = 0; k < p.getSize(); ++k) watched[p.getIndividual(k).get()] = k;
    calls.assign(p.getSize(), 0);
    thread.assign(p.getSize(), -1);
  }
  std::map<const Individual*, int> watched;
  mutable std::vector<int> calls, thread;
};

// 1 when gene 0 is set, else 0: all fitness in one individual, or none.
class LeadingBit : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>& x) const override { return x->getGene(0); }
};

class Scripted : public SelectionScheme {
 public:
  explicit Scripted(std::vector<int> script) : script(std::move(script)) {}
  int select(const Population&, const Statistics&) const override {
    return script[calls++ % script.size()];
  }
  std::vector<int> script;
  mutable size_t calls = 0;
};

std::shared_ptr<Population> make(
    int size, int length, Encoding encoding,
    std::shared_ptr<FitnessFunction> f = std::make_shared<GeneScore>(),
    std::shared_ptr<SelectionScheme> s = std::make_shared<RouletteWheel>()) {
  return std::make_shared<Population>(size, length, encoding, 10, f, s);
}

std::vector<int> genes(const Individual& x) {
  std::vector<int> g;
  for (int i = 0; i < x.getLength(); ++i) {
    g.push_back(x.getCityId(i) < 0 ? x.getGene(i) : x.getCityId(i));
  }
  return g;
}

std::vector<const Individual*> order(const Population& p) {
  std::vector<const Individual*> o;
  for (const auto& x : p.getGenome()) o.push_back(x.get());
  return o;
}

std::shared_ptr<Population> withFitness(const std::vector<double>& values) {
  auto p = make(static_cast<int>(values.size()), 4, BinaryEncoding);
  for (size_t k = 0; k < values.size(); ++k) p->getIndividual(k)->setFitness(values[k]);
  return p;
}

// Gives individual k a distinct 16-bit chromosome, in no sorted order.
void distinctBits(Population& p, const FitnessFunction& f) {
  for (int k = 0; k < p.getSize(); ++k) {
    const int v = (k * 37) % 101 + 1;
    for (int i = 0; i < 16; ++i) p.getIndividual(k)->setGene(i, (v >> (15 - i)) & 1);
    p.getIndividual(k)->setFitness(f.compute(p.getIndividual(k)));
  }
}

}  // namespace

TEST(PopulationTest, ConstructionScoresDistinctIndividuals) {
  auto p = make(6, 10, BinaryEncoding);
  EXPECT_EQ(0, p->getGeneration());
  const auto o = order(*p);
  EXPECT_EQ(6u, std::set<const Individual*>(o.begin(), o.end()).size());
  for (const auto& x : p->getGenome()) EXPECT_EQ(GeneScore::of(*x), x->getFitness());
}

TEST(PopulationTest, SortsHighestFitnessFirst) {
  auto p = withFitness({3, 7, 7, 1, 9});
  p->quickSort(0, 4);
  std::vector<double> sorted;
  for (const auto& x : p->getGenome()) sorted.push_back(x->getFitness());
  EXPECT_EQ((std::vector<double>{9, 7, 7, 3, 1}), sorted);
}

// Hoare's scans stop on equal fitness and exchange: four equals a b c d
// become d c b a, split at 1, and each half is exchanged again: c d a b.
TEST(PopulationTest, AllEqualFitnessTerminatesWithHoaresExchanges) {
  auto p = withFitness({2, 2, 2, 2});
  const auto o = order(*p);
  p->quickSort(0, 3);
  EXPECT_EQ((std::vector<const Individual*>{o[2], o[3], o[0], o[1]}), order(*p));
}

TEST(PopulationTest, EmptyRangesAreLeftAlone) {
  auto p = withFitness({3, 7, 7, 1, 9});
  const auto o = order(*p);
  for (int k = 0; k < 5; ++k) {
    p->quickSort(k, k);
    p->quickSort(k, k - 1);
  }
  EXPECT_EQ(o, order(*p));
}

TEST(PopulationTest, CopiesShareIndividuals) {
  auto p = make(4, 6, BinaryEncoding);
  Population copy(*p);
  EXPECT_EQ(order(*p), order(copy));
  copy.getIndividual(0)->setGene(2, !p->getIndividual(0)->getGene(2));
  EXPECT_EQ(copy.getIndividual(0)->getGene(2), p->getIndividual(0)->getGene(2));
  auto q = make(4, 6, BinaryEncoding);
  *q = *p;
  EXPECT_EQ(order(*p), order(*q));
}

// The weakest two are scripted as every bred pair's parents, so a copy of a
// fitter individual can only come from the elite.
TEST(PopulationTest, ElitePairsCopyTheFittestIntoTheSamePositions) {
  const struct { int size, copies; } cases[] = {{2, 0}, {20, 2}, {60, 4}, {100, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    auto f = std::make_shared<GeneScore>();
    auto wheel = std::make_shared<Scripted>(std::vector<int>{c.size - 1, c.size - 2});
    auto p = make(c.size, 16, BinaryEncoding, f, wheel);
    auto next = make(c.size, 16, BinaryEncoding, f, wheel);
    distinctBits(*p, *f);
    Statistics stats;
    stats.compute(*p);
    useSeed(11);
    p->reproduce(0.0f, 0.0f, next, stats);
    for (int i = 0; i < c.size; ++i) {
      const int parent = i < c.copies ? i : c.size - 1 - i % 2;
      EXPECT_EQ(genes(*p->getIndividual(parent)), genes(*next->getIndividual(i))) << i;
    }
    EXPECT_EQ(static_cast<size_t>(c.size - c.copies), wheel->calls);
    EXPECT_EQ(0, stats.getCrosses());
  }
}

TEST(PopulationTest, StepSortsParentsAndScoresEveryChild) {
  for (Encoding e : {BinaryEncoding, PermutationEncoding, PmxEncoding}) {
    for (long seed : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << e << " seed " << seed);
      useSeed(seed);
      auto p = make(40, 12, e);
      auto next = make(40, 12, e);
      std::map<const Individual*, std::pair<std::vector<int>, double>> before;
      for (const auto& x : p->getGenome()) before[x.get()] = {genes(*x), x->getFitness()};
      Statistics stats;
      stats.compute(*p);
      p->reproduce(0.7f, 0.05f, next, stats);
      EXPECT_EQ(40u, before.size());
      for (int k = 0; k < 40; ++k) {
        const auto& x = *p->getIndividual(k);
        ASSERT_EQ(1u, before.count(&x));
        EXPECT_EQ(before[&x], std::make_pair(genes(x), x.getFitness()));
        if (k > 0) {
          EXPECT_GE(p->getIndividual(k - 1)->getFitness(), x.getFitness());
        }
        EXPECT_EQ(GeneScore::of(*next->getIndividual(k)), next->getIndividual(k)->getFitness());
      }
    }
  }
}

// Nothing but position 0 is on the wheel, so every second parent comes from
// the fallback, position 1.
TEST(PopulationTest, SecondParentRedrawIsBounded) {
  for (bool oneFit : {false, true}) {
    SCOPED_TRACE(oneFit);
    auto f = std::make_shared<LeadingBit>();
    auto p = make(4, 16, BinaryEncoding, f);
    auto next = make(4, 16, BinaryEncoding, f);
    distinctBits(*p, *f);
    p->getIndividual(2)->setGene(0, oneFit);
    p->getIndividual(2)->setFitness(oneFit);
    Statistics stats;
    stats.compute(*p);
    useSeed(8);
    p->reproduce(0.0f, 0.0f, next, stats);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(genes(*p->getIndividual(i % 2)), genes(*next->getIndividual(i)));
    }
  }
}

// A wheel whose positions all coincide gives each bred pair its second parent
// without a draw; one that can give two keeps redrawing up to the bound.
TEST(PopulationTest, SecondParentIsRedrawnOnlyWhenTheWheelCanGiveIt) {
  class CountingWheel : public SelectionScheme {
   public:
    int select(const Population& p, const Statistics& s) const override {
      ++calls;
      return wheel.select(p, s);
    }
    bool canGiveTwoPositions(const Population& p, const Statistics& s) const override {
      return wheel.canGiveTwoPositions(p, s);
    }
    RouletteWheel wheel;
    mutable std::atomic<int> calls{0};
  };
  const double inf = std::numeric_limits<double>::infinity();
  const int everyRedraw = 2 + Population::kMaxRedraws;
  const struct {
    std::vector<double> fitness;
    int selectsPerPair;
  } cases[] = {
      {{0, 0, 0, 0}, 1},
      {{1, 0, 0, 0}, 1},
      {{inf, inf, inf, inf}, 1},
      {{0.1 + 0.2, 0, 0, 0}, everyRedraw},  // a full draw overshoots the sum: position 3
  };
  ThreadTeam team(2);
  for (const auto& c : cases) {
    for (bool parallel : {false, true}) {
      SCOPED_TRACE(testing::Message() << testing::PrintToString(c.fitness) << parallel);
      auto wheel = std::make_shared<CountingWheel>();
      auto f = std::make_shared<LeadingBit>();
      auto p = make(4, 8, BinaryEncoding, f, wheel);
      auto next = make(4, 8, BinaryEncoding, f, wheel);
      for (int k = 0; k < 4; ++k) p->getIndividual(k)->setFitness(c.fitness[k]);
      Statistics stats;
      stats.compute(*p);
      useSeed(8);
      wheel->calls = 0;
      if (parallel) {
        p->reproduceParallel(0.0f, 0.0f, next, stats);
      } else {
        p->reproduce(0.0f, 0.0f, next, stats);
      }
      EXPECT_EQ(2 * c.selectsPerPair, wheel->calls);
    }
  }
}

TEST(PopulationTest, OneThreadBreedsLikeTheSequentialStep) {
  ThreadTeam team(1);
  for (Encoding e : {BinaryEncoding, PermutationEncoding, PmxEncoding}) {
    SCOPED_TRACE(e);
    std::shared_ptr<Population> children[2];
    Statistics stats[2];
    for (int run = 0; run < 2; ++run) {
      useSeed(21);
      auto p = make(40, 12, e);
      children[run] = make(40, 12, e);
      stats[run].compute(*p);
      useSeed(77);
      if (run == 0) p->reproduce(0.7f, 0.05f, children[0], stats[0]);
      if (run == 1) p->reproduceParallel(0.7f, 0.05f, children[1], stats[1]);
    }
    for (int k = 0; k < 40; ++k) {
      const auto &a = *children[0]->getIndividual(k), &b = *children[1]->getIndividual(k);
      EXPECT_EQ(genes(a), genes(b));
      EXPECT_EQ(a.getFitness(), b.getFitness());
    }
    EXPECT_EQ(stats[0].getCrosses(), stats[1].getCrosses());
    EXPECT_EQ(stats[0].getMutations(), stats[1].getMutations());
  }
}

// Blocks of ceil(pairs / threads) contiguous pairs: 10 pairs on 3 threads are
// 4, 4, 2. With pc 1 and pm 1 each bred pair crosses once and flips all bits;
// the elite pair (sizes from 20) does neither.
TEST(PopulationTest, ParallelStepBreedsEveryPairOnceInContiguousBlocks) {
  const struct {
    int size, threads;
    std::vector<int> owner;
  } cases[] = {
      {20, 2, {0, 0, 0, 0, 0, 1, 1, 1, 1, 1}},
      {20, 3, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2}},
      {20, 4, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3}},
      {4, 4, {0, 1}},
  };
  const int length = 32;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " on " << c.threads);
    ThreadTeam team(c.threads);
    useSeed(31);
    auto f = std::make_shared<GeneScore>();
    auto p = make(c.size, length, BinaryEncoding, f);
    auto next = make(c.size, length, BinaryEncoding, f);
    f->watch(*next);
    Statistics stats;
    stats.compute(*p);
    p->reproduceParallel(1.0f, 1.0f, next, stats);
    for (int k = 0; k < c.size; ++k) {
      EXPECT_EQ(1, f->calls[k]) << k;
      EXPECT_EQ(c.owner[k / 2], f->thread[k]) << k;
      EXPECT_EQ(GeneScore::of(*next->getIndividual(k)), next->getIndividual(k)->getFitness());
    }
    const int bredPairs = c.size / 2 - (c.size >= 20 ? 1 : 0);
    EXPECT_EQ(bredPairs, stats.getCrosses());
    EXPECT_EQ(bredPairs * 2 * length, stats.getMutations());
  }
}

// Individuals of length 0 draw nothing when built, so the first draw of such a
// run can come from inside the region, where no thread may fill the table.
TEST(PopulationTest, ParallelStepFillsTheGeneratorTableFirst) {
  ThreadTeam team(2);
  auto p = make(8, 0, BinaryEncoding);
  auto next = make(8, 0, BinaryEncoding);
  RNG::instances.clear();
  Statistics stats;
  stats.compute(*p);
  p->reproduceParallel(0.7f, 0.05f, next, stats);
  EXPECT_EQ(2u, RNG::instances.size());
}
