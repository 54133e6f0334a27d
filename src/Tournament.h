// Tournament selection: K contestants drawn independently and uniformly, with
// replacement, the fittest of them chosen. Both reproduction steps sort the
// population highest fitness first before they select, so the fittest is the
// lowest position drawn. Stateless, like every scheme.
#pragma once

#include "SelectionScheme.h"

class Tournament final : public SelectionScheme {
 public:
  explicit Tournament(int contestants) : contestants(contestants) {}

  // Draws: K random() r, one per contestant, each giving the position
  // min(N - 1, (int)(r * N)) (r * N in double precision).
  int select(const Population& population, const Statistics& statistics) const override;
  // Any two positions can be drawn: true for every population of two or more.
  bool canGiveTwoPositions(const Population& population,
                           const Statistics& statistics) const override;

  int getContestants() const { return contestants; }

 private:
  const int contestants;
};
