// The travelling-salesman objective: fitness (100 n / D)^2 for a closed tour
// of length D through n cities; compute also stores D as the tour's distance.
// Read-only after construction; safe from any thread.
#pragma once

#include <vector>

#include "City.h"
#include "FitnessFunction.h"

class Tsp final : public FitnessFunction {
 public:
  explicit Tsp(const CityMap& cities);

  // A tour holding an id that is not a city ends the process with an error line.
  double compute(const std::shared_ptr<Individual>& individual) const override;
  double calcEucDistance(const std::shared_ptr<City>& a, const std::shared_ptr<City>& b) const;

 private:
  const City& city(int id) const {
    if (id >= 1 && static_cast<size_t>(id) < byId.size() && byId[id] != nullptr) return *byId[id];
    return cityOutsideIndex(id);
  }
  const City& cityOutsideIndex(int id) const;
  template <class Chromosome>
  double tourLength(const Chromosome& tour) const;

  CityMap cities;
  // The same cities indexed by id, so that scoring a tour needs no map lookups.
  std::vector<const City*> byId;
};
