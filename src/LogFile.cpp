#include "LogFile.h"

#include <cerrno>

#include "ProcessLimits.h"
#include "Statistics.h"

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
    const int error = errno;
    endOnFailedWrite("the log file '" + path + "'", error);
  }
}
