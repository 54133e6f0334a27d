// The bit string read as an unsigned number (gene 0 most significant) and
// scaled into 0..1. Stateless; safe from any thread.
#pragma once

#include "FitnessFunction.h"

class PowerOfTwo final : public FitnessFunction {
 public:
  double compute(const std::shared_ptr<Individual>& individual) const override;
  void computeAll(const std::shared_ptr<Individual>* individuals, int count,
                  double* fitness) const override;
};
