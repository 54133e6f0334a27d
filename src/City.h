// A city of a travelling-salesman instance, and the map from id to city that the
// city-file reader fills and the TSP objective copies.
#pragma once

#include <map>
#include <memory>

struct City {
  City(int id, double x, double y) : id(id), x(x), y(y) {}

  int id;
  double x;
  double y;
};

using CityMap = std::map<int, std::shared_ptr<City>>;
