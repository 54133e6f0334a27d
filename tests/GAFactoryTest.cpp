#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "GAFactory.h"
#include "Population.h"
#include "PowerOfTwo.h"
#include "RNG.h"
#include "RouletteWheel.h"
#include "Tsp.h"

namespace {

const std::string kHeader =
    "NAME : square4\nCOMMENT : c\nTYPE : TSP\nDIMENSION : 4\nE : EUC_2D\nNODE\n";
const std::string kEcho =
    "\tNAME : square4\n\tCOMMENT : c\n\tTYPE : TSP\n\tDIMENSION : 4\n\tE : EUC_2D\n";
const std::string kSquare = "1 0 0\n2 0 3\n3 4 3\n4 4 0";
const std::string kLine = "Error: Line ";
const std::string kRecord = "of the city file is not a record 'id x y': ";

struct Read {
  std::string error;
  std::string echo;
  CityMap cities;
};

Read readFile(const std::string& text) {
  std::istringstream file(text);
  std::ostringstream out;
  Read r;
  r.error = GAFactory::readCityFile(file, out, r.cities);
  r.echo = out.str();
  return r;
}

struct Dialogue {
  std::string error;
  std::string out;
  GAFactory factory;
};

void converse(Dialogue& d, Encoding encoding, const std::string& typed) {
  std::istringstream in(typed);
  std::ostringstream out;
  d.error = d.factory.readParameters(encoding, in, out);
  d.out = out.str();
}

const std::string kStart = "\nInitializing parameters...\nEnter Population size> \t\t";
const std::string kOdd = "Population size must be divisible by 2!\nEnter Population size> \t\t";
const std::string kRest =
    "Enter max. generations> \tEnter crossover probability> \tEnter mutation probability> \t\n";

}  // namespace

TEST(GAFactoryTest, SquareIsReadWhateverTheEndOfTheFile) {
  for (const std::string ending : {"\nEOF\n", "\nEOF", "\n", "", "\neof\n", "\nEoF 9 9\n5 1 1\n"}) {
    SCOPED_TRACE(ending);
    const Read r = readFile(kHeader + kSquare + ending);
    EXPECT_EQ("", r.error);
    EXPECT_EQ(kEcho, r.echo);
    ASSERT_EQ(4u, r.cities.size());
    const double x[] = {0, 0, 4, 4};
    const double y[] = {0, 3, 3, 0};
    for (int id = 1; id <= 4; ++id) {
      EXPECT_EQ(id, r.cities.at(id)->id);
      EXPECT_EQ(x[id - 1], r.cities.at(id)->x);
      EXPECT_EQ(y[id - 1], r.cities.at(id)->y);
    }
  }
}

TEST(GAFactoryTest, ValidVariantsReadTheSquare) {
  const struct {
    std::string file, echo;
  } variants[] = {
      {kHeader + "1 0 0\r\n2 0 3\r\n3 4 3\r\n4 4 0\r\nEOF\r\n", ""},    // CRLF line ends
      {kHeader + "1 0 0 \n2 0 3\t\n3 4 3  \n4 4 0 \nEOF\n", ""},        // trailing white space
      {"\xEF\xBB\xBF" + kHeader + kSquare, "\t\xEF\xBB\xBF"},           // a byte-order mark
      {kHeader + "1 0 0\n\n2 0 3\n\t\r\n3 4 3\n4 4 0\n\nEOF\n\n", ""},  // empty lines
      {kHeader + kSquare + "\nEOF\n5 x\n", ""},                         // nothing after EOF counts
  };
  for (const auto& v : variants) {
    SCOPED_TRACE(testing::PrintToString(v.file));
    const Read r = readFile(v.file);
    EXPECT_EQ("", r.error);
    EXPECT_EQ(v.echo + (v.echo.empty() ? kEcho : kEcho.substr(1)), r.echo);
    ASSERT_EQ(4u, r.cities.size());
    EXPECT_EQ(4.0, r.cities.at(3)->x);
    EXPECT_EQ(3.0, r.cities.at(3)->y);
  }
}

TEST(GAFactoryTest, DuplicateIdKeepsTheFirstCity) {
  const Read r = readFile(kHeader + "1 0 0\n2 0 3\n3 4 3\n3 9 9\n4 4 0\nEOF\n");
  EXPECT_EQ("", r.error);
  ASSERT_EQ(4u, r.cities.size());
  EXPECT_EQ(4.0, r.cities.at(3)->x);
  EXPECT_EQ(3.0, r.cities.at(3)->y);
}

