#include <limits>
#include <vector>

#include "FitnessFunction.h"
#include "Individual.h"
#include "Population.h"
#include "PowerOfTwo.h"
#include "RouletteWheel.h"
#include "Statistics.h"
#include "TestSupport.h"
#include "Tsp.h"

namespace {

class Flat : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>&) const override { return 1.0; }
};

// A population with the given fitness values in genome order, and its statistics.
struct Wheel {
  explicit Wheel(const std::vector<double>& fitness)
      : population(static_cast<int>(fitness.size()), 4, BinaryEncoding, 1, std::make_shared<Flat>(),
                   std::make_shared<RouletteWheel>()) {
    for (size_t k = 0; k < fitness.size(); ++k) population.getIndividual(k)->setFitness(fitness[k]);
    stats.compute(population);
  }
  int spin() const { return RouletteWheel().select(population, stats); }
  Population population;
  Statistics stats;
};

// The wheel as a plain scan of the genome, for comparison with what the real
// wheel does during reproduction.
class ScanningWheel : public SelectionScheme {
 public:
  int select(const Population& population, const Statistics& statistics) const override {
    const float r = RNG::getInstance()->random();
    const float target = static_cast<float>(static_cast<double>(r) * statistics.getSumFitness());
    double cumulative = 0.0;
    int i = 0;
    do {
      cumulative += population.getIndividual(i)->getFitness();
      ++i;
    } while (target > cumulative && i < population.getSize());
    return i - 1;
  }
};

long firstDrawIn(float lo, float hi) {
  return findSeed([=](RNG& rng) {
    const float r = rng.random();
    return r >= lo && r < hi;
  });
}

}  // namespace

TEST(RouletteWheelTest, FirstPositionWhoseRunningSumReachesTheTarget) {
  const Wheel wheel({0.5, 0.3, 0.2});
  const struct {
    float lo, hi;
    int expected;
  } draws[] = {{0.05f, 0.15f, 0}, {0.55f, 0.65f, 1}, {0.8f, 0.9f, 2}};
  for (const auto& d : draws) {
    useSeed(firstDrawIn(d.lo, d.hi));
    EXPECT_EQ(d.expected, wheel.spin()) << d.lo;
  }
  nextDrawIs(0.5f);  // the running sum 0.5 equals the target: still position 0
  EXPECT_EQ(0, wheel.spin());
}

TEST(RouletteWheelTest, TargetRoundedAboveTheSumGivesTheLastPosition) {
  // 0.1 + 0.2 is 0.30000000000000004 as a double, and 0.3000000119 as a
  // float: a full draw overshoots the sum, reaching the weightless last one.
  const Wheel wheel({0.1, 0.2, 0.0});
  ASSERT_GT(static_cast<double>(static_cast<float>(wheel.stats.getSumFitness())),
            wheel.stats.getSumFitness());
  nextDrawIs(1.0f);
  EXPECT_EQ(2, wheel.spin());
}

TEST(RouletteWheelTest, WeightlessOrSingleWheelsGivePositionZero) {
  const Wheel zeros({0.0, 0.0, 0.0}), single({0.7});
  for (long seed = 1; seed <= 20; ++seed) {
    useSeed(seed);
    EXPECT_EQ(0, zeros.spin());
    EXPECT_EQ(0, single.spin());
  }
}

TEST(RouletteWheelTest, TellsWhetherTwoPositionsCanComeUp) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::vector<double> fitness;
    bool two;
  } wheels[] = {
      {{0.5, 0.3, 0.2}, true},
      {{0.1, 0.2, 0.0}, true},  // only the overshooting full draw reaches the last
      {{1.0, 1e-7}, true},      // the float target of a full draw passes 1
      {{0.7}, false},
      {{0.0, 0.0, 0.0}, false},  // every target is 0
      {{1.0, 0.0, 0.0}, false},  // all fitness in one individual
      {{1.0, 1e-30}, false},     // the sum rounds to the first one's fitness
      {{inf, inf}, false},       // every target is infinite, or NaN for a draw of 0
      {{-1.0, 2.0}, false},      // every target from 0 to 1 lies past the first sum
  };
  for (const auto& w : wheels) {
    SCOPED_TRACE(testing::PrintToString(w.fitness));
    const Wheel wheel(w.fitness);
    EXPECT_EQ(w.two, RouletteWheel().canGiveTwoPositions(wheel.population, wheel.stats));
  }
}

TEST(RouletteWheelTest, EachSpinDrawsOnce) {
  const Wheel wheel({0.4, 0.3, 0.2, 0.1});
  long seed = 9;
  RNG probe(&seed);
  useSeed(9);
  for (int i = 0; i < 50; ++i) {
    probe.random();
    const int position = wheel.spin();
    EXPECT_TRUE(position >= 0 && position < 4) << position;
  }
  EXPECT_EQ(probe.random(), RNG::getInstance()->random());
}

TEST(RouletteWheelTest, ReproductionPicksTheParentsThatAScanWouldPick) {
  CityMap cities;
  for (int id = 1; id <= 12; ++id) cities[id] = std::make_shared<City>(id, id * id % 7, id % 5);
  const struct {
    std::shared_ptr<FitnessFunction> objective;
    int length;
    Encoding encoding;
  } runs[] = {{std::make_shared<PowerOfTwo>(), 40, BinaryEncoding},
              {std::make_shared<Tsp>(cities), 12, PermutationEncoding}};
  for (const auto& run : runs) {
    for (long seed : {3L, 17L}) {
      // Two runs alike in everything but the wheel.
      std::shared_ptr<Population> parents[2], children[2];
      Statistics statistics[2];
      const std::shared_ptr<SelectionScheme> wheels[2] = {std::make_shared<RouletteWheel>(),
                                                          std::make_shared<ScanningWheel>()};
      for (int w = 0; w < 2; ++w) {
        useSeed(seed);
        parents[w] =
            std::make_shared<Population>(40, run.length, run.encoding, 5, run.objective, wheels[w]);
        children[w] =
            std::make_shared<Population>(40, run.length, run.encoding, 5, run.objective, wheels[w]);
        statistics[w].compute(*parents[w]);
        parents[w]->reproduce(0.7f, 0.05f, children[w], statistics[w]);
      }
      for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(children[1]->getIndividual(k)->getFitness(),
                  children[0]->getIndividual(k)->getFitness())
            << seed << " position " << k;
      }
      EXPECT_EQ(statistics[1].getMutations(), statistics[0].getMutations());
    }
  }
}
