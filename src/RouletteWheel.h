// Fitness-proportional selection: the first position at which the running
// sum of fitness, in genome order, reaches a random share of the statistics'
// sum of fitness.
#pragma once

#include "SelectionScheme.h"

class RouletteWheel final : public SelectionScheme {
 public:
  // Draws: one random().
  int select(const Population& population, const Statistics& statistics) const override;
  bool canGiveTwoPositions(const Population& population,
                           const Statistics& statistics) const override;

 private:
  // The position a draw r selects.
  static int position(float r, const Population& population, const Statistics& statistics);
};
