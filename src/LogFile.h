// The --log file of a run: one CSV row per report, with the figures in full
// precision (the reports round them to two decimals). Opened while the
// command line is checked, written by the generation loop on the initial
// thread only.
#pragma once

#include <fstream>
#include <string>

class Statistics;

class LogFile {
 public:
  LogFile() = default;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Creates the file, leaving one that exists as it is until the first row;
  // false when it cannot be written.
  bool open(const std::string& path);
  // The row of the report of `generation` (0: the initial report, which
  // empties the file and is preceded by the header row), flushed. A failed write ends the process as
  // a failed write to standard output does.
  void write(int generation, const Statistics& statistics);

  static constexpr const char* kHeader =
      "generation,maximum,mean,minimum,sum,crossovers,mutations,best_distance";

 private:
  std::string path;
  std::ofstream file;
};
