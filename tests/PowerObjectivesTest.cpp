#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BinaryEncoded.h"
#include "PowerOfTen.h"
#include "PowerOfTwo.h"
#include "TestSupport.h"

namespace {

std::shared_ptr<Individual> bits(const std::string& text) {
  auto b = std::make_shared<BinaryEncoded>(static_cast<int>(text.size()));
  for (size_t i = 0; i < text.size(); ++i) b->setGene(static_cast<int>(i), text[i] == '1');
  return b;
}

const PowerOfTwo kTwo;
const PowerOfTen kTen;

}  // namespace

TEST(PowerObjectivesTest, WorkedExample) {
  // 1010 is ten of at most fifteen.
  EXPECT_DOUBLE_EQ(10.0 / 15.0, kTwo.compute(bits("1010")));
  EXPECT_DOUBLE_EQ(std::pow(10.0 / 15.0, 10.0), kTen.compute(bits("1010")));
  EXPECT_NEAR(0.0173415, kTen.compute(bits("1010")), 1e-7);
}

TEST(PowerObjectivesTest, ExtremesAndSingleGenes) {
  for (int n : {1, 2, 4, 10, 31, 52, 53, 64}) {
    SCOPED_TRACE(testing::Message() << "length " << n);
    const std::string zeros(n, '0'), ones(n, '1');
    const double largest = std::ldexp(1.0, n) - 1.0;
    EXPECT_EQ(0.0, kTwo.compute(bits(zeros)));
    EXPECT_EQ(0.0, kTen.compute(bits(zeros)));
    EXPECT_EQ(1.0, kTwo.compute(bits(ones)));
    EXPECT_EQ(1.0, kTen.compute(bits(ones)));
    const std::string lastOnly = zeros.substr(1) + "1", firstOnly = "1" + zeros.substr(1);
    EXPECT_DOUBLE_EQ(1.0 / largest, kTwo.compute(bits(lastOnly)));
    EXPECT_DOUBLE_EQ(std::ldexp(1.0, n - 1) / largest, kTwo.compute(bits(firstOnly)));
    EXPECT_DOUBLE_EQ(std::pow(std::ldexp(1.0, n - 1) / largest, 10.0),
                     kTen.compute(bits(firstOnly)));
  }
}

TEST(PowerObjectivesTest, LongestMeaningfulStringStaysInRange) {
  const int n = 1023;
  EXPECT_EQ(1.0, kTwo.compute(bits(std::string(n, '1'))));
  EXPECT_EQ(1.0, kTen.compute(bits(std::string(n, '1'))));
  EXPECT_NEAR(0.5, kTwo.compute(bits("1" + std::string(n - 1, '0'))), 1e-12);
  for (long seed : {1L, 2L, 3L, 4L, 5L}) {
    useSeed(seed);
    const auto random = std::make_shared<BinaryEncoded>(n);
    const double two = kTwo.compute(random), ten = kTen.compute(random);
    EXPECT_TRUE(two >= 0.0 && two <= 1.0) << two;
    EXPECT_TRUE(ten >= 0.0 && ten <= 1.0) << ten;
    // The leading bit alone decides which half the value falls in.
    EXPECT_EQ(random->getGene(0), two >= 0.5) << two;
    EXPECT_NEAR(std::pow(two, 10.0), ten, 1e-12);
  }
}

TEST(PowerObjectivesTest, ScoringTogetherGivesEachStringItsOwnValue) {
  // Lengths around the word size, the exact range of a double (53 bits) and
  // the first infinite weight; densities from sparse to all ones; batches
  // that fill the lanes partly, exactly and beyond; a batch of mixed lengths.
  long seed = 2024;
  RNG rng(&seed);
  auto randomString = [&rng](int length, float ones) {
    auto b = std::make_shared<BinaryEncoded>(length);
    for (int i = 0; i < length; ++i) b->setGene(i, rng.flip(ones));
    return std::shared_ptr<Individual>(b);
  };
  const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  const FitnessFunction* objectives[] = {&kTwo, &kTen};
  for (int length : {0, 1, 2, 52, 53, 54, 63, 64, 65, 127, 200, 999, 1000, 1023, 1024, 1025, 1100}) {
    for (int count : {1, 7, 8, 9, 17}) {
      std::vector<std::shared_ptr<Individual>> batch;
      for (int k = 0; k < count; ++k) {
        const int n = count == 9 && k % 3 == 1 ? length + 1 : length;
        batch.push_back(randomString(n, k % 4 == 0 ? 1.0f : 0.25f * (k % 4) + 0.2f));
      }
      for (const FitnessFunction* objective : objectives) {
        std::vector<double> together(count);
        objective->computeAll(batch.data(), count, together.data());
        for (int k = 0; k < count; ++k) {
          EXPECT_PRED2(same, objective->compute(batch[k]), together[k])
              << "length " << batch[k]->getLength() << ", string " << k << " of " << count;
        }
      }
    }
  }
}
