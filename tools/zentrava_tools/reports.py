"""Reads the saved standard output of one zentrava run, or the --log file of one.

Each report becomes a Report record. Fitness figures and distances stay the text that
was printed, so a CSV written from them holds exactly the printed digits (two decimals in
a report, 17 significant digits in a log); `value()` turns one into a float.

Input that is not a zentrava report is refused with the line where it stops making
sense. Input that ends inside a report, as the output of an interrupted run does, gives
the complete reports before it and says where it was cut (Run.cut_off).
"""

import csv
import io
import math
import re
from dataclasses import dataclass, field
from typing import Optional

from .cli import ToolError

# The columns of `zentrava-report --csv` and of zentrava's --log file.
COLUMNS = ("generation", "maximum", "mean", "minimum", "sum",
           "crossovers", "mutations", "best_distance")

DASHES = "-" * 45
MODES = {"Sequential": "sequential", "Parallel": "parallel"}
OBJECTIVES = {"Power of Two ": "p2", "Power of Ten": "p10", "TSP": "tsp"}
_SELECTION = re.compile(r"Roulette Wheel|Tournament of [1-9][0-9]*|Linear Rank")
_NUMBER = re.compile(r" *(-?(?:[0-9]+\.[0-9][0-9]|inf|nan))")
_COUNTERS = re.compile(r"Crossovers: *([0-9]+)\tMutations: *([0-9]+)")
_LOG_NUMBER = re.compile(r"-?(?:(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][-+]?[0-9]+)?|inf|nan)")
_TOUR = re.compile(r"-?[0-9]+(?:>-?[0-9]+)*")
_PROMPTS = {
    "Enter Population size> \t\t": "size",
    "Population size must be divisible by 2!": "odd",
    "Enter chromosome length> \t": "length",
    "Enter max. generations> \t": "generations",
    "Enter crossover probability> \t": "crossover",
    "Enter mutation probability> \t": "mutation",
}
_PROMPT = re.compile("|".join(re.escape(p) for p in _PROMPTS))


def value(text: str) -> float:
    """A printed figure as a float, `inf` and `nan` included."""
    return float(text)


@dataclass
class Report:
    generation: int
    maximum: str
    mean: str
    minimum: str
    sum: str
    crossovers: int
    mutations: int
    best_distance: str          # 0 where the run has no tours
    best_tour: Optional[list[int]] = None  # None in a log file and for bit strings

    def row(self) -> list:
        return [self.generation, self.maximum, self.mean, self.minimum, self.sum,
                self.crossovers, self.mutations, self.best_distance]


@dataclass
class Run:
    source: str                     # the file name, for messages and titles
    objective: Optional[str] = None  # "p2", "p10" or "tsp"; None for a log file
    encoding: Optional[str] = None
    mode: Optional[str] = None
    selection: Optional[str] = None
    seed: Optional[int] = None
    header: list[str] = field(default_factory=list)  # the city file's echoed header
    city_count: Optional[int] = None
    reports: list[Report] = field(default_factory=list)
    cut_off: Optional[str] = None   # where an interrupted run's output stops

    @property
    def is_tsp(self) -> bool:
        if self.objective is not None:
            return self.objective == "tsp"
        # A log does not name its objective; bit strings log a distance of 0.
        return any(value(r.best_distance) > 0 for r in self.reports)

    @property
    def instance_name(self) -> Optional[str]:
        for line in self.header:
            key, colon, rest = line.partition(":")
            if colon and key.strip().upper() == "NAME":
                return rest.strip()
        return None

    @property
    def last(self) -> Report:
        return self.reports[-1]

    def describe(self) -> str:
        """One line naming the run, for summaries and chart titles."""
        if self.objective is None:
            return f"log file {self.source}"
        words = ["pmx" if self.encoding == "pmx" else self.objective, self.mode]
        if self.is_tsp:
            name = self.instance_name
            words += [f"on {name}" if name else "on", f"({self.city_count} cities)"]
        extras = []
        if self.selection != "Roulette Wheel":
            extras.append(self.selection.lower())
        if self.seed is not None:
            extras.append(f"seed {self.seed}")
        return ", ".join([" ".join(words)] + extras)


def read_run(text: str, source: str) -> Run:
    """A run from a saved report or from a --log file, told apart by the first line."""
    if not text:
        raise ToolError(f"'{source}' is empty")
    if text.startswith(COLUMNS[0] + ","):
        return _read_log(text, source)
    return _ReportReader(text, source).read()


class _CutOff(Exception):
    """The input ended where more of the run was due."""


