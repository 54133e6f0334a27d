#include "Tour.h"

#include "RNG.h"

std::vector<int> Tour::random(int length) {
  std::vector<int> pool;
  pool.reserve(length);
  for (int id = 1; id <= length; ++id) pool.push_back(id);
  std::vector<int> tour;
  tour.reserve(length);
  RNG& rng = *RNG::getInstance();
  while (!pool.empty()) {
    const int k = rng.range(0, static_cast<int>(pool.size()) - 1);
    tour.push_back(pool[k]);
    pool.erase(pool.begin() + k);
  }
  return tour;
}

int Tour::partner(RNG& rng, int position, int length) {
  if (length < 2) return -1;
  int other;
  do {
    other = rng.range(0, length - 1);
  } while (other == position);
  return other;
}
