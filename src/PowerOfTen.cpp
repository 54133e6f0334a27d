#include "PowerOfTen.h"

#include <cmath>

#include "BinaryEncoded.h"

namespace {

template <class Chromosome>
double tenthPower(const Chromosome& chromosome) {
  const int n = chromosome.getLength();
  double value = 0.0;
  double weight = 1.0;
  const double max = std::pow(2.0, static_cast<double>(n)) - 1.0;
  for (int i = n - 1; i >= 0; --i) {
    if (chromosome.getGene(i)) value += weight;
    weight = weight + weight;
  }
  return std::pow(value / max, 10.0);
}

}  // namespace

double PowerOfTen::compute(const std::shared_ptr<Individual>& individual) const {
  if (const auto* bits = dynamic_cast<const BinaryEncoded*>(individual.get())) {
    return tenthPower(*bits);
  }
  return tenthPower(*individual);
}
