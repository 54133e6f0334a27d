// The per-thread random generator: Knuth's subtractive method (ran3), one
// generator per OpenMP thread, the only source of randomness in the programs.
//
// Thread rules: the table `instances` is filled by the first getInstance(),
// which must run on the initial thread before any parallel region opens; after
// that it is only read. Each thread draws only from its own entry, so no
// generator is ever locked. A thread whose number has no entry ends the
// process with an error line rather than read outside the table.
#pragma once

#include <omp.h>

#include <cstdint>
#include <memory>
#include <vector>

// Cache-line aligned, so that two threads' generators never share a line.
//
// The recurrence reads values made 55 and 24 steps earlier, so a whole cycle
// of 55 steps can be made at once (in vector registers) and handed out one by
// one: the same values in the same order as one step at a time.
class alignas(64) RNG {
 public:
  // Builds the state from *seed, then stores 1 into it.
  explicit RNG(long* seed);
  RNG(const RNG&) = delete;
  RNG& operator=(const RNG&) = delete;

  // One step; the new value scaled into [0, 1], both ends possible.
  // Inline, like flip and range: a generation makes a million draws.
  float random() {
    if (used == kLags) refill();
    return scaled(block[used++]);
  }
  // One step; true when p is not below the draw.
  bool flip(float p) { return p >= random(); }
  // One step mapped onto lo..hi inclusive, rounded to nearest (ends half as likely).
  int range(int lo, int hi) {
    const float x = static_cast<float>(hi - lo) * random();
    return lo + static_cast<int>(static_cast<double>(x) + 0.5);
  }
  int range(int n) { return range(1, n); }

  // Up to `trials` flip(p), stopping after the first true one: its number
  // (0-based), or `trials` when none was true. The steps are those of the
  // flips one by one.
  int firstFlip(float p, int trials);
  // `count` (at most 64) flip(p): bit k of the result is the k-th outcome.
  uint64_t flips(float p, int count);
  // The calling thread's generator. Returned by reference so that a draw costs
  // no reference-count traffic; the table owns the generator.
  static const std::shared_ptr<RNG>& getInstance() {
    const int thread = omp_get_thread_num();
    if (static_cast<size_t>(thread) < instances.size()) return instances[thread];
    return fillOrRefuse(thread);
  }

  // The seed of generator 0: the clock second, negated in 32 bits.
  static long clockSeed();
  // From now on the clock reads `seconds` for the seed: a seeded run draws
  // what a run started at that second draws. Before the first draw only.
  static void pinClock(uint32_t seconds);
  // count generators: the first from *seed (which then holds 1), generator i
  // from the original seed + i.
  static std::vector<std::shared_ptr<RNG>> makeTable(long* seed, int count);

  static std::vector<std::shared_ptr<RNG>> instances;

 private:
  static constexpr long kModulus = 1000000000L;
  static constexpr double kScale = 1e-9;
  static constexpr int kLags = 55;

  static float scaled(int32_t value) {
    return static_cast<float>(static_cast<double>(value) * kScale);
  }
  static const std::shared_ptr<RNG>& fillOrRefuse(int thread);
  // The next 55 values, in place of the last 55.
  void refill();
  // Sets `accepted` for flip(p): bit k is set when block[k] is a draw that
  // flip(p) accepts. That is an integer comparison with the largest such
  // value, kept for the last p; the cycles made later get their bits made
  // with them. Only where float arithmetic is exact (x86-64): the x87 of
  // i386 may compare in wider precision.
  void acceptFor(float p);
  // Hands the next `count` draws to take(hits, done, taken), a cycle at a
  // time: `taken` of them after the `done` before, bit k of hits telling
  // whether draw k of them is accepted; take may lower `taken` to what it
  // used, and answers whether to go on.
  template <class Take>
  void offer(int count, Take take);

  // The values of the current cycle; block[used] is the next draw. Every
  // value lies in 0..999 999 999.
  int32_t block[kLags];
  int used;
  uint32_t limitKey;  // bits of the probability acceptFor last served, if limitValid
  bool limitValid = false;
  int32_t limit;
  uint64_t accepted;
};
