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
  // Tours of one encoding and length are measured several at once, each
  // with its own additions in tour order; only on SSE2 arithmetic, where a
  // distance kept in memory is the distance computed (not on the x87).
  void computeAll(const std::shared_ptr<Individual>* individuals, int count,
                  double* fitness) const override;
  double calcEucDistance(const std::shared_ptr<City>& a, const std::shared_ptr<City>& b) const;

 private:
  const City& city(int id) const {
    if (id >= 1 && static_cast<size_t>(id) < byId.size() && byId[id].id == id) return byId[id];
    return cityOutsideIndex(id);
  }
  const City& cityOutsideIndex(int id) const;
  template <class Chromosome>
  double tourLength(const Chromosome& tour) const;
  template <class Chromosome>
  bool lengthsTogether(const std::shared_ptr<Individual>* individuals, int count,
                       double* lengths) const;
  double edge(int from, int to) const {
    return distances.empty() ? between(city(from), city(to))
                             : distances[static_cast<size_t>(from) * byId.size() + to];
  }
  static double between(const City& a, const City& b);

  CityMap cities;
  // Copies of the same cities side by side, indexed by id, so that scoring a
  // tour needs no map lookup and no pointer chase (a million cities do not
  // fit in a cache); an id that is no city holds id 0.
  std::vector<City> byId;
  // edge(a, b) for every pair of ids, row a, when the instance is small
  // enough (kMaxTableCities) and every id 1..n is a city; else empty.
  std::vector<double> distances;
  bool everyIdACity = false;  // ids 1..n all in the map
  static constexpr int kMaxTableCities = 256;
};
