// One generation of a run: the individuals, with the fitness function and
// selection scheme it breeds with. A run holds two populations of one shape;
// the current one breeds into the other, whose individuals are rewritten in
// place (none is created after construction).
//
// Threads: built and sorted on the initial thread. During reproduceParallel
// this population is only read, and each pair of next's individuals is written
// by the one thread that breeds it.
#pragma once

#include <memory>
#include <vector>

#include "Enums.h"
#include "IndividualFactory.h"

class FitnessFunction;
class Individual;
class SelectionScheme;
class Statistics;

class Population {
 public:
  Population(int size, int length, Encoding encoding, int maxGeneration,
             const std::shared_ptr<FitnessFunction>& fitnessFunction,
             const std::shared_ptr<SelectionScheme>& selectionScheme);
  // Copies are shallow: they share the source's individuals.
  Population(const Population& other);
  Population& operator=(const Population& other);
  virtual ~Population() = default;

  int getSize() const { return size; }
  std::shared_ptr<Individual> getIndividual(int index) const { return genome[index]; }
  const std::vector<std::shared_ptr<Individual>>& getGenome() const { return genome; }
  int getGeneration() const { return generation; }
  int getMaxGeneration() const { return maxGeneration; }
  void incGeneration() { ++generation; }

  // Hoare's scheme with the first element as pivot, highest fitness first.
  // The order it leaves among equal fitness decides which individual the
  // wheel and the elite take.
  void quickSort(int lo, int hi);
  int partition(int lo, int hi);

  // Breeds next from this population on the calling thread. Per non-elite
  // pair the draws are: the first select, the second select and its redraws,
  // then the draws of cross.
  void reproduce(float crossoverProbability, float mutationProbability,
                 const std::shared_ptr<Population>& next, Statistics& statistics);
  // The same step with the pairs divided into contiguous blocks over one
  // OpenMP region; each thread draws from its own generator.
  void reproduceParallel(float crossoverProbability, float mutationProbability,
                         const std::shared_ptr<Population>& next, Statistics& statistics);

  // Exchanges the individuals only.
  void swap(Population& other);

  // The running sums of fitness in genome order, while a reproduction step
  // of this population runs and every fitness is a number of at least 0:
  // then the wheel may search them instead of summing anew at every
  // selection. Otherwise nullptr.
  const double* wheelSums() const { return wheelReady ? runningFitness.data() : nullptr; }

  // How often the second parent is redrawn before the wheel is taken to be
  // unable to give another position, when the scheme cannot rule it out at
  // the start of the step (see secondParent).
  static constexpr int kMaxRedraws = 10000;
  // Pairs bred before their children are scored, together.
  static constexpr int kPairsScoredTogether = 4;

 private:
  int eliteCount() const;
  // Breeds one pair: its two children and their crossover site, not yet scored.
  void breedPair(int pair, int elite, float crossoverProbability, float mutationProbability,
                 Population& next, Statistics& statistics) const;
  // Breeds and scores the pairs begin..end - 1 in this order.
  void breedPairs(int begin, int end, int elite, float crossoverProbability,
                  float mutationProbability, Population& next, Statistics& statistics) const;
  int secondParent(int first, const Statistics& statistics) const;
  void sortForBreeding();
  void loadKeys(int lo, int hi);
  void sortKeyed(int lo, int hi);
  int partitionKeyed(int lo, int hi);

  int size;
  int length;
  Encoding encoding;
  int generation = 0;
  int maxGeneration;
  std::vector<std::shared_ptr<Individual>> genome;
  IndividualFactory factory;
  std::shared_ptr<FitnessFunction> fitnessFunction;
  std::shared_ptr<SelectionScheme> selectionScheme;
  std::vector<double> runningFitness;
  bool wheelReady = false;
  bool twoPositions = true;      // the scheme's answer for the step that runs
  std::vector<double> sortKeys;  // fitness of genome[k] while a sort runs
};
