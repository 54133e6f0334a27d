#include "RNG.h"

#include <omp.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ProcessLimits.h"

namespace {

constexpr long kSeedConstant = 161803398L;

bool clockPinned = false;
uint32_t pinnedSeconds = 0;

}  // namespace

std::vector<std::shared_ptr<RNG>> RNG::instances;

RNG::RNG(long* seed) {
  // The state is built in the classic 1-based table; entry i becomes block[i - 1].
  long table[kLags + 1];
  const long magnitude = *seed < 0 ? -*seed : *seed;
  long current = kSeedConstant - magnitude;
  if (current < 0) current = -current;
  current %= kModulus;
  table[0] = 0;
  table[kLags] = current;
  long carry = 1;
  for (int i = 1; i <= 54; ++i) {
    const int scatter = (21 * i) % 55;
    table[scatter] = carry;
    carry = current - carry;
    if (carry < 0) carry += kModulus;
    current = table[scatter];
  }
  for (int pass = 1; pass <= 4; ++pass) {
    for (int i = 1; i <= kLags; ++i) {
      table[i] -= table[1 + (i + 30) % 55];
      if (table[i] < 0) table[i] += kModulus;
    }
  }
  for (int i = 0; i < kLags; ++i) block[i] = static_cast<int32_t>(table[i + 1]);
  used = kLags;
  *seed = 1;
}

namespace {

// Where float arithmetic is exact, a draw is accepted by flip(p) exactly
// when its value is at most a limit: the scaled value never decreases as
// the value grows.
constexpr bool kExactFloat = FLT_EVAL_METHOD == 0;

// Bit k set when value k of the cycle is at most limit.
uint64_t atMostMask(const int32_t* values, int32_t limit) {
  constexpr int kValues = 55;
  uint64_t mask = 0;
  int k = 0;
#ifdef __SSE2__
  const __m128i bound = _mm_set1_epi32(limit);
  for (; k + 4 <= kValues; k += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + k));
    const int above = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(v, bound)));
    mask |= static_cast<uint64_t>(~above & 0xF) << k;
  }
#endif
  for (; k < kValues; ++k) mask |= static_cast<uint64_t>(values[k] <= limit) << k;
  return mask;
}

}  // namespace

// One cycle of steps: value i is replaced by itself minus value i + 31 for
// the first 24, minus the new value i - 24 for the rest. No value of a run
// of 24 depends on another of the same run, so each loop vectorizes.
void RNG::refill() {
  const auto step = [](int32_t a, int32_t b) {
    const int32_t d = a - b;
    return d + (static_cast<int32_t>(kModulus) & (d >> 31));  // plus M when below 0
  };
  for (int i = 0; i < 24; ++i) block[i] = step(block[i], block[i + 31]);
  for (int i = 24; i < 48; ++i) block[i] = step(block[i], block[i - 24]);
  for (int i = 48; i < kLags; ++i) block[i] = step(block[i], block[i - 24]);
  used = 0;
  if (limitValid) accepted = atMostMask(block, limit);
}

void RNG::acceptFor(float p) {
  uint32_t key;
  std::memcpy(&key, &p, sizeof key);
  if (limitValid && key == limitKey) return;
  // The largest value v with p >= scaled(v), by halving: the test holds for
  // a leading run of values (none when p is below 0 or not a number).
  int32_t lo = -1;
  int32_t hi = static_cast<int32_t>(kModulus) - 1;
  if (p >= scaled(hi)) {
    lo = hi;
  } else {
    while (hi - lo > 1) {
      const int32_t mid = lo + (hi - lo) / 2;
      if (p >= scaled(mid)) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
  }
  limitKey = key;
  limitValid = true;
  limit = lo;
  accepted = atMostMask(block, limit);
}

template <class Take>
void RNG::offer(int count, Take take) {
  for (int done = 0; done < count;) {
    if (used == kLags) refill();
    int taken = std::min(kLags - used, count - done);
    const uint64_t window = (accepted >> used) & ((uint64_t{1} << taken) - 1);
    const bool more = take(window, done, taken);
    used += taken;
    done += taken;
    if (!more) return;
  }
}

int RNG::firstFlip(float p, int trials) {
  if (!kExactFloat) {
    for (int t = 0; t < trials; ++t) {
      if (flip(p)) return t;
    }
    return trials;
  }
  acceptFor(p);
  int first = trials;
  offer(trials, [&first](uint64_t hits, int done, int& taken) {
    if (hits == 0) return true;
    const int k = __builtin_ctzll(hits);
    first = done + k;
    taken = k + 1;
    return false;
  });
  return first;
}

uint64_t RNG::flips(float p, int count) {
  uint64_t mask = 0;
  if (!kExactFloat) {
    for (int k = 0; k < count; ++k) mask |= static_cast<uint64_t>(flip(p)) << k;
    return mask;
  }
  acceptFor(p);
  offer(count, [&mask](uint64_t hits, int done, int&) {
    mask |= hits << done;
    return true;
  });
  return mask;
}

long RNG::clockSeed() {
  // Negated in 32-bit unsigned arithmetic: with a 64-bit long the seed is
  // 2^32 - t, with a 32-bit long it reads as -t. Both come from the clock.
  const uint32_t seconds = clockPinned ? pinnedSeconds : static_cast<uint32_t>(std::time(nullptr));
  const uint32_t negated = 0u - seconds;
  return static_cast<long>(negated);
}

void RNG::pinClock(uint32_t seconds) {
  clockPinned = true;
  pinnedSeconds = seconds;
}

const std::shared_ptr<RNG>& RNG::fillOrRefuse(int thread) {
  if (instances.empty() && !omp_in_parallel()) {
    static long tmp = clockSeed();
    // A sequential run draws from generator 0 alone, whatever the thread
    // setting says; wider teams are refused before they start.
    instances = makeTable(&tmp, std::min(omp_get_max_threads(), kMaxThreads));
    if (static_cast<size_t>(thread) < instances.size()) return instances[thread];
  }
  std::cerr << "Error: Thread " << thread << " has no random generator; the table holds "
            << instances.size() << "!" << std::endl;
  // Other threads may still be drawing: end without running static destructors.
  std::_Exit(1);
}

std::vector<std::shared_ptr<RNG>> RNG::makeTable(long* seed, int count) {
  // Generator 0 takes the seed itself; each further generator its own offset
  // from it, so that no two threads draw the same sequence.
  const long base = *seed;
  std::vector<std::shared_ptr<RNG>> table;
  table.reserve(count);
  table.push_back(std::make_shared<RNG>(seed));
  for (int i = 1; i < count; ++i) {
    long offset = base + i;
    table.push_back(std::make_shared<RNG>(&offset));
  }
  return table;
}

