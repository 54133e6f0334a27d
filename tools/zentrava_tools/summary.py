"""`zentrava-experiment summarize`: the complete runs of an experiment as statistics
per configuration, rank tests between configurations, per-generation bands, and a
plain-text table. Only runs whose files hold every report count; the others are named."""

from __future__ import annotations

import csv
import io
import itertools
import math
import os
from dataclasses import dataclass, field
from typing import Optional, Sequence

from . import reports, stats
from .cli import PendingFile, write_text
from .experiment import (GRID_OPTIONS, Configuration, Experiment, Job, check_run, failure,
                         read_reports)

FIELDS = ("mean", "sd", "median", "minimum", "maximum", "ci_low", "ci_high")


@dataclass
class RunResult:
    job: Job
    status: str                     # "complete", or why the run does not count
    final_fitness: Optional[float] = None
    final_length: Optional[float] = None
    last_improvement: Optional[int] = None
    fitness_curve: list[float] = field(default_factory=list)  # best so far per generation
    length_curve: list[float] = field(default_factory=list)


def collect(experiment: Experiment) -> list[RunResult]:
    results = []
    for job in experiment.jobs:
        config = experiment.configuration(job)
        output, log = experiment.run_files(job)
        failed = experiment.path("runs", job.name + ".failed")
        if not experiment.finished(job):
            results.append(RunResult(job, failure(failed) if os.path.isfile(failed)
                                     else "not run"))
            continue
        reason = check_run(config, job.seed, output, log)
        if reason is not None:
            results.append(RunResult(job, reason))
            continue
        rows = read_reports(log).reports
        maxima = [reports.value(r.maximum) for r in rows]
        fitness = stats.best_so_far(maxima)
        lengths = stats.best_so_far([reports.value(r.best_distance) for r in rows],
                                    higher_is_better=False) if config.tsp else []
        results.append(RunResult(job, "complete", fitness[-1], lengths[-1] if lengths else None,
                                 stats.last_improvement(maxima), fitness, lengths))
    return results


def varying(experiment: Experiment) -> list[str]:
    return [k for k in GRID_OPTIONS
            if len({str(c.settings()[k]) for c in experiment.configurations}) > 1]


def shown(key: str, value) -> str:
    return os.path.basename(value) if key == "cities" else str(value)


def label(experiment: Experiment, config: Configuration) -> str:
    """c<id> and the settings in which the configurations differ."""
    parts = [f"{k}={shown(k, config.settings()[k])}" for k in varying(experiment)]
    return " ".join([f"c{config.id}"] + parts)


def common_settings(experiment: Experiment, leave_out: Sequence[str] = ()) -> str:
    first = experiment.configurations[0].settings()
    return ", ".join(f"{k} {shown(k, first[k])}" for k in GRID_OPTIONS
                     if k not in varying(experiment) and first[k] is not None
                     and k not in leave_out)


def number(value: Optional[float]) -> str:
    return "" if value is None else repr(float(value))


def to_csv(rows: Sequence[Sequence]) -> str:
    text = io.StringIO()
    csv.writer(text, lineterminator="\n").writerows(rows)
    return text.getvalue()


@dataclass
class ConfigurationSummary:
    config: Configuration
    runs: list[RunResult]
    fitness: stats.Description
    length: Optional[stats.Description]
    last_improvement: Optional[float]


def summarize(experiment: Experiment) -> str:
    """Writes runs.csv, summary.csv, generations.csv, mannwhitney.csv and bands.png into
    the experiment's directory, all or none; returns the table for standard output."""
    results = collect(experiment)
    summaries = []
    for config in experiment.configurations:
        runs = [r for r in results if r.job.configuration == config.id and
                r.status == "complete"]
        summaries.append(ConfigurationSummary(
            config, runs, stats.describe([r.final_fitness for r in runs]),
            stats.describe([r.final_length for r in runs]) if config.tsp else None,
            stats.describe([r.last_improvement for r in runs]).mean))
    pairs = [(a, b, stats.mann_whitney([r.final_fitness for r in a.runs],
                                       [r.final_fitness for r in b.runs]))
             for a, b in itertools.combinations(summaries, 2)]

    files = {
        "runs.csv": to_csv(run_rows(results)),
        "summary.csv": to_csv(summary_rows(experiment, summaries)),
        "generations.csv": to_csv(generation_rows(summaries)),
        "mannwhitney.csv": to_csv(
            [["configuration_a", "configuration_b", "runs_a", "runs_b", "u", "p"]]
            + [[a.config.id, b.config.id, len(a.runs), len(b.runs),
                number(t.u) if t else "", number(t.p) if t else ""] for a, b, t in pairs]),
    }
    pending = []
    try:
        for name, text in files.items():
            pending.append(PendingFile(experiment.path(name)))
            write_text(pending[-1].temporary, text)
        if any(s.runs for s in summaries):
            pending.append(PendingFile(experiment.path("bands.png")))
            draw_bands(experiment, summaries, pending[-1].temporary)
        for file in pending:
            file.commit()
    finally:
        for file in pending:
            file.discard()
    return text_summary(experiment, results, summaries, pairs)


def run_rows(results: Sequence[RunResult]) -> list[list]:
    rows = [["job", "name", "configuration", "repetition", "seed", "status",
             "final_best_fitness", "best_tour_length", "last_improvement"]]
    for r in results:
        rows.append([r.job.number, r.job.name, r.job.configuration, r.job.repetition,
                     r.job.seed, r.status, number(r.final_fitness), number(r.final_length),
                     "" if r.last_improvement is None else r.last_improvement])
    return rows


