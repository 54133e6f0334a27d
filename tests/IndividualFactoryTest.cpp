#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "BinaryEncoded.h"
#include "FitnessFunction.h"
#include "IndividualFactory.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"
#include "Tsp.h"

namespace {

// Answers a preset score and remembers what it was asked to score.
class PresetScore : public FitnessFunction {
 public:
  explicit PresetScore(double score) : score(score) {}
  double compute(const std::shared_ptr<Individual>& individual) const override {
    scored.push_back(individual.get());
    return score;
  }
  mutable std::vector<const Individual*> scored;

 private:
  double score;
};

}  // namespace

TEST(IndividualFactoryTest, EncodingChoosesTheClassAndTheResultIsScored) {
  const IndividualFactory factory;
  const struct {
    int encoding;
    bool bits, plain, pmx;
  } cases[] = {{0, true, false, false},
               {1, false, true, false},
               {2, false, false, true},
               {7, true, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "encoding " << c.encoding);
    auto f = std::make_shared<PresetScore>(0.625);
    const auto individual = factory.createIndividual(10, static_cast<Encoding>(c.encoding), f);
    EXPECT_EQ(c.bits, dynamic_cast<BinaryEncoded*>(individual.get()) != nullptr);
    EXPECT_EQ(c.plain, dynamic_cast<PermutationEncoded*>(individual.get()) != nullptr);
    EXPECT_EQ(c.pmx, dynamic_cast<PmxEncoded*>(individual.get()) != nullptr);
    EXPECT_EQ(10, individual->getLength());
    EXPECT_EQ(0.625, individual->getFitness());
    EXPECT_EQ(std::vector<const Individual*>{individual.get()}, f->scored);
    EXPECT_EQ(1, individual.use_count());  // the scoring handle is let go
  }
}

TEST(IndividualFactoryTest, TourMadeUnderTspKnowsItsLength) {
  CityMap cities;
  for (int id = 1; id <= 12; ++id) {
    cities[id] = std::make_shared<City>(id, std::fmod(id * 7.1, 10.0), std::fmod(id * 3.3, 9.0));
  }
  const auto tsp = std::make_shared<Tsp>(cities);
  for (Encoding encoding : {PermutationEncoding, PmxEncoding}) {
    const auto t = IndividualFactory().createIndividual(12, encoding, tsp);
    std::vector<int> ids;
    for (int i = 0; i < 12; ++i) ids.push_back(t->getCityId(i));
    double d = 0.0;
    for (int i = 0; i < 12; ++i) {
      const City& a = *cities.at(ids[i]);
      const City& b = *cities.at(ids[(i + 1) % 12]);
      d += std::hypot(b.x - a.x, b.y - a.y);
    }
    EXPECT_NEAR(d, t->getDistance(), 1e-9);
    EXPECT_NEAR(std::pow(1200.0 / d, 2.0), t->getFitness(), 1e-9 * t->getFitness());
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < 12; ++i) EXPECT_EQ(i + 1, ids[i]);
  }
}
