#include "BinaryEncoded.h"

#include <array>
#include <limits>

#include "RNG.h"
#include "Statistics.h"

namespace {

int wordsFor(int length) { return length > 0 ? (length + 63) / 64 : 0; }

// Weight k is 1.0 doubled k times, as the objectives form it; from 1024 on
// it is infinite.
constexpr int kFiniteWeights = 1024;

constexpr std::array<double, kFiniteWeights> makeWeights() {
  std::array<double, kFiniteWeights> table{};
  table[0] = 1.0;
  for (int k = 1; k < kFiniteWeights; ++k) table[k] = table[k - 1] + table[k - 1];
  return table;
}

constexpr std::array<double, kFiniteWeights> kWeights = makeWeights();

double weight(int k) {
  return k < kFiniteWeights ? kWeights[k] : std::numeric_limits<double>::infinity();
}

}  // namespace

BinaryEncoded::BinaryEncoded(int length) : length(length), genes(wordsFor(length), 0) {
  RNG& rng = *RNG::getInstance();
  for (int w = 0; w < wordsFor(length); ++w) {
    genes[w] = rng.flips(0.5f, length - w * 64 < 64 ? length - w * 64 : 64);
  }
}

// Works a word at a time: each child's word is assembled from the parents'
// words. Then the mutation trials, position by position (child1's, then
// child2's), are numbered 0..2 length - 1 and only the successful ones are
// looked at: trial t belongs to child t % 2 at position t / 2.
int BinaryEncoded::cross(const std::shared_ptr<Individual>& mate,
                         const std::shared_ptr<Individual>& child1,
                         const std::shared_ptr<Individual>& child2, float crossoverProbability,
                         float mutationProbability, Statistics& statistics) {
  const BinaryEncoded& other = sameEncoding<BinaryEncoded>(mate);
  BinaryEncoded& first = sameEncoding<BinaryEncoded>(child1);
  BinaryEncoded& second = sameEncoding<BinaryEncoded>(child2);
  // One generator for the whole call: the thread cannot change inside it.
  RNG& rng = *RNG::getInstance();
  int site = length - 1;
  if (rng.random() < crossoverProbability) {
    statistics.incCrosses();
    site = rng.range(0, length - 1);
  }
  const int words = wordsFor(length);
  for (int w = 0; w < words; ++w) {
    const int base = w * 64;
    const int bits = length - base < 64 ? length - base : 64;
    // Positions up to the site come from the child's own parent.
    const int headBits = site < base ? 0 : (site - base + 1 < bits ? site - base + 1 : bits);
    const uint64_t head = headBits == 64 ? ~uint64_t{0} : (uint64_t{1} << headBits) - 1;
    first.genes[w] = (genes[w] & head) | (other.genes[w] & ~head);
    second.genes[w] = (other.genes[w] & head) | (genes[w] & ~head);
  }
  const int trials = 2 * length;
  for (int t = rng.firstFlip(mutationProbability, trials); t < trials;
       t += 1 + rng.firstFlip(mutationProbability, trials - t - 1)) {
    statistics.incMutations();
    const int position = t >> 1;
    (t & 1 ? second : first).genes[position >> 6] ^= uint64_t{1} << (position & 63);
  }
  return site;
}

int BinaryEncoded::crossParallel(const std::shared_ptr<Individual>& mate,
                                 const std::shared_ptr<Individual>& child1,
                                 const std::shared_ptr<Individual>& child2,
                                 float crossoverProbability, float mutationProbability,
                                 Statistics& statistics) {
  return cross(mate, child1, child2, crossoverProbability, mutationProbability, statistics);
}

double BinaryEncoded::binaryValue(const Individual& individual) {
  const int n = individual.getLength();
  double value = 0.0;
  const auto* bits = dynamic_cast<const BinaryEncoded*>(&individual);
  if (bits == nullptr) {
    for (int i = n - 1; i >= 0; --i) {
      if (individual.getGene(i)) value += weight(n - 1 - i);
    }
    return value;
  }
  // The same additions, found a set bit at a time from the last gene down:
  // adding nothing for a clear bit changes nothing.
  for (int w = wordsFor(n) - 1; w >= 0; --w) {
    uint64_t word = bits->genes[w];
    while (word != 0) {
      const int bit = 63 - __builtin_clzll(word);
      value += weight(n - 1 - (w * 64 + bit));
      word &= ~(uint64_t{1} << bit);
    }
  }
  return value;
}

double BinaryEncoded::allOnesValue(int length) {
  // From the first infinite weight on, the sum stays infinite.
  static const std::vector<double> totals = [] {
    std::vector<double> t(kFiniteWeights + 2);
    for (int n = 1; n < static_cast<int>(t.size()); ++n) t[n] = t[n - 1] + weight(n - 1);
    return t;
  }();
  if (length <= 0) return 0.0;
  return static_cast<size_t>(length) < totals.size() ? totals[length] : totals.back();
}

void BinaryEncoded::mutate(int position, float mutationProbability, Statistics& statistics) {
  if (RNG::getInstance()->flip(mutationProbability)) {
    statistics.incMutations();
    setGene(position, !getGene(position));
  }
}
