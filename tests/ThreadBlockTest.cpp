#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ThreadBlock.h"

// The blocks of a team, thread by thread, cover 0..count-1 once, in order, in
// blocks of count / threads rounded up, up to the largest count a loop has.
TEST(ThreadBlockTest, BlocksTileTheCount) {
  const struct {
    int count;
    int threads;
  } loops[] = {{0, 1}, {1, 4}, {3, 4}, {10, 3}, {1000, 1024}, {INT_MAX, 3}, {INT_MAX, 1024}};
  for (const auto& loop : loops) {
    SCOPED_TRACE(std::to_string(loop.count) + " items, " + std::to_string(loop.threads) +
                 " threads");
    const int chunk = loop.count / loop.threads + (loop.count % loop.threads != 0 ? 1 : 0);
    int next = 0;
    for (int thread = 0; thread < loop.threads; ++thread) {
      const ThreadBlock block = ThreadBlock::of(thread, loop.threads, loop.count);
      if (block.begin >= block.end) continue;
      EXPECT_EQ(next, block.begin);
      EXPECT_LE(block.end - block.begin, chunk);
      next = block.end;
    }
    EXPECT_EQ(loop.count, next);
  }
}
