"""zentrava-experiment on real runs: a small grid run and summarized, its numbers
recomputed from the run files; an interrupted experiment resumed; failed and cut-short
runs left out; the Slurm script run by hand; hostile and unusable paths."""

import csv
import json
import math
import os
import shutil
import signal
import statistics
import subprocess
import time

import pytest
from scipy import stats

from conftest import EXAMPLES, TOOLS, program, refused, run_tool

TOOL = "zentrava-experiment"
SMALL = ["--objective", "p2", "--length", "16", "--population", "10", "--generations", "6",
         "--mutation", "0.05"]


def experiment(directory, *args, cwd=None):
    return run_tool(TOOL, "run", directory, "--zentrava", program("ZENTRAVA", "zentrava"),
                    "--jobs", "2", *args, cwd=cwd or directory.parent)


def read_csv(path) -> list:
    with open(path, newline="") as stream:
        return list(csv.DictReader(stream))


def finals(directory, name) -> tuple:
    """The final best-so-far fitness and the generation of its last rise, from a log."""
    rows = read_csv(directory / "runs" / f"{name}.log.csv")
    maxima = [float(r["maximum"]) for r in rows]
    best = max(maxima)
    return best, next(g for g, m in enumerate(maxima) if m == best)


@pytest.fixture(scope="module")
def grid(tmp_path_factory):
    directory = tmp_path_factory.mktemp("grid") / "exp"
    done = experiment(directory, *SMALL, "--crossover", "0.6,0.95", "--repetitions", "3",
                      "--seed", "40")
    assert done.returncode == 0, done.stderr
    summary = run_tool(TOOL, "summarize", directory)
    assert summary.returncode == 0, summary.stderr
    return directory, summary.stdout


def test_every_job_runs_once_with_its_seed(grid):
    directory, _ = grid
    jobs = json.loads((directory / "experiment.json").read_text())["jobs"]
    assert [(j["configuration"], j["seed"]) for j in jobs] == [
        (c, s) for c in (1, 2) for s in (40, 41, 42)]
    for job in jobs:
        output = (directory / "runs" / f"{job['name']}.out").read_text()
        assert f"\nSeed: \t\t\t{job['seed']}\n" in output
        assert "*** Generation #6 Report ***" in output
    # Common random numbers: one seed, one initial population, whatever the crossover.
    assert finals(directory, "c1-r0") != finals(directory, "c1-r1")
    initial = [read_csv(directory / "runs" / f"c{c}-r0.log.csv")[0] for c in (1, 2)]
    assert initial[0] == initial[1]
    assert sorted(os.listdir(directory / "runs")) == sorted(
        f"{j['name']}{suffix}" for j in jobs for suffix in (".out", ".log.csv"))


def test_summary_equals_a_recomputation_from_the_logs(grid):
    directory, table = grid
    summary = read_csv(directory / "summary.csv")
    values = {}
    for c, row in enumerate(summary, start=1):
        runs = [finals(directory, f"c{c}-r{r}") for r in range(3)]
        best = [b for b, _ in runs]
        values[c] = best
        mean, sd = statistics.mean(best), statistics.stdev(best)
        half = stats.t.ppf(0.975, 2) * sd / math.sqrt(3)
        expected = {"fitness_mean": mean, "fitness_sd": sd,
                    "fitness_median": statistics.median(best), "fitness_minimum": min(best),
                    "fitness_maximum": max(best), "fitness_ci_low": mean - half,
                    "fitness_ci_high": mean + half,
                    "mean_last_improvement": statistics.mean(g for _, g in runs)}
        for key, value in expected.items():
            assert float(row[key]) == pytest.approx(value, rel=1e-12, abs=1e-15), key
        assert row["counted"] == "3" and row["length_mean"] == ""
        last = [g for g in read_csv(directory / "generations.csv")
                if g["configuration"] == str(c) and g["generation"] == "6"]
        assert float(last[0]["best_fitness_mean"]) == pytest.approx(mean, rel=1e-12)
        assert any(line.startswith(row["label"] + "  ") and " 3/3 " in line
                   for line in table.splitlines())
    test = stats.mannwhitneyu(values[1], values[2], alternative="two-sided")
    (pair,) = read_csv(directory / "mannwhitney.csv")
    assert (float(pair["u"]), float(pair["p"])) == pytest.approx((test.statistic, test.pvalue))
    assert "6 of 6 runs counted." in table


