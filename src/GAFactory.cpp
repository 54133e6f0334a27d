#include "GAFactory.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "EnhancedGeneticAlgorithm.h"
#include "Population.h"
#include "PowerOfTen.h"
#include "PowerOfTwo.h"
#include "RNG.h"
#include "RouletteWheel.h"
#include "Tsp.h"

namespace {

[[noreturn]] void fail(const std::string& line) {
  std::cerr << line << std::endl;
  std::exit(1);
}

void failOn(const std::string& error) {
  if (!error.empty()) fail(error);
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string invalidValue(const char* what) {
  return std::string("Error: Invalid or missing value for the ") + what + "!";
}

// Like atoi, but an id beyond the int range is refused instead of undefined.
bool parseId(const std::string& field, int& id) {
  errno = 0;
  const long value = std::strtol(field.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
  id = static_cast<int>(value);
  return true;
}

// Ids must be 1..n, each once: tours are permutations of exactly those.
std::string checkIds(const CityMap& cities) {
  if (cities.empty()) return "Error: The city file holds no cities!";
  int expected = 1;
  for (const auto& entry : cities) {
    if (entry.first != expected) {
      return "Error: City ids must run from 1 to " + std::to_string(cities.size()) +
             " without gaps; found id " + std::to_string(entry.first) + "!";
    }
    ++expected;
  }
  return "";
}

}  // namespace

std::shared_ptr<GeneticAlgorithm> GAFactory::createGA(Mode mode, Objective objective,
                                                      Encoding encoding,
                                                      SelectionModel selectionModel, RNG_Type) {
  // Before the first draw, which comes with the first individual.
  if (options.isSeeded()) RNG::pinClock(options.getSeed());
  std::cout << std::endl;
  std::cout << "*** Zentrava ***" << std::endl;
  std::cout << "Version 1.0, 15-03-2009" << std::endl;
  std::cout << std::endl;
  std::cout << "Run Configuration" << std::endl;
  if (mode == Sequential) {
    std::cout << "Mode: \t\t\tSequential" << std::endl;
  } else if (mode == Parallel) {
    std::cout << "Mode: \t\t\tParallel" << std::endl;
  } else {
    fail("Error: No mode selected!");
  }

  if (selectionModel != RouletteWheelSelection) fail("Error: No selection scheme selected!");
  std::shared_ptr<SelectionScheme> selectionScheme = std::make_shared<RouletteWheel>();
  std::cout << "Selection Scheme: \tRoulette Wheel" << std::endl;

  // A seeded run says so right after the encoding line.
  const auto seedLine = [this] {
    if (options.isSeeded()) std::cout << "Seed: \t\t\t" << options.getSeed() << std::endl;
  };
  CityMap cities;
  std::shared_ptr<FitnessFunction> fitnessFunction;
  if (objective == PowerOfTwoObjective) {
    std::cout << "Objective: \t\tPower of Two " << std::endl;
    std::cout << "Encoding: \t\tBinary" << std::endl;
    seedLine();
    fitnessFunction = std::make_shared<PowerOfTwo>();
  } else if (objective == PowerOfTenObjective) {
    std::cout << "Objective: \t\tPower of Ten" << std::endl;
    std::cout << "Encoding: \t\tBinary" << std::endl;
    seedLine();
    fitnessFunction = std::make_shared<PowerOfTen>();
  } else if (objective == TspObjective) {
    std::cout << "Objective: \t\tTSP" << std::endl;
    if (encoding == PermutationEncoding) std::cout << "Encoding: \t\tPermutation" << std::endl;
    if (encoding == PmxEncoding) std::cout << "Encoding: \t\tPermutation using PMX" << std::endl;
    seedLine();
    readCities(cities);
    std::cout << "\t# of Cities read: " << cities.size() << std::endl;
    // A crossover needs a second position; PMX needs two cut points apart.
    const size_t needed = encoding == PmxEncoding ? 3 : 2;
    if (encoding != BinaryEncoding && cities.size() < needed) {
      fail("Error: Too few cities for this encoding; at least " + std::to_string(needed) +
           " are needed!");
    }
    chromosomeLength = static_cast<int>(cities.size());
    fitnessFunction = std::make_shared<Tsp>(cities);
  } else {
    fail("Error: No fitness function selected!");
  }

  readParameters(encoding);
  auto first = std::make_shared<Population>(populationSize, chromosomeLength, encoding,
                                            maxGeneration, fitnessFunction, selectionScheme);
  auto second = std::make_shared<Population>(populationSize, chromosomeLength, encoding,
                                             maxGeneration, fitnessFunction, selectionScheme);
  return std::make_shared<EnhancedGeneticAlgorithm>(
      mode, crossoverProbability, mutationProbability, first, second, std::cout, options.getLog());
}

void GAFactory::readCities(CityMap& cities) { failOn(readCities(std::cin, std::cout, cities)); }

std::string GAFactory::readCities(std::istream& in, std::ostream& out, CityMap& cities) {
  out << "Enter relative path to file> \t" << std::flush;
  std::string path;
  if (!(in >> path)) return "Error: No path to a city file was given!";
  std::ifstream file(path);
  // A directory opens like a file on Linux and then reads as an empty one.
  std::error_code notADirectory;
  if (!file || std::filesystem::is_directory(path, notADirectory)) {
    return "Error: Cannot open city file '" + path + "'!";
  }
  return readCityFile(file, out, cities);
}

std::string GAFactory::readCityFile(std::istream& file, std::ostream& out, CityMap& cities) {
  // Six header lines: the first five are echoed, the sixth dropped. A line
  // cut off by the end of the file ends the header and the file.
  std::string line;
  for (int count = 1; count <= 6; ++count) {
    std::getline(file, line);
    if (!file || file.eof()) return checkIds(cities);
    if (count < 6) out << '\t' << line << std::endl;
  }

  // Records "id x y" on single blanks; the id field runs across line ends, so
  // an empty line is swallowed by the next id. "EOF" or the end of the file ends.
  std::string idField;
  std::string xField;
  std::string yField;
  for (;;) {
    std::getline(file, idField, ' ');
    if (!file || file.eof() || strcasecmp(idField.c_str(), "EOF") == 0) break;
    int id = 0;
    if (!parseId(idField, id)) return "Error: Invalid city id '" + trimmed(idField) + "'!";
    std::getline(file, xField, ' ');
    if (!file || file.eof()) {
      return "Error: The city file ends inside the record of city " + std::to_string(id) + "!";
    }
    std::getline(file, yField);
    const double x = std::strtod(xField.c_str(), nullptr);
    const double y = std::strtod(yField.c_str(), nullptr);
    if (!std::isfinite(x) || !std::isfinite(y)) {
      return "Error: City " + std::to_string(id) + " has a coordinate that is not a finite number!";
    }
    cities.emplace(id, std::make_shared<City>(id, x, y));
  }
  return checkIds(cities);
}

void GAFactory::readParameters(Encoding encoding) {
  failOn(readParameters(encoding, std::cin, std::cout));
}

std::string GAFactory::readParameters(Encoding encoding, std::istream& in, std::ostream& out) {
  out << std::endl << "Initializing parameters...";
  for (bool first = true;; first = false) {
    if (!first) out << "Population size must be divisible by 2!";
    out << std::endl << "Enter Population size> \t\t" << std::flush;
    if (!(in >> populationSize)) return invalidValue("population size");
    if ((populationSize & 1) == 0) break;
  }
  if (populationSize <= 0) return "Error: Population size must be greater than 0!";
  if (encoding == BinaryEncoding) {
    out << "Enter chromosome length> \t" << std::flush;
    if (!(in >> chromosomeLength)) return invalidValue("chromosome length");
    if (chromosomeLength < 1 || chromosomeLength > kMaxChromosomeLength) {
      return "Error: Chromosome length must be between 1 and " +
             std::to_string(kMaxChromosomeLength) + "!";
    }
  }
  out << "Enter max. generations> \t" << std::flush;
  if (!(in >> maxGeneration)) return invalidValue("number of generations");
  out << "Enter crossover probability> \t" << std::flush;
  if (!(in >> crossoverProbability)) return invalidValue("crossover probability");
  out << "Enter mutation probability> \t" << std::flush;
  if (!(in >> mutationProbability)) return invalidValue("mutation probability");
  out << std::endl;
  return "";
}
