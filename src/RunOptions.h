// The options among the command-line arguments from the third on:
//   --seed N      generator 0 seeded from N as from a clock reading of N
//   --log FILE    one CSV row per report to FILE
//   -ss SCHEME    the selection scheme: rw, tour, tour:K or rank
// Each option takes the next argument as its value (none: the value is
// empty). Of a repeated option only the last counts; the earlier ones are
// not looked at. Every other argument is ignored. Used once, by main.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Enums.h"

class LogFile;

class RunOptions {
 public:
  struct Refusal {
    std::string line;  // empty: every option was accepted
    bool withUsage = false;
  };

  // Checks the options that count from left to right and stops at the first
  // refusal. The log file is created when its option is checked.
  Refusal parse(int argc, const char* const argv[]);

  bool isSeeded() const { return seeded; }
  uint32_t getSeed() const { return seed; }
  SelectionModel getSelectionModel() const { return selectionModel; }
  int getTournamentSize() const { return tournamentSize; }
  // nullptr without --log.
  const std::shared_ptr<LogFile>& getLog() const { return log; }

 private:
  Refusal check(const std::string& option, const std::string& value);
  Refusal checkScheme(const std::string& value);

  bool seeded = false;
  uint32_t seed = 0;
  SelectionModel selectionModel = RouletteWheelSelection;
  int tournamentSize = 2;
  std::shared_ptr<LogFile> log;
};
