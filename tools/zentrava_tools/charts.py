"""Draws a run: the convergence chart and the best tour over the cities.

One function per chart; each takes plain data and a file name, and the format follows
the file's suffix (PNG, SVG or PDF). Matplotlib's Agg back end, so no display is needed.
"""

import math
import os
from typing import Optional

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402 (the back end must be chosen first)

from .cli import PendingFile, ToolError  # noqa: E402
from .reports import Run, value  # noqa: E402

FORMATS = ("png", "svg", "pdf")
DPI = 100
# Figure sizes in inches; at DPI a PNG has 100 pixels per inch.
CONVERGENCE_SIZE = (9.0, 5.0)
CONVERGENCE_TSP_SIZE = (9.0, 8.0)
TOUR_SIZE = (7.0, 7.0)


def picture_format(path: str) -> str:
    suffix = os.path.splitext(path)[1].lower().lstrip(".")
    if suffix not in FORMATS:
        raise ToolError(f"Cannot tell the picture format of '{path}'; name it .png,"
                        " .svg or .pdf")
    return suffix


def _finite(texts: list[str]) -> list[float]:
    # An infinite or undefined figure leaves a gap in its line rather than a spike.
    return [v if math.isfinite(v) else math.nan for v in map(value, texts)]


def convergence(run: Run, path: str, optimal: Optional[float] = None) -> PendingFile:
    """Maximum, mean and minimum fitness per generation; for TSP a second panel with the
    best tour's length and, when known, the optimal tour's length as a line."""
    generations = [r.generation for r in run.reports]
    tsp = run.is_tsp
    fig, axes = plt.subplots(2 if tsp else 1, 1, sharex=True, squeeze=False,
                             figsize=CONVERGENCE_TSP_SIZE if tsp else CONVERGENCE_SIZE)
    fitness = axes[0][0]
    for name, texts, style in (
            ("maximum", [r.maximum for r in run.reports], "-"),
            ("mean", [r.mean for r in run.reports], "-"),
            ("minimum", [r.minimum for r in run.reports], "-")):
        fitness.plot(generations, _finite(texts), style, label=name, linewidth=1.2)
    fitness.set_ylabel("fitness (higher is better)")
    fitness.set_title(f"Convergence: {run.describe()}, {run.last.generation} generations")
    fitness.legend(loc="best")
    fitness.grid(True, alpha=0.3)
    if tsp:
        lengths = axes[1][0]
        lengths.plot(generations, _finite([r.best_distance for r in run.reports]),
                     color="tab:red", label="best tour of the generation", linewidth=1.2)
        if optimal is not None:
            lengths.axhline(optimal, color="black", linestyle="--", linewidth=1,
                            label=f"optimal tour ({optimal:.2f})")
        lengths.set_ylabel("tour length")
        lengths.set_title("Best tour length per generation")
        lengths.legend(loc="best")
        lengths.grid(True, alpha=0.3)
    axes[-1][0].set_xlabel("generation")
    fig.tight_layout()
    return _save(fig, path)


def tours(cities: dict[int, tuple[float, float]],
          panels: list[tuple[str, list[int]]], path: str, title: str) -> PendingFile:
    """Each (title, tour) of panels drawn as a closed path over the cities, side by side."""
    width, height = TOUR_SIZE
    fig, axes = plt.subplots(1, len(panels), squeeze=False,
                             figsize=(width * len(panels), height))
    xs = [x for x, _ in cities.values()]
    ys = [y for _, y in cities.values()]
    for ax, (caption, tour) in zip(axes[0], panels):
        closed = tour + tour[:1]
        ax.plot([cities[c][0] for c in closed], [cities[c][1] for c in closed],
                "-", color="tab:blue", linewidth=1.2, label="tour", zorder=1)
        ax.scatter(xs, ys, s=14, color="black", label="cities", zorder=2)
        ax.scatter(*cities[tour[0]], s=70, marker="s", color="tab:orange",
                   label="first city of the tour", zorder=3)
        ax.set_title(caption)
        ax.set_xlabel("x")
        ax.set_ylabel("y")
        ax.set_aspect("equal", adjustable="datalim")
    # One legend for all panels, beneath them, where it hides no city.
    fig.legend(*axes[0][0].get_legend_handles_labels(), loc="lower center", ncol=3)
    fig.suptitle(title)
    fig.tight_layout(rect=(0, 0.05, 1, 1))
    return _save(fig, path)


def _save(fig, path: str) -> PendingFile:
    """Renders into a pending file; the caller commits it once every output is ready."""
    kind = picture_format(path)
    pending = PendingFile(path)
    try:
        fig.savefig(pending.temporary, format=kind, dpi=DPI)
    except OSError as error:
        pending.discard()
        raise ToolError(f"Cannot write '{path}': {error.strerror}") from None
    finally:
        plt.close(fig)
    return pending
