#include "GAFactory.h"

#include <strings.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <system_error>

#include "BinaryEncoded.h"
#include "EnhancedGeneticAlgorithm.h"
#include "LinearRank.h"
#include "PermutationEncoded.h"
#include "PmxEncoded.h"
#include "Population.h"
#include "PowerOfTen.h"
#include "PowerOfTwo.h"
#include "ProcessLimits.h"
#include "RNG.h"
#include "RouletteWheel.h"
#include "Tournament.h"
#include "Tsp.h"

namespace {

[[noreturn]] void fail(const std::string& line) {
  std::cerr << line << std::endl;
  std::exit(1);
}

void failOn(const std::string& error) {
  if (!error.empty()) fail(error);
}

// Typed values and the path are words of at most kMaxWord characters, lines
// of the city file at most kMaxLine: a longer one is refused as soon as it
// passes the limit, so that no input makes the reader hold more.
constexpr size_t kMaxWord = 4096;
constexpr size_t kMaxLine = 1048576;

// White space a line may hold besides its fields; a line of nothing else is
// an empty line. Blanks separate fields, so they are not among it.
bool isLineSpace(char c) { return c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Text of the input for an error line: bytes other than printable ASCII as
// \xNN, at most 60 characters.
std::string visible(const std::string& text) {
  std::string shown;
  for (const unsigned char c : text) {
    char piece[5] = {static_cast<char>(c), '\0'};
    if (c < 0x20 || c > 0x7e) std::snprintf(piece, sizeof piece, "\\x%02X", c);
    if (shown.size() + std::strlen(piece) > 60) break;
    shown += piece;
  }
  return shown;
}

enum class Word { kRead, kMissing, kTooLong };

// The next white-space-delimited word, as formatted extraction into a string
// takes it, but read no further than one character past kMaxWord.
Word readWord(std::istream& in, std::string& word) {
  word.clear();
  const std::istream::sentry skippedSpace(in);  // also flushes the prompt
  if (!skippedSpace) return Word::kMissing;
  std::streambuf& text = *in.rdbuf();
  const std::locale locale = in.getloc();
  int c = text.sgetc();
  for (; c != EOF && !std::isspace(static_cast<char>(c), locale); c = text.snextc()) {
    if (word.size() == kMaxWord) return Word::kTooLong;
    word += static_cast<char>(c);
  }
  if (c == EOF) in.setstate(std::ios::eofbit);
  return Word::kRead;
}

// A value is one whole word that extraction into the field's type reads to
// its last character: "4abc" or "4.5" for a whole number is no value.
template <class T>
bool readValue(std::istream& in, T& value) {
  std::string word;
  if (readWord(in, word) != Word::kRead) return false;
  std::istringstream text(word);
  return text >> value && text.peek() == std::char_traits<char>::eof();
}

enum class LineEnd { kNewline, kEndOfFile, kNone, kTooLong };

// One line without its newline; kEndOfFile when the file ends it instead,
// kNone when the file has ended before it.
LineEnd readLine(std::streambuf& text, std::string& line) {
  line.clear();
  for (int c = text.sbumpc(); c != '\n'; c = text.sbumpc()) {
    if (c == EOF) return line.empty() ? LineEnd::kNone : LineEnd::kEndOfFile;
    if (line.size() == kMaxLine) return LineEnd::kTooLong;
    line += static_cast<char>(c);
  }
  return LineEnd::kNewline;
}

// Consumes the rest of the file while it holds only line ends and white space
// other than blanks; true when that reaches the end.
bool onlyEmptyLinesLeft(std::streambuf& text) {
  int c = text.sgetc();
  while (c != EOF && (c == '\n' || isLineSpace(static_cast<char>(c)))) c = text.snextc();
  return c == EOF;
}

std::string invalidValue(const char* what) {
  return std::string("Error: Invalid or missing value for the ") + what + "!";
}

// Like atoi, but an id beyond the int range, or with anything after its
// digits, is refused. A field without digits is id 0, as atoi has it.
bool parseId(const std::string& field, int& id) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(field.c_str(), &end, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
  if (end != field.c_str() && end != field.c_str() + field.size()) return false;
  id = static_cast<int>(value);
  return true;
}

// A number strtod reads, followed by nothing but white space.
bool parseCoordinate(const std::string& field, double& value) {
  const char* start = field.c_str();
  char* end = nullptr;
  value = std::strtod(start, &end);
  if (end == start) return false;
  return std::all_of(field.begin() + (end - start), field.end(),
                     [](char c) { return c == ' ' || isLineSpace(c); });
}

// One record line "id x y", its line end removed: the city added, or the
// error line. A record that stops before its y field is cut short when
// nothing but empty lines follows it in the file, and malformed otherwise.
std::string readRecord(const std::string& line, int number, std::streambuf& rest, CityMap& cities) {
  const auto notARecord = [&] {
    return "Error: Line " + std::to_string(number) +
           " of the city file is not a record 'id x y': '" + visible(line) + "'!";
  };
  const size_t idEnd = line.find(' ');
  const std::string idField = line.substr(0, idEnd);
  if (idField.empty()) return notARecord();
  int id = 0;
  if (!parseId(idField, id)) return "Error: Invalid city id '" + visible(idField) + "'!";
  const size_t xEnd = idEnd == std::string::npos ? idEnd : line.find(' ', idEnd + 1);
  if (xEnd == std::string::npos || xEnd + 1 == line.size()) {
    if (!onlyEmptyLinesLeft(rest)) return notARecord();
    return "Error: The city file ends inside the record of city " + std::to_string(id) + "!";
  }
  double x = 0.0;
  double y = 0.0;
  if (line[xEnd + 1] == ' ' || !parseCoordinate(line.substr(idEnd + 1, xEnd - idEnd - 1), x) ||
      !parseCoordinate(line.substr(xEnd + 1), y)) {
    return notARecord();
  }
  if (!std::isfinite(x) || !std::isfinite(y)) {
    return "Error: City " + std::to_string(id) + " has a coordinate that is not a finite number!";
  }
  cities.emplace(id, std::make_shared<City>(id, x, y));
  return "";
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

// A heap block of that many bytes as malloc lays it out: one size word more,
// in steps of 16 bytes, four words at least.
double heapBlock(double bytes) {
  const double word = sizeof(size_t);
  return std::max(4.0 * word, 16.0 * std::ceil((bytes + word) / 16.0));
}

// About what one individual takes: its block from make_shared (the object and
// its reference counts), its gene vectors, and its slots in the population's
// vectors (handle, running sum, sort key).
double individualBytes(Encoding encoding, int length) {
  const double counts = 2.0 * sizeof(long);
  const double slots = sizeof(std::shared_ptr<Individual>) + 2.0 * sizeof(double);
  switch (encoding) {
    case PermutationEncoding:
      return heapBlock(sizeof(PermutationEncoded) + counts) + heapBlock(sizeof(int) * length) +
             heapBlock(length + 1.0) + slots;
    case PmxEncoding:
      return heapBlock(sizeof(PmxEncoded) + counts) + heapBlock(sizeof(int) * length) +
             heapBlock(sizeof(int) * (length + 1.0)) + slots;
    default:
      return heapBlock(sizeof(BinaryEncoded) + counts) +
             heapBlock(sizeof(uint64_t) * ((length + 63) / 64)) + slots;
  }
}

// The bytes this process may use: the lower of physical memory, its
// address-space limit and what a pointer can address.
double availableBytes() {
  double bytes = static_cast<double>(SIZE_MAX);
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) bytes = std::min(bytes, static_cast<double>(pages) * pageSize);
  rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    bytes = std::min(bytes, static_cast<double>(limit.rlim_cur));
  }
  return bytes;
}

}  // namespace

