#include "BinaryEncoded.h"

#include "RNG.h"
#include "Statistics.h"

BinaryEncoded::BinaryEncoded(int length) : length(length), genes(length, false) {
  RNG& rng = *RNG::getInstance();
  for (int i = 0; i < length; ++i) genes[i] = rng.flip(0.5f);
}

int BinaryEncoded::cross(const std::shared_ptr<Individual>& mate,
                         const std::shared_ptr<Individual>& child1,
                         const std::shared_ptr<Individual>& child2, float crossoverProbability,
                         float mutationProbability, Statistics& statistics) {
  const BinaryEncoded& other = sameEncoding<BinaryEncoded>(mate);
  BinaryEncoded& first = sameEncoding<BinaryEncoded>(child1);
  BinaryEncoded& second = sameEncoding<BinaryEncoded>(child2);
  // One generator for the whole call: the thread cannot change inside it.
  RNG& rng = *RNG::getInstance();
  int site = length - 1;
  if (rng.random() < crossoverProbability) {
    statistics.incCrosses();
    site = rng.range(0, length - 1);
  }
  for (int i = 0; i < length; ++i) {
    const bool head = i <= site;
    first.genes[i] = head ? genes[i] : other.genes[i];
    first.trial(rng, i, mutationProbability, statistics);
    second.genes[i] = head ? other.genes[i] : genes[i];
    second.trial(rng, i, mutationProbability, statistics);
  }
  return site;
}

int BinaryEncoded::crossParallel(const std::shared_ptr<Individual>& mate,
                                 const std::shared_ptr<Individual>& child1,
                                 const std::shared_ptr<Individual>& child2,
                                 float crossoverProbability, float mutationProbability,
                                 Statistics& statistics) {
  return cross(mate, child1, child2, crossoverProbability, mutationProbability, statistics);
}

void BinaryEncoded::mutate(int position, float mutationProbability, Statistics& statistics) {
  trial(*RNG::getInstance(), position, mutationProbability, statistics);
}

void BinaryEncoded::trial(RNG& rng, int position, float mutationProbability,
                          Statistics& statistics) {
  if (rng.flip(mutationProbability)) {
    statistics.incMutations();
    genes[position] = !genes[position];
  }
}
