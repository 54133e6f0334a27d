#include "EnhancedGeneticAlgorithm.h"

#include <utility>

#include "LogFile.h"
#include "Population.h"

EnhancedGeneticAlgorithm::EnhancedGeneticAlgorithm(Mode mode, float crossoverProbability,
                                                   float mutationProbability,
                                                   const std::shared_ptr<Population>& first,
                                                   const std::shared_ptr<Population>& second,
                                                   std::ostream& out,
                                                   const std::shared_ptr<LogFile>& log)
    : mode(mode),
      crossoverProbability(crossoverProbability),
      mutationProbability(mutationProbability),
      currentPopulation(first),
      nextPopulation(second),
      out(out),
      log(log) {
  // The first generation's wheel reads this sum, so it must be that of the
  // population the parents are drawn from.
  statistics.compute(*currentPopulation);
  statistics.initialReport(out);
  if (log) log->write(0, statistics);
}

EnhancedGeneticAlgorithm::~EnhancedGeneticAlgorithm() {
  nextPopulation.reset();
  currentPopulation.reset();
}

void EnhancedGeneticAlgorithm::run() {
  while (getGeneration() < getMaxGeneration()) raiseGeneration();
}

void EnhancedGeneticAlgorithm::raiseGeneration() {
  if (mode == Sequential) {
    currentPopulation->reproduce(crossoverProbability, mutationProbability, nextPopulation,
                                 statistics);
  } else if (mode == Parallel) {
    currentPopulation->reproduceParallel(crossoverProbability, mutationProbability,
                                         nextPopulation, statistics);
  }
  std::swap(currentPopulation, nextPopulation);
  currentPopulation->incGeneration();
  nextPopulation->incGeneration();
  statistics.compute(*currentPopulation);
  statistics.report(currentPopulation->getGeneration(), out);
  if (log) log->write(currentPopulation->getGeneration(), statistics);
}

int EnhancedGeneticAlgorithm::getGeneration() const { return currentPopulation->getGeneration(); }

int EnhancedGeneticAlgorithm::getMaxGeneration() const {
  return currentPopulation->getMaxGeneration();
}
