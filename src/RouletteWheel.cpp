#include "RouletteWheel.h"

#include "Individual.h"
#include "Population.h"
#include "RNG.h"
#include "Statistics.h"

int RouletteWheel::select(const Population& population, const Statistics& statistics) const {
  const float r = RNG::getInstance()->random();
  const float target = static_cast<float>(static_cast<double>(r) * statistics.getSumFitness());
  const auto& genome = population.getGenome();
  const int size = population.getSize();
  double cumulative = 0.0;
  int i = 0;
  do {
    cumulative += genome.at(i)->getFitness();
    ++i;
  } while (target > cumulative && i < size);
  return i - 1;
}
