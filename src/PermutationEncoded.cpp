#include "PermutationEncoded.h"

#include <omp.h>

#include <stdexcept>
#include <utility>

#include "RNG.h"
#include "Statistics.h"
#include "ThreadBlock.h"
#include "Tour.h"

PermutationEncoded::PermutationEncoded(int length, const std::shared_ptr<FitnessFunction>&)
    : length(length), tour(Tour::random(length)), inHead(length + 1, 0) {}

PermutationEncoded::PermutationEncoded(const PermutationEncoded& other)
    : Individual(other),
      length(other.length),
      fitness(other.fitness),
      crossSite(other.crossSite),
      tour(other.tour),
      inHead(other.inHead) {}

PermutationEncoded& PermutationEncoded::operator=(const PermutationEncoded& other) {
  if (this != &other) {
    length = other.length;
    fitness = other.fitness;
    crossSite = other.crossSite;
    tour = other.tour;
    inHead.assign(length + 1, 0);
  }
  return *this;
}

int PermutationEncoded::decide(float crossoverProbability, Statistics& statistics) {
  RNG& rng = *RNG::getInstance();
  if (!(rng.random() < crossoverProbability)) return length - 1;
  statistics.incCrosses();
  return rng.range(0, length - 1);
}

int PermutationEncoded::cross(const std::shared_ptr<Individual>& mate,
                              const std::shared_ptr<Individual>& child1,
                              const std::shared_ptr<Individual>& child2,
                              float crossoverProbability, float mutationProbability,
                              Statistics& statistics) {
  const PermutationEncoded& other = sameEncoding<PermutationEncoded>(mate);
  PermutationEncoded& first = sameEncoding<PermutationEncoded>(child1);
  PermutationEncoded& second = sameEncoding<PermutationEncoded>(child2);
  const int site = decide(crossoverProbability, statistics);
  for (int i = 0; i <= site; ++i) {
    first.tour.at(i) = tour[i];
    second.tour.at(i) = other.tour[i];
  }
  if (site < length - 1) {
    first.fillTail(other, site);
    second.fillTail(*this, site);
  }
  mutateAll(first, second, mutationProbability, statistics);
  return site;
}

// Completes this child's head 0..site with the donor's cities that the head
// lacks, in the donor's order. A membership table replaces a scan of the
// head for every donor city; the result is the same. While two or more
// tail positions are free, every donor city is written to the next one and
// the position is taken only when the head lacks the city: that spares a
// branch that goes either way at random.
void PermutationEncoded::fillTail(const PermutationEncoded& donor, int site) {
  for (int l = 0; l <= site; ++l) inHead.at(tour[l]) = 1;
  const auto checked = [this](int id) {
    if (static_cast<unsigned>(id) > static_cast<unsigned>(length)) {
      throw std::out_of_range("tour completion met an id outside the tour");
    }
    return id;
  };
  int* out = tour.data();
  int k = site + 1;
  int j = 0;
  for (; j < length && k < length - 1; ++j) {
    const int id = checked(donor.tour[j]);
    out[k] = id;
    k += !inHead[id];
  }
  for (; j < length; ++j) {
    const int id = checked(donor.tour[j]);
    if (inHead[id]) continue;
    if (k == length) throw std::out_of_range("tour completion overfills the tail");
    out[k++] = id;
  }
  for (int l = 0; l <= site; ++l) inHead[tour[l]] = 0;
  if (k != length) throw std::out_of_range("tour completion does not fill the tail");
}

void PermutationEncoded::mutateAll(PermutationEncoded& child1, PermutationEncoded& child2,
                                   float mutationProbability, Statistics& statistics) {
  // Trial t is child1's at position t / 2 for even t, child2's for odd t;
  // only the successful ones need work.
  RNG& rng = *RNG::getInstance();
  const int trials = 2 * length;
  for (int t = rng.firstFlip(mutationProbability, trials); t < trials;
       t += 1 + rng.firstFlip(mutationProbability, trials - t - 1)) {
    (t & 1 ? child2 : child1).mutated(rng, t >> 1, statistics);
  }
}

int PermutationEncoded::crossParallel(const std::shared_ptr<Individual>& mate,
                                      const std::shared_ptr<Individual>& child1,
                                      const std::shared_ptr<Individual>& child2,
                                      float crossoverProbability, float mutationProbability,
                                      Statistics& statistics) {
  const PermutationEncoded& other = sameEncoding<PermutationEncoded>(mate);
  PermutationEncoded& first = sameEncoding<PermutationEncoded>(child1);
  PermutationEncoded& second = sameEncoding<PermutationEncoded>(child2);
  const int site = decide(crossoverProbability, statistics);

#pragma omp parallel
  {
    const ThreadBlock block = ThreadBlock::of(omp_get_thread_num(), omp_get_num_threads(), site + 1);
    for (int i = block.begin; i < block.end; ++i) {
      first.tour.at(i) = tour[i];
      second.tour.at(i) = other.tour[i];
    }
  }

  if (site < length - 1) {
    std::vector<int> missingFirst;
    std::vector<int> missingSecond;
    for (int j = 0; j < length; ++j) {
      bool keepFirst = true;
      bool keepSecond = true;
#pragma omp parallel reduction(&& : keepFirst, keepSecond)
      {
        const ThreadBlock block =
            ThreadBlock::of(omp_get_thread_num(), omp_get_num_threads(), site + 1);
        for (int l = block.begin; l < block.end; ++l) {
          if (other.tour[j] == first.tour[l]) keepFirst = false;
          if (tour[j] == second.tour[l]) keepSecond = false;
        }
      }
      if (keepFirst) missingFirst.push_back(other.tour[j]);
      if (keepSecond) missingSecond.push_back(tour[j]);
    }
    const int tail = length - site - 1;
#pragma omp parallel
    {
      const ThreadBlock block = ThreadBlock::of(omp_get_thread_num(), omp_get_num_threads(), tail);
      for (int c = block.begin; c < block.end; ++c) {
        first.tour.at(site + 1 + c) = missingFirst.at(c);
        second.tour.at(site + 1 + c) = missingSecond.at(c);
      }
    }
  }
  mutateAll(first, second, mutationProbability, statistics);
  return site;
}

void PermutationEncoded::mutate(int position, float mutationProbability, Statistics& statistics) {
  trial(*RNG::getInstance(), position, mutationProbability, statistics);
}

void PermutationEncoded::trial(RNG& rng, int position, float mutationProbability,
                               Statistics& statistics) {
  if (rng.flip(mutationProbability)) mutated(rng, position, statistics);
}

void PermutationEncoded::mutated(RNG& rng, int position, Statistics& statistics) {
  statistics.incMutations();
  const int other = Tour::partner(rng, position, length);
  if (other >= 0) swap(position, other);
}

void PermutationEncoded::swap(int i, int j) {
  if (i != j) std::swap(tour[i], tour[j]);
}
