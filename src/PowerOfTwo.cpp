#include "PowerOfTwo.h"

#include "BinaryEncoded.h"

namespace {

// Gene 0 is the most significant bit; the sum of the weights is 2^n - 1.
template <class Chromosome>
double scaled(const Chromosome& chromosome) {
  double value = 0.0;
  double weight = 1.0;
  double total = 0.0;
  for (int i = chromosome.getLength() - 1; i >= 0; --i) {
    if (chromosome.getGene(i)) value += weight;
    total += weight;
    weight = weight + weight;
  }
  return value / total;
}

}  // namespace

double PowerOfTwo::compute(const std::shared_ptr<Individual>& individual) const {
  // Direct calls on the bit string spare a virtual call per gene.
  if (const auto* bits = dynamic_cast<const BinaryEncoded*>(individual.get())) return scaled(*bits);
  return scaled(*individual);
}