class _ReportReader:
    def __init__(self, text: str, source: str):
        self.source = source
        self.lines = text.split("\n")
        # A file ends with a line end, which leaves one empty string; anything else
        # there is a line cut short.
        self.partial = self.lines.pop() != ""
        if self.partial:
            self.lines.append(text.rsplit("\n", 1)[-1])
        self.at = 0
        self.run = Run(source)

    # --- line access -------------------------------------------------------
    def _line(self) -> str:
        if self.at >= len(self.lines):
            raise _CutOff
        return self.lines[self.at]

    def _stop(self, expected: str) -> ToolError:
        if self.at == len(self.lines) - 1 and self.partial:
            return _CutOff()
        found = self.lines[self.at]
        shown = found if len(found) <= 60 else found[:57] + "..."
        return ToolError(f"'{self.source}' is not a zentrava report: line {self.at + 1}"
                         f" should be {expected}, but reads {shown!r}")

    def _expect(self, text: str) -> None:
        if self._line() != text:
            raise self._stop(repr(text))
        self.at += 1

    def _after(self, label: str, pattern: re.Pattern, what: str) -> re.Match:
        line = self._line()
        match = pattern.fullmatch(line, len(label)) if line.startswith(label) else None
        if match is None:
            raise self._stop(f"{label!r} and {what}")
        self.at += 1
        return match

    def _number(self, label: str) -> str:
        return self._after(label, _NUMBER, "a number").group(1)

    def _choice(self, label: str, table: dict) -> str:
        line = self._line()
        rest = line[len(label):] if line.startswith(label) else None
        if rest not in table:
            raise self._stop(" or ".join(repr(label + k) for k in table))
        self.at += 1
        return table[rest]

    # --- the parts of a run ------------------------------------------------
    def read(self) -> Run:
        try:
            self._configuration()
            if self.run.objective == "tsp":
                self._cities()
            self._dialogue()
            self._initial_report()
        except _CutOff:
            raise ToolError(f"'{self.source}' ends at line {self.at + 1}, before its"
                            " initial report is complete") from None
        self._generation_reports()
        return self.run

    def _configuration(self) -> None:
        for text in ("", "*** Zentrava ***", "Version 1.0, 15-03-2009", "",
                     "Run Configuration"):
            self._expect(text)
        run = self.run
        run.mode = self._choice("Mode: \t\t\t", MODES)
        run.selection = self._after("Selection Scheme: \t", _SELECTION,
                                    "a selection scheme").group(0)
        run.objective = self._choice("Objective: \t\t", OBJECTIVES)
        if run.objective == "tsp":
            run.encoding = self._choice("Encoding: \t\t", {"Permutation": "permutation",
                                        "Permutation using PMX": "pmx"})
        else:
            run.encoding = self._choice("Encoding: \t\t", {"Binary": "binary"})
        if self._line().startswith("Seed: "):
            run.seed = int(self._after("Seed: \t\t\t", re.compile("[0-9]+"),
                                       "a seed").group(0))

    def _cities(self) -> None:
        line = self._line()
        prompt = "Enter relative path to file> \t"
        if not line.startswith(prompt):
            raise self._stop(repr(prompt))
        rest = line[len(prompt):]
        if rest.startswith("\t"):
            # Piped input: the header echo follows the prompt on its line.
            self.lines[self.at] = rest
        else:
            self.at += 1  # the typed path, echoed by a terminal
        count = re.compile("\t# of Cities read: ([0-9]+)")
        while not count.fullmatch(self._line()):
            if len(self.run.header) == 5 or not self._line().startswith("\t"):
                raise self._stop("a header line of the city file or the city count")
            self.run.header.append(self._line()[1:])
            self.at += 1
        self.run.city_count = int(count.fullmatch(self._line()).group(1))
        self.at += 1

    def _dialogue(self) -> None:
        self._expect("")
        self._expect("Initializing parameters...")
        # Piped input runs the prompts together on one line; a terminal echoes each
        # typed value and its line end after its prompt.
        expected = ["size"]
        while expected:
            line = self._line()
            matches = list(_PROMPT.finditer(line))
            if not matches or matches[0].start() != 0:
                raise self._stop("a prompt of the parameter dialogue")
            for match in matches:
                token = _PROMPTS[match.group(0)]
                if token not in expected:
                    raise self._stop("the prompt " + " or ".join(
                        repr(p) for p, t in _PROMPTS.items() if t in expected))
                expected = self._after_prompt(token)
            self.at += 1

    def _after_prompt(self, token: str) -> list[str]:
        binary = self.run.objective != "tsp"
        return {"size": ["odd", "length" if binary else "generations"],
                "odd": ["size"], "length": ["generations"],
                "generations": ["crossover"], "crossover": ["mutation"],
                "mutation": []}[token]

    def _tour(self) -> list[int]:
        return [int(t) for t in self._after("Best tour: ", _TOUR, "a tour").group(0).split(">")]

    def _finish(self, report: Report) -> None:
        report.best_distance = self._number("Best tour distance: ")
        if self.run.objective != "tsp":
            report.best_tour = None  # -1 for every gene: bit strings have no tour
        self.run.reports.append(report)
        for _ in range(2):  # two empty lines close a report, the last one too
            if self.at < len(self.lines):
                self._expect("")

    def _initial_report(self) -> None:
        while self._line() == "":
            self.at += 1
        self._expect("*** Initial Generation Statistics ***")
        self._expect(DASHES)
        maximum = self._number("Initial population maximum fitness: ")
        mean = self._number("Initial population average fitness: ")
        minimum = self._number("Initial population minimum fitness: ")
        self._expect(DASHES)
        total = self._number("Initial population sum of fitness:  ")
        self._finish(Report(0, maximum, mean, minimum, total, 0, 0, "", self._tour()))

    def _generation_reports(self) -> None:
        while self.at < len(self.lines):
            generation = len(self.run.reports)
            start = self.at
            try:
                if self._line() == "" and all(l == "" for l in self.lines[self.at:]):
                    return  # trailing empty lines
                self._expect(f"*** Generation #{generation} Report ***")
                self._expect(DASHES)
                figures = [self._number(label) for label in (
                    "Maximum fitness: ", "Average fitness: ", "Minimum fitness: ",
                    "Sum of fitness:  ")]
                self._expect(DASHES)
                counters = self._after("", _COUNTERS, "the crossover and mutation counts")
                report = Report(generation, *figures, int(counters.group(1)),
                                int(counters.group(2)), "")
                report.best_tour = self._tour()
                self._finish(report)
            except _CutOff:
                self.run.cut_off = (f"the report of generation {generation}"
                                    f" (line {start + 1})")
                return


