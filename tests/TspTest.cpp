#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "PermutationEncoded.h"
#include "PmxEncoded.h"
#include "RNG.h"
#include "Tsp.h"

namespace {

using Ids = std::vector<int>;
struct Place {
  int id;
  double x, y;
};

CityMap cityMap(const std::vector<Place>& places) {
  CityMap map;
  for (const Place& p : places) map[p.id] = std::make_shared<City>(p.id, p.x, p.y);
  return map;
}

template <class Encoded>
std::shared_ptr<Individual> tour(const Ids& ids) {
  auto t =
      std::make_shared<Encoded>(static_cast<int>(ids.size()), std::shared_ptr<FitnessFunction>());
  for (size_t i = 0; i < ids.size(); ++i) t->setCityId(static_cast<int>(i), ids[i]);
  return t;
}

double fitnessFor(int n, double d) { return std::pow(100.0 * n / d, 2.0); }

}  // namespace

TEST(TspTest, SquareTourMeasuresFourteen) {
  // Sides 3 and 4; the ids need not run 1..n for the objective.
  for (const Ids& ids : {Ids{1, 2, 3, 4}, Ids{1, 2, 30, 40}, Ids{0, 7, 5, 9}}) {
    const Tsp tsp(cityMap({{ids[0], 0, 0}, {ids[1], 0, 3}, {ids[2], 4, 3}, {ids[3], 4, 0}}));
    for (auto t : {tour<PermutationEncoded>(ids), tour<PmxEncoded>(ids)}) {
      const double fitness = tsp.compute(t);
      EXPECT_EQ(14.0, t->getDistance());
      EXPECT_DOUBLE_EQ(fitnessFor(4, 14.0), fitness);
      EXPECT_NEAR(816.3265, fitness, 1e-4);
      EXPECT_EQ(-1.0, t->getFitness());  // storing it is the caller's part
    }
  }
}

TEST(TspTest, ReversalAndRotationKeepTheLength) {
  std::vector<Place> places;
  Ids ids;
  for (int id = 1; id <= 40; ++id) {
    places.push_back({id, std::fmod(id * 37.3, 101.0), std::fmod(id * id * 13.7, 89.0)});
    ids.push_back((id * 17) % 40 + 1);  // 17 is prime to 40: a permutation
  }
  const Tsp tsp(cityMap(places));
  auto forward = tour<PermutationEncoded>(ids);
  const double fitness = tsp.compute(forward), d = forward->getDistance();
  EXPECT_DOUBLE_EQ(fitnessFor(40, d), fitness);
  Ids reversed(ids.rbegin(), ids.rend()), rotated(ids.begin() + 13, ids.end());
  rotated.insert(rotated.end(), ids.begin(), ids.begin() + 13);
  for (const Ids& other : {reversed, rotated}) {
    auto t = tour<PmxEncoded>(other);
    EXPECT_NEAR(fitness, tsp.compute(t), 1e-9 * fitness);
    EXPECT_NEAR(d, t->getDistance(), 1e-9 * d);
  }
}

TEST(TspTest, EdgeCasesOfTheClosedTour) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::vector<Place> places;
    double distance;
  } cases[] = {
      {{{1, 0, 0}, {2, 3, 4}}, 10.0},                     // the one edge, out and back
      {{{1, 0, 0}, {2, 0, 0}, {3, 3, 4}}, 10.0},          // coincident cities add nothing
      {{{1, 0, 0}, {2, 1, 1}}, 2.0 * std::sqrt(2.0)},     // no rounding to integers
      {{{1, 2.5, -1}, {2, 2.5, -1}, {3, 2.5, -1}}, 0.0},  // one point: no length at all
      {{{1, 6, 6}}, 0.0},                                 // a single city
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.places.size());
    Ids ids;
    for (const Place& p : c.places) ids.push_back(p.id);
    auto t = tour<PermutationEncoded>(ids);
    const double fitness = Tsp(cityMap(c.places)).compute(t);
    EXPECT_DOUBLE_EQ(c.distance, t->getDistance()) << n << " cities";
    if (c.distance == 0.0) {
      EXPECT_EQ(inf, fitness);
    } else {
      EXPECT_DOUBLE_EQ(fitnessFor(n, c.distance), fitness);
    }
  }
}

TEST(TspTest, EuclideanDistanceIsNotRounded) {
  const Tsp tsp(CityMap{});
  auto a = std::make_shared<City>(1, 0.0, 0.0), b = std::make_shared<City>(2, 1.0, 1.0);
  // Stored first: the i386 build may hold a result in extended precision.
  const volatile double ab = tsp.calcEucDistance(a, b), ba = tsp.calcEucDistance(b, a);
  EXPECT_EQ(std::sqrt(2.0), ab);
  EXPECT_EQ(std::sqrt(2.0), ba);
  EXPECT_EQ(5.0, tsp.calcEucDistance(std::make_shared<City>(3, -1.0, 2.0),
                                     std::make_shared<City>(4, 2.0, -2.0)));
}

TEST(TspTest, TourWithAnUnknownCityEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Tsp tsp(cityMap({{1, 0, 0}, {2, 0, 3}, {3, 4, 3}}));
  auto t = tour<PermutationEncoded>({1, 2, 7});
  EXPECT_EXIT(tsp.compute(t), ::testing::ExitedWithCode(1),
              "^Error: ([^\n]*[^0-9])?7([^0-9][^\n]*)?\n$");
}

TEST(TspTest, MeasuringTogetherGivesEachTourItsOwnLength) {
  // Instances measured from a table of distances (up to 256 cities) and
  // without one; random tours of both encodings; batches that fill the
  // lanes partly, exactly and beyond, and one that mixes the encodings.
  long seed = 99;
  RNG rng(&seed);
  const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  for (int n : {1, 2, 3, 17, 200, 256, 257, 400}) {
    std::vector<Place> places;
    for (int id = 1; id <= n; ++id) places.push_back({id, 1000.0 * rng.random(), 1000.0 * rng.random()});
    const Tsp tsp(cityMap(places));
    for (int count : {1, 8, 11, 16}) {
      std::vector<std::shared_ptr<Individual>> batch;
      for (int k = 0; k < count; ++k) {
        const bool pmx = count == 11 ? k % 2 == 1 : count == 16;
        batch.push_back(pmx ? std::shared_ptr<Individual>(std::make_shared<PmxEncoded>(n, nullptr))
                            : std::make_shared<PermutationEncoded>(n, nullptr));
      }
      std::vector<double> together(count);
      tsp.computeAll(batch.data(), count, together.data());
      for (int k = 0; k < count; ++k) {
        const double d = batch[k]->getDistance();
        EXPECT_PRED2(same, tsp.compute(batch[k]), together[k]) << n << " cities, tour " << k;
        EXPECT_PRED2(same, batch[k]->getDistance(), d) << n << " cities, tour " << k;
      }
    }
  }
}
