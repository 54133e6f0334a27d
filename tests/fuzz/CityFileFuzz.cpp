// Feeds arbitrary bytes to the city-file reader as the content of an opened
// file. A read must end, either refused with an error line or with cities
// numbered exactly 1..n at finite coordinates, which the objective can score.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "City.h"
#include "Enums.h"
#include "GAFactory.h"
#include "Individual.h"
#include "IndividualFactory.h"
#include "Tsp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  CityMap cities;
  const std::string error = GAFactory::readCityFile(file, out, cities);
  if (!error.empty()) {
    if (error.rfind("Error: ", 0) != 0) std::abort();
    return 0;
  }

  int expected = 1;
  for (const auto& entry : cities) {
    const City& city = *entry.second;
    if (entry.first != expected++ || city.id != entry.first) std::abort();
    if (!std::isfinite(city.x) || !std::isfinite(city.y)) std::abort();
  }
  // A successful read is a run's input: score one random tour through it.
  const auto tsp = std::make_shared<Tsp>(cities);
  const auto tour =
      IndividualFactory().createIndividual(static_cast<int>(cities.size()), PermutationEncoding, tsp);
  if (tour->getDistance() < 0.0) std::abort();
  return 0;
}
