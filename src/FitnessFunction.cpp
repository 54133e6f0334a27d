#include "FitnessFunction.h"

void FitnessFunction::computeAll(const std::shared_ptr<Individual>* individuals, int count,
                                 double* fitness) const {
  for (int k = 0; k < count; ++k) fitness[k] = compute(individuals[k]);
}
