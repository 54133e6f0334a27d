// One generation of a run (breeding, statistics and report) for each
// objective, sequentially and on teams of 1 and 2 threads, against the bare
// cost of the draws such a generation makes: about 1.0 million for p2
// (1000 x 1000 bits, a flip per gene) and 0.2 million for the tours
// (1000 x 200 cities, a mutation trial per gene).
#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <streambuf>

#include "City.h"
#include "EnhancedGeneticAlgorithm.h"
#include "Individual.h"
#include "Population.h"
#include "PowerOfTwo.h"
#include "RNG.h"
#include "RouletteWheel.h"
#include "Statistics.h"
#include "Tsp.h"

namespace {

enum Kind { P2 = 0, TspPermutation = 1, TspPmx = 2 };

// Swallows the reports whole, as a file's buffer would take them, rather
// than a character at a time.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A fixed random 200-city instance, the same in every benchmark.
CityMap cities200() {
  long seed = 4242;
  RNG rng(&seed);
  CityMap cities;
  for (int id = 1; id <= 200; ++id) {
    cities[id] = std::make_shared<City>(id, 1000.0 * rng.random(), 1000.0 * rng.random());
  }
  return cities;
}

// A population of the kind's standard workload, built as the run assembly
// builds it; one objective and wheel per call.
struct Workload {
  explicit Workload(Kind kind) : bits(kind == P2) {
    if (bits) {
      f = std::make_shared<PowerOfTwo>();
    } else {
      f = std::make_shared<Tsp>(cities200());
    }
    encoding = bits ? BinaryEncoding : kind == TspPermutation ? PermutationEncoding : PmxEncoding;
  }
  std::shared_ptr<Population> population() const {
    return std::make_shared<Population>(1000, bits ? 1000 : 200, encoding, 1 << 30, f, wheel);
  }
  float mutation() const { return bits ? 0.001f : 0.01f; }

