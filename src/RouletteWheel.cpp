#include "RouletteWheel.h"

#include <algorithm>

#include "Individual.h"
#include "Population.h"
#include "RNG.h"
#include "Statistics.h"

int RouletteWheel::select(const Population& population, const Statistics& statistics) const {
  return position(RNG::getInstance()->random(), population, statistics);
}

// The target moves one way as the draw grows, and the first running sum that
// reaches it moves with it, never back: when the least and the greatest draw
// give the same position, every draw does.
bool RouletteWheel::canGiveTwoPositions(const Population& population,
                                        const Statistics& statistics) const {
  return position(0.0f, population, statistics) != position(1.0f, population, statistics);
}

int RouletteWheel::position(float r, const Population& population, const Statistics& statistics) {
  const float target = static_cast<float>(static_cast<double>(r) * statistics.getSumFitness());
  const int size = population.getSize();
  if (const double* sums = population.wheelSums()) {
    // The first position whose running sum is not below the target, as the
    // scan below finds it, by halving instead of summing.
    const double* reached = std::partition_point(
        sums, sums + size, [target](double cumulative) { return target > cumulative; });
    return reached == sums + size ? size - 1 : static_cast<int>(reached - sums);
  }
  const auto& genome = population.getGenome();
  double cumulative = 0.0;
  int i = 0;
  do {
    cumulative += genome.at(i)->getFitness();
    ++i;
  } while (target > cumulative && i < size);
  return i - 1;
}
