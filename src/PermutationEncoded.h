// A tour chromosome bred by one-point crossover: each child keeps one
// parent's head and takes the missing cities in the other parent's order.
// Mutation exchanges two cities.
#pragma once

#include <vector>

#include "Individual.h"

class FitnessFunction;
class RNG;

class PermutationEncoded final : public Individual {
 public:
  // Draws: range(0, pool size - 1) once per position, pool sizes length..1.
  // The fitness function is accepted and not used.
  PermutationEncoded(int length, const std::shared_ptr<FitnessFunction>& fitnessFunction);
  // A copy carries no tour length: its distance is unset (-1.0).
  PermutationEncoded(const PermutationEncoded& other);
  PermutationEncoded& operator=(const PermutationEncoded& other);

  // Draws: the decision random(); when crossing, the site range(0, length-1);
  // then, position by position, child1's mutation trial and child2's.
  int cross(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
            const std::shared_ptr<Individual>& child2, float crossoverProbability,
            float mutationProbability, Statistics& statistics) override;
  int crossParallel(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
                    const std::shared_ptr<Individual>& child2, float crossoverProbability,
                    float mutationProbability, Statistics& statistics) override;
  // Draws: one flip; on success range(0, length-1) until it differs from the
  // position. A one-city tour counts the mutation and stays as it is.
  void mutate(int position, float mutationProbability, Statistics& statistics) override;
  int find_city(int) override { return -1; }
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
  int decide(float crossoverProbability, Statistics& statistics);
  void fillTail(const PermutationEncoded& donor, int site);
  void mutateAll(PermutationEncoded& child1, PermutationEncoded& child2, float mutationProbability,
                 Statistics& statistics);
  void trial(RNG& rng, int position, float mutationProbability, Statistics& statistics);
  // What a successful trial does: counts, draws the partner, exchanges.
  void mutated(RNG& rng, int position, Statistics& statistics);

  int length;
  double fitness = -1.0;
  double distance = -1.0;
  int crossSite = -1;
  std::vector<int> tour;
  // Marks the ids of this tour's head while it is completed as a child; only
  // the thread that writes the child touches it.
  std::vector<char> inHead;
};
