#include "PowerOfTen.h"

#include <cmath>

#include "BinaryEncoded.h"

double PowerOfTen::compute(const std::shared_ptr<Individual>& individual) const {
  const double max = std::pow(2.0, static_cast<double>(individual->getLength())) - 1.0;
  return std::pow(BinaryEncoded::binaryValue(*individual) / max, 10.0);
}

void PowerOfTen::computeAll(const std::shared_ptr<Individual>* individuals, int count,
                            double* fitness) const {
  if (!BinaryEncoded::kSumsTogether) return FitnessFunction::computeAll(individuals, count, fitness);
  BinaryEncoded::binaryValues(individuals, count, fitness);
  for (int k = 0; k < count; ++k) {
    const double max = std::pow(2.0, static_cast<double>(individuals[k]->getLength())) - 1.0;
    fitness[k] = std::pow(fitness[k] / max, 10.0);
  }
}