def summary_rows(experiment: Experiment, summaries) -> list[list]:
    rows = [["configuration", "label", *GRID_OPTIONS, "runs", "counted"]
            + [f"fitness_{f}" for f in FIELDS] + [f"length_{f}" for f in FIELDS]
            + ["mean_last_improvement"]]
    for s in summaries:
        settings = s.config.settings()
        rows.append([s.config.id, label(experiment, s.config)]
                    + ["" if settings[k] is None else settings[k] for k in GRID_OPTIONS]
                    + [experiment.repetitions, len(s.runs)]
                    + [number(getattr(s.fitness, f)) for f in FIELDS]
                    + [number(getattr(s.length, f)) if s.length else "" for f in FIELDS]
                    + [number(s.last_improvement)])
    return rows


def per_generation(runs: Sequence[RunResult], curve: str) -> list[stats.Description]:
    curves = [getattr(r, curve) for r in runs]
    return [stats.describe(values) for values in zip(*curves)]


def generation_rows(summaries) -> list[list]:
    rows = [["configuration", "generation", "runs", "best_fitness_mean",
             "best_fitness_ci_low", "best_fitness_ci_high", "best_length_mean",
             "best_length_ci_low", "best_length_ci_high"]]
    for s in summaries:
        fitness = per_generation(s.runs, "fitness_curve")
        length = per_generation(s.runs, "length_curve") if s.config.tsp else []
        for g, f in enumerate(fitness):
            d = length[g] if length else None
            rows.append([s.config.id, g, f.count, number(f.mean), number(f.ci_low),
                         number(f.ci_high)]
                        + ([number(d.mean), number(d.ci_low), number(d.ci_high)] if d
                           else ["", "", ""]))
    return rows


def draw_bands(experiment: Experiment, summaries, path: str) -> None:
    from .bands import Band, plot_bands

    tsp = all(s.config.tsp for s in summaries)
    bands = []
    for s in summaries:
        if not s.runs:
            continue
        series = per_generation(s.runs, "length_curve" if tsp else "fitness_curve")
        bands.append(Band(f"{label(experiment, s.config)} ({len(s.runs)} runs)",
                          list(range(len(series))), [d.mean for d in series],
                          [d.ci_low for d in series], [d.ci_high for d in series]))
    first = experiment.configurations[0]
    what = f"{first.objective} on {os.path.basename(first.cities)}" if tsp else "Best fitness"
    settings = common_settings(experiment, ("objective", "cities") if tsp else ())
    plot_bands(path, bands, f"{what}: mean best so far\n{settings}",
               "best tour length" if tsp else "best fitness")


def decimals(values: Sequence[Optional[float]]) -> int:
    """Decimals that show about six significant digits of the largest value, at
    least two (the reports' own), so p2's fitness near 1 keeps its differences."""
    largest = max((abs(v) for v in values if v is not None and math.isfinite(v)), default=0)
    return max(2, 6 - len(str(int(largest))))


def table(title: str, header: Sequence[str], rows: Sequence[Sequence[str]]) -> str:
    widths = [max(len(r[i]) for r in [header, *rows]) for i in range(len(header))]
    lines = [title] + ["  ".join(cell.ljust(w) if i == 0 else cell.rjust(w)
                                 for i, (cell, w) in enumerate(zip(row, widths))).rstrip()
                       for row in [header, *rows]]
    return "\n".join(lines) + "\n"


def text_summary(experiment: Experiment, results, summaries, pairs) -> str:
    parts = []
    measures = [("Final best fitness", "fitness")]
    if any(c.tsp for c in experiment.configurations):
        measures.insert(0, ("Best tour length", "length"))
    for title, measure in measures:
        described = [(s, getattr(s, measure)) for s in summaries if getattr(s, measure)]
        places = decimals([v for _, d in described for v in (d.minimum, d.maximum)])

        def show(value: Optional[float], places: int = places) -> str:
            return "-" if value is None else f"{value:.{places}f}"

        cells = [[label(experiment, s.config), f"{len(s.runs)}/{experiment.repetitions}",
                  show(d.mean), show(d.sd), show(d.median), show(d.minimum), show(d.maximum),
                  "-" if d.ci_low is None else f"{show(d.ci_low)} .. {show(d.ci_high)}",
                  show(s.last_improvement, 1)] for s, d in described]
        parts.append(table(f"{title} per configuration ({common_settings(experiment)}):",
                           ["configuration", "runs", "mean", "sd", "median", "min", "max",
                            "95 % CI of the mean", "last improvement"], cells))
    if pairs:
        lines = ["Mann-Whitney U test of the final best fitness (two-sided):"]
        for a, b, test in pairs:
            result = "no runs to compare" if test is None else \
                f"U = {test.u:g}, p = {test.p:.4g}"
            lines.append(f"  {label(experiment, a.config)} vs {label(experiment, b.config)}:"
                         f" {result}")
        parts.append("\n".join(lines) + "\n")
    left = [r for r in results if r.status != "complete"]
    counted = len(results) - len(left)
    lines = [f"{counted} of {len(results)} runs counted." + (" Left out:" if left else "")]
    lines += [f"  {r.job.name} (seed {r.job.seed}): {r.status}" for r in left]
    shown_directory = os.path.relpath(experiment.directory)
    if shown_directory.startswith(".."):
        shown_directory = experiment.directory
    lines.append("Files: runs.csv, summary.csv, generations.csv, mannwhitney.csv"
                 f"{', bands.png' if counted else ''} in {shown_directory}")
    parts.append("\n".join(lines) + "\n")
    return "\n".join(parts)