double GAFactory::populationBytes(Encoding encoding, int length, int size) {
  return individualBytes(encoding, length) * size;
}

std::shared_ptr<GeneticAlgorithm> GAFactory::createGA(Mode mode, Objective objective,
                                                      Encoding encoding,
                                                      SelectionModel selectionModel, RNG_Type) {
  // Before the first draw, which comes with the first individual.
  if (options.isSeeded()) RNG::pinClock(options.getSeed());
  if (mode == Parallel) refuseExcessThreads();
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

  std::shared_ptr<SelectionScheme> selectionScheme;
  if (selectionModel == RouletteWheelSelection) {
    selectionScheme = std::make_shared<RouletteWheel>();
    std::cout << "Selection Scheme: \tRoulette Wheel" << std::endl;
  } else if (selectionModel == TournamentSelection) {
    tournamentSize = options.getTournamentSize();
    selectionScheme = std::make_shared<Tournament>(tournamentSize);
    std::cout << "Selection Scheme: \tTournament of " << tournamentSize << std::endl;
  } else if (selectionModel == LinearRankSelection) {
    selectionScheme = std::make_shared<LinearRank>();
    std::cout << "Selection Scheme: \tLinear Rank" << std::endl;
  } else {
    fail("Error: No selection scheme selected!");
  }

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
  // Refused now rather than after minutes of building what cannot fit.
  const double mebibyte = 1024.0 * 1024.0;
  const double needed = 2.0 * populationBytes(encoding, chromosomeLength, populationSize);
  const double available = availableBytes();
  if (needed > available) {
    const auto neededMiB = static_cast<uint64_t>(std::ceil(needed / mebibyte));
    const auto availableMiB = static_cast<uint64_t>(available / mebibyte);
    fail("Error: The populations need about " + std::to_string(neededMiB) + " MiB, more than the " +
         std::to_string(availableMiB) + " MiB available!");
  }
  auto first = std::make_shared<Population>(populationSize, chromosomeLength, encoding,
                                            maxGeneration, fitnessFunction, selectionScheme);
  auto second = std::make_shared<Population>(populationSize, chromosomeLength, encoding,
                                             maxGeneration, fitnessFunction, selectionScheme);
  return std::make_shared<EnhancedGeneticAlgorithm>(mode, crossoverProbability, mutationProbability,
                                                    first, second, std::cout, options.getLog());
}

