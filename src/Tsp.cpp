#include "Tsp.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "Individual.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"

namespace {

double between(const City& a, const City& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Tsp::Tsp(const CityMap& cities) : cities(cities), byId(cities.size() + 1, nullptr) {
  for (const auto& entry : cities) {
    if (entry.first >= 1 && static_cast<size_t>(entry.first) < byId.size()) {
      byId[entry.first] = entry.second.get();
    }
  }
}

double Tsp::calcEucDistance(const std::shared_ptr<City>& a, const std::shared_ptr<City>& b) const {
  return between(*a, *b);
}

const City& Tsp::cityOutsideIndex(int id) const {
  const auto found = cities.find(id);
  if (found == cities.end()) {
    std::cerr << "Error: City " << id << " of a tour is not in the city map!" << std::endl;
    std::exit(1);
  }
  return *found->second;
}

template <class Chromosome>
double Tsp::tourLength(const Chromosome& tour) const {
  const int n = tour.getLength();
  const City& first = city(tour.getCityId(0));
  const City* previous = &first;
  double d = 0.0;
  for (int i = 1; i < n; ++i) {
    const City* next = &city(tour.getCityId(i));
    d += between(*previous, *next);
    previous = next;
  }
  // The closing edge comes last, from the first city to the last.
  d += between(first, *previous);
  return d;
}

double Tsp::compute(const std::shared_ptr<Individual>& individual) const {
  Individual& tour = *individual;
  if (tour.getLength() < 1) {
    std::cerr << "Error: An empty tour has no length!" << std::endl;
    std::exit(1);
  }
  // Direct calls on the tour encodings spare a virtual call per city.
  double d;
  if (const auto* plain = dynamic_cast<const PermutationEncoded*>(&tour)) {
    d = tourLength(*plain);
  } else if (const auto* pmx = dynamic_cast<const PmxEncoded*>(&tour)) {
    d = tourLength(*pmx);
  } else {
    d = tourLength(tour);
  }
  tour.setDistance(d);
  double r = 1.0 / d;
  r = r * static_cast<double>(tour.getLength());
  const double m = 100.0 * r;
  return m * m;
}