def test_the_band_chart_is_a_picture(grid):
    from matplotlib import image

    picture = image.imread(directory := grid[0] / "bands.png")
    assert picture.shape[:2] == (500, 800), directory
    assert picture[..., :3].std() > 0.05


def test_an_interrupted_experiment_resumes_without_rerunning(tmp_path):
    directory = tmp_path / "exp"
    args = [TOOLS / TOOL, "run", directory, "--zentrava", program("ZENTRAVA", "zentrava"),
            "--jobs", "2", "--objective", "pmx", "--cities", EXAMPLES / "eil51.tsp",
            "--population", "40", "--generations", "150", "--crossover", "0.9",
            "--mutation", "0.02", "--repetitions", "8"]
    runner = subprocess.Popen([str(a) for a in args], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 60
    while not list((directory / "runs").glob("*.out")) and time.monotonic() < deadline:
        time.sleep(0.02)
    runner.send_signal(signal.SIGINT)
    _, errors = runner.communicate(timeout=60)
    assert runner.returncode == 130, errors
    assert "Traceback" not in errors
    finished = {p.name: p.stat().st_mtime_ns for p in (directory / "runs").glob("*.out")}
    assert 1 <= len(finished) < 8
    cut = run_tool(TOOL, "summarize", directory).stdout
    assert f"{len(finished)} of 8 runs counted. Left out:" in cut

    logged = len((directory / "joblog").read_text().splitlines())
    names = [f"c1-r{r}.out" for r in range(8)]
    # A job GNU parallel starts as it is stopped, too early to be stopped, does not run.
    late = next(r for r in range(8) if names[r] not in finished)
    started = subprocess.run([TOOLS / TOOL, "job", directory, str(late + 1)],
                             env=dict(os.environ, PARALLEL_SEQ="9"), timeout=60)
    assert started.returncode == 130 and not (directory / "runs" / names[late]).exists()
    done = run_tool(TOOL, "run", directory, "--jobs", "2")
    assert done.returncode == 0, done.stderr
    assert f"Running {8 - len(finished)} of 8 jobs" in done.stdout
    assert {p.name: p.stat().st_mtime_ns for p in (directory / "runs").glob("*.out")
            if p.name in finished} == finished
    session = json.loads((directory / "experiment.json").read_text())["sessions"]
    assert [s["result"] for s in session] == ["interrupted", "complete"]
    # GNU parallel's job log of the resumed session: the unfinished jobs, each once.
    lines = (directory / "joblog").read_text().splitlines()[logged:]
    resumed = [int(line.split("\t")[-1].split()[-1]) for line in lines]
    assert sorted(resumed) == sorted(int(n[4:-4]) + 1 for n in names if n not in finished)
    summary = run_tool(TOOL, "summarize", directory)
    assert "8 of 8 runs counted." in summary.stdout
    assert len(read_csv(directory / "runs.csv")) == 8


def test_failed_and_cut_short_runs_are_left_out_and_named(tmp_path):
    # A zentrava that fails for seed 2 and is itself otherwise.
    flaky = tmp_path / "flaky"
    flaky.write_text(f'#!/bin/sh\ncase " $* " in *" --seed 2 "*) echo "Error: injected" >&2;'
                     f' exit 3;; esac\nexec {program("ZENTRAVA", "zentrava")} "$@"\n')
    flaky.chmod(0o755)
    directory = tmp_path / "exp"
    done = run_tool(TOOL, "run", directory, "--zentrava", flaky, *SMALL, "--crossover", "0.9",
                    "--repetitions", "3", cwd=tmp_path)
    assert "c1-r1" in refused(done)
    log = directory / "runs" / "c1-r2.log.csv"
    log.write_text("".join(log.read_text().splitlines(keepends=True)[:-1]))
    summary = run_tool(TOOL, "summarize", directory)
    assert summary.returncode == 0, summary.stderr
    assert "1 of 3 runs counted. Left out:" in summary.stdout
    assert "c1-r1 (seed 2): exit status 3" in summary.stdout
    assert "c1-r2 (seed 3): cut short: its log ends at generation 5 of 6" in summary.stdout
    assert [r["status"][:8] for r in read_csv(directory / "runs.csv")] == [
        "complete", "exit sta", "cut shor"]
    assert read_csv(directory / "summary.csv")[0]["counted"] == "1"


def test_the_slurm_script_runs_the_array_tasks_given(tmp_path):
    directory = tmp_path / "slurm;touch${IFS}pwned"
    done = run_tool(TOOL, "slurm", directory, "--zentrava", program("ZENTRAVA", "zentrava"),
                    *SMALL, "--crossover", "0.8", "--repetitions", "4", "--selection", "tour:3",
                    cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    script = directory / "slurm.sh"
    assert "#SBATCH --array=1-4\n" in script.read_text()
    for task in ("2", "4"):
        ran = subprocess.run([str(script)], env=dict(os.environ, SLURM_ARRAY_TASK_ID=task),
                             capture_output=True, text=True, cwd=tmp_path, timeout=60)
        assert ran.returncode == 0, ran.stderr
    assert sorted(os.listdir(directory / "runs")) == [
        "c1-r1.log.csv", "c1-r1.out", "c1-r3.log.csv", "c1-r3.out"]
    output = (directory / "runs" / "c1-r1.out").read_text()
    assert "\nSelection Scheme: \tTournament of 3\n" in output
    assert not (tmp_path / "pwned").exists()
    again = run_tool(TOOL, "slurm", directory, cwd=tmp_path)
    assert "#SBATCH --array=1,3\n" in script.read_text(), again.stderr


@pytest.mark.parametrize("city,read", [
    ("x;touch pwned.tsp", False),           # a blank: refused
    ("$(touch pwned).tsp", False),
    ("x;touch${IFS}pwned.tsp", True),       # no blank: read as its name
    ("$(touch${IFS}pwned).tsp", True),
    ("it's`touch${IFS}pwned`\"", True),
])
def test_hostile_city_paths_run_nothing(tmp_path, city, read):
    shutil.copy(EXAMPLES / "square4.tsp", tmp_path / city)
    directory = tmp_path / "exp;touch${IFS}pwned"
    # Through GNU parallel's remote-login path too (":" is this host, without ssh).
    done = experiment(directory, "--objective", "tsp", "--cities", city, "--population", "6",
                      "--generations", "2", "--crossover", "0.9", "--mutation", "0.1",
                      "--selection", "rank", "--sshlogin", "1/:", cwd=tmp_path)
    if read:
        assert done.returncode == 0, done.stderr
        output = (directory / "runs" / "c1-r0.out").read_text()
        assert "NAME : square4" in output and "\tLinear Rank\n" in output
    else:
        assert "white space" in refused(done)
    assert sorted(os.listdir(tmp_path)) == sorted([city] + [directory.name] * read)


@pytest.mark.parametrize("name,args,named", [
    ("my exp", [], "white space"),
    ("exp,2", [], "comma"),
    ("exp", ["--cities", "my cities.tsp"], "white space"),
    ("exp", ["--cities", "a,b.tsp"], "comma"),
    ("exp", ["--cities", "absent.tsp"], "Cannot read the city file 'absent.tsp'"),
    ("exp", ["--population", "7"], "must be even"),
    ("exp", ["--crossover", "0.9,1.5"], "Invalid --crossover '1.5'"),
    ("exp", ["--crossover", "0.9,"], "empty item"),
    ("exp", ["--seed", "4294967295", "--repetitions", "2"], "4294967295"),
    ("exp", ["--selection", "tour:1"], "Invalid --selection 'tour:1'"),
    ("exp", ["--selection", "tour:12"], "tournament of 12"),
    ("exp", ["--objective", "pmx,p3"], "Invalid --objective 'p3'"),
    ("exp", ["--objective", "p2"], "needs --length"),
    ("exp", ["--generations", "-1"], "Invalid --generations '-1'"),
    ("exp", ["--jobs", "0"], "Invalid --jobs '0'"),
    ("exp", ["--sshlogin", "host;reboot"], "Invalid --sshlogin"),
    ("exp", ["--bogus", "1"], "Unrecognized arguments: --bogus"),
])
def test_refusals_come_before_any_job(tmp_path, name, args, named):
    for city in ("my cities.tsp", "a,b.tsp", "eil51.tsp"):
        shutil.copy(EXAMPLES / "eil51.tsp", tmp_path / city)
    options = {"--objective": "pmx", "--cities": "eil51.tsp", "--population": "10",
               "--generations": "2", "--crossover": "0.9", "--mutation": "0.01"}
    options.update(zip(args[::2], args[1::2]))
    done = experiment(tmp_path / name, *[x for pair in options.items() for x in pair],
                      cwd=tmp_path)
    assert named in refused(done)
    assert not (tmp_path / name).exists()
