#include "LogFile.h"

#include <cerrno>

#include "ProcessLimits.h"
#include "Statistics.h"

bool LogFile::open(const std::string& name) {
  path = name;
  // Appending creates the file without emptying one that exists: a run
  // refused later, for a bad parameter, must not cost the old log.
  file.open(path, std::ios::out | std::ios::app);
  return file.is_open();
}

void LogFile::write(int generation, const Statistics& statistics) {
  if (generation == 0) {
    // The run has begun: now the old content goes.
    file.close();
    file.open(path, std::ios::out | std::ios::trunc);
    // 17 significant digits read back as the very double that was written.
    file.precision(17);
    file << kHeader << '\n';
  }
  file << generation << ',' << statistics.getMaxFitness() << ',' << statistics.getAvgFitness()
       << ',' << statistics.getMinFitness() << ',' << statistics.getSumFitness() << ','
       << statistics.getCrosses() << ',' << statistics.getMutations() << ','
       << statistics.getBestTourDistance() << std::endl;
  if (!file) {
    const int error = errno;
    endOnFailedWrite("the log file '" + path + "'", error);
  }
}
