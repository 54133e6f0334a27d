#include "EnhancedGeneticAlgorithm.h"

#include <omp.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FitnessFunction.h"
#include "Individual.h"
#include "Population.h"
#include "RouletteWheel.h"
#include "TestSupport.h"

namespace {

// The count of set bits, plus one so that every individual is on the wheel.
class Ones : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>& x) const override {
    double s = 1.0;
    for (int i = 0; i < x->getLength(); ++i) s += x->getGene(i);
    return s;
  }
};


// Two populations of a run, the first built from generator state `seed`,
// the second from `seed` + 100.
struct TwoPopulations {
  TwoPopulations(int maxGeneration, Mode mode = Sequential, long seed = 1, int size = 10) {
    auto f = std::make_shared<Ones>();
    auto wheel = std::make_shared<RouletteWheel>();
    useSeed(seed);
    first = std::make_shared<Population>(size, 12, BinaryEncoding, maxGeneration, f, wheel);
    useSeed(seed + 100);
    second = std::make_shared<Population>(size, 12, BinaryEncoding, maxGeneration, f, wheel);
    ga = std::make_unique<EnhancedGeneticAlgorithm>(mode, 0.7f, 0.05f, first, second, out);
  }
  std::ostringstream out;
  std::shared_ptr<Population> first, second;
  std::unique_ptr<EnhancedGeneticAlgorithm> ga;
};

std::vector<std::string> headings(const std::string& text) {
  std::vector<std::string> found;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("*** ", 0) == 0) found.push_back(line);
  }
  return found;
}

std::string runToEnd(Mode mode, int threads) {
  ThreadTeam team(threads);
  TwoPopulations run(3, mode, 5, 40);
  useSeed(50);
  run.ga->run();
  return run.out.str();
}

}  // namespace

TEST(EnhancedGeneticAlgorithmTest, InitialStatisticsDescribeTheFirstPopulation) {
  TwoPopulations run(0);
  double sum = 0.0, max = run.first->getIndividual(0)->getFitness(), otherSum = 0.0;
  for (int k = 0; k < 10; ++k) {
    sum += run.first->getIndividual(k)->getFitness();
    otherSum += run.second->getIndividual(k)->getFitness();
    if (run.first->getIndividual(k)->getFitness() > max)
      max = run.first->getIndividual(k)->getFitness();
  }
  ASSERT_NE(sum, otherSum);
  EXPECT_EQ(sum, run.ga->getStatistics().getSumFitness());
  EXPECT_EQ(max, run.ga->getStatistics().getMaxFitness());
}

TEST(EnhancedGeneticAlgorithmTest, NoGenerationEndsAfterTheInitialReport) {
  TwoPopulations run(0);
  const std::string initial = run.out.str();
  run.ga->run();
  EXPECT_EQ(initial, run.out.str());
  EXPECT_EQ(std::vector<std::string>{"*** Initial Generation Statistics ***"}, headings(initial));
  EXPECT_EQ(0, run.first->getGeneration());
}

TEST(EnhancedGeneticAlgorithmTest, OneGenerationGivesReportNumberOne) {
  TwoPopulations run(1);
  run.ga->run();
  EXPECT_EQ((std::vector<std::string>{"*** Initial Generation Statistics ***",
                                      "*** Generation #1 Report ***"}),
            headings(run.out.str()));
}

TEST(EnhancedGeneticAlgorithmTest, BothCountersReadTheGenerationsBred) {
  TwoPopulations run(3);
  run.ga->run();
  EXPECT_EQ(3, run.first->getGeneration());
  EXPECT_EQ(3, run.second->getGeneration());
  EXPECT_EQ(3, run.ga->getGeneration());
  const auto h = headings(run.out.str());
  ASSERT_EQ(4u, h.size());
  EXPECT_EQ("*** Generation #3 Report ***", h[3]);
  // Roles alternate: after an odd count the second population holds the newest.
  Statistics newest;
  newest.compute(*run.second);
  EXPECT_EQ(newest.getSumFitness(), run.ga->getStatistics().getSumFitness());
}

TEST(EnhancedGeneticAlgorithmTest, OneThreadReportsEqualSequentialOnes) {
  EXPECT_EQ(runToEnd(Sequential, 1), runToEnd(Parallel, 1));
}

TEST(EnhancedGeneticAlgorithmTest, ParallelRunsRepeatForTheSameSeedsAndTeam) {
  const std::string once = runToEnd(Parallel, 2);
  EXPECT_EQ(once, runToEnd(Parallel, 2));
  EXPECT_EQ(4u, headings(once).size());
}
