#include "Statistics.h"

#include <charconv>
#include <iomanip>

#include "Individual.h"
#include "Population.h"

namespace {

const char* const kDashes = "---------------------------------------------";

// The ids as "%i" writes them; to_chars gives the same digits without a
// format to parse for every id, which a generation's report would pay on
// the initial thread while the team waits.
void appendTour(std::string& text, const Individual& individual) {
  const int length = individual.getLength();
  char number[16];
  for (int i = 0; i < length; ++i) {
    const auto end = std::to_chars(number, number + sizeof number, individual.getCityId(i)).ptr;
    text.append(number, end);
    if (i + 1 < length) text += '>';
  }
}

// Both reports switch the stream to 2 fixed decimals after their first
// dashes line, and leave it so.
void dashesThenFixed(std::ostream& out) {
  out << kDashes << std::endl;
  out.precision(2);
  out.setf(std::ios::fixed, std::ios::floatfield);
}

}  // namespace

void Statistics::compute(const Population& population) {
  const int n = population.getSize();
  const auto& genome = population.getGenome();
  double f = genome[0]->getFitness();
  sumFitness = f;
  maxFitness = f;
  minFitness = f;
  int best = 0;
  for (int i = 1; i < n; ++i) {
    f = genome[i]->getFitness();
    sumFitness += f;
    if (f > maxFitness) {
      maxFitness = f;
      best = i;
    } else if (f < minFitness) {
      minFitness = f;
    }
  }
  avgFitness = sumFitness / static_cast<double>(n);
  // Built once for the fittest, into the string's existing capacity.
  bestTour.clear();
  appendTour(bestTour, *genome[best]);
  bestTourDistance = genome[best]->getDistance();
}

std::string Statistics::tourToString(const Individual& individual) {
  std::string text;
  appendTour(text, individual);
  return text;
}

void Statistics::initialReport(std::ostream& out) {
  out << std::endl;
  out << "*** Initial Generation Statistics ***" << std::endl;
  dashesThenFixed(out);
  out << "Initial population maximum fitness: " << std::setw(8) << maxFitness << std::endl;
  out << "Initial population average fitness: " << std::setw(8) << avgFitness << std::endl;
  out << "Initial population minimum fitness: " << std::setw(8) << minFitness << std::endl;
  out << kDashes << std::endl;
  out << "Initial population sum of fitness:  " << std::setw(8) << sumFitness << std::endl;
  out << "Best tour: " << bestTour << std::endl;
  out << "Best tour distance: " << bestTourDistance << std::endl;
  out << std::endl;
  out << std::endl;
}

void Statistics::report(int generation, std::ostream& out) {
  out << "*** Generation #" << generation << " Report ***" << std::endl;
  dashesThenFixed(out);
  out << "Maximum fitness: " << std::setw(8) << maxFitness << std::endl;
  out << "Average fitness: " << std::setw(8) << avgFitness << std::endl;
  out << "Minimum fitness: " << std::setw(8) << minFitness << std::endl;
  out << "Sum of fitness:  " << std::setw(8) << sumFitness << std::endl;
  out << kDashes << std::endl;
  out << "Crossovers: " << std::setw(8) << getCrosses() << "\tMutations: " << std::setw(8)
      << getMutations() << std::endl;
  out << "Best tour: " << bestTour << std::endl;
  out << "Best tour distance: " << bestTourDistance << std::endl;
  out << std::endl;
  out << std::endl;
}
