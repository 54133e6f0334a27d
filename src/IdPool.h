// The ids 1..n not yet taken, in increasing order, from which a random tour
// draws its cities. Finding and removing the k-th remaining id costs
// O(log n), where closing the gap in a vector costs O(n): a bit per id, in
// words of 64, and a Fenwick tree of the words' counts. Both stay small enough
// for the processor's cache at a million cities, which the descent needs.
// Owned by the one thread that builds a tour.
#pragma once

#include <cstdint>
#include <vector>

class IdPool {
 public:
  explicit IdPool(int n);

  int size() const { return remaining; }
  // Removes the k-th remaining id (k from 0, in increasing order) and returns
  // it. A k outside 0..size()-1 raises the standard out-of-range exception.
  int take(int k);

 private:
  int remaining;
  int words;                   // ceil(n / 64)
  int highestStep;             // the largest power of two not above words
  std::vector<uint64_t> left;  // bit j of word w: id 64 w + j + 1 is left
  std::vector<int> count;      // count[i]: ids left in words (i - lowbit(i), i], from 1
};
