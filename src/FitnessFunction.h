// An objective: turns one individual into its fitness, higher is better.
// One instance per run, shared by both populations and called concurrently
// from every reproduction thread on different individuals; implementations
// hold no mutable state.
#pragma once

#include <memory>

class Individual;

class FitnessFunction {
 public:
  FitnessFunction() = default;
  virtual ~FitnessFunction() = default;
  FitnessFunction(const FitnessFunction&) = delete;
  FitnessFunction& operator=(const FitnessFunction&) = delete;

  virtual double compute(const std::shared_ptr<Individual>& individual) const = 0;
  // compute for count individuals, fitness[k] for individuals[k]: the same
  // values and side effects, in any order. Objectives override it where
  // several individuals are faster scored together.
  virtual void computeAll(const std::shared_ptr<Individual>* individuals, int count,
                          double* fitness) const;
};
