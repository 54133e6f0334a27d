#include "Population.h"

#include <omp.h>

#include <utility>

#include "FitnessFunction.h"
#include "Individual.h"
#include "RNG.h"
#include "SelectionScheme.h"
#include "Statistics.h"
#include "ThreadBlock.h"

Population::Population(int size, int length, Encoding encoding, int maxGeneration,
                       const std::shared_ptr<FitnessFunction>& fitnessFunction,
                       const std::shared_ptr<SelectionScheme>& selectionScheme)
    : size(size),
      length(length),
      encoding(encoding),
      maxGeneration(maxGeneration),
      fitnessFunction(fitnessFunction),
      selectionScheme(selectionScheme) {
  if (size > 0) {
    genome.reserve(size);
    runningFitness.resize(size);
    sortKeys.resize(size);
  }
  // Scoring draws nothing: each group of new individuals is scored together
  // once it is made, with the draws of making them in the same order.
  constexpr int kGroup = 2 * kPairsScoredTogether;
  for (int start = 0; start < size; start += kGroup) {
    const int count = size - start < kGroup ? size - start : kGroup;
    for (int k = 0; k < count; ++k) {
      genome.push_back(factory.createUnscored(length, encoding, fitnessFunction));
    }
    double fitness[kGroup];
    fitnessFunction->computeAll(genome.data() + start, count, fitness);
    for (int k = 0; k < count; ++k) genome[start + k]->setFitness(fitness[k]);
  }
}

Population::Population(const Population& other)
    : size(other.size),
      length(other.length),
      encoding(other.encoding),
      generation(other.generation),
      maxGeneration(other.maxGeneration),
      genome(other.genome.begin(), other.genome.begin() + (other.size > 0 ? other.size : 0)),
      fitnessFunction(other.fitnessFunction),
      selectionScheme(other.selectionScheme),
      runningFitness(other.runningFitness.size()),
      sortKeys(other.sortKeys.size()) {}

Population& Population::operator=(const Population& other) {
  if (this == &other) return *this;
  size = other.size;
  length = other.length;
  encoding = other.encoding;
  generation = other.generation;
  maxGeneration = other.maxGeneration;
  for (int k = 0; k < other.size; ++k) genome.at(k) = other.genome[k];
  return *this;
}

void Population::swap(Population& other) {
  if (this != &other) genome.swap(other.genome);
}

void Population::quickSort(int lo, int hi) {
  if (lo >= hi) return;
  loadKeys(lo, hi);
  sortKeyed(lo, hi);
}

int Population::partition(int lo, int hi) {
  loadKeys(lo, hi);
  return partitionKeyed(lo, hi);
}

// The sort compares copies of the fitness values, moved along with their
// handles: fitness does not change while it runs, and the copies spare a
// visit to every individual at every test.
void Population::loadKeys(int lo, int hi) {
  for (int k = lo; k <= hi; ++k) sortKeys.at(k) = genome.at(k)->getFitness();
}

void Population::sortKeyed(int lo, int hi) {
  if (lo < hi) {
    const int p = partitionKeyed(lo, hi);
    sortKeyed(lo, p);
    sortKeyed(p + 1, hi);
  }
}

int Population::partitionKeyed(int lo, int hi) {
  const double pivot = sortKeys[lo];
  int i = lo - 1;
  int j = hi + 1;
  for (;;) {
    do {
      --j;
    } while (pivot > sortKeys[j]);
    do {
      ++i;
    } while (sortKeys[i] > pivot);
    if (i >= j) return j;
    std::swap(genome[i], genome[j]);
    std::swap(sortKeys[i], sortKeys[j]);
  }
}

// Sorts highest fitness first, then lays out the wheel's running sums from
// the fitness values the sort has just copied. They are summed in genome
// order, exactly as the wheel's own scan sums, so the search finds the
// position the scan would stop at; sums of numbers of at least 0 never
// decrease, which the search needs.
void Population::sortForBreeding() {
  loadKeys(0, size - 1);
  sortKeyed(0, size - 1);
  wheelReady = false;
  double cumulative = 0.0;
  for (int i = 0; i < size; ++i) {
    if (!(sortKeys[i] >= 0.0)) return;
    cumulative += sortKeys[i];
    runningFitness[i] = cumulative;
  }
  wheelReady = true;
}

