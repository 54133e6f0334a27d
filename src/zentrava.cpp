// zentrava: evolves two alternating populations against the objective and in
// the mode named on the command line.
#include <strings.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#include "Enums.h"
#include "GAFactory.h"
#include "GeneticAlgorithm.h"
#include "ProcessLimits.h"
#include "RunOptions.h"

namespace {

void usage(const char* programName) {
  std::cerr << "*** Zentrava" << std::endl;
  std::cerr << "Usage: " << programName << " <OBJECTIVE> <MODE> [-ss <SELECTION_SCHEME>]"
            << std::endl;
  std::cerr << "OBJECTIVE: " << std::endl;
  std::cerr << "\ttsp = traveling salesman problem " << std::endl;
  std::cerr << "\tpmx = tsp using partially matched crossover " << std::endl;
  std::cerr << "\tp2 = PowerOfTwo" << std::endl;
  std::cerr << "\tp10 = PowerOfTen" << std::endl;
  std::cerr << "MODE:" << std::endl;
  std::cerr << "\ts = sequential" << std::endl;
  std::cerr << "\tp = parallel" << std::endl;
  std::cerr << "SELECTION_SCHEME:" << std::endl;
  std::cerr << "\trw = roulette wheel (default)" << std::endl;
}

[[noreturn]] void refuse(const char* programName, const char* argument) {
  std::cerr << "Error: Invalid argument, '" << argument << "' is unknown!" << std::endl;
  usage(programName);
  std::exit(1);
}

struct ObjectiveKeyword {
  const char* keyword;
  Objective objective;
  Encoding encoding;
};

const ObjectiveKeyword kObjectives[] = {
    {"tsp", TspObjective, PermutationEncoding},
    {"pmx", TspObjective, PmxEncoding},
    {"p2", PowerOfTwoObjective, BinaryEncoding},
    {"p10", PowerOfTenObjective, BinaryEncoding},
};

struct ModeKeyword {
  const char* keyword;
  Mode mode;
};

const ModeKeyword kModes[] = {
    {"s", Sequential},
    {"p", Parallel},
};

}  // namespace

int main(int argc, char* argv[]) try {
  watchFailures();
  const char* programName = argc > 0 ? argv[0] : "zentrava";
  if (argc <= 2) {
    usage(programName);
    return 1;
  }
  const ObjectiveKeyword* objective = nullptr;
  for (const auto& entry : kObjectives) {
    if (strcasecmp(argv[1], entry.keyword) == 0) {
      objective = &entry;
      break;
    }
  }
  if (objective == nullptr) refuse(programName, argv[1]);
  const ModeKeyword* mode = nullptr;
  for (const auto& entry : kModes) {
    if (strcasecmp(argv[2], entry.keyword) == 0) {
      mode = &entry;
      break;
    }
  }
  if (mode == nullptr) refuse(programName, argv[2]);
  RunOptions options;
  const RunOptions::Refusal refusal = options.parse(argc, argv);
  if (!refusal.line.empty()) {
    std::cerr << refusal.line << std::endl;
    if (refusal.withUsage) usage(programName);
    return 1;
  }

  GAFactory factory;
  factory.setOptions(options);
  std::shared_ptr<GeneticAlgorithm> algorithm = factory.createGA(
      mode->mode, objective->objective, objective->encoding, options.getSelectionModel(), DefaultRng);
  algorithm->run();
  return 0;
} catch (const std::exception&) {
  endOnFailedOutput();
}
