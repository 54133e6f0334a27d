// dicebench: draws from the per-thread generator, first on the initial thread
// and then from every thread of a team, and prints the average of the draws
// and their mean squared deviation from 0.5.
#include <omp.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <exception>
#include <iomanip>
#include <iostream>
#include <vector>

#include "ProcessLimits.h"
#include "RNG.h"
#include "ThreadBlock.h"

namespace {

void usage(const char* programName) {
  std::cerr << "*** Random Number Generator -- Test Program" << std::endl;
  std::cerr << "Usage: " << programName << " <NUM_ITERATIONS> <NUM_TESTRUNS>" << std::endl;
  std::cerr << "NUM_ITERATIONS: Number of iterations to be done" << std::endl;
  std::cerr << "NUM_TESTRUNS:Number of test runs to execute" << std::endl;
}

// A count written as decimal digits alone, 1 to 2147483647; otherwise the
// error line and the usage text.
int countOrRefuse(const char* programName, const char* name, const char* text) {
  long long value = 0;
  const char* digit = text;
  for (; *digit >= '0' && *digit <= '9' && value <= INT_MAX; ++digit) {
    value = value * 10 + (*digit - '0');
  }
  if (*digit != '\0' || digit == text || value < 1 || value > INT_MAX) {
    std::cerr << "Error: " << name << " must be a whole number from 1 to " << INT_MAX << "!"
              << std::endl;
    usage(programName);
    std::exit(1);
  }
  return static_cast<int>(value);
}

void printResult(int run, double sum, double squares, int iterations) {
  std::cout << std::setw(2) << run << ":    Average: " << std::setw(10) << sum / iterations
            << "        Variance: " << std::setw(10) << squares / iterations << std::endl;
}

}  // namespace

int main(int argc, char* argv[]) try {
  watchFailures();
  const char* programName = argc > 0 ? argv[0] : "dicebench";
  if (argc < 3) {
    usage(programName);
    return 1;
  }
  const int iterations = countOrRefuse(programName, "NUM_ITERATIONS", argv[1]);
  const int testRuns = countOrRefuse(programName, "NUM_TESTRUNS", argv[2]);
  refuseExcessThreads();

  std::cout << std::endl;
  std::cout << "*** Random Number Generator -- Test Program" << std::endl;
  std::cout << "Version 1.0, 14-01-2009" << std::endl;
  std::cout << std::endl;
  std::cout << "Running configuration..." << std::endl;
  std::cout << "Iterations: " << iterations << std::endl;
  std::cout << "Test runs: " << testRuns << std::endl;
  std::cout << std::endl;
  std::cout << std::fixed;

  std::cout << "Sequential Runs" << std::endl;
  for (int run = 1; run <= testRuns; ++run) {
    double sum = 0.0;
    double squares = 0.0;
    for (int i = 0; i < iterations; ++i) {
      const double d = RNG::getInstance()->random();
      sum += d;
      squares += (d - 0.5) * (d - 0.5);
    }
    printResult(run, sum, squares, iterations);
  }

  const int processors = omp_get_max_threads();
  std::cout << std::endl;
  std::cout << "Parallel Runs with " << processors << " processors" << std::endl;
  std::vector<double> sums(processors);
  std::vector<double> squares(processors);
  // The table must exist before any thread of the team asks for its entry.
  RNG::getInstance();
  for (int run = 1; run <= testRuns; ++run) {
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(squares.begin(), squares.end(), 0.0);
#pragma omp parallel
    {
      const int thread = omp_get_thread_num();
      const ThreadBlock block = ThreadBlock::of(thread, omp_get_num_threads(), iterations);
      for (int i = block.begin; i < block.end; ++i) {
        const double d = RNG::getInstance()->random();
        sums[thread] += d;
        squares[thread] += (d - 0.5) * (d - 0.5);
      }
    }
    double sum = 0.0;
    double squareSum = 0.0;
    for (int t = 0; t < processors; ++t) {
      sum += sums[t];
      squareSum += squares[t];
    }
    printResult(run, sum, squareSum, iterations);
  }
  return 0;
} catch (const std::exception&) {
  endOnFailedOutput();
}
