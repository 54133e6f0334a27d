"""Shared by the companion tools' tests: the programs of the build under test (CTest
passes their paths in the environment) and real zentrava runs made once per session."""

import os
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
TOOLS = ROOT / "tools"
EXAMPLES = ROOT / "examples"
# The clock every test run is started at, so that a failure can be repeated.
CLOCK = "2026-01-01 12:00:00"


def program(variable: str, name: str) -> str:
    path = os.environ.get(variable) or str(ROOT / "build" / name)
    if not os.access(path, os.X_OK):
        pytest.fail(f"{path} is not a built program; set {variable} or build first")
    return path


def run_zentrava(args: list, stdin: str, threads: int = 2) -> str:
    """The standard output of one zentrava run with the clock frozen at CLOCK."""
    env = dict(os.environ, OMP_NUM_THREADS=str(threads))
    done = subprocess.run(["faketime", "-f", CLOCK, program("ZENTRAVA", "zentrava"), *args],
                          input=stdin, capture_output=True, text=True, env=env,
                          cwd=ROOT, timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout


def run_tool(name: str, *args, stdin: str = None, cwd=ROOT) -> subprocess.CompletedProcess:
    """A companion tool from the checkout, started as a user starts it."""
    return subprocess.run([str(TOOLS / name), *map(str, args)], input=stdin,
                          capture_output=True, text=True, cwd=cwd, timeout=120)


def refused(done: subprocess.CompletedProcess) -> str:
    """The one error line of a refusal; fails unless the tool refused as zentrava does."""
    lines = done.stderr.splitlines()
    assert done.returncode == 1, done.stderr
    assert lines and lines[0].startswith("Error: ") and lines[0].endswith("!"), done.stderr
    assert "Traceback" not in done.stderr
    return lines[0]


# Every objective in both modes, small enough to run in a blink.
RUNS = {
    "p2 s": (["p2", "s"], "20 16 6 0.9 0.05\n"),
    "p2 p": (["p2", "p"], "20 16 6 0.9 0.05\n"),
    "p10 s": (["p10", "s"], "20 16 6 0.9 0.05\n"),
    "p10 p": (["p10", "p"], "20 16 6 0.9 0.05\n"),
    "tsp s": (["tsp", "s"], "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "tsp p": (["tsp", "p"], "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "pmx s": (["pmx", "s"], "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "pmx p": (["pmx", "p"], "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "tsp G=0": (["tsp", "s"], "examples/eil51.tsp 10 0 0.9 0.02\n"),
    "p2 G=0": (["p2", "s"], "10 8 0 0.9 0.02\n"),
    "pmx seeded": (["pmx", "p", "--seed", "1714564800", "--log", "{log}"],
                   "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "tsp tour": (["tsp", "s", "-ss", "tour:3"], "examples/eil51.tsp 30 8 0.9 0.02\n"),
    "p10 rank": (["p10", "p", "-ss", "rank"], "20 16 6 0.9 0.05\n"),
}


@pytest.fixture(scope="session")
def runs(tmp_path_factory) -> dict:
    """Name -> path of the saved standard output of each run of RUNS; a run's --log
    file, where it has one, is the same path with the suffix .log."""
    folder = tmp_path_factory.mktemp("runs")
    saved = {}
    for name, (args, stdin) in RUNS.items():
        saved[name] = folder / (name.replace(" ", "_").replace("=", "") + ".txt")
        log = str(saved[name].with_suffix(".log"))
        saved[name].write_text(run_zentrava([a.replace("{log}", log) for a in args], stdin))
    return saved
