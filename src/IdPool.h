// The ids 1..n not yet taken, in increasing order, from which a random tour
// draws its cities. A Fenwick tree of counts finds and removes the k-th
// remaining id in O(log n), where closing the gap in a vector costs O(n).
// Owned by the one thread that builds a tour.
#pragma once

#include <vector>

class IdPool {
 public:
  explicit IdPool(int n);

  int size() const { return remaining; }
  // Removes the k-th remaining id (k from 0, in increasing order) and returns
  // it. A k outside 0..size()-1 raises the standard out-of-range exception.
  int take(int k);

 private:
  int n;
  int remaining;
  int highestStep;         // the largest power of two not above n
  std::vector<int> count;  // count[i]: ids left in (i - lowbit(i), i]
};
