// A tour chromosome bred by partially matched crossover: each child takes the
// other parent's segment and is repaired by exchanges, so it stays a
// permutation. Mutation exchanges two cities.
#pragma once

#include <vector>

#include "Individual.h"

class FitnessFunction;
class RNG;

class PmxEncoded final : public Individual {
 public:
  // Draws: range(0, pool size - 1) once per position, pool sizes length..1.
  // The fitness function is accepted and not used.
  PmxEncoded(int length, const std::shared_ptr<FitnessFunction>& fitnessFunction);
  PmxEncoded(const PmxEncoded& other) = default;
  PmxEncoded& operator=(const PmxEncoded& other) = default;

  // Draws: the decision random(); when crossing, lo = range(0, length-1)
  // (redrawn while no position lies two away, the middle of three cities) and
  // hi = range(0, length-1), redrawn while |lo - hi| <= 1; then, position by
  // position, child1's mutation trial and child2's. Returns the smaller cut
  // point, or length - 1 without a crossover (always so below three cities).
  int cross(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
            const std::shared_ptr<Individual>& child2, float crossoverProbability,
            float mutationProbability, Statistics& statistics) override;
  int crossParallel(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
                    const std::shared_ptr<Individual>& child2, float crossoverProbability,
                    float mutationProbability, Statistics& statistics) override;
  // Draws: one flip; on success range(0, length-1) until it differs from the
  // position. A one-city tour counts the mutation and stays as it is.
  void mutate(int position, float mutationProbability, Statistics& statistics) override;
  // The first position holding the id; a missing id ends the process with
  // the tour on standard error.
  int find_city(int cityId) override;
  void swap(int i, int j) override;
  void setCrossSite(int site) override { crossSite = site; }
  double getFitness() const override { return fitness; }
  void setFitness(double value) override { fitness = value; }
  int getLength() const override { return length; }
  bool getGene(int) const override { return false; }
  void setGene(int, bool) override {}
  int getCityId(int position) const override { return tour[position]; }
  const int* cityIds() const { return tour.data(); }  // the whole tour, position 0 first
  void setCityId(int position, int cityId) override { tour.at(position) = cityId; }
  double getDistance() const override { return distance; }
  void setDistance(double value) override { distance = value; }

 private:
  struct CutPoints {
    int lo;
    int hi;
  };
  CutPoints decide(float crossoverProbability, Statistics& statistics);
  void repair(const PmxEncoded& donor, CutPoints cut);
  void mutateAll(PmxEncoded& child1, PmxEncoded& child2, float mutationProbability,
                 Statistics& statistics);
  void trial(RNG& rng, int position, float mutationProbability, Statistics& statistics);
  // What a successful trial does: counts, draws the partner, exchanges.
  void mutated(RNG& rng, int position, Statistics& statistics);
  [[noreturn]] void invalidTour(int cityId) const;

  int length;
  double fitness = -1.0;
  double distance = -1.0;
  int crossSite = -1;
  std::vector<int> tour;
  // Position of every id while this tour is repaired as a child; only the
  // thread that writes the child touches it.
  std::vector<int> positionOf;
};
