#include <gtest/gtest.h>
#include <omp.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <vector>

#include "RNG.h"

namespace {

// What a draw returns for a table value: the product in double, then rounded.
float scaled(long value) { return static_cast<float>(static_cast<double>(value) * 1e-9); }

std::vector<float> draws(RNG& rng, int count) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) values.push_back(rng.random());
  return values;
}

std::vector<float> draws(long seed, int count) {
  RNG rng(&seed);
  return draws(rng, count);
}

}  // namespace

TEST(RNGTest, SeedsOneAndMinusOneGiveTheKnownValues) {
  for (long seed : {1L, -1L}) {
    RNG rng(&seed);
    for (long value : {298227348L, 715119168L, 33021107L, 874393600L, 534194424L})
      EXPECT_EQ(scaled(value), rng.random()) << "value " << value;
  }
}

TEST(RNGTest, OnlyTheMagnitudeOfTheSeedCounts) {
  EXPECT_EQ(draws(7, 1000), draws(-7, 1000));
  EXPECT_NE(draws(7, 1000), draws(8, 1000));
}

TEST(RNGTest, ConstructionStoresOneIntoTheSeedVariable) {
  long seed = 123456;
  RNG first(&seed);
  EXPECT_EQ(1, seed);
  RNG second(&seed);  // a second generator from the same variable starts from 1
  EXPECT_EQ(draws(1, 20), draws(second, 20));
}

TEST(RNGTest, DrawsLieInZeroToOneWithBothEnds) {
  // The top 29 table values round up to exactly 1.0 in single precision.
  EXPECT_EQ(1.0f, scaled(999999971));
  EXPECT_GT(1.0f, scaled(999999970));
  EXPECT_EQ(0.0f, scaled(0));
  for (long seed : {1L, 2L, 99L}) {
    RNG rng(&seed);
    for (int i = 0; i < 1000000; ++i) {
      const float d = rng.random();
      ASSERT_TRUE(d >= 0.0f && d <= 1.0f) << d;
    }
  }
}

TEST(RNGTest, OperationsReadOneDrawEach) {
  // A twin on the same seed shows the draw each operation consumed; an
  // operation taking more or fewer steps would put the pair out of step.
  for (long seed : {3L, 4L, 5L}) {
    long a = seed, b = seed;
    RNG twin(&a), rng(&b);
    for (int i = 0; i < 20000; ++i) {
      EXPECT_EQ(twin.random() < 0.5f ? 0 : 1, rng.range(0, 1));
      EXPECT_EQ(twin.random() == 0.0f, rng.flip(0.0f));
      twin.random();
      EXPECT_TRUE(rng.flip(1.0f));
      twin.random();
      EXPECT_EQ(5, rng.range(5, 5));
      twin.random();
      EXPECT_EQ(1, rng.range(1));
    }
  }
}

TEST(RNGTest, ExactEndDrawsDecideFlipAndRange) {
  // Seed 11 draws an exact 0.0 and an exact 1.0 within its first 11 million
  // steps; the twins apply an operation to just those draws.
  long a = 11, b = 11, c = 11;
  RNG scout(&a), flipper(&b), ranger(&c);
  int zeros = 0, ones = 0;
  for (int i = 0; i < 11000000 && (zeros == 0 || ones == 0); ++i) {
    const float d = scout.random();
    if (d == 0.0f) {
      ++zeros;
      EXPECT_TRUE(flipper.flip(0.0f));
      EXPECT_EQ(0, ranger.range(0, 9));
    } else if (d == 1.0f) {
      ++ones;
      EXPECT_TRUE(flipper.flip(1.0f));
      EXPECT_EQ(9, ranger.range(0, 9));
    } else {
      flipper.random();
      ranger.random();
    }
  }
  EXPECT_LT(0, zeros);
  EXPECT_LT(0, ones);
}

TEST(RNGTest, RangeEndsComeHalfAsOftenAsInnerValues) {
  constexpr int kDraws = 180000;  // 20000 expected per inner value
  for (long seed : {11L, 12L, 13L}) {
    RNG rng(&seed);
    std::vector<int> counts(10);
    for (int i = 0; i < kDraws; ++i) {
      const int k = rng.range(0, 9);
      ASSERT_TRUE(k >= 0 && k <= 9) << k;
      ++counts[k];
    }
    for (int k = 0; k <= 9; ++k) {
      const double expected = (k == 0 || k == 9) ? kDraws / 18.0 : kDraws / 9.0;
      EXPECT_NEAR(expected, counts[k], 0.05 * expected) << "value " << k;
    }
  }
}