def _read_log(text: str, source: str) -> Run:
    run = Run(source)
    lines = text.split("\n")
    partial = lines.pop() != ""
    if partial:
        lines.append(text.rsplit("\n", 1)[-1])
    if lines[0].rstrip("\r") != ",".join(COLUMNS):
        raise ToolError(f"'{source}' is not a zentrava log: line 1 should be"
                        f" {','.join(COLUMNS)!r}")
    for number, line in enumerate(lines[1:], start=2):
        last = number == len(lines)
        fields = next(csv.reader(io.StringIO(line))) if line else []
        report = _log_row(fields, len(run.reports))
        if report is None:
            if last and (partial or not line):
                if partial:
                    run.cut_off = f"the row of generation {len(run.reports)} (line {number})"
                break
            raise ToolError(f"'{source}' is not a zentrava log: line {number} should be"
                            f" the row of generation {len(run.reports)}, but reads"
                            f" {line[:60]!r}")
        run.reports.append(report)
    if not run.reports:
        raise ToolError(f"'{source}' holds no complete row")
    return run


def _log_row(fields: list[str], generation: int) -> Optional[Report]:
    if len(fields) != len(COLUMNS) or fields[0] != str(generation):
        return None
    figures, counts, distance = fields[1:5], fields[5:7], fields[7]
    if not all(_LOG_NUMBER.fullmatch(f) for f in figures + [distance]):
        return None
    if not all(c.isdigit() for c in counts):
        return None
    return Report(generation, *figures, int(counts[0]), int(counts[1]), distance)


def first_reaching(run: Run) -> int:
    """The first generation whose maximum fitness is the final one (or above it)."""
    final = value(run.last.maximum)
    for report in run.reports:
        reached = value(report.maximum)
        if reached >= final or (math.isnan(final) and math.isnan(reached)):
            return report.generation
    return run.last.generation


@dataclass
class Lengths:
    """A tour's length with unrounded distances (as zentrava scores) and with TSPLIB's
    rounded ones (nint of each edge)."""
    unrounded: float
    rounded: float


def summary(run: Run, best: Optional[Lengths] = None, optimal: Optional[Lengths] = None,
            optimal_source: str = "") -> list[str]:
    """The lines of the summary: run, generations, final best fitness, and for TSP the
    best tour's length and its gap to the optimal tour's."""
    last = run.last
    generations = f"{last.generation}"
    if run.cut_off:
        generations += f" complete (the output is cut off inside {run.cut_off})"
    lines = [("Run", run.describe()), ("Generations", generations),
             ("Best fitness", f"{last.maximum}, first reached in generation"
                              f" {first_reaching(run)}")]
    if run.is_tsp:
        if best is None:
            lines.append(("Best tour length", f"{value(last.best_distance):.2f}"))
        else:
            lines.append(("Best tour length", f"{best.unrounded:.2f}"
                          f" (TSPLIB rounded: {best.rounded:.0f})"))
        if optimal is not None:
            lines.append(("Optimal tour", f"{optimal.unrounded:.2f}"
                          f" (TSPLIB rounded: {optimal.rounded:.0f}), {optimal_source}"))
            if best is not None:
                lines.append(("Gap to optimum", f"{gap(best.unrounded, optimal.unrounded):.2f} %"
                              f" unrounded, {gap(best.rounded, optimal.rounded):.2f} % rounded"))
            else:  # a log file: its distance, but no tour to round
                lines.append(("Gap to optimum", f"{gap(value(last.best_distance), optimal.unrounded):.2f}"
                              " % unrounded (the log holds no tour to round)"))
    return [f"{label + ':':<18}{text}" for label, text in lines]


def gap(length: float, optimal: float) -> float:
    """How much longer than the optimal tour, in per cent of it."""
    return (length - optimal) / optimal * 100.0


def to_csv(run: Run) -> str:
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(COLUMNS)
    writer.writerows(r.row() for r in run.reports)
    return out.getvalue()
