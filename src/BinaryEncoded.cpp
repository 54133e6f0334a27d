#include "BinaryEncoded.h"

#include <array>
#include <limits>

#include "RNG.h"
#include "Statistics.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Lane j sums string j: position by position from the last gene down, it
// adds the weight where the bit is set and +0.0 where it is clear, which
// leaves a sum of numbers of at least 0 as it is. Two lanes share a vector
// register; each lane's additions are its own, in their own order.
void BinaryEncoded::binaryValues(const std::shared_ptr<Individual>* individuals, int count,
                                 double* values) {
#ifdef __SSE2__
  constexpr int kLanes = 8;
  for (int start = 0; start < count; start += kLanes) {
    const int lanes = count - start < kLanes ? count - start : kLanes;
    const BinaryEncoded* strings[kLanes];
    bool together = kSumsTogether;
    for (int j = 0; j < lanes; ++j) {
      strings[j] = dynamic_cast<const BinaryEncoded*>(individuals[start + j].get());
      together = together && strings[j] != nullptr && strings[j]->length == strings[0]->length;
    }
    if (!together) {
      for (int j = 0; j < lanes; ++j) values[start + j] = binaryValue(*individuals[start + j]);
      continue;
    }
    for (int j = lanes; j < kLanes; ++j) strings[j] = strings[0];  // spare lanes, discarded
    const int n = strings[0]->length;
    __m128d sum[kLanes / 2];
    for (__m128d& s : sum) s = _mm_setzero_pd();
    int k = 0;  // weight of the position
    for (int w = wordsFor(n) - 1; w >= 0; --w) {
      // The positions of the word from the last down, each in turn at the top bit.
      const int bits = n - w * 64 < 64 ? n - w * 64 : 64;
      __m128i word[kLanes / 2];
      for (int q = 0; q < kLanes / 2; ++q) {
        word[q] = _mm_set_epi64x(static_cast<long long>(strings[2 * q + 1]->genes[w] << (64 - bits)),
                                 static_cast<long long>(strings[2 * q]->genes[w] << (64 - bits)));
      }
      for (int b = 0; b < bits; ++b, ++k) {
        const __m128d wk = _mm_set1_pd(weight(k));
        for (int q = 0; q < kLanes / 2; ++q) {
          // The top bit of each lane spread over the whole lane.
          const __m128i set = _mm_srai_epi32(_mm_shuffle_epi32(word[q], _MM_SHUFFLE(3, 3, 1, 1)), 31);
          sum[q] = _mm_add_pd(sum[q], _mm_and_pd(_mm_castsi128_pd(set), wk));
          word[q] = _mm_add_epi64(word[q], word[q]);
        }
      }
    }
    double lane[kLanes];
    for (int q = 0; q < kLanes / 2; ++q) _mm_storeu_pd(lane + 2 * q, sum[q]);
    for (int j = 0; j < lanes; ++j) values[start + j] = lane[j];
  }
#else
  for (int k = 0; k < count; ++k) values[k] = binaryValue(*individuals[k]);
#endif
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
