// The contiguous share of a loop that one thread of a team takes: blocks of
// count / threads rounded up, thread t from t * chunk. Every parallel loop of
// the programs divides its work this way, so a run's draws depend only on the
// thread count, never on the OpenMP runtime's own scheduling.
#pragma once

#include <algorithm>
#include <cstdint>

struct ThreadBlock {
  int begin;
  int end;  // one past the last item; begin >= end means no work

  static ThreadBlock of(int thread, int threads, int count) {
    const int chunk = count / threads + (count % threads != 0 ? 1 : 0);
    // 64 bits: the last block's end may pass INT_MAX, and long has 32 on i386.
    const int64_t begin = static_cast<int64_t>(thread) * chunk;
    if (begin >= count) return {count, count};
    return {static_cast<int>(begin), static_cast<int>(std::min<int64_t>(begin + chunk, count))};
  }
};
