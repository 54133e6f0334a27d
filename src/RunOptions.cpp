#include "RunOptions.h"

#include <strings.h>

#include <climits>
#include <map>

#include "LogFile.h"

namespace {

const char* const kOptions[] = {"--seed", "--log", "-ss"};

bool isOption(const std::string& argument) {
  for (const char* option : kOptions) {
    if (argument == option) return true;
  }
  return false;
}

// Decimal digits alone, no sign and no blanks, up to `limit`.
bool parseDigits(const std::string& text, unsigned long long limit, unsigned long long& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > limit) return false;
  }
  return true;
}

}  // namespace

RunOptions::Refusal RunOptions::parse(int argc, const char* const argv[]) {
  // Both passes step over an option's value the same way, so "--seed --log"
  // is a seed of "--log" in each.
  std::map<std::string, int> last;
  for (int i = 3; i < argc; ++i) {
    if (!isOption(argv[i])) continue;
    last[argv[i]] = i;
    ++i;
  }
  for (int i = 3; i < argc; ++i) {
    if (!isOption(argv[i])) continue;
    if (last[argv[i]] == i) {
      const Refusal refusal = check(argv[i], i + 1 < argc ? argv[i + 1] : "");
      if (!refusal.line.empty()) return refusal;
    }
    ++i;
  }
  return {};
}

RunOptions::Refusal RunOptions::check(const std::string& option, const std::string& value) {
  unsigned long long number = 0;
  if (option == "--seed") {
    if (!parseDigits(value, UINT32_MAX, number)) {
      return {"Error: Invalid seed '" + value +
              "'; a seed is a whole number from 0 to 4294967295!"};
    }
    seeded = true;
    seed = static_cast<uint32_t>(number);
  } else if (option == "--log") {
    log = std::make_shared<LogFile>();
    if (!log->open(value)) return {"Error: Cannot write the log file '" + value + "'!"};
  } else {
    return checkScheme(value);
  }
  return {};
}

RunOptions::Refusal RunOptions::checkScheme(const std::string& value) {
  unsigned long long number = 0;
  if (strcasecmp(value.c_str(), "rw") == 0) {
    selectionModel = RouletteWheelSelection;
  } else if (strcasecmp(value.c_str(), "rank") == 0) {
    selectionModel = LinearRankSelection;
  } else if (strcasecmp(value.c_str(), "tour") == 0) {
    selectionModel = TournamentSelection;
    tournamentSize = 2;
  } else if (strncasecmp(value.c_str(), "tour:", 5) == 0 &&
             parseDigits(value.substr(5), INT_MAX, number) && number >= 2) {
    selectionModel = TournamentSelection;
    tournamentSize = static_cast<int>(number);
  } else {
    return {"Error: Invalid argument, '" + value + "' is unknown!", true};
  }
  return {};
}
