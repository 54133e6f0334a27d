#include "ProcessLimits.h"

#include <omp.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

namespace {

// Another thread may still be working when an allocation fails, and what
// static destructors would flush cannot be written anyway. Standard error is
// untied first: flushing standard output may be what fails.
[[noreturn]] void fail(const char* line) {
  std::cerr.tie(nullptr);
  std::cerr << line << std::endl;
  std::_Exit(1);
}

// Builds no string: there is no memory for one.
[[noreturn]] void outOfMemory() { fail("Error: Out of memory!"); }

}  // namespace

void watchFailures() {
  std::cout.exceptions(std::ios::badbit);
  std::set_new_handler(outOfMemory);
}

void endOnFailedOutput() {
  const int error = errno;
  if (!std::cout.bad()) throw;
  endOnFailedWrite("standard output", error);
}

void endOnFailedWrite(const std::string& target, int error) {
  const std::string line =
      "Error: Cannot write to " + target + ": " + std::string(std::strerror(error)) + "!";
  fail(line.c_str());
}

void refuseExcessThreads() {
  const int threads = omp_get_max_threads();
  if (threads <= kMaxThreads) return;
  const std::string line = "Error: " + std::to_string(threads) +
                           " threads were requested; at most " + std::to_string(kMaxThreads) +
                           " are supported!";
  fail(line.c_str());
}
