// Run assembly: prints the run configuration, reads the city file and the run
// parameters, and builds the objects of a run. Used once, on the initial
// thread. Every refusal is one "Error: ..." line on standard error and exit
// status 1; the stream-taking variants return that line instead, so that they
// can be driven without ending the process.
#pragma once

#include <iostream>
#include <memory>
#include <string>

#include "City.h"
#include "Enums.h"
#include "RunOptions.h"

class GeneticAlgorithm;

class GAFactory {
 public:
  GAFactory() = default;
  virtual ~GAFactory() = default;

  // The seed, the log file and the tournament size of the run createGA builds.
  void setOptions(const RunOptions& runOptions) { options = runOptions; }

  std::shared_ptr<GeneticAlgorithm> createGA(Mode mode, Objective objective, Encoding encoding,
                                             SelectionModel selectionModel, RNG_Type rngType);

  // Asks for the path on standard input, reads the file, echoes its header.
  // Refuses a file whose ids are not exactly 1..n.
  void readCities(CityMap& cities);
  std::string readCities(std::istream& in, std::ostream& out, CityMap& cities);
  // The city file's content once it is open.
  static std::string readCityFile(std::istream& file, std::ostream& out, CityMap& cities);

  // The population size (retried until even, and refused below the size
  // of a tournament), the chromosome length (bit strings only), the number
  // of generations and the two probabilities.
  void readParameters(Encoding encoding);
  std::string readParameters(Encoding encoding, std::istream& in, std::ostream& out);

  // About the heap one population of these individuals takes.
  static double populationBytes(Encoding encoding, int length, int size);

  int getPopulationSize() const { return populationSize; }
  int getChromosomeLength() const { return chromosomeLength; }
  int getMaxGeneration() const { return maxGeneration; }
  float getCrossoverProbability() const { return crossoverProbability; }
  float getMutationProbability() const { return mutationProbability; }

  static constexpr int kMaxChromosomeLength = 1023;

 private:
  int populationSize = 0;
  int chromosomeLength = 0;
  int maxGeneration = 0;
  float crossoverProbability = 0.0f;
  float mutationProbability = 0.0f;
  RunOptions options;
  int tournamentSize = 0;  // 0 unless the run selects by tournament
};
