// The bit-string chromosome of the power objectives: random bits at
// construction, one-point crossover, mutation by inverting one bit.
#pragma once

#include <cfloat>
#include <cstdint>
#include <vector>

#include "Individual.h"

class RNG;

class BinaryEncoded final : public Individual {
 public:
  // Draws: one flip(0.5) per bit, position 0 first.
  explicit BinaryEncoded(int length);
  BinaryEncoded(const BinaryEncoded& other) = default;
  BinaryEncoded& operator=(const BinaryEncoded& other) = default;

  // Draws: the decision random(); when crossing, the site range(0, length-1);
  // then, position by position, child1's flip and child2's flip.
  int cross(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
            const std::shared_ptr<Individual>& child2, float crossoverProbability,
            float mutationProbability, Statistics& statistics) override;
  // Exactly cross, in the calling thread.
  int crossParallel(const std::shared_ptr<Individual>& mate, const std::shared_ptr<Individual>& child1,
                    const std::shared_ptr<Individual>& child2, float crossoverProbability,
                    float mutationProbability, Statistics& statistics) override;
  // Draws: one flip.
  void mutate(int position, float mutationProbability, Statistics& statistics) override;
  int find_city(int) override { return -1; }
  void swap(int, int) override {}
  void setCrossSite(int site) override { crossSite = site; }
  double getFitness() const override { return fitness; }
  void setFitness(double value) override { fitness = value; }
  int getLength() const override { return length; }
  bool getGene(int position) const override { return (genes[position >> 6] >> (position & 63)) & 1u; }
  void setGene(int position, bool value) override {
    const uint64_t bit = uint64_t{1} << (position & 63);
    genes[position >> 6] = value ? genes[position >> 6] | bit : genes[position >> 6] & ~bit;
  }
  int getCityId(int) const override { return -1; }
  void setCityId(int, int) override {}
  double getDistance() const override { return 0.0; }
  void setDistance(double) override {}

  // The genes of any individual read as an unsigned binary number, gene 0
  // most significant, summed in double precision from the least significant
  // gene up: beyond 53 bits every addition rounds, so the order is part of
  // the value.
  static double binaryValue(const Individual& individual);
  // The same sum over every weight: the value of `length` ones.
  static double allOnesValue(int length);
  // binaryValue of count individuals, values[k] for individuals[k]. Strings
  // of one length are summed several at once, each with its own additions
  // in their own order; only on SSE2 arithmetic (kSumsTogether): the x87 of
  // i386 keeps sums wider, depending on the code, so there it sums one by one.
  static void binaryValues(const std::shared_ptr<Individual>* individuals, int count,
                           double* values);
#ifdef __SSE2__
  static constexpr bool kSumsTogether = FLT_EVAL_METHOD == 0;
#else
  static constexpr bool kSumsTogether = false;
#endif

 private:
  int length;
  double fitness = -1.0;
  int crossSite = -1;
  // Bit i is bit i % 64 of word i / 64; bits past the length stay 0.
  std::vector<uint64_t> genes;
};
