#include "RNG.h"

#include <omp.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iostream>

namespace {

constexpr long kSeedConstant = 161803398L;

bool clockPinned = false;
uint32_t pinnedSeconds = 0;

}  // namespace

std::vector<std::shared_ptr<RNG>> RNG::instances;

RNG::RNG(long* seed) {
  const long magnitude = *seed < 0 ? -*seed : *seed;
  current = kSeedConstant - magnitude;
  if (current < 0) current = -current;
  current %= kModulus;
  table[0] = 0;
  table[55] = current;
  carry = 1;
  for (loopCounter = 1; loopCounter <= 54; ++loopCounter) {
    scatterIndex = (21 * loopCounter) % 55;
    table[scatterIndex] = carry;
    carry = current - carry;
    if (carry < 0) carry += kModulus;
    current = table[scatterIndex];
  }
  for (mixPass = 1; mixPass <= 4; ++mixPass) {
    for (loopCounter = 1; loopCounter <= 55; ++loopCounter) {
      table[loopCounter] -= table[1 + (loopCounter + 30) % 55];
      if (table[loopCounter] < 0) table[loopCounter] += kModulus;
    }
  }
  nextIndex = 0;
  partnerIndex = 31;
  *seed = 1;
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
    instances = makeTable(&tmp, omp_get_max_threads());
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

