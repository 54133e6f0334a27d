#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "IdPool.h"
#include "RNG.h"
#include "TestSupport.h"
#include "Tour.h"

namespace {

// How a random tour was first built: the pool a vector, each drawn id
// removed from the middle.
std::vector<int> vectorPoolTour(int length) {
  std::vector<int> pool;
  for (int id = 1; id <= length; ++id) pool.push_back(id);
  std::vector<int> tour;
  RNG& rng = *RNG::getInstance();
  while (!pool.empty()) {
    const int k = rng.range(0, static_cast<int>(pool.size()) - 1);
    tour.push_back(pool[k]);
    pool.erase(pool.begin() + k);
  }
  return tour;
}

}  // namespace

TEST(IdPoolTest, RandomToursDrawTheIdsOfTheVectorPool) {
  for (long seed : {1L, 5L, 99L}) {
    for (int length = 1; length <= 2000; ++length) {
      useSeed(seed);
      const std::vector<int> expected = vectorPoolTour(length);
      useSeed(seed);
      ASSERT_EQ(expected, Tour::random(length)) << "seed " << seed << ", length " << length;
      ASSERT_TRUE(madeDraws(seed, length)) << length;
    }
  }
}

TEST(IdPoolTest, TakesOnlyIdsThatAreLeft) {
  IdPool pool(3);
  EXPECT_EQ(3, pool.take(2));
  EXPECT_THROW(pool.take(2), std::out_of_range);
  EXPECT_THROW(pool.take(-1), std::out_of_range);
  EXPECT_EQ(1, pool.take(0));
  EXPECT_EQ(2, pool.take(0));
  EXPECT_EQ(0, pool.size());
  EXPECT_THROW(IdPool(0).take(0), std::out_of_range);
}