TEST(GAFactoryTest, FieldsOfAnyFormAndLength) {
  const std::string longLine(300, 'h');
  const Read r = readFile("a\nb\n" + longLine +
                          "\nd\ne\nf\n1 0 0\n2 0 3\n\n3 4 3\n4 1.2345678e+03 0.0000000001\n"
                          "5 1 1\n6 1 1\n7 12.5 -3e2\nEOF\n");
  EXPECT_EQ("", r.error);
  EXPECT_EQ("\ta\n\tb\n\t" + longLine + "\n\td\n\te\n", r.echo);
  ASSERT_EQ(7u, r.cities.size());  // the empty line was swallowed, not read as a city
  EXPECT_EQ(1234.5678, r.cities.at(4)->x);
  EXPECT_EQ(1e-10, r.cities.at(4)->y);
  EXPECT_EQ(12.5, r.cities.at(7)->x);
  EXPECT_EQ(-300.0, r.cities.at(7)->y);
}

TEST(GAFactoryTest, RefusedCityFiles) {
  const struct {
    std::string records;
    std::string error;
  } cases[] = {
      {"", "Error: The city file holds no cities!"},
      {"EOF\n", "Error: The city file holds no cities!"},
      {"1 0 0\n2 0 3\n4 4 0\n", "Error: City ids must run from 1 to 3 without gaps; found id 4!"},
      {"x 5 5\n1 0 0\n", "Error: City ids must run from 1 to 2 without gaps; found id 0!"},
      {"-1 5 5\n1 0 0\n2 0 1\n", "Error: City ids must run from 1 to 3 without gaps; found id -1!"},
      {"2 0 0\n3 0 1\n", "Error: City ids must run from 1 to 2 without gaps; found id 2!"},
      {"1 0 0\n99999999999 0 1\n", "Error: Invalid city id '99999999999'!"},
      {"1 0 0\n2 5", "Error: The city file ends inside the record of city 2!"},
      {"1 0 0\n2 inf 1\n", "Error: City 2 has a coordinate that is not a finite number!"},
      {"1 0 nan\n", "Error: City 1 has a coordinate that is not a finite number!"},
      {"1 1e999 0\n", "Error: City 1 has a coordinate that is not a finite number!"},
      // Cut short at the end of the file, with or without a line end.
      {"1 0 0\n2", "Error: The city file ends inside the record of city 2!"},
      {"1 0 0\n2\n\n", "Error: The city file ends inside the record of city 2!"},
      {"1 0 0\n2 5 ", "Error: The city file ends inside the record of city 2!"},
      {"1 0 0\n2 5 \r\n", "Error: The city file ends inside the record of city 2!"},
      // Not 'id x y' on single blanks: the line is named and shown.
      {"1 0 0\n2\nEOF\n", kLine + "8 " + kRecord + "'2'!"},
      {"1 0 0\n2 5\n3 1 1\n", kLine + "8 " + kRecord + "'2 5'!"},
      {" 1 0 0\n", kLine + "7 " + kRecord + "' 1 0 0'!"},
      {"1  0 0\n", kLine + "7 " + kRecord + "'1  0 0'!"},
      {"1 0  0\n", kLine + "7 " + kRecord + "'1 0  0'!"},
      {"1 0 0\n\n3 abc 4\r\n", kLine + "9 " + kRecord + "'3 abc 4'!"},
      {"1 0 0 9\n", kLine + "7 " + kRecord + "'1 0 0 9'!"},
      {"1 0 0x\n", kLine + "7 " + kRecord + "'1 0 0x'!"},
      {std::string("1 0 \0\n", 7), kLine + "7 " + kRecord + "'1 0 \\x00'!"},
      {"1 0 0\x01\xff\n", kLine + "7 " + kRecord + "'1 0 0\\x01\\xFF'!"},
      {"1 0 0 " + std::string(100, 'z') + "\n",
       kLine + "7 " + kRecord + "'1 0 0 " + std::string(54, 'z') + "'!"},
      {"1 0 0 " + std::string(53, 'z') + "\t",
       kLine + "7 " + kRecord + "'1 0 0 " + std::string(53, 'z') + "'!"},  // no \x09 half
      // An id with anything after its digits.
      {"2.7 0 0\n", "Error: Invalid city id '2.7'!"},
      {"3x 0 0\n", "Error: Invalid city id '3x'!"},
      {"3x\n", "Error: Invalid city id '3x'!"},  // met before the missing fields
      {"3\t 0 0\n", "Error: Invalid city id '3\\x09'!"},
      // Limits: a line of more than 1 MiB is refused before its content.
      {"1 0 0 " + std::string(1048570, 'z') + "\n",
       kLine + "7 " + kRecord + "'1 0 0 " + std::string(54, 'z') + "'!"},
      {"1 0 0 " + std::string(1048571, 'z'),
       kLine + "7 of the city file is longer than 1048576 characters!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.records.substr(0, 80)));
    const Read r = readFile(kHeader + c.records);
    EXPECT_EQ(c.error, r.error);
    EXPECT_EQ(kEcho, r.echo);
  }
  // A header cut short ends the file; its unfinished last line is not echoed.
  EXPECT_EQ("\ta\n\tb\n", readFile("a\nb\nc").echo);
  const Read longHeader = readFile("a\n" + std::string(1048577, 'h') + "\n");
  EXPECT_EQ(kLine + "2 of the city file is longer than 1048576 characters!", longHeader.error);
  EXPECT_EQ("\ta\n", longHeader.echo);
}

TEST(GAFactoryTest, ReadCitiesAsksForThePathAndOpensIt) {
  const std::string path = testing::TempDir() + "GAFactoryTest_square4.tsp";
  std::ofstream(path) << kHeader << kSquare << "\nEOF\n";
  const struct {
    std::string typed;
    std::string error;
    std::string out;
    size_t cities;
  } cases[] = {
      {"  \n " + path + "  trailing", "", kEcho, 4},
      {"", "Error: No path to a city file was given!", "", 0},
      {path + ".missing", "Error: Cannot open city file '" + path + ".missing'!", "", 0},
      {testing::TempDir(), "Error: Cannot open city file '" + testing::TempDir() + "'!", "", 0},
      {std::string(4096, 'p'), "Error: Cannot open city file '" + std::string(4096, 'p') + "'!", "",
       0},
      {std::string(4097, 'p'), "Error: The path of the city file is longer than 4096 characters!",
       "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    std::istringstream in(c.typed);
    std::ostringstream out;
    CityMap cities;
    EXPECT_EQ(c.error, GAFactory().readCities(in, out, cities));
    EXPECT_EQ("Enter relative path to file> \t" + c.out, out.str());
    EXPECT_EQ(c.cities, cities.size());
  }
  std::remove(path.c_str());
}

// The estimate that refuses runs too large to fit, against what building a
// population really takes from the heap once a small one has been built
// (what is allocated once is no part of it).
TEST(GAFactoryTest, PopulationEstimateIsNearTheHeapItTakes) {
  CityMap cities;
  for (int id = 1; id <= 1000; ++id) cities[id] = std::make_shared<City>(id, id % 37, id % 41);
  const auto powerOfTwo = std::make_shared<PowerOfTwo>();
  const auto wheel = std::make_shared<RouletteWheel>();
  const auto heap = [] {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
  };
  const struct {
    Encoding encoding;
    int length;
  } shapes[] = {{BinaryEncoding, 8},         {BinaryEncoding, 1023}, {PermutationEncoding, 51},
                {PermutationEncoding, 1000}, {PmxEncoding, 51},      {PmxEncoding, 1000}};
  RNG::getInstance();  // the generator table is no part of a population
  for (const auto& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape.encoding) + " " + std::to_string(shape.length));
    const auto objective = shape.encoding == BinaryEncoding
                               ? std::shared_ptr<FitnessFunction>(powerOfTwo)
                               : std::make_shared<Tsp>(CityMap(
                                     cities.begin(), std::next(cities.begin(), shape.length)));
    Population(2, shape.length, shape.encoding, 0, objective, wheel);
    const double before = heap();
    const Population population(400, shape.length, shape.encoding, 0, objective, wheel);
    const double taken = heap() - before;
    if (taken <= 0) GTEST_SKIP() << "the allocator reports no heap use (a sanitizer's own)";
    const double estimate = GAFactory::populationBytes(shape.encoding, shape.length, 400);
    EXPECT_GT(estimate, 0.9 * taken);
    EXPECT_LT(estimate, 1.1 * taken);
  }
}

