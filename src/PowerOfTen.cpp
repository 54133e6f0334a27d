#include "PowerOfTen.h"

#include <cmath>

#include "BinaryEncoded.h"

double PowerOfTen::compute(const std::shared_ptr<Individual>& individual) const {
  const double max = std::pow(2.0, static_cast<double>(individual->getLength())) - 1.0;
  return std::pow(BinaryEncoded::binaryValue(*individual) / max, 10.0);
}