void GAFactory::readCities(CityMap& cities) { failOn(readCities(std::cin, std::cout, cities)); }

std::string GAFactory::readCities(std::istream& in, std::ostream& out, CityMap& cities) {
  out << "Enter relative path to file> \t" << std::flush;
  std::string path;
  const Word read = readWord(in, path);
  if (read == Word::kMissing) return "Error: No path to a city file was given!";
  if (read == Word::kTooLong) {
    return "Error: The path of the city file is longer than " + std::to_string(kMaxWord) +
           " characters!";
  }
  const std::string unopenable = "Error: Cannot open city file '" + path + "'!";
  // The system would open the path only up to its first NUL byte.
  if (path.find('\0') != std::string::npos) return unopenable;
  std::ifstream file(path);
  // A directory opens like a file on Linux and then reads as an empty one.
  std::error_code notADirectory;
  if (!file || std::filesystem::is_directory(path, notADirectory)) return unopenable;
  return readCityFile(file, out, cities);
}

std::string GAFactory::readCityFile(std::istream& file, std::ostream& out, CityMap& cities) {
  std::streambuf& text = *file.rdbuf();
  std::string line;
  int number = 0;
  const auto tooLong = [&number] {
    return "Error: Line " + std::to_string(number) + " of the city file is longer than " +
           std::to_string(kMaxLine) + " characters!";
  };

  // Six header lines: the first five are echoed as they are, the sixth
  // dropped. A line cut off by the end of the file ends the header and the file.
  for (number = 1; number <= 6; ++number) {
    const LineEnd end = readLine(text, line);
    if (end == LineEnd::kTooLong) return tooLong();
    if (end != LineEnd::kNewline) return checkIds(cities);
    if (number < 6) out << '\t' << line << std::endl;
  }

  // Records "id x y" on single blanks, until "EOF" or the end of the file.
  for (number = 7;; ++number) {
    const LineEnd end = readLine(text, line);
    if (end == LineEnd::kTooLong) return tooLong();
    if (end == LineEnd::kNone) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (std::all_of(line.begin(), line.end(), isLineSpace)) continue;
    if (strcasecmp(trimmed(line.substr(0, line.find(' '))).c_str(), "EOF") == 0) break;
    const std::string error = readRecord(line, number, text, cities);
    if (!error.empty()) return error;
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
    if (!readValue(in, populationSize)) return invalidValue("population size");
    if ((populationSize & 1) == 0) break;
  }
  if (populationSize <= 0) return "Error: Population size must be greater than 0!";
  if (populationSize < tournamentSize) {
    return "Error: A tournament of " + std::to_string(tournamentSize) +
           " needs a population of at least " + std::to_string(tournamentSize) + "!";
  }
  if (encoding == BinaryEncoding) {
    out << "Enter chromosome length> \t" << std::flush;
    if (!readValue(in, chromosomeLength)) return invalidValue("chromosome length");
    if (chromosomeLength < 1 || chromosomeLength > kMaxChromosomeLength) {
      return "Error: Chromosome length must be between 1 and " +
             std::to_string(kMaxChromosomeLength) + "!";
    }
  }
  out << "Enter max. generations> \t" << std::flush;
  if (!readValue(in, maxGeneration)) return invalidValue("number of generations");
  out << "Enter crossover probability> \t" << std::flush;
  if (!readValue(in, crossoverProbability)) return invalidValue("crossover probability");
  out << "Enter mutation probability> \t" << std::flush;
  if (!readValue(in, mutationProbability)) return invalidValue("mutation probability");
  out << std::endl;
  return "";
}
