#include "Tournament.h"

#include <algorithm>

#include "Population.h"
#include "RNG.h"

int Tournament::select(const Population& population, const Statistics&) const {
  const int size = population.getSize();
  RNG& rng = *RNG::getInstance();
  int fittest = size - 1;
  for (int k = 0; k < contestants; ++k) {
    // Not range(0, size - 1): its rounding makes the two ends half as likely.
    // A draw of exactly 1.0 would give size itself.
    const int drawn = static_cast<int>(static_cast<double>(rng.random()) * size);
    fittest = std::min(fittest, std::min(size - 1, drawn));
  }
  return fittest;
}

bool Tournament::canGiveTwoPositions(const Population& population, const Statistics&) const {
  return population.getSize() > 1;
}
