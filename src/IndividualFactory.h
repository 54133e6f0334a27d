// Makes individuals: a random chromosome of the encoding, scored once before
// it is handed out. Stateless; used on the initial thread while populations
// are built.
#pragma once

#include <memory>

#include "Enums.h"

class FitnessFunction;
class Individual;

class IndividualFactory {
 public:
  virtual ~IndividualFactory() = default;

  // PermutationEncoding and PmxEncoding give tours; any other value a bit string.
  std::shared_ptr<Individual> createIndividual(
      int length, Encoding encoding, const std::shared_ptr<FitnessFunction>& fitnessFunction) const;
  // The same random chromosome, the same draws, not yet scored (fitness -1.0):
  // for a caller that scores many new individuals together.
  std::shared_ptr<Individual> createUnscored(
      int length, Encoding encoding, const std::shared_ptr<FitnessFunction>& fitnessFunction) const;
};
