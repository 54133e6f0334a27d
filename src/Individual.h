// The chromosome interface that populations, selection, objectives and
// statistics see. Three encodings implement it: BinaryEncoded (bit strings),
// PermutationEncoded and PmxEncoded (tours). An operation that has no meaning
// for an encoding answers a neutral value (-1, false, 0.0) or does nothing.
//
// Individuals are made by IndividualFactory, live in shared handles and are
// rewritten in place every generation; none is created during a run.
//
// Threads: during parallel reproduction several threads call cross at once,
// each writing only its own two children and reading parents that nobody
// writes. Every draw goes to the calling thread's generator.
#pragma once

#include <cstdlib>
#include <iostream>
#include <memory>

class Statistics;

class Individual {
 public:
  Individual() = default;
  virtual ~Individual() = default;

  // Called on the first parent: overwrites child1 and child2 with a
  // recombination of this individual and mate, then gives every gene of both
  // children one mutation trial. The four individuals are distinct and of one
  // encoding and length. Returns the crossover site (length - 1 without a
  // crossover). Draws: the crossover decision, the cut point(s) when crossing,
  // then the mutation trials in the encoding's order.
  virtual int cross(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
                    const std::shared_ptr<Individual>& child2, float crossoverProbability,
                    float mutationProbability, Statistics& statistics) = 0;
  // The same children, site, counts and draws as cross, with part of the
  // copying spread over OpenMP threads.
  virtual int crossParallel(const std::shared_ptr<Individual>& mate,
                            const std::shared_ptr<Individual>& child1,
                            const std::shared_ptr<Individual>& child2, float crossoverProbability,
                            float mutationProbability, Statistics& statistics) = 0;
  // One mutation trial at the position: one flip, and on success a counted change.
  virtual void mutate(int position, float mutationProbability, Statistics& statistics) = 0;
  virtual int find_city(int cityId) = 0;
  virtual void swap(int i, int j) = 0;
  virtual void setCrossSite(int site) = 0;
  virtual double getFitness() const = 0;
  virtual void setFitness(double fitness) = 0;
  virtual int getLength() const = 0;
  virtual bool getGene(int position) const = 0;
  virtual void setGene(int position, bool value) = 0;
  virtual int getCityId(int position) const = 0;
  virtual void setCityId(int position, int cityId) = 0;
  virtual double getDistance() const = 0;
  virtual void setDistance(double distance) = 0;

 protected:
  Individual(const Individual&) = default;
  Individual& operator=(const Individual&) = default;

  // Another individual of a crossover, as the caller's own encoding. The
  // encodings breed only with their own kind; anything else is a caller's
  // fault that must not be read as the wrong layout.
  template <class Encoded>
  static Encoded& sameEncoding(const std::shared_ptr<Individual>& other) {
    auto* same = dynamic_cast<Encoded*>(other.get());
    if (same == nullptr) {
      std::cerr << "Error: Individuals of different encodings cannot be crossed!" << std::endl;
      std::exit(1);
    }
    return *same;
  }
};
