#include "LinearRank.h"

#include <algorithm>
#include <cmath>

#include "Population.h"
#include "RNG.h"

namespace {

// The weights of positions 0..i: N + (N - 1) + ... + (N - i). Exact in
// double for every population that fits in memory.
double runningWeight(int i, int size) { return (i + 1.0) * (2.0 * size - i) / 2.0; }

}  // namespace

int LinearRank::select(const Population& population, const Statistics&) const {
  const int size = population.getSize();
  const double total = runningWeight(size - 1, size);
  const double target = static_cast<double>(RNG::getInstance()->random()) * total;
  // The running weight is a quadratic in i, so its root places the target in
  // one step instead of a scan; the loops settle the root's rounding.
  const double b = 2.0 * size + 1.0;
  const double root = (b - std::sqrt(b * b - 8.0 * target)) / 2.0;
  int i = std::clamp(static_cast<int>(std::ceil(root)) - 1, 0, size - 1);
  while (i > 0 && runningWeight(i - 1, size) >= target) --i;
  while (i < size - 1 && runningWeight(i, size) < target) ++i;
  return i;
}

bool LinearRank::canGiveTwoPositions(const Population& population, const Statistics&) const {
  return population.getSize() > 1;
}
