#include "PowerOfTwo.h"

#include "BinaryEncoded.h"

double PowerOfTwo::compute(const std::shared_ptr<Individual>& individual) const {
  const int n = individual->getLength();
  return BinaryEncoded::binaryValue(*individual) / BinaryEncoded::allOnesValue(n);
}
