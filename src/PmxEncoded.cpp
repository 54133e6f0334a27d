#include "PmxEncoded.h"

#include <omp.h>

#include <cstdlib>
#include <iostream>
#include <utility>

#include "RNG.h"
#include "Statistics.h"
#include "ThreadBlock.h"
#include "Tour.h"

PmxEncoded::PmxEncoded(int length, const std::shared_ptr<FitnessFunction>&)
    : length(length), tour(Tour::random(length)), positionOf(length + 1, -1) {}

PmxEncoded::CutPoints PmxEncoded::decide(float crossoverProbability, Statistics& statistics) {
  RNG& rng = *RNG::getInstance();
  // Without a crossover the repair loop has nothing to do. Below three
  // cities no two cut points lie apart, so such tours never cross.
  const CutPoints none{length - 1, 0};
  if (!(rng.random() < crossoverProbability) || length < 3) return none;
  statistics.incCrosses();
  // On three cities a first cut in the middle has no partner two positions
  // away; it is drawn again rather than waiting for one forever.
  int lo;
  do {
    lo = rng.range(0, length - 1);
  } while (lo < 2 && lo + 2 > length - 1);
  int hi;
  do {
    hi = rng.range(0, length - 1);
  } while (lo - hi >= -1 && lo - hi <= 1);
  return lo < hi ? CutPoints{lo, hi} : CutPoints{hi, lo};
}

int PmxEncoded::cross(const std::shared_ptr<Individual>& mate,
                      const std::shared_ptr<Individual>& child1,
                      const std::shared_ptr<Individual>& child2, float crossoverProbability,
                      float mutationProbability, Statistics& statistics) {
  const PmxEncoded& other = sameEncoding<PmxEncoded>(mate);
  PmxEncoded& first = sameEncoding<PmxEncoded>(child1);
  PmxEncoded& second = sameEncoding<PmxEncoded>(child2);
  const CutPoints cut = decide(crossoverProbability, statistics);
  for (int i = 0; i < length; ++i) {
    first.tour.at(i) = tour[i];
    second.tour.at(i) = other.tour[i];
  }
  first.repair(other, cut);
  second.repair(*this, cut);
  mutateAll(first, second, mutationProbability, statistics);
  return cut.lo;
}

int PmxEncoded::crossParallel(const std::shared_ptr<Individual>& mate,
                              const std::shared_ptr<Individual>& child1,
                              const std::shared_ptr<Individual>& child2,
                              float crossoverProbability, float mutationProbability,
                              Statistics& statistics) {
  const PmxEncoded& other = sameEncoding<PmxEncoded>(mate);
  PmxEncoded& first = sameEncoding<PmxEncoded>(child1);
  PmxEncoded& second = sameEncoding<PmxEncoded>(child2);
  const CutPoints cut = decide(crossoverProbability, statistics);
#pragma omp parallel
  {
    const ThreadBlock block = ThreadBlock::of(omp_get_thread_num(), omp_get_num_threads(), length);
    for (int i = block.begin; i < block.end; ++i) {
      first.tour.at(i) = tour[i];
      second.tour.at(i) = other.tour[i];
    }
  }
  first.repair(other, cut);
  second.repair(*this, cut);
  mutateAll(first, second, mutationProbability, statistics);
  return cut.lo;
}

// Brings the donor's ids at lo..hi into this child, each by exchanging it
// with the position that holds it. A position index replaces the search of
// find_city; in a permutation it finds the same, single position.
void PmxEncoded::repair(const PmxEncoded& donor, CutPoints cut) {
  if (cut.lo > cut.hi && length > 1) return;
  const auto known = [this](int id) { return id >= 1 && id <= length; };
  for (int p = length - 1; p >= 0; --p) {
    if (known(tour[p])) positionOf[tour[p]] = p;
  }
  for (int j = cut.lo; j <= cut.hi; ++j) {
    const int id = donor.tour[j];
    int k = known(id) ? positionOf[id] : -1;
    if (k < 0 || tour[k] != id) k = find_city(id);
    if (known(tour[j])) positionOf[tour[j]] = k;
    if (known(id)) positionOf[id] = j;
    swap(j, k);
  }
}

void PmxEncoded::mutateAll(PmxEncoded& child1, PmxEncoded& child2, float mutationProbability,
                           Statistics& statistics) {
  // Trial t is child1's at position t / 2 for even t, child2's for odd t;
  // only the successful ones need work.
  RNG& rng = *RNG::getInstance();
  const int trials = 2 * length;
  for (int t = rng.firstFlip(mutationProbability, trials); t < trials;
       t += 1 + rng.firstFlip(mutationProbability, trials - t - 1)) {
    (t & 1 ? child2 : child1).mutated(rng, t >> 1, statistics);
  }
}

void PmxEncoded::mutate(int position, float mutationProbability, Statistics& statistics) {
  trial(*RNG::getInstance(), position, mutationProbability, statistics);
}

void PmxEncoded::trial(RNG& rng, int position, float mutationProbability,
                       Statistics& statistics) {
  if (rng.flip(mutationProbability)) mutated(rng, position, statistics);
}

void PmxEncoded::mutated(RNG& rng, int position, Statistics& statistics) {
  statistics.incMutations();
  const int other = Tour::partner(rng, position, length);
  if (other >= 0) swap(position, other);
}

int PmxEncoded::find_city(int cityId) {
  for (int p = 0; p < length; ++p) {
    if (tour[p] == cityId) return p;
  }
  invalidTour(cityId);
}

void PmxEncoded::invalidTour(int cityId) const {
  std::cerr << "Error: City " << cityId << " not found. Invalid tour!" << std::endl;
  std::cerr << "Tour: " << Statistics::tourToString(*this) << std::endl;
  std::exit(1);
}

void PmxEncoded::swap(int i, int j) {
  if (i != j) std::swap(tour[i], tour[j]);
}
