// One crossover of each encoding and one evaluation of each objective, per
// gene; and a check that neither allocates: the hot loop of a generation
// runs them a million times, so a single allocation per call would show.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "BinaryEncoded.h"
#include "City.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"
#include "PowerOfTen.h"
#include "PowerOfTwo.h"
#include "RNG.h"
#include "Statistics.h"
#include "Tsp.h"

// Every allocation of the benchmark binary is counted; the count costs one
// relaxed increment and does not change what the other benchmarks measure.
namespace {
std::atomic<long> allocations{0};
}  // namespace

// GCC pairs the inlined replacements' malloc and free as if they were
// operator new and free, and warns about a mismatch that is not there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t size, std::align_val_t align) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  const std::size_t a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, ((size == 0 ? 1 : size) + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

const std::shared_ptr<FitnessFunction> kNoObjective;

// Allocations per call of f, over calls made outside the timed loop.
template <class F>
double allocationsPerCall(F f) {
  constexpr int kCalls = 200;
  const long before = allocations.load(std::memory_order_relaxed);
  for (int i = 0; i < kCalls; ++i) f();
  return static_cast<double>(allocations.load(std::memory_order_relaxed) - before) / kCalls;
}

void reportPerGene(benchmark::State& state, int genes) {
  state.SetItemsProcessed(state.iterations() * genes);
  state.counters["time/gene"] = benchmark::Counter(
      genes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::shared_ptr<Individual> make(int encoding, int length) {
  if (encoding == 1) return std::make_shared<PermutationEncoded>(length, kNoObjective);
  if (encoding == 2) return std::make_shared<PmxEncoded>(length, kNoObjective);
  return std::make_shared<BinaryEncoded>(length);
}

template <int kEncoding>
void BM_Cross(benchmark::State& state) {
  const int length = static_cast<int>(state.range(0));
  const float pc = 0.7f, pm = kEncoding == 0 ? 0.001f : 0.01f;
  auto self = make(kEncoding, length), mate = make(kEncoding, length);
  auto child1 = make(kEncoding, length), child2 = make(kEncoding, length);
  Statistics stats;
  const auto cross = [&] { return self->cross(mate, child1, child2, pc, pm, stats); };
  for (auto _ : state) benchmark::DoNotOptimize(cross());
  reportPerGene(state, length);
  state.counters["allocs/call"] = allocationsPerCall(cross);
}
BENCHMARK_TEMPLATE(BM_Cross, 0)->Name("Cross/Binary")->Arg(100)->Arg(1000);
BENCHMARK_TEMPLATE(BM_Cross, 1)->Name("Cross/Permutation")->Arg(100)->Arg(1000);
BENCHMARK_TEMPLATE(BM_Cross, 2)->Name("Cross/Pmx")->Arg(100)->Arg(1000);

template <class Objective>
void BM_PowerObjective(benchmark::State& state) {
  const int length = static_cast<int>(state.range(0));
  const Objective objective;
  const std::shared_ptr<Individual> bits = std::make_shared<BinaryEncoded>(length);
  const auto compute = [&] { return objective.compute(bits); };
  for (auto _ : state) benchmark::DoNotOptimize(compute());
  reportPerGene(state, length);
  state.counters["allocs/call"] = allocationsPerCall(compute);
}
BENCHMARK_TEMPLATE(BM_PowerObjective, PowerOfTwo)->Name("Compute/PowerOfTwo")->Arg(1000);
BENCHMARK_TEMPLATE(BM_PowerObjective, PowerOfTen)->Name("Compute/PowerOfTen")->Arg(1000);

void BM_Tsp(benchmark::State& state) {
  const int length = static_cast<int>(state.range(0));
  CityMap cities;
  RNG& rng = *RNG::getInstance();
  for (int id = 1; id <= length; ++id) {
    cities[id] = std::make_shared<City>(id, 1000.0 * rng.random(), 1000.0 * rng.random());
  }
  const Tsp tsp(cities);
  const std::shared_ptr<Individual> tour =
      std::make_shared<PermutationEncoded>(length, kNoObjective);
  const auto compute = [&] { return tsp.compute(tour); };
  for (auto _ : state) benchmark::DoNotOptimize(compute());
  reportPerGene(state, length);
  state.counters["allocs/call"] = allocationsPerCall(compute);
}
BENCHMARK(BM_Tsp)->Name("Compute/Tsp")->Arg(100)->Arg(1000);

}  // namespace
