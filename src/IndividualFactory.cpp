#include "IndividualFactory.h"

#include "BinaryEncoded.h"
#include "FitnessFunction.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"

std::shared_ptr<Individual> IndividualFactory::createIndividual(
    int length, Encoding encoding, const std::shared_ptr<FitnessFunction>& fitnessFunction) const {
  std::shared_ptr<Individual> individual = createUnscored(length, encoding, fitnessFunction);
  individual->setFitness(fitnessFunction->compute(individual));
  return individual;
}

std::shared_ptr<Individual> IndividualFactory::createUnscored(
    int length, Encoding encoding, const std::shared_ptr<FitnessFunction>& fitnessFunction) const {
  std::shared_ptr<Individual> individual;
  switch (encoding) {
    case PermutationEncoding:
      individual = std::make_shared<PermutationEncoded>(length, fitnessFunction);
      break;
    case PmxEncoding:
      individual = std::make_shared<PmxEncoded>(length, fitnessFunction);
      break;
    default:
      individual = std::make_shared<BinaryEncoded>(length);
      break;
  }
  return individual;
}
