// Feeds arbitrary bytes to the run-parameter dialogue; the first byte picks
// the encoding. The dialogue must end (an odd size is asked again, but the
// input runs out), and whatever it accepts must be a size the populations can
// be built with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Enums.h"
#include "GAFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Encoding encoding = static_cast<Encoding>(data[0] % 3);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::ostringstream out;
  GAFactory factory;
  const std::string error = factory.readParameters(encoding, in, out);
  if (!error.empty()) {
    if (error.rfind("Error: ", 0) != 0) std::abort();
    return 0;
  }

  if (factory.getPopulationSize() <= 0 || factory.getPopulationSize() % 2 != 0) std::abort();
  if (encoding == BinaryEncoding && (factory.getChromosomeLength() < 1 ||
                                     factory.getChromosomeLength() > GAFactory::kMaxChromosomeLength)) {
    std::abort();
  }
  return 0;
}
