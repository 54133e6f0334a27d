#include "Tour.h"

#include "IdPool.h"
#include "RNG.h"

std::vector<int> Tour::random(int length) {
  IdPool pool(length);
  std::vector<int> tour;
  tour.reserve(pool.size());
  RNG& rng = *RNG::getInstance();
  while (pool.size() > 0) tour.push_back(pool.take(rng.range(0, pool.size() - 1)));
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