TEST(GAFactoryTest, OddSizesAreAskedAgainAndValuesMayShareALine) {
  Dialogue d;
  converse(d, BinaryEncoding, "7\n9\n10 20 40 0.5 0.125\n");
  EXPECT_EQ("", d.error);
  EXPECT_EQ(kStart + kOdd + kOdd + "Enter chromosome length> \t" + kRest, d.out);
  EXPECT_EQ(10, d.factory.getPopulationSize());
  EXPECT_EQ(20, d.factory.getChromosomeLength());
  EXPECT_EQ(40, d.factory.getMaxGeneration());
  EXPECT_EQ(0.5f, d.factory.getCrossoverProbability());
  EXPECT_EQ(0.125f, d.factory.getMutationProbability());
}

TEST(GAFactoryTest, TourEncodingsNeverAskForTheLength) {
  for (Encoding encoding : {PermutationEncoding, PmxEncoding}) {
    Dialogue d;
    converse(d, encoding, "4\n0\n1\n0\n");
    EXPECT_EQ("", d.error);
    EXPECT_EQ(kStart + kRest, d.out);
    EXPECT_EQ(0, d.factory.getMaxGeneration());
    EXPECT_EQ(1.0f, d.factory.getCrossoverProbability());
  }
}

TEST(GAFactoryTest, RefusedParameters) {
  const std::string size = "Error: Invalid or missing value for the population size!";
  const std::string length = "Error: Invalid or missing value for the chromosome length!";
  const std::string generations = "Error: Invalid or missing value for the number of generations!";
  const std::string pc = "Error: Invalid or missing value for the crossover probability!";
  const std::string pm = "Error: Invalid or missing value for the mutation probability!";
  const std::string range = "Error: Chromosome length must be between 1 and 1023!";
  const std::string positive = "Error: Population size must be greater than 0!";
  const struct {
    std::string typed;
    std::string error;
  } cases[] = {
      {"", size},           {"x", size},
      {"7 9", size},        {"7 a", size},
      {"-3 -4", positive},  {"0 8 1 1 1", positive},
      {"2", length},        {"2 ?", length},
      {"2 0 1 1 1", range}, {"2 1024 1 1 1", range},
      {"2 8", generations}, {"2 8 g", generations},
      {"2 8 1", pc},        {"2 8 1 p", pc},
      {"2 8 1 1", pm},      {"2 8 1 1 m", pm},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Dialogue d;
    converse(d, BinaryEncoding, c.typed);
    EXPECT_EQ(c.error, d.error);
  }
  Dialogue odd;  // -3 fails the even test first; only then is -4 refused as not positive
  converse(odd, PermutationEncoding, "-3 -4 1 1 1");
  EXPECT_EQ(kStart + kOdd, odd.out);
  for (const int accepted : {1, 1023}) {
    Dialogue d;
    converse(d, BinaryEncoding, "2 " + std::to_string(accepted) + " 1 1 1");
    EXPECT_EQ("", d.error);
    EXPECT_EQ(accepted, d.factory.getChromosomeLength());
  }
}

