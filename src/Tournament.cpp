#include "Tournament.h"

#include <algorithm>

#include "Population.h"
#include "RNG.h"

int Tournament::select(const Population& population, const Statistics&) const {
  const int size = population.getSize();
  RNG& rng = *RNG::getInstance();
  // Starting from the last position also caps a draw of exactly 1.0, which
  // would give size itself.
  int fittest = size - 1;
  for (int k = 0; k < contestants; ++k) {
    // Not range(0, size - 1): its rounding makes the two ends half as likely.
    fittest = std::min(fittest, static_cast<int>(static_cast<double>(rng.random()) * size));
  }
  return fittest;
}

bool Tournament::canGiveTwoPositions(const Population& population, const Statistics&) const {
  return population.getSize() > 1;
}
