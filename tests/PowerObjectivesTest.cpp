#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

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
