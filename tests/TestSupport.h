// Helpers shared by the unit tests: a generator whose draws the test knows.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "RNG.h"

// Puts generator i of the table (i >= 1 from seed + i) on a known sequence.
inline void useSeed(long seed) {
  RNG::getInstance();
  for (size_t i = 0; i < RNG::instances.size(); ++i) {
    long s = seed + static_cast<long>(i);
    RNG::instances[i] = std::make_shared<RNG>(&s);
  }
}

// The first seed from 1 up whose fresh generator makes wanted(generator) true:
// how a test forces a crossover site or cut points without a test-only branch.
template <class Predicate>
long findSeed(Predicate wanted) {
  for (long seed = 1; seed < 2000000; ++seed) {
    long s = seed;
    RNG probe(&s);
    if (wanted(probe)) return seed;
  }
  ADD_FAILURE() << "no seed gives the wanted draws";
  return 1;
}
