#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BinaryEncoded.h"
#include "RNG.h"
#include "Statistics.h"
#include "TestSupport.h"

namespace {

std::shared_ptr<BinaryEncoded> bits(const std::string& text) {
  auto b = std::make_shared<BinaryEncoded>(static_cast<int>(text.size()));
  for (size_t i = 0; i < text.size(); ++i) b->setGene(static_cast<int>(i), text[i] == '1');
  return b;
}

std::string text(const Individual& b) {
  std::string s;
  for (int i = 0; i < b.getLength(); ++i) s += b.getGene(i) ? '1' : '0';
  return s;
}

std::string inverted(std::string s) {
  for (char& c : s) c = c == '1' ? '0' : '1';
  return s;
}

bool noZeroDraw(RNG& g, int draws) {
  for (int i = 0; i < draws; ++i) {
    if (g.random() == 0.0f) return false;
  }
  return true;
}

}  // namespace

TEST(BinaryEncodedTest, CrossAtEachSiteSplitsTheParents) {
  // 0000 x 1111; a site of length - 1 still counts as a crossover.
  const struct {
    int site;
    const char* child1;
    const char* child2;
  } cases[] = {{0, "0111", "1000"}, {1, "0011", "1100"}, {2, "0001", "1110"}, {3, "0000", "1111"}};
  for (const auto& c : cases) {
    const long seed = findSeed(
        [&](RNG& g) { return g.random() < 1.0f && g.range(0, 3) == c.site && noZeroDraw(g, 8); });
    for (bool parallel : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << "site " << c.site << (parallel ? " crossParallel" : " cross"));
      auto self = bits("0000"), mate = bits("1111"), child1 = bits("1010"), child2 = bits("0101");
      child1->setFitness(0.25);
      useSeed(seed);
      Statistics stats;
      EXPECT_EQ(c.site, breed(parallel, *self, mate, child1, child2, 1.0f, 0.0f, stats));
      EXPECT_EQ(c.child1, text(*child1));
      EXPECT_EQ(c.child2, text(*child2));
      EXPECT_EQ(1, stats.getCrosses());
      EXPECT_EQ(0, stats.getMutations());
      EXPECT_TRUE(madeDraws(seed, 2 + 8));
      EXPECT_EQ("0000", text(*self));
      EXPECT_EQ("1111", text(*mate));
      EXPECT_EQ(0.25, child1->getFitness());
    }
  }
}

TEST(BinaryEncodedTest, WithoutCrossoverChildrenAreCopiesBeforeOneDrawPerTrial) {
  const std::string a = "1101000111010110010011101", b = "0110111000101001110110001";
  const int n = static_cast<int>(a.size());
  // With pm 0 a trial succeeds only on a draw of exactly 0; the seed has none.
  const long seed = findSeed([&](RNG& g) { return noZeroDraw(g, 1 + 2 * n); });
  for (float pm : {0.0f, 1.0f}) {
    auto self = bits(a), mate = bits(b), child1 = bits(b), child2 = bits(a);
    useSeed(seed);
    Statistics stats;
    EXPECT_EQ(n - 1, self->cross(mate, child1, child2, 0.0f, pm, stats));
    EXPECT_EQ(pm == 0.0f ? a : inverted(a), text(*child1));
    EXPECT_EQ(pm == 0.0f ? b : inverted(b), text(*child2));
    EXPECT_EQ(0, stats.getCrosses());
    EXPECT_EQ(pm == 0.0f ? 0 : 2 * n, stats.getMutations());
    EXPECT_TRUE(madeDraws(seed, 1 + 2 * n));
  }
}

// The draws of a whole crossing replayed on a twin generator: the decision,
// the site, then child1's and child2's trial at each position in turn.
TEST(BinaryEncodedTest, CrossFollowsTheDrawOrderExactly) {
  for (int n : {13, 64, 130}) {
    std::string a, b;
    for (int i = 0; i < n; ++i) {
      a += (i * 7 + 3) % 5 < 2 ? '1' : '0';
      b += (i * i + 1) % 3 == 0 ? '1' : '0';
    }
    for (long seed : {2L, 19L, 777L, 31337L, 900001L}) {
      for (bool parallel : {false, true}) {
        SCOPED_TRACE(testing::Message() << "length " << n << ", seed " << seed
                                        << (parallel ? ", crossParallel" : ", cross"));
        auto self = bits(a), mate = bits(b), child1 = bits(a), child2 = bits(b);
        long s = seed;
        RNG twin(&s);
        int site = n - 1, crosses = 0, mutations = 0;
        if (twin.random() < 0.7f) {
          crosses = 1;
          site = twin.range(0, n - 1);
        }
        std::string expected1, expected2;
        const auto write = [&](std::string& child, char bit) {
          const bool flipped = twin.flip(0.3f);
          mutations += flipped;
          child += flipped ? inverted(std::string(1, bit)) : std::string(1, bit);
        };
        for (int i = 0; i < n; ++i) {
          write(expected1, (i <= site ? a : b)[i]);
          write(expected2, (i <= site ? b : a)[i]);
        }
        useSeed(seed);
        Statistics stats;
        EXPECT_EQ(site, breed(parallel, *self, mate, child1, child2, 0.7f, 0.3f, stats));
        EXPECT_EQ(expected1, text(*child1));
        EXPECT_EQ(expected2, text(*child2));
        EXPECT_EQ(crosses, stats.getCrosses());
        EXPECT_EQ(mutations, stats.getMutations());
        EXPECT_TRUE(madeDraws(seed, 1 + crosses + 2 * n));
      }
    }
  }
}

TEST(BinaryEncodedTest, ConstructionDrawsOneFairFlipPerBit) {
  for (int n : {5, 70}) {
    for (long seed : {5L, 6L, 1234L}) {
      useSeed(seed);
      BinaryEncoded b(n);
      long s = seed;
      RNG twin(&s);
      for (int i = 0; i < n; ++i) EXPECT_EQ(twin.flip(0.5f), b.getGene(i)) << "bit " << i;
      EXPECT_TRUE(madeDraws(seed, n));
      EXPECT_EQ(n, b.getLength());
      EXPECT_EQ(-1.0, b.getFitness());
    }
  }
}

TEST(BinaryEncodedTest, TourOperationsAnswerNeutrally) {
  auto b = bits("10110");
  EXPECT_EQ(-1, b->getCityId(0));
  EXPECT_EQ(-1, b->find_city(1));
  EXPECT_EQ(0.0, b->getDistance());
  b->setCityId(0, 0);
  b->setDistance(3.0);
  b->swap(0, 1);
  EXPECT_EQ("10110", text(*b));
  EXPECT_EQ(0.0, b->getDistance());
}
