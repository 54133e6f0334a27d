// The run's choices, decoded from the command line and handed to the run assembly.
#pragma once

enum Mode { Sequential = 0, Parallel = 1 };
enum Objective { PowerOfTwoObjective = 0, PowerOfTenObjective = 1, TspObjective = 2 };
enum Encoding { BinaryEncoding = 0, PermutationEncoding = 1, PmxEncoding = 2 };
enum SelectionModel { RouletteWheelSelection = 0 };
enum RNG_Type { DefaultRng = 0 };