// Each value is one word that extraction reads to its last character, and at
// most 4096 characters long.
TEST(GAFactoryTest, EachValueIsOneWholeWord) {
  const std::string what[] = {"population size", "chromosome length", "number of generations",
                              "crossover probability", "mutation probability"};
  const std::string valid[] = {"4", "8", "1", "0.5", "0.5"};
  for (int field = 0; field < 5; ++field) {
    const std::string refused[] = {"4abc", "4.5", "0x10", "1,5", std::string(4097, '1')};
    for (const std::string& bad : refused) {
      if (field >= 3 && bad == "4.5") continue;  // a probability may have a fraction
      std::string typed;
      for (int f = 0; f < 5; ++f) typed += (f == field ? bad : valid[f]) + " ";
      SCOPED_TRACE(typed.substr(0, 40));
      Dialogue d;
      converse(d, BinaryEncoding, typed);
      EXPECT_EQ("Error: Invalid or missing value for the " + what[field] + "!", d.error);
    }
  }
  Dialogue d;
  converse(d, BinaryEncoding, std::string(4095, '0') + "4\n+8 +2\t5e-3\n.25");
  EXPECT_EQ("", d.error);
  EXPECT_EQ(4, d.factory.getPopulationSize());
  EXPECT_EQ(8, d.factory.getChromosomeLength());
  EXPECT_EQ(2, d.factory.getMaxGeneration());
  EXPECT_EQ(5e-3f, d.factory.getCrossoverProbability());
  EXPECT_EQ(0.25f, d.factory.getMutationProbability());
}
