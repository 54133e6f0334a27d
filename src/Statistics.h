// The figures of the last computed population and the run's running crossover
// and mutation counts. One object per run, owned by the generation loop.
//
// Threads: incCrosses and incMutations are called concurrently by every
// reproduction thread and lose no increment; getSumFitness is read by them.
// compute, report and initialReport run on the initial thread between regions.
#pragma once

#include <atomic>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

class Individual;
class Population;

class Statistics {
 public:
  Statistics() = default;
  Statistics(const Statistics&) = delete;
  Statistics& operator=(const Statistics&) = delete;

  void incCrosses() { crosses.fetch_add(1, std::memory_order_relaxed); }
  void incMutations() { mutations.fetch_add(1, std::memory_order_relaxed); }
  double getSumFitness() const { return sumFitness; }

  // Replaces the six population figures; the counters are left alone.
  // The population must hold at least one individual.
  void compute(const Population& population);
  void report(int generation, std::ostream& out = std::cout);
  void initialReport(std::ostream& out = std::cout);

  // The chromosome as city ids joined by ">" (a bit string reads -1>-1>...).
  static std::string tourToString(const Individual& individual);

  int64_t getCrosses() const { return crosses.load(std::memory_order_relaxed); }
  int64_t getMutations() const { return mutations.load(std::memory_order_relaxed); }
  double getMinFitness() const { return minFitness; }
  double getMaxFitness() const { return maxFitness; }
  double getAvgFitness() const { return avgFitness; }
  const std::string& getBestTour() const { return bestTour; }
  double getBestTourDistance() const { return bestTourDistance; }

 private:
  // On a line of their own: every thread writes them, and every thread reads
  // sumFitness at each selection.
  alignas(64) std::atomic<int64_t> crosses{0};
  std::atomic<int64_t> mutations{0};
  alignas(64) double minFitness = 0.0;
  double maxFitness = 0.0;
  double avgFitness = 0.0;
  double sumFitness = 0.0;
  std::string bestTour;
  double bestTourDistance = 0.0;
};
