// The scaled bit-string value raised to the tenth power, which rewards the
// highest values far more steeply. Stateless; safe from any thread.
#pragma once

#include "FitnessFunction.h"

class PowerOfTen final : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>& individual) const override;
  void computeAll(const std::shared_ptr<Individual>* individuals, int count,
                  double* fitness) const override;
};
