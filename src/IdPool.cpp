#include "IdPool.h"

#include <bitset>
#include <stdexcept>

IdPool::IdPool(int n)
    : remaining(n > 0 ? n : 0),
      words(remaining / 64 + (remaining % 64 != 0 ? 1 : 0)),
      highestStep(1),
      left(words, ~uint64_t{0}),
      count(words + 1, 0) {
  if (remaining % 64 != 0) left[words - 1] = (uint64_t{1} << (remaining % 64)) - 1;
  for (int i = 1; i <= words; ++i) {
    count[i] += static_cast<int>(std::bitset<64>(left[i - 1]).count());
    const int parent = i + (i & -i);
    if (parent <= words) count[parent] += count[i];
  }
  while (highestStep <= words / 2) highestStep *= 2;
}

int IdPool::take(int k) {
  if (k < 0 || k >= remaining) throw std::out_of_range("IdPool::take: no such id left");
  // One descent both finds the word and lowers the counts that cover it: a
  // node the descent does not step past is one whose range holds the word.
  int before = 0;  // words wholly before the id
  int rank = k;    // the id's rank among those left in its word
  for (int step = highestStep; step > 0; step /= 2) {
    if (step > words - before) continue;
    const int node = before + step;
    if (count[node] <= rank) {
      rank -= count[node];
      before = node;
    } else {
      --count[node];
    }
  }
  // The rank-th set bit of the word, by halving.
  uint64_t& word = left[before];
  int bit = 0;
  for (int width = 32; width > 0; width /= 2) {
    const uint64_t lower = (word >> bit) & ((uint64_t{1} << width) - 1);
    const int set = static_cast<int>(std::bitset<64>(lower).count());
    if (rank >= set) {
      rank -= set;
      bit += width;
    }
  }
  word &= ~(uint64_t{1} << bit);
  --remaining;
  return 64 * before + bit + 1;
}
