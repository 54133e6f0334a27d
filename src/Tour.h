// What the two tour encodings share: the random tour of a new individual and
// the partner position of a mutation. Both draw from the caller's generator.
#pragma once

#include <vector>

class RNG;

struct Tour {
  // A random permutation of 1..length. Draws: range(0, pool size - 1) once
  // per position, from a pool of the ids left in increasing order.
  static std::vector<int> random(int length);
  // Draws range(0, length - 1) until it differs from position; -1, with no
  // draw, when the tour has no second position.
  static int partner(RNG& rng, int position, int length);
};
