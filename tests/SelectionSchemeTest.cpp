// The tournament and linear-rank schemes: their choices against the exact
// per-position probabilities, and their draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LinearRank.h"
#include "Population.h"
#include "PowerOfTwo.h"
#include "RNG.h"
#include "RouletteWheel.h"
#include "Statistics.h"
#include "TestSupport.h"
#include "Tournament.h"

namespace {

// Neither scheme reads fitness: a population is only its size to them.
std::shared_ptr<Population> populationOf(int size) {
  return std::make_shared<Population>(size, 4, BinaryEncoding, 1, std::make_shared<PowerOfTwo>(),
                                      std::make_shared<RouletteWheel>());
}

// Near misses that a frequency test must tell from the real schemes.
class TournamentWithoutReplacement : public SelectionScheme {
 public:
  explicit TournamentWithoutReplacement(int k) : k(k) {}
  int select(const Population& population, const Statistics&) const override {
    const int n = population.getSize();
    std::vector<int> drawn;
    while (static_cast<int>(drawn.size()) < k) {
      const int p = std::min(n - 1, static_cast<int>(RNG::getInstance()->random() * double(n)));
      if (std::find(drawn.begin(), drawn.end(), p) == drawn.end()) drawn.push_back(p);
    }
    return *std::min_element(drawn.begin(), drawn.end());
  }
  int k;
};

class RankWeightOffByOne : public SelectionScheme {
 public:
  int select(const Population& population, const Statistics&) const override {
    const int n = population.getSize();  // weights N + 1 - i instead of N - i
    double target = RNG::getInstance()->random() * (n * (n + 3.0) / 2.0);
    int i = 0;
    while (i < n - 1 && (target -= n + 1 - i) > 0) ++i;
    return i;
  }
};

double tournamentProbability(int k, int n, int i) {
  return (std::pow(n - i, k) - std::pow(n - i - 1, k)) / std::pow(n, k);
}

double rankProbability(int n, int i) { return (n - i) / (n * (n + 1.0) / 2.0); }

// The 0.999 quantile of chi-square with df degrees of freedom (Wilson-Hilferty).
double criticalChiSquare(int df) {
  const double a = 2.0 / (9.0 * df);
  return df * std::pow(1.0 - a + 3.0902 * std::sqrt(a), 3);
}

}  // namespace

TEST(SelectionSchemeTest, FrequenciesFollowTheExactProbabilities) {
  using Probability = std::function<double(int n, int i)>;
  const Probability tour2 = [](int n, int i) { return tournamentProbability(2, n, i); };
  const Probability tour3 = [](int n, int i) { return tournamentProbability(3, n, i); };
  const Probability tour10 = [](int n, int i) { return tournamentProbability(10, n, i); };
  const struct {
    std::string name;
    std::shared_ptr<SelectionScheme> scheme;
    int size;
    Probability expected;
    bool fits;
  } cases[] = {
      {"binary tournament", std::make_shared<Tournament>(2), 10, tour2, true},
      {"tournament of 3", std::make_shared<Tournament>(3), 24, tour3, true},
      {"tournament of the whole population", std::make_shared<Tournament>(10), 10, tour10, true},
      {"linear rank", std::make_shared<LinearRank>(), 10, rankProbability, true},
      {"linear rank, many positions", std::make_shared<LinearRank>(), 60, rankProbability, true},
      {"tournament without replacement", std::make_shared<TournamentWithoutReplacement>(2), 10,
       tour2, false},
      {"rank weight off by one", std::make_shared<RankWeightOffByOne>(), 10, rankProbability, false},
  };
  constexpr int kSelections = 200000;
  const Statistics statistics;
  for (const auto& c : cases) {
    const auto population = populationOf(c.size);
    std::vector<int> counts(c.size);
    useSeed(4242);
    for (int s = 0; s < kSelections; ++s) ++counts.at(c.scheme->select(*population, statistics));
    double chiSquare = 0.0;
    for (int i = 0; i < c.size; ++i) {
      const double expected = kSelections * c.expected(c.size, i);
      chiSquare += (counts[i] - expected) * (counts[i] - expected) / expected;
    }
    EXPECT_EQ(c.fits, chiSquare < criticalChiSquare(c.size - 1))
        << c.name << ": chi-square " << chiSquare << ", 0.999 quantile "
        << criticalChiSquare(c.size - 1);
  }
}

// Asking whether two positions can come draws nothing; only a single
// individual cannot give two.
TEST(SelectionSchemeTest, DrawsPerSelection) {
  const struct {
    std::shared_ptr<SelectionScheme> scheme;
    int draws;
  } cases[] = {{std::make_shared<Tournament>(2), 2},
               {std::make_shared<Tournament>(7), 7},
               {std::make_shared<LinearRank>(), 1}};
  const auto population = populationOf(12);
  const Statistics statistics;
  for (const auto& c : cases) {
    EXPECT_FALSE(c.scheme->canGiveTwoPositions(*populationOf(1), statistics));
    for (long seed : {5L, 77L}) {
      useSeed(seed);
      EXPECT_TRUE(c.scheme->canGiveTwoPositions(*population, statistics));
      const int position = c.scheme->select(*population, statistics);
      EXPECT_TRUE(position >= 0 && position < 12) << position;
      EXPECT_TRUE(madeDraws(seed, c.draws)) << c.draws;
    }
  }
}

TEST(SelectionSchemeTest, DrawOfOneGivesTheLastPosition) {
  const Statistics statistics;
  for (int size : {1, 7, 1000}) {
    const auto population = populationOf(size);
    nextDrawIs(1.0f);
    EXPECT_EQ(size - 1, Tournament(1).select(*population, statistics)) << size;
    nextDrawIs(1.0f);
    EXPECT_EQ(size - 1, LinearRank().select(*population, statistics)) << size;
  }
}

// The rank scheme finds its position from the root of a quadratic; it must
// be the position a search of the running weights finds, for every size.
TEST(SelectionSchemeTest, RankPositionIsTheFirstWhoseRunningWeightReachesTheDraw) {
  const Statistics statistics;
  for (int size : {2, 3, 10, 999, 100000}) {
    const auto population = populationOf(size);
    long seed = size;
    RNG twin(&seed);
    useSeed(size);
    for (int s = 0; s < 20000; ++s) {
      const double target = twin.random() * (size * (size + 1.0) / 2.0);
      int lo = 0, hi = size - 1;  // the first i with (i + 1)(2 size - i) / 2 >= target
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if ((mid + 1.0) * (2.0 * size - mid) / 2.0 >= target) hi = mid; else lo = mid + 1;
      }
      ASSERT_EQ(lo, LinearRank().select(*population, statistics)) << size << " draw " << s;
    }
  }
}
