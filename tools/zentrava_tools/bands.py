"""The band chart of an experiment: per configuration the mean best-so-far
value over the generations, its 95 % interval shaded."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Optional, Sequence


@dataclass
class Band:
    label: str
    generations: Sequence[int]
    mean: Sequence[float]
    low: Sequence[Optional[float]]
    high: Sequence[Optional[float]]


def plot_bands(path: str, bands: Sequence[Band], title: str, ylabel: str) -> None:
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(8, 5), dpi=100)
    for band in bands:
        (line,) = ax.plot(band.generations, band.mean, label=band.label, linewidth=1.5)
        shaded = [(g, lo, hi) for g, lo, hi in zip(band.generations, band.low, band.high)
                  if lo is not None and hi is not None]
        if shaded:
            ax.fill_between([s[0] for s in shaded], [s[1] for s in shaded],
                            [s[2] for s in shaded], color=line.get_color(), alpha=0.25,
                            linewidth=0)
    ax.set_xlabel("generation")
    ax.set_ylabel(ylabel)
    ax.set_title(title, fontsize="medium")
    ax.grid(True, alpha=0.3)
    ax.legend(title="mean, shaded: 95 % interval", fontsize="small")
    fig.tight_layout()
    fig.savefig(path)
    plt.close(fig)
