// The run's choices, decoded from the command line and handed to the run assembly.
#pragma once

// A fixed underlying type makes every int a valid value, so that the checks
// for a value outside the list (the run assembly's errors, the factory's
// bit-string default) are defined behaviour.
enum Mode : int { Sequential = 0, Parallel = 1 };
enum Objective : int { PowerOfTwoObjective = 0, PowerOfTenObjective = 1, TspObjective = 2 };
enum Encoding : int { BinaryEncoding = 0, PermutationEncoding = 1, PmxEncoding = 2 };
enum SelectionModel : int {
  RouletteWheelSelection = 0,
  TournamentSelection = 1,
  LinearRankSelection = 2
};
enum RNG_Type : int { DefaultRng = 0 };
