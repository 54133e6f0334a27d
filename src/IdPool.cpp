#include "IdPool.h"

#include <stdexcept>

IdPool::IdPool(int n) : n(n > 0 ? n : 0), remaining(this->n), highestStep(1), count(this->n + 1) {
  // With every id present a node counts the whole range it covers.
  for (int i = 1; i <= this->n; ++i) count[i] = i & -i;
  while (highestStep <= this->n / 2) highestStep *= 2;
}

// One descent both finds the id and lowers the counts that cover it: a node
// the descent does not step past is one whose range holds the id.
int IdPool::take(int k) {
  if (k < 0 || k >= remaining) throw std::out_of_range("IdPool::take: no such id left");
  int before = 0;  // the id sought lies above `before`
  int wanted = k + 1;
  for (int step = highestStep; step > 0; step /= 2) {
    if (step > n - before) continue;
    const int node = before + step;
    if (count[node] < wanted) {
      wanted -= count[node];
      before = node;
    } else {
      --count[node];
    }
  }
  --remaining;
  return before + 1;
}