int Population::eliteCount() const { return static_cast<int>(size * 0.05); }

// The wheel cannot always give a second position: with a sum of fitness of 0
// every draw yields the first, and with all fitness in one individual almost
// every draw does. Where the scheme knows that no draw can give another
// position the fittest other one is taken at once, without a draw; otherwise
// only after kMaxRedraws failures. That is 1 when the first parent is 0, else 0.
int Population::secondParent(int first, const Statistics& statistics) const {
  if (!twoPositions) return first == 0 ? 1 : 0;
  for (int redraw = 0; redraw <= kMaxRedraws; ++redraw) {
    const int second = selectionScheme->select(*this, statistics);
    if (second != first) return second;
  }
  return first == 0 ? 1 : 0;
}

void Population::breedPair(int pair, int elite, float crossoverProbability,
                           float mutationProbability, Population& next,
                           Statistics& statistics) const {
  const int i = 2 * pair;
  const std::shared_ptr<Individual>& child1 = next.genome.at(i);
  const std::shared_ptr<Individual>& child2 = next.genome.at(i + 1);
  int site;
  if (i < elite) {
    site = genome.at(i)->cross(genome.at(i + 1), child1, child2, 0.0f, 0.0f, statistics);
  } else {
    const int a = selectionScheme->select(*this, statistics);
    const int b = secondParent(a, statistics);
    site = genome.at(a)->cross(genome.at(b), child1, child2, crossoverProbability,
                               mutationProbability, statistics);
  }
  child1->setCrossSite(site);
  child2->setCrossSite(site);
}

// Scoring draws nothing, so the children of a few pairs are scored together
// once they are all bred: the objective can then work on several at once.
void Population::breedPairs(int begin, int end, int elite, float crossoverProbability,
                            float mutationProbability, Population& next,
                            Statistics& statistics) const {
  for (int group = begin; group < end; group += kPairsScoredTogether) {
    const int last = group + kPairsScoredTogether < end ? group + kPairsScoredTogether : end;
    for (int pair = group; pair < last; ++pair) {
      breedPair(pair, elite, crossoverProbability, mutationProbability, next, statistics);
    }
    const int children = 2 * (last - group);
    double fitness[2 * kPairsScoredTogether];
    // breedPair has checked every child's position.
    const std::shared_ptr<Individual>* first = next.genome.data() + 2 * group;
    fitnessFunction->computeAll(first, children, fitness);
    for (int k = 0; k < children; ++k) first[k]->setFitness(fitness[k]);
  }
}

void Population::reproduce(float crossoverProbability, float mutationProbability,
                           const std::shared_ptr<Population>& next, Statistics& statistics) {
  sortForBreeding();
  twoPositions = selectionScheme->canGiveTwoPositions(*this, statistics);
  const int elite = eliteCount();
  const int pairs = (size + 1) / 2;
  breedPairs(0, pairs, elite, crossoverProbability, mutationProbability, *next, statistics);
  wheelReady = false;
}

void Population::reproduceParallel(float crossoverProbability, float mutationProbability,
                                   const std::shared_ptr<Population>& next,
                                   Statistics& statistics) {
  sortForBreeding();
  twoPositions = selectionScheme->canGiveTwoPositions(*this, statistics);
  const int elite = eliteCount();
  const int pairs = (size + 1) / 2;
  Population& receiver = *next;
  // The table must exist before any thread of the team asks for its entry.
  RNG::getInstance();
#pragma omp parallel
  {
    const ThreadBlock block = ThreadBlock::of(omp_get_thread_num(), omp_get_num_threads(), pairs);
    breedPairs(block.begin, block.end, elite, crossoverProbability, mutationProbability,
               receiver, statistics);
  }
  wheelReady = false;
}
