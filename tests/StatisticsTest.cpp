#include <gtest/gtest.h>
#include <omp.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>

#include "FitnessFunction.h"
#include "Individual.h"
#include "Population.h"
#include "RouletteWheel.h"
#include "Statistics.h"

// Long runs pass 2^31 crossovers and mutations.
static_assert(std::is_same_v<int64_t, decltype(std::declval<Statistics>().getCrosses())>);
static_assert(std::is_same_v<int64_t, decltype(std::declval<Statistics>().getMutations())>);

TEST(StatisticsTest, CountersStartAtZero) {
  const Statistics stats;
  EXPECT_EQ(0, stats.getCrosses());
  EXPECT_EQ(0, stats.getMutations());
}

TEST(StatisticsTest, ConcurrentIncrementsAreAllCounted) {
  constexpr int kIncrements = 300000;
  Statistics stats;
  int threads = 0;
#pragma omp parallel num_threads(4)
  {
#pragma omp single
    threads = omp_get_num_threads();
#pragma omp for schedule(static, 1)
    for (int i = 0; i < kIncrements; ++i) {
      stats.incCrosses();
      if (i % 3 == 0) stats.incMutations();  // different totals catch crossed counters
    }
  }
  EXPECT_EQ(4, threads);
  EXPECT_EQ(kIncrements, stats.getCrosses());
  EXPECT_EQ(kIncrements / 3, stats.getMutations());
}

namespace {

class Unit : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>&) const override { return 1.0; }
};

std::shared_ptr<Population> population(int size, int length, Encoding encoding) {
  return std::make_shared<Population>(size, length, encoding, 1, std::make_shared<Unit>(),
                                      std::make_shared<RouletteWheel>());
}

// Four tours with fitness set by hand: 1 and 2 share the highest, so 1 gives
// the best tour; the highest and the sum are wider than 8 characters.
std::shared_ptr<Population> fourTours() {
  auto p = population(4, 3, PermutationEncoding);
  const int ids[4][3] = {{1, 2, 3}, {3, 1, 2}, {2, 3, 1}, {1, 3, 2}};
  const double fitness[4] = {2.5, 100000.75, 100000.75, 0.25};
  const double distance[4] = {40.0, 12.5, 99.0, 7.0};
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 3; ++i) p->getIndividual(k)->setCityId(i, ids[k][i]);
    p->getIndividual(k)->setFitness(fitness[k]);
    p->getIndividual(k)->setDistance(distance[k]);
  }
  return p;
}

}  // namespace

TEST(StatisticsTest, InitialReportLayout) {
  Statistics stats;
  stats.compute(*fourTours());
  std::ostringstream out;
  stats.initialReport(out);
  EXPECT_EQ(
      "\n"
      "*** Initial Generation Statistics ***\n"
      "---------------------------------------------\n"
      "Initial population maximum fitness: 100000.75\n"
      "Initial population average fitness: 50001.06\n"
      "Initial population minimum fitness:     0.25\n"
      "---------------------------------------------\n"
      "Initial population sum of fitness:  200004.25\n"
      "Best tour: 3>1>2\n"
      "Best tour distance: 12.50\n"
      "\n"
      "\n",
      out.str());
}

TEST(StatisticsTest, GenerationReportLayoutLeavesTwoDecimals) {
  Statistics stats;
  stats.compute(*fourTours());
  for (int i = 0; i < 12; ++i) stats.incCrosses();
  for (int i = 0; i < 3; ++i) stats.incMutations();
  std::ostringstream out;
  stats.report(7, out);
  out << 1.0;
  EXPECT_EQ(
      "*** Generation #7 Report ***\n"
      "---------------------------------------------\n"
      "Maximum fitness: 100000.75\n"
      "Average fitness: 50001.06\n"
      "Minimum fitness:     0.25\n"
      "Sum of fitness:  200004.25\n"
      "---------------------------------------------\n"
      "Crossovers:       12\tMutations:        3\n"
      "Best tour: 3>1>2\n"
      "Best tour distance: 12.50\n"
      "\n"
      "\n"
      "1.00",
      out.str());
}

TEST(StatisticsTest, BitStringBestTourReadsMinusOnes) {
  auto p = population(3, 4, BinaryEncoding);
  p->getIndividual(1)->setFitness(2.0);
  Statistics stats;
  stats.compute(*p);
  EXPECT_EQ("-1>-1>-1>-1", stats.getBestTour());
  EXPECT_EQ(0.0, stats.getBestTourDistance());
  EXPECT_EQ(4.0, stats.getSumFitness());
  EXPECT_EQ("", Statistics::tourToString(*population(1, 0, BinaryEncoding)->getIndividual(0)));
}
