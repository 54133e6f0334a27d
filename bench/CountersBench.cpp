// Crossover and mutation counting from two threads: relaxed atomics on the one
// shared Statistics object against padded per-thread counts summed after the
// region. Both do the same increments; the counter is time per increment.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cstdint>
#include <vector>

#include "Statistics.h"

namespace {

constexpr int kThreads = 2;
constexpr int kStepsPerThread = 1 << 20;  // each step counts one crossover and one mutation

void setTimePerIncrement(benchmark::State& state) {
  state.counters["per_increment"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kThreads * kStepsPerThread * 2,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SharedRelaxedAtomics(benchmark::State& state) {
  for (auto _ : state) {
    Statistics stats;
#pragma omp parallel num_threads(kThreads)
    for (int i = 0; i < kStepsPerThread; ++i) {
      stats.incCrosses();
      stats.incMutations();
      benchmark::ClobberMemory();  // counting sits among other work, not in a foldable loop
    }
    benchmark::DoNotOptimize(stats.getCrosses() + stats.getMutations());
  }
  setTimePerIncrement(state);
}
BENCHMARK(BM_SharedRelaxedAtomics)->UseRealTime();

struct alignas(64) Counts {
  int64_t crosses = 0;
  int64_t mutations = 0;
};

void BM_PerThreadPaddedCounts(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<Counts> counts(kThreads);
#pragma omp parallel num_threads(kThreads)
    {
      Counts& own = counts[omp_get_thread_num()];
      for (int i = 0; i < kStepsPerThread; ++i) {
        ++own.crosses;
        ++own.mutations;
        benchmark::ClobberMemory();
      }
    }
    int64_t crosses = 0, mutations = 0;
    for (const Counts& c : counts) {
      crosses += c.crosses;
      mutations += c.mutations;
    }
    benchmark::DoNotOptimize(crosses + mutations);
  }
  setTimePerIncrement(state);
}
BENCHMARK(BM_PerThreadPaddedCounts)->UseRealTime();

}  // namespace
