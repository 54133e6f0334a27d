#include "Tsp.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "Individual.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"

namespace {

#ifdef __SSE2__
constexpr bool kMeasureTogether = FLT_EVAL_METHOD == 0;
#else
constexpr bool kMeasureTogether = false;
#endif

double fitnessOf(double d, int n) {
  double r = 1.0 / d;
  r = r * static_cast<double>(n);
  const double m = 100.0 * r;
  return m * m;
}

}  // namespace

double Tsp::between(const City& a, const City& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

Tsp::Tsp(const CityMap& cities) : cities(cities), byId(cities.size() + 1, City(0, 0.0, 0.0)) {
  for (const auto& entry : cities) {
    if (entry.first >= 1 && static_cast<size_t>(entry.first) < byId.size()) {
      byId[entry.first] = City(entry.first, entry.second->x, entry.second->y);
    }
  }
  const size_t ids = byId.size();
  bool complete = true;
  for (size_t id = 1; id < ids; ++id) complete = complete && byId[id].id != 0;
  everyIdACity = complete;
  if (kMeasureTogether && complete && ids - 1 <= kMaxTableCities) {
    std::vector<double> table(ids * ids, 0.0);
    for (size_t a = 1; a < ids; ++a) {
      for (size_t b = 1; b < ids; ++b) table[a * ids + b] = between(byId[a], byId[b]);
    }
    distances.swap(table);
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
  return fitnessOf(d, tour.getLength());
}

// Lane j measures tour j: its edges in tour order, the closing edge last.
// The lanes are independent chains of additions, so they overlap.
template <class Chromosome>
bool Tsp::lengthsTogether(const std::shared_ptr<Individual>* individuals, int count,
                          double* lengths) const {
  constexpr int kLanes = 8;
  const Chromosome* tours[kLanes] = {};
  for (int j = 0; j < count; ++j) {
    tours[j] = dynamic_cast<const Chromosome*>(individuals[j].get());
    if (tours[j] == nullptr || tours[j]->getLength() != tours[0]->getLength()) return false;
  }
  for (int j = count; j < kLanes; ++j) tours[j] = tours[0];  // spare lanes, discarded
  const int n = tours[0]->getLength();
  int first[kLanes];
  int previous[kLanes];
  double d[kLanes];
  for (int j = 0; j < kLanes; ++j) {
    first[j] = previous[j] = tours[j]->getCityId(0);
    city(first[j]);  // an id that is not a city ends the process here
    d[j] = 0.0;
  }
  if (distances.empty()) {
    for (int i = 1; i < n; ++i) {
      for (int j = 0; j < kLanes; ++j) {
        const int next = tours[j]->getCityId(i);
        d[j] += edge(previous[j], next);
        previous[j] = next;
      }
    }
  } else {
    const double* table = distances.data();
    const unsigned ids = static_cast<unsigned>(byId.size());
    const int* lane[kLanes];
    for (int j = 0; j < kLanes; ++j) lane[j] = tours[j]->cityIds();
    for (int i = 1; i < n; ++i) {
      for (int j = 0; j < kLanes; ++j) {
        const int next = lane[j][i];
        if (static_cast<unsigned>(next) - 1 >= ids - 1) city(next);  // not a city: ends here
        d[j] += table[static_cast<size_t>(previous[j]) * ids + next];
        previous[j] = next;
      }
    }
  }
  for (int j = 0; j < count; ++j) lengths[j] = d[j] + edge(first[j], previous[j]);
  return true;
}

void Tsp::computeAll(const std::shared_ptr<Individual>* individuals, int count,
                     double* fitness) const {
  constexpr int kLanes = 8;
  for (int start = 0; start < count; start += kLanes) {
    const int lanes = count - start < kLanes ? count - start : kLanes;
    const std::shared_ptr<Individual>* group = individuals + start;
    double d[kLanes];
    // Where some id is no city, one by one: the first id reported missing is then
    // the one of the first tour.
    if (!kMeasureTogether || !everyIdACity || group[0]->getLength() < 1 ||
        !(lengthsTogether<PermutationEncoded>(group, lanes, d) ||
          lengthsTogether<PmxEncoded>(group, lanes, d))) {
      FitnessFunction::computeAll(group, lanes, fitness + start);
      continue;
    }
    for (int j = 0; j < lanes; ++j) {
      group[j]->setDistance(d[j]);
      fitness[start + j] = fitnessOf(d[j], group[j]->getLength());
    }
  }
}
