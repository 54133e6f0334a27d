#include "PowerOfTwo.h"

#include "BinaryEncoded.h"

double PowerOfTwo::compute(const std::shared_ptr<Individual>& individual) const {
  const int n = individual->getLength();
  return BinaryEncoded::binaryValue(*individual) / BinaryEncoded::allOnesValue(n);
}

void PowerOfTwo::computeAll(const std::shared_ptr<Individual>* individuals, int count,
                            double* fitness) const {
  if (!BinaryEncoded::kSumsTogether) return FitnessFunction::computeAll(individuals, count, fitness);
  BinaryEncoded::binaryValues(individuals, count, fitness);
  for (int k = 0; k < count; ++k) {
    fitness[k] = fitness[k] / BinaryEncoded::allOnesValue(individuals[k]->getLength());
  }
}
