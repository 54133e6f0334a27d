// The generation loop: the current population breeds into the other, the two
// exchange roles, and the new generation's statistics are reported.
// Everything here runs on the initial thread; only the breeding inside
// reproduceParallel uses a team.
#pragma once

#include <iostream>
#include <memory>

#include "Enums.h"
#include "GeneticAlgorithm.h"
#include "Statistics.h"

class LogFile;
class Population;

class EnhancedGeneticAlgorithm final : public GeneticAlgorithm {
 public:
  // Computes the statistics of first, the population that breeds first, and
  // prints the initial report. With a log, every report also writes its row.
  EnhancedGeneticAlgorithm(Mode mode, float crossoverProbability, float mutationProbability,
                           const std::shared_ptr<Population>& first,
                           const std::shared_ptr<Population>& second, std::ostream& out = std::cout,
                           const std::shared_ptr<LogFile>& log = nullptr);
  ~EnhancedGeneticAlgorithm() override;

  void raiseGeneration() override;
  void run() override;
  int getGeneration() const override;
  int getMaxGeneration() const override;

  const Statistics& getStatistics() const { return statistics; }

 private:
  Mode mode;
  float crossoverProbability;
  float mutationProbability;
  Statistics statistics;
  std::shared_ptr<Population> currentPopulation;
  std::shared_ptr<Population> nextPopulation;
  std::ostream& out;
  std::shared_ptr<LogFile> log;
};
