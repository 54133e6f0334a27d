// The per-thread random generator: Knuth's subtractive method (ran3), one
// generator per OpenMP thread, the only source of randomness in the programs.
//
// Thread rules: the table `instances` is filled by the first getInstance(),
// which must run on the initial thread before any parallel region opens; after
// that it is only read. Each thread draws only from its own entry, so no
// generator is ever locked. A thread whose number has no entry ends the
// process with an error line rather than read outside the table.
#pragma once

#include <memory>
#include <vector>

class RNG {
 public:
  // Builds the state from *seed, then stores 1 into it.
  explicit RNG(long* seed);
  RNG(const RNG&) = delete;
  RNG& operator=(const RNG&) = delete;

  // One step; the new value scaled into [0, 1], both ends possible.
  float random();
  // One step; true when p is not below the draw.
  bool flip(float p);
  // One step mapped onto lo..hi inclusive, rounded to nearest (ends half as likely).
  int range(int lo, int hi);
  int range(int n) { return range(1, n); }

  // The calling thread's generator. Returned by reference so that a draw costs
  // no reference-count traffic; the table owns the generator.
  static const std::shared_ptr<RNG>& getInstance();

  // The seed of generator 0: the clock second, negated in 32 bits.
  static long clockSeed();
  // count generators: the first from *seed (which then holds 1), generator i
  // from the original seed + i.
  static std::vector<std::shared_ptr<RNG>> makeTable(long* seed, int count);

  static std::vector<std::shared_ptr<RNG>> instances;

 private:
  static void fill();
  [[noreturn]] static void threadOutsideTable(int thread);

  int nextIndex;
  int partnerIndex;
  long table[56];
  long current;
  long carry;
  int loopCounter;
  int scatterIndex;
  int mixPass;
};
