// The driver of a run, as main sees it. Runs on the initial thread.
#pragma once

class GeneticAlgorithm {
 public:
  GeneticAlgorithm() = default;
  virtual ~GeneticAlgorithm() = default;
  GeneticAlgorithm(const GeneticAlgorithm&) = delete;
  GeneticAlgorithm& operator=(const GeneticAlgorithm&) = delete;

  // Breeds and reports one generation.
  virtual void raiseGeneration() = 0;
  // Breeds and reports every generation up to the limit.
  virtual void run() = 0;
  virtual int getGeneration() const = 0;
  virtual int getMaxGeneration() const = 0;
};