  bool bits;
  std::shared_ptr<FitnessFunction> f;
  std::shared_ptr<SelectionScheme> wheel = std::make_shared<RouletteWheel>();
  Encoding encoding;
};

// A run of the kind; threads 0 means sequential mode.
struct Generation {
  Generation(Kind kind, int threads) : out(&sink) {
    const Workload work(kind);
    ga = std::make_unique<EnhancedGeneticAlgorithm>(threads == 0 ? Sequential : Parallel, 0.7f,
                                                    work.mutation(), work.population(),
                                                    work.population(), out);
  }
  NullBuffer sink;
  std::ostream out;
  std::unique_ptr<EnhancedGeneticAlgorithm> ga;
};

// Sets the team for the benchmark; false (with the benchmark skipped) when
// the generator table, sized at the first draw, has no entry for a thread.
bool team(benchmark::State& state, int threads) {
  RNG::getInstance();
  const int wanted = threads == 0 ? 1 : threads;
  if (RNG::instances.size() < static_cast<size_t>(wanted)) {
    state.SkipWithError("the generator table is smaller than the team");
    return false;
  }
  omp_set_num_threads(wanted);
  return true;
}

// range(0): kind; range(1): 0 sequential, else the team size.
void BM_Generation(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(1));
  if (!team(state, threads)) return;
  Generation run(static_cast<Kind>(state.range(0)), threads);
  for (auto _ : state) run.ga->raiseGeneration();
}
BENCHMARK(BM_Generation)
    ->ArgsProduct({{P2, TspPermutation, TspPmx}, {0, 1, 2}})
    ->ArgNames({"kind", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The draws alone. Forcing each result out through DoNotOptimize makes the
// compiler keep the generator's wrap-around test as a branch, taken half the
// time at random; summed, as a generation's callers consume them, the draws
// compile without it (a conditional move), as they do inside cross.
float draws(RNG& rng, int64_t count) {
  float sum = 0.0f;
  for (int64_t i = 0; i < count; ++i) sum += rng.random();
  return sum;
}

void BM_BareDraws(benchmark::State& state) {
  RNG& rng = *RNG::getInstance();
  for (auto _ : state) benchmark::DoNotOptimize(draws(rng, state.range(0)));
}
BENCHMARK(BM_BareDraws)->Arg(1000000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_BareDrawsEachForced(benchmark::State& state) {
  RNG& rng = *RNG::getInstance();
  for (auto _ : state) {
    for (int64_t i = 0; i < state.range(0); ++i) benchmark::DoNotOptimize(rng.random());
  }
}
BENCHMARK(BM_BareDrawsEachForced)->Arg(1000000)->Unit(benchmark::kMillisecond);

double milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The targets as ratios, each side timed in alternation so that both see the
// same load: p2 sequential / its bare draws (target at most 2), and the
// 2-thread speed-up over sequential for p2 and tsp (target at least 1.8).
// Ratios of the fastest times are given too: on a shared machine they are
// the ones least disturbed by other processes.
void BM_Ratios(benchmark::State& state) {
  if (!team(state, 2)) return;
  Generation p2Seq(P2, 0), p2Par(P2, 2), tspSeq(TspPermutation, 0), tspPar(TspPermutation, 2);
  RNG& rng = *RNG::getInstance();
  std::function<void()> work[5] = {
      [&rng] { benchmark::DoNotOptimize(draws(rng, 1000000)); },
      [&] { p2Seq.ga->raiseGeneration(); }, [&] { p2Par.ga->raiseGeneration(); },
      [&] { tspSeq.ga->raiseGeneration(); }, [&] { tspPar.ga->raiseGeneration(); }};
  double total[5] = {}, fastest[5] = {1e300, 1e300, 1e300, 1e300, 1e300};
  for (auto _ : state) {
    for (int w = 0; w < 5; ++w) {
      const double t = milliseconds(work[w]);
      total[w] += t;
      fastest[w] = std::min(fastest[w], t);
    }
  }
  state.counters["p2_seq/bare"] = total[1] / total[0];
  state.counters["p2_speedup2"] = total[1] / total[2];
  state.counters["tsp_speedup2"] = total[3] / total[4];
  state.counters["min:p2_seq/bare"] = fastest[1] / fastest[0];
  state.counters["min:p2_speedup2"] = fastest[1] / fastest[2];
  state.counters["min:tsp_speedup2"] = fastest[3] / fastest[4];
}
BENCHMARK(BM_Ratios)->Unit(benchmark::kMillisecond)->Iterations(60)->UseRealTime();

// The serial share of a sequential generation: what stays on one thread
// whatever the team (the sort, the wheel's running sums, the statistics and
// the report), timed on a copy of the population about to breed (a copy
// shares the individuals and sorts only its own order), against the whole
// generation. Amdahl's law then bounds the speed-up on T threads at
// 1 / (s + (1 - s) / T).
void BM_SerialShare(benchmark::State& state) {
  const Workload work(static_cast<Kind>(state.range(0)));
  auto current = work.population();
  auto next = work.population();
  NullBuffer sink;
  std::ostream out(&sink);
  Statistics statistics;
  statistics.compute(*current);
  double serial = 0.0, whole = 0.0;
  for (auto _ : state) {
    Population copy(*current);
    serial += milliseconds([&] {
      copy.quickSort(0, copy.getSize() - 1);
      double cumulative = 0.0;
      for (const auto& individual : copy.getGenome()) cumulative += individual->getFitness();
      benchmark::DoNotOptimize(cumulative);
      Statistics figures;
      figures.compute(copy);
      figures.report(1, out);
    });
    whole += milliseconds([&] {
      current->reproduce(0.9f, work.mutation(), next, statistics);
      std::swap(current, next);
      statistics.compute(*current);
      statistics.report(1, out);
    });
  }
  const double share = serial / whole;
  state.counters["serial_share"] = share;
  state.counters["amdahl_2"] = 1.0 / (share + (1.0 - share) / 2.0);
  state.counters["amdahl_16"] = 1.0 / (share + (1.0 - share) / 16.0);
  state.counters["amdahl_64"] = 1.0 / (share + (1.0 - share) / 64.0);
}
BENCHMARK(BM_SerialShare)
    ->Arg(P2)->Arg(TspPermutation)->Arg(TspPmx)
    ->ArgName("kind")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->UseRealTime();

}  // namespace
