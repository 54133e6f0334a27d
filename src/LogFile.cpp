#include "LogFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "Statistics.h"

namespace {

[[noreturn]] void fail(const std::string& line) {
  std::cerr << line << std::endl;
  std::exit(1);
}

}  // namespace

bool LogFile::open(const std::string& name) {
  path = name;
  file.open(path, std::ios::out | std::ios::trunc);
  // 17 significant digits read back as the very double that was written.
  file.precision(17);
  return file.is_open();
}

void LogFile::write(int generation, const Statistics& statistics) {
  if (generation == 0) file << kHeader << '\n';
  file << generation << ',' << statistics.getMaxFitness() << ',' << statistics.getAvgFitness()
       << ',' << statistics.getMinFitness() << ',' << statistics.getSumFitness() << ','
       << statistics.getCrosses() << ',' << statistics.getMutations() << ','
       << statistics.getBestTourDistance() << std::endl;
  if (!file) {
    fail("Error: Cannot write to the log file '" + path + "': " + std::strerror(errno) + "!");
  }
}
