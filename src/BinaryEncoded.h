// The bit-string chromosome of the power objectives: random bits at
// construction, one-point crossover, mutation by inverting one bit.
#pragma once

#include <vector>

#include "Individual.h"

class RNG;

class BinaryEncoded final : public Individual {
 public:
  // Draws: one flip(0.5) per bit, position 0 first.
  explicit BinaryEncoded(int length);
  BinaryEncoded(const BinaryEncoded& other) = default;
  BinaryEncoded& operator=(const BinaryEncoded& other) = default;

  // Draws: the decision random(); when crossing, the site range(0, length-1);
  // then, position by position, child1's flip and child2's flip.
  int cross(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
            const std::shared_ptr<Individual>& child2, float crossoverProbability,
            float mutationProbability, Statistics& statistics) override;
  // Exactly cross, in the calling thread.
  int crossParallel(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
                    const std::shared_ptr<Individual>& child2, float crossoverProbability,
                    float mutationProbability, Statistics& statistics) override;
  // Draws: one flip.
  void mutate(int position, float mutationProbability, Statistics& statistics) override;
  int find_city(int) override { return -1; }
  void swap(int, int) override {}
  void setCrossSite(int site) override { crossSite = site; }
  double getFitness() const override { return fitness; }
  void setFitness(double value) override { fitness = value; }
  int getLength() const override { return length; }
  bool getGene(int position) const override { return genes[position]; }
  void setGene(int position, bool value) override { genes[position] = value; }
  int getCityId(int) const override { return -1; }
  void setCityId(int, int) override {}
  double getDistance() const override { return 0.0; }
  void setDistance(double) override {}

 private:
  void trial(RNG& rng, int position, float mutationProbability, Statistics& statistics);

  int length;
  double fitness = -1.0;
  int crossSite = -1;
  std::vector<bool> genes;
};
