// Parent selection. Stateless: one instance serves both populations and all
// reproduction threads at once; select writes nothing but its locals and the
// calling thread's generator.
#pragma once

class Population;
class Statistics;

class SelectionScheme {
 public:
  SelectionScheme() = default;
  virtual ~SelectionScheme() = default;
  SelectionScheme(const SelectionScheme&) = delete;
  SelectionScheme& operator=(const SelectionScheme&) = delete;

  // A position in the population's genome order, 0..size-1. Each scheme's
  // header lists its draws.
  virtual int select(const Population& population, const Statistics& statistics) const = 0;
  // Whether select can give two different positions for this population and
  // these statistics. Asked once per reproduction step, before its first
  // select: a scheme that cannot spares every pair the futile redraws of its
  // second parent. A scheme that cannot tell says true. Draws nothing.
  virtual bool canGiveTwoPositions(const Population&, const Statistics&) const { return true; }
};
