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

// The generator one step at a time, as the classic routine writes it: the
// oracle for the generator that makes its values a cycle at a time.
class ScalarStep {
 public:
  explicit ScalarStep(long seed) {
    long current = std::labs(161803398L - std::labs(seed)) % 1000000000L;
    table[55] = current;
    long carry = 1;
    for (int i = 1; i <= 54; ++i) {
      const int k = (21 * i) % 55;
      table[k] = carry;
      carry = current - carry;
      if (carry < 0) carry += 1000000000L;
      current = table[k];
    }
    for (int pass = 0; pass < 4; ++pass) {
      for (int i = 1; i <= 55; ++i) {
        table[i] -= table[1 + (i + 30) % 55];
        if (table[i] < 0) table[i] += 1000000000L;
      }
    }
  }
  float random() {
    if (++next == 56) next = 1;
    if (++partner == 56) partner = 1;
    long v = table[next] - table[partner];
    if (v < 0) v += 1000000000L;
    table[next] = v;
    return scaled(v);
  }
  bool flip(float p) { return p >= random(); }
  int range(int lo, int hi) {
    const float x = static_cast<float>(hi - lo) * random();
    return lo + static_cast<int>(static_cast<double>(x) + 0.5);
  }
  int firstFlip(float p, int trials) {
    for (int t = 0; t < trials; ++t) {
      if (flip(p)) return t;
    }
    return trials;
  }
  uint64_t flips(float p, int count) {
    uint64_t mask = 0;
    for (int k = 0; k < count; ++k) mask |= static_cast<uint64_t>(flip(p)) << k;
    return mask;
  }

 private:
  long table[56] = {};
  int next = 0;
  int partner = 31;
};

// Probabilities at the edges of what flip accepts: below and above the
// range, not a number, exact draws, the neighbours of a draw's value.
const float kProbabilities[] = {0.0f,  -0.5f, 1.0f,   2.0f,   NAN,          0.001f,
                                0.01f, 0.5f,  0.999f, 1e-9f,  scaled(123456789),
                                std::nextafter(scaled(123456789), 0.0f)};

// Runs one of several call sites' operations, chosen by step, on both the
// generator and its oracle; false when they disagree.
template <class Generator>
long operation(Generator& g, int step) {
  const float p = kProbabilities[step % 12];
  switch (step % 7) {
    case 0: return static_cast<long>(g.random() * 1e9f);
    case 1: return g.flip(p);
    case 2: return g.range(0, step % 300);
    case 3: return g.firstFlip(p, step % 130);
    case 4: return static_cast<long>(g.flips(p, step % 65));
    case 5: return static_cast<long>(g.flips(p, 64) >> 1);
    default: return g.firstFlip(0.01f, 2 * (step % 200));
  }
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

TEST(RNGTest, CyclesOfStepsGiveTheValuesOfSingleSteps) {
  // Operations of every kind, of changing lengths, from many seeds: every
  // draw lands at a different offset within a cycle of 55.
  for (long seed = 1; seed <= 300; ++seed) {
    long s = seed * 7919;
    RNG rng(&s);
    ScalarStep oracle(seed * 7919);
    for (int step = 0; step < 400; ++step) {
      ASSERT_EQ(operation(oracle, step + static_cast<int>(seed)),
                operation(rng, step + static_cast<int>(seed)))
          << "seed " << seed * 7919 << ", step " << step;
    }
  }
}

TEST(RNGTest, BatchedFlipsAgreeWithSingleFlipsForEveryProbability) {
  for (float p : kProbabilities) {
    for (int count : {0, 1, 4, 54, 55, 56, 64}) {
      long s = 77;
      RNG rng(&s);
      ScalarStep oracle(77);
      for (int round = 0; round < 300; ++round) {
        ASSERT_EQ(oracle.flips(p, count), rng.flips(p, count)) << p << " x " << count;
        ASSERT_EQ(oracle.firstFlip(p, 3 * count + round), rng.firstFlip(p, 3 * count + round))
            << p << " x " << count;
      }
      EXPECT_EQ(oracle.random(), rng.random());
    }
  }
}

TEST(RNGTest, AGeneratorHalfThroughItsCycleCarriesOnInsideARegion) {
  // Generator 0 serves the initial thread and thread 0 of every region; the
  // others start fresh there. Each must go on where its cycle stands.
  RNG::getInstance();
  const int threads = static_cast<int>(RNG::instances.size());
  const auto saved = RNG::instances;
  for (int i = 0; i < threads; ++i) {
    long s = 500 + i;
    RNG::instances[i] = std::make_shared<RNG>(&s);
  }
  ScalarStep zero(500);
  for (int i = 0; i < 30; ++i) ASSERT_EQ(zero.random(), RNG::getInstance()->random());
  std::vector<int> agreed(threads, 0);
#pragma omp parallel num_threads(threads)
  {
    const int t = omp_get_thread_num();
    ScalarStep own(500 + t);
    if (t == 0) own = zero;
    int same = 1;
    for (int step = 0; step < 2000; ++step) {
      same &= operation(own, step) == operation(*RNG::getInstance(), step);
    }
    agreed[t] = same;
  }
  EXPECT_EQ(std::vector<int>(threads, 1), agreed);
  RNG::instances = saved;
}
