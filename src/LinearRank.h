// Linear ranking: a wheel over the ranks instead of the fitness. Of N
// individuals sorted highest fitness first (as both reproduction steps sort
// them before they select), position i has the weight N - i, so it is chosen
// with probability (N - i) / (N (N + 1) / 2) however close the fitness
// values are. Stateless, like every scheme.
#pragma once

#include "SelectionScheme.h"

class LinearRank final : public SelectionScheme {
 public:
  // Draws: one random() r; the result is the first position whose running
  // weight N + (N - 1) + ... reaches r * N (N + 1) / 2.
  int select(const Population& population, const Statistics& statistics) const override;
  // Any two positions can be drawn: true for every population of two or more.
  bool canGiveTwoPositions(const Population& population,
                           const Statistics& statistics) const override;
};