TEST(RNGTest, MakeTableOffsetsEachGeneratorFromTheSeed) {
  constexpr int kCount = 6;
  long seed = 4242;
  auto table = RNG::makeTable(&seed, kCount);
  EXPECT_EQ(1, seed);
  ASSERT_EQ(kCount, static_cast<int>(table.size()));
  std::set<std::vector<float>> streams;
  for (int i = 0; i < kCount; ++i) {
    const auto stream = draws(*table[i], 50);
    EXPECT_EQ(draws(4242 + i, 50), stream) << "generator " << i;
    streams.insert(stream);
  }
  EXPECT_EQ(kCount, static_cast<int>(streams.size()));
}

TEST(RNGTest, TableIsFilledOnceAndEachThreadDrawsFromItsOwnEntry) {
  auto entries = [] {
    std::vector<const RNG*> pointers;
    for (const auto& entry : RNG::instances) pointers.push_back(entry.get());
    return pointers;
  };
  const int maxThreads = omp_get_max_threads();
  RNG::getInstance();
  const auto table = entries();
  EXPECT_EQ(static_cast<size_t>(maxThreads), table.size());

  std::vector<const RNG*> seen(table.size());
#pragma omp parallel num_threads(table.size())
  seen[omp_get_thread_num()] = RNG::getInstance().get();
  EXPECT_EQ(table, seen);

  // Later, narrower regions leave the table alone.
  omp_set_num_threads(1);
#pragma omp parallel
  RNG::getInstance()->random();
  omp_set_num_threads(maxThreads);
  EXPECT_EQ(table, entries());
}

TEST(RNGTest, FirstCallSeedsTheTableFromTheClock) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Run in a fresh process so that this call is the one that fills the table.
  auto check = [] {
    const long before = RNG::clockSeed();
    RNG::getInstance();
    const long after = RNG::clockSeed();
    for (size_t i = 0; i < RNG::instances.size(); ++i) {
      const auto stream = draws(*RNG::instances[i], 20);
      if (stream != draws(before + static_cast<long>(i), 20) &&
          stream != draws(after + static_cast<long>(i), 20))
        std::exit(2);
    }
    std::exit(0);
  };
  EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
}

TEST(RNGTest, ThreadOutsideTheTableStopsWithAnError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto widerRegion = [] {
    RNG::getInstance();
#pragma omp parallel num_threads(omp_get_max_threads() + 2)
    if (omp_get_thread_num() == omp_get_num_threads() - 1) RNG::getInstance()->random();
  };
  EXPECT_EXIT(widerRegion(), ::testing::ExitedWithCode(1), "(^|\n)Error: [^\n]+\n");
}

// The two processor builds differ here, and only here: the width of long
// changes the value of the clock seed, and the x87 keeps the product of
// range in extended precision.

TEST(RNGTest, ClockSeedIsTheSecondNegatedIn32Bits) {
  std::time_t t;
  long seed;
  do {  // retried if the clock ticked between the two readings
    t = std::time(nullptr);
    seed = RNG::clockSeed();
  } while (std::time(nullptr) != t);
  const uint64_t low = static_cast<uint64_t>(t) & 0xFFFFFFFFu;
  if (sizeof(long) == 8) {
    EXPECT_EQ(low == 0 ? 0L : static_cast<long>((uint64_t{1} << 32) - low), seed);
  } else {
    // The same 32 bits read as a signed long: -t, for t below 2^31.
    EXPECT_EQ(-static_cast<long>(t), seed);
  }
}

TEST(RNGTest, RangeRoundsTheProductInSinglePrecisionOnX8664) {
  // Draws whose exact product with 1000 falls just short of k + 0.5 but
  // rounds onto it in single precision: the x86-64 build adds 0.5 to the
  // rounded product and gives k + 1. The i386 build keeps the exact product
  // in extended precision (FLT_EVAL_METHOD 2) and gives k.
  constexpr int kSpan = 1000;
  long a = 1, b = 1;
  RNG scout(&a), ranger(&b);
  int found = 0;
  for (int i = 0; i < 2000000 && found < 5; ++i) {
    const volatile float d = scout.random();
    const double exact = kSpan * static_cast<double>(d);  // 34 bits: exact in double
    const volatile float single = static_cast<float>(exact);
    const double half = std::floor(exact) + 0.5;
    if (single != half || !(exact < half)) {
      ranger.random();
      continue;
    }
    ++found;
    const int k = static_cast<int>(std::floor(exact));
    const int r = ranger.range(0, kSpan);
    if (FLT_EVAL_METHOD == 0) {
      EXPECT_EQ(k + 1, r) << "draw " << d;
    } else if (FLT_EVAL_METHOD == 2) {
      EXPECT_EQ(k, r) << "draw " << d;
    } else {
      EXPECT_TRUE(r == k || r == k + 1) << r << " for draw " << d;
    }
  }
  EXPECT_EQ(5, found);
}
