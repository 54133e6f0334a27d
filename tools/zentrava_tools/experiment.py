"""zentrava-experiment: grids of zentrava runs, repeated with consecutive seeds,
run through GNU parallel (or a Slurm job array) and summarized.

An experiment lives in one directory: experiment.json (the configurations,
jobs, seeds and sessions), jobs.txt (line N is job N), joblog (GNU parallel's)
and runs/ (each finished run's output and log). A run is written under a
temporary name and renamed when it has ended with status 0 and holds every
report, so the presence of runs/NAME.out means a finished run and nothing else.
An interrupted session leaves DIR/stopped, which tells a job GNU parallel has
started too late to be stopped not to run, and every job of a session holds
DIR/lock shared, so that the runner can wait for the last of them.

No value from the command line reaches a shell: every value is checked here,
zentrava gets it as an argument or as typed input, and the only command that
passes through a shell (GNU parallel's, the Slurm script) holds nothing but
quoted paths and a job number.
"""

from __future__ import annotations

import argparse
import datetime
import fcntl
import itertools
import json
import os
import re
import shlex
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
from dataclasses import asdict, dataclass, field
from typing import NoReturn, Optional, Sequence

from . import reports
from .cli import ToolError

OBJECTIVES = ("tsp", "pmx", "p2", "p10")
TSP_OBJECTIVES = ("tsp", "pmx")
MODES = ("s", "p")
MAX_SEED = 4294967295
MAX_INT = 2147483647
MAX_LENGTH = 1023
GRID_OPTIONS = ("objective", "mode", "selection", "population", "length", "cities",
                "generations", "crossover", "mutation")


def refuse(message: str) -> NoReturn:
    raise ToolError(message)


# ---------------------------------------------------------------- values


def split_list(option: str, text: str) -> list[str]:
    items = text.split(",")
    if any(item == "" for item in items):
        refuse(f"--{option} '{text}' holds an empty item; a list is comma-separated values")
    return items


def parse_int(option: str, text: str, low: int, high: int) -> int:
    """A decimal number within bounds; `option` names it in the refusal."""
    if not re.fullmatch(r"[0-9]+", text) or not low <= int(text) <= high:
        name = option if " " in option else "--" + option
        refuse(f"Invalid {name} '{text}'; a whole number from {low} to {high} is needed")
    return int(text)


def parse_probability(option: str, text: str) -> str:
    if not re.fullmatch(r"(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][-+]?[0-9]+)?", text) or \
            not 0.0 <= float(text) <= 1.0:
        refuse(f"Invalid --{option} '{text}'; a probability from 0 to 1 is needed")
    return text


def parse_selection(text: str) -> str:
    scheme = text.lower()
    match = re.fullmatch(r"tour:([0-9]+)", scheme)
    if scheme in ("rw", "tour", "rank") or (match and int(match.group(1)) >= 2):
        return scheme
    refuse(f"Invalid --selection '{text}'; the schemes are rw, tour, tour:K (K from 2) and rank")


def tournament_size(scheme: str) -> int:
    if scheme == "tour":
        return 2
    if scheme.startswith("tour:"):
        return int(scheme[5:])
    return 0


def selection_line(scheme: str) -> str:
    """The name zentrava prints for a scheme in its run configuration."""
    if scheme == "rw":
        return "Roulette Wheel"
    if scheme == "rank":
        return "Linear Rank"
    return f"Tournament of {tournament_size(scheme)}"


def check_path(what: str, path: str) -> str:
    """A path zentrava can read as one word and a list can hold; made absolute,
    since jobs may run in another directory or on another host."""
    if path == "" or not path.isprintable():
        refuse(f"The {what} {ascii(path)} is empty or holds a control character")
    absolute = os.path.abspath(path)
    if any(c.isspace() for c in absolute):
        refuse(f"The {what} '{absolute}' holds white space; zentrava reads a path as one word,"
               " so move or rename it")
    if "," in absolute:
        refuse(f"The {what} '{absolute}' holds a comma, which separates list items;"
               " move or rename it")
    return absolute


def parse_cities(text: str) -> list[str]:
    if os.path.isfile(text) and "," in text:
        check_path("city file", text)
    paths = []
    for item in split_list("cities", text):
        path = check_path("city file", item)
        if not os.path.isfile(path) or not os.access(path, os.R_OK):
            refuse(f"Cannot read the city file '{item}'")
        paths.append(path)
    return paths


# ---------------------------------------------------------------- model


@dataclass
class Configuration:
    id: int
    objective: str
    mode: str
    selection: str
    population: int
    length: Optional[int]
    cities: Optional[str]
    generations: int
    crossover: str
    mutation: str

    @property
    def tsp(self) -> bool:
        return self.objective in TSP_OBJECTIVES

    def arguments(self, seed: int, log: str) -> list[str]:
        arguments = [self.objective, self.mode]
        if self.selection != "rw":
            arguments += ["-ss", self.selection]
        return arguments + ["--seed", str(seed), "--log", log]

    def typed_input(self) -> str:
        first = self.cities if self.tsp else str(self.population)
        second = str(self.population) if self.tsp else str(self.length)
        return "\n".join([first, second, str(self.generations), self.crossover,
                          self.mutation]) + "\n"

    def settings(self) -> dict:
        values = asdict(self)
        del values["id"]
        return values


@dataclass
class Job:
    number: int
    name: str
    configuration: int
    repetition: int
    seed: int


@dataclass
class Experiment:
    directory: str
    zentrava: str
    version: str
    threads: int
    repetitions: int
    base_seed: int
    configurations: list[Configuration]
    jobs: list[Job]
    sessions: list[dict] = field(default_factory=list)

    def configuration(self, job: Job) -> Configuration:
        return self.configurations[job.configuration - 1]

    def path(self, *parts: str) -> str:
        return os.path.join(self.directory, *parts)

    def run_files(self, job: Job) -> tuple[str, str]:
        return self.path("runs", job.name + ".out"), self.path("runs", job.name + ".log.csv")

    def finished(self, job: Job) -> bool:
        return all(os.path.isfile(p) for p in self.run_files(job))

    def command_line(self, job: Job) -> list[str]:
        return [self.zentrava] + self.configuration(job).arguments(job.seed,
                                                                   self.run_files(job)[1])

    def to_json(self) -> dict:
        return {
            "zentrava": self.zentrava,
            "version": self.version,
            "threads": self.threads,
            "repetitions": self.repetitions,
            "base_seed": self.base_seed,
            "configurations": [asdict(c) for c in self.configurations],
            "jobs": [dict(asdict(j), command=self.command_line(j),
                          input=self.configuration(j).typed_input()) for j in self.jobs],
            "sessions": self.sessions,
        }


def build_grid(values: dict[str, list]) -> list[Configuration]:
    configurations: list[Configuration] = []
    for objective in values["objective"]:
        tsp = objective in TSP_OBJECTIVES
        for mode, selection, population, problem, generations, crossover, mutation in \
                itertools.product(values["mode"], values["selection"], values["population"],
                                  values["cities"] if tsp else values["length"],
                                  values["generations"], values["crossover"],
                                  values["mutation"]):
            configurations.append(Configuration(
                len(configurations) + 1, objective, mode, selection, population,
                None if tsp else problem, problem if tsp else None, generations, crossover,
                mutation))
    return configurations


def build_jobs(count: int, repetitions: int, base_seed: int) -> list[Job]:
    width_c, width_r = len(str(count)), len(str(repetitions - 1))
    jobs = []
    for c in range(1, count + 1):
        for r in range(repetitions):
            jobs.append(Job(len(jobs) + 1, f"c{c:0{width_c}d}-r{r:0{width_r}d}", c, r,
                            base_seed + r))
    return jobs


def grid_values(args: argparse.Namespace) -> dict[str, list]:
    """The checked lists of the grid options; refuses a missing or bad one."""
    def listed(option: str, parse) -> list:
        text = getattr(args, option)
        return [] if text is None else [parse(item) for item in split_list(option, text)]

    def keyword(allowed: Sequence[str], option: str):
        def parse(text: str) -> str:
            if text.lower() not in allowed:
                refuse(f"Invalid --{option} '{text}'; one of {', '.join(allowed)} is needed")
            return text.lower()
        return parse

    values = {
        "objective": listed("objective", keyword(OBJECTIVES, "objective")),
        "mode": listed("mode", keyword(MODES, "mode")) or ["s"],
        "selection": listed("selection", parse_selection) or ["rw"],
        "population": listed("population", lambda t: parse_int("population", t, 2, MAX_INT)),
        "length": listed("length", lambda t: parse_int("length", t, 1, MAX_LENGTH)),
        "cities": parse_cities(args.cities) if args.cities is not None else [],
        "generations": listed("generations", lambda t: parse_int("generations", t, 0, MAX_INT)),
        "crossover": listed("crossover", lambda t: parse_probability("crossover", t)),
        "mutation": listed("mutation", lambda t: parse_probability("mutation", t)),
    }
    for option in ("objective", "population", "generations", "crossover", "mutation"):
        if not values[option]:
            refuse(f"A new experiment needs --{option}")
    for population in values["population"]:
        if population % 2:
            refuse(f"Invalid --population '{population}'; a population size must be even")
        largest = max(tournament_size(s) for s in values["selection"])
        if largest > population:
            refuse(f"A tournament of {largest} needs a population of at least {largest}")
    objectives = set(values["objective"])
    if objectives & set(TSP_OBJECTIVES) and not values["cities"]:
        refuse("A TSP objective needs --cities")
    if objectives - set(TSP_OBJECTIVES) and not values["length"]:
        refuse("A bit-string objective (p2, p10) needs --length")
    return values


# ---------------------------------------------------------------- files


def now() -> str:
    return datetime.datetime.now(datetime.timezone.utc).isoformat(timespec="seconds")


def temporary_name(path: str) -> str:
    """PATH's name while it is written: its own for each process on each host, so two
    tasks of one job (a Slurm task resubmitted while the first still runs) never
    write into one file."""
    return f"{path}.{socket.gethostname()}.{os.getpid()}.tmp"


def write_atomically(path: str, text: str) -> None:
    temporary = temporary_name(path)
    with open(temporary, "w", encoding="utf-8") as stream:
        stream.write(text)
    os.replace(temporary, path)


def save(experiment: Experiment) -> None:
    write_atomically(experiment.path("experiment.json"),
                     json.dumps(experiment.to_json(), indent=2) + "\n")


def write_job_list(experiment: Experiment) -> None:
    lines = [f"{j.number}\t{j.name}\tc{j.configuration}\tr{j.repetition}\tseed {j.seed}\n"
             for j in experiment.jobs]
    write_atomically(experiment.path("jobs.txt"), "".join(lines))


def load(directory: str) -> Experiment:
    path = os.path.join(directory, "experiment.json")
    try:
        with open(path, encoding="utf-8") as stream:
            data = json.load(stream)
        return Experiment(
            directory, data["zentrava"], data["version"], data["threads"],
            data["repetitions"], data["base_seed"],
            [Configuration(**c) for c in data["configurations"]],
            [Job(**{k: j[k] for k in ("number", "name", "configuration", "repetition", "seed")})
             for j in data["jobs"]],
            data.get("sessions", []))
    except FileNotFoundError:
        refuse(f"'{directory}' holds no experiment (no experiment.json)")
    except (OSError, ValueError, KeyError, TypeError) as error:
        refuse(f"Cannot read '{path}': {error}")


def read_reports(path: str) -> reports.Run:
    """A run's output or log file read by the report reader; raises ToolError."""
    try:
        with open(path, "rb") as stream:
            text = stream.read().decode("utf-8", "surrogateescape")
    except OSError as error:
        raise ToolError(f"cannot read {os.path.basename(path)}: {error.strerror}") from None
    return reports.read_run(text, os.path.basename(path))


def check_run(config: Configuration, seed: int, output: str, log: str) -> Optional[str]:
    """Why a run's files are not a complete run of its configuration (None if they are)."""
    try:
        printed, logged = read_reports(output), read_reports(log)
    except ToolError as error:
        return str(error)
    if printed.seed != seed:
        return f"its output does not name seed {seed}"
    if printed.selection != selection_line(config.selection):
        return f"zentrava ran {printed.selection}, not the scheme {config.selection}"
    for run, what in ((logged, "log"), (printed, "output")):
        if run.cut_off or len(run.reports) != config.generations + 1:
            return (f"cut short: its {what} ends at generation {run.last.generation}"
                    f" of {config.generations}")
    return None


# ---------------------------------------------------------------- zentrava


def find_zentrava(given: Optional[str]) -> str:
    if given is None:
        here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        built = os.path.join(os.path.dirname(here), "build", "zentrava")
        given = shutil.which("zentrava") or (built if os.path.isfile(built) else None)
        if given is None:
            refuse("No zentrava found on PATH; name it with --zentrava PATH")
    path = check_path("zentrava program", given)
    if not os.path.isfile(path) or not os.access(path, os.X_OK):
        refuse(f"'{given}' is not an executable program")
    return path


def probe(zentrava: str, schemes: Sequence[str]) -> str:
    """Runs zentrava once without generations per scheme to learn its version and
    to make sure it takes --seed, --log and the schemes; returns the version."""
    version = ""
    with tempfile.TemporaryDirectory() as scratch:
        for scheme in schemes:
            log = os.path.join(scratch, "log.csv")
            population = max(2, tournament_size(scheme))
            config = Configuration(0, "p2", "s", scheme, population + population % 2, 1, None,
                                   0, "0", "0")
            try:
                result = subprocess.run(
                    [zentrava] + config.arguments(7, log), input=config.typed_input(),
                    capture_output=True, text=True, timeout=60, errors="replace")
            except (OSError, subprocess.TimeoutExpired) as error:
                refuse(f"Cannot run '{zentrava}': {error}")
            if result.returncode != 0:
                first = (result.stderr.strip().split("\n") or [""])[0]
                refuse(f"'{zentrava}' refused a run with -ss {scheme}, --seed and --log: {first}")
            reason = check_run(config, 7, _saved(scratch, result.stdout), log)
            if reason is not None:
                refuse(f"'{zentrava}' does not take what an experiment needs ({reason})")
            lines = result.stdout.split("\n")
            version = next((line for line in lines if line.startswith("Version ")), "")
    return version


def _saved(directory: str, text: str) -> str:
    path = os.path.join(directory, "out.txt")
    with open(path, "w", encoding="utf-8") as stream:
        stream.write(text)
    return path


def hold_lock(experiment: Experiment, mode: int) -> None:
    """Holds DIR/lock in MODE until the process ends."""
    try:
        fcntl.flock(os.open(experiment.path("lock"), os.O_RDWR | os.O_CREAT, 0o644), mode)
    except OSError:
        pass  # a file system that cannot lock loses only the wait


def run_job(experiment: Experiment, job: Job) -> int:
    """Runs one job to its temporary files and renames them when the run is complete.
    A failed run leaves runs/NAME.failed with its status and standard error."""
    output, log = experiment.run_files(job)
    if experiment.finished(job):
        print(f"Job {job.number} ({job.name}) has finished already.", file=sys.stderr)
        return 0
    failed = experiment.path("runs", job.name + ".failed")
    temporary_output, temporary_log = temporary_name(output), temporary_name(log)
    config = experiment.configuration(job)
    command = [experiment.zentrava] + config.arguments(job.seed, temporary_log)
    environment = dict(os.environ, OMP_NUM_THREADS=str(experiment.threads))
    child: Optional[subprocess.Popen] = None

    def stop(signum, _frame):
        for other in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(other, signal.SIG_IGN)
        if child is not None and child.poll() is None:
            child.send_signal(signal.SIGTERM)
            child.wait()
        for path in (temporary_output, temporary_log):
            if os.path.exists(path):
                os.remove(path)
        write_atomically(failed, f"interrupted by signal {signum}\n")
        os._exit(128 + signum)

    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, stop)
    # GNU parallel misses a job that it has forked but not yet put in its own
    # process group when it is stopped; such a job finds DIR/stopped here.
    if "PARALLEL_SEQ" in os.environ:
        hold_lock(experiment, fcntl.LOCK_SH)
        if os.path.exists(experiment.path("stopped")):
            return 128 + signal.SIGINT
    with open(temporary_output, "w", encoding="utf-8") as stream:
        child = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=stream,
                                 stderr=subprocess.PIPE, env=environment, text=True,
                                 errors="replace")
        _, errors = child.communicate(config.typed_input())
    status = child.returncode
    reason = None if status == 0 else f"exit status {status}"
    if reason is None:
        reason = check_run(config, job.seed, temporary_output, temporary_log)
    if reason is None:
        os.replace(temporary_log, log)
        os.replace(temporary_output, output)
        if os.path.exists(failed):
            os.remove(failed)
        return 0
    for path in (temporary_output, temporary_log):
        if os.path.exists(path):
            os.remove(path)
    write_atomically(failed, f"{reason}\n{errors}")
    # Under GNU parallel the runner names the failed jobs once, at the end.
    if "PARALLEL_SEQ" not in os.environ:
        print(f"Job {job.number} ({job.name}) failed: {failure(failed)}", file=sys.stderr)
    return 1


def failure(path: str) -> str:
    """A failed run's reason and the first line of its standard error."""
    with open(path, encoding="utf-8", errors="replace") as stream:
        lines = [line.strip() for line in stream if line.strip()]
    return ": ".join(lines[:2]) if lines else "failed"


def check_parallel() -> str:
    path = shutil.which("parallel")
    try:
        version = subprocess.run([path, "--version"], capture_output=True, text=True,
                                 timeout=30).stdout if path else ""
    except (OSError, subprocess.TimeoutExpired):
        version = ""
    if not version.startswith("GNU parallel"):
        refuse("GNU parallel is needed (Debian's package 'parallel')")
    return path


SSHLOGIN = re.compile(r"(?:[0-9]+/)?(?:(?:[A-Za-z0-9._-]+@)?[A-Za-z0-9._-]+(?::[0-9]+)?|:)")


def parallel_command(experiment: Experiment, parallel: str, args: argparse.Namespace,
                     tool: str) -> list[str]:
    command = [parallel, "-q", "--jobs", str(args.jobs) if args.jobs else "100%",
               "--joblog", "+" + experiment.path("joblog")]
    if sys.stderr.isatty():
        command.append("--bar")
    for login in args.sshlogin or []:
        command += ["--sshlogin", login]
    if args.sshloginfile:
        command += ["--sshloginfile", args.sshloginfile]
    return command + [tool, "job", experiment.directory, "{}"]


def prepare(args: argparse.Namespace) -> Experiment:
    """The experiment of DIR: the one recorded there, or a new one from the grid
    options, checked whole before anything is written."""
    directory = check_path("experiment directory", args.dir)
    given = any(getattr(args, o) is not None for o in GRID_OPTIONS + (
        "repetitions", "seed", "threads"))
    if os.path.isfile(os.path.join(directory, "experiment.json")):
        experiment = load(directory)
        if args.zentrava is not None and find_zentrava(args.zentrava) != experiment.zentrava:
            refuse(f"'{directory}' runs {experiment.zentrava}; one experiment runs one program")
        if given:
            wanted = new_experiment(args, directory, probe_program=False)
            if (wanted.to_json()["jobs"], wanted.threads) != (
                    experiment.to_json()["jobs"], experiment.threads):
                refuse(f"'{directory}' holds another experiment; give no grid options to resume"
                       " it, or choose another directory")
        return experiment
    if os.path.exists(directory) and (not os.path.isdir(directory) or os.listdir(directory)):
        refuse(f"'{directory}' exists and holds no experiment")
    if not given:
        refuse(f"'{directory}' holds no experiment; a new one needs the grid options")
    experiment = new_experiment(args, directory, probe_program=True)
    os.makedirs(experiment.path("runs"), exist_ok=True)
    write_job_list(experiment)
    save(experiment)
    return experiment


def run(args: argparse.Namespace, tool: str) -> int:
    if args.jobs is not None:
        parse_int("jobs", args.jobs, 1, 10000)
    for login in args.sshlogin or []:
        if not SSHLOGIN.fullmatch(login):
            refuse(f"Invalid --sshlogin '{login}'; [N/][USER@]HOST[:PORT] or ':' is needed")
    if args.sshloginfile:
        args.sshloginfile = check_path("ssh login file", args.sshloginfile)
        if not os.path.isfile(args.sshloginfile):
            refuse(f"Cannot read the ssh login file '{args.sshloginfile}'")
    parallel = check_parallel()
    experiment = prepare(args)
    pending = [j for j in experiment.jobs if not experiment.finished(j)]
    total = len(experiment.jobs)
    if not pending:
        print(f"All {total} jobs have finished; nothing to run.")
        return 0
    print(f"Running {len(pending)} of {total} jobs ({total - len(pending)} finished before).",
          flush=True)
    stopped = experiment.path("stopped")
    if os.path.exists(stopped):
        os.remove(stopped)
    session = {"host": socket.gethostname(), "start": now(), "end": None,
               "command": sys.argv, "jobs": len(pending)}
    experiment.sessions.append(session)
    save(experiment)
    process = subprocess.Popen(parallel_command(experiment, parallel, args, tool),
                               stdin=subprocess.PIPE, text=True)
    received: list[int] = []

    def forward(signum, _frame):
        # GNU parallel stops its running jobs on these; their runs stay unfinished.
        if not received:
            with open(stopped, "w", encoding="utf-8"):
                pass
        received.append(signum)
        process.send_signal(signum)

    # Set explicitly: a shell starts background commands with SIGINT ignored.
    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, forward)
    try:
        process.stdin.write("".join(f"{j.number}\n" for j in pending))
        process.stdin.close()
    except BrokenPipeError:
        pass
    process.wait()
    interrupted = bool(received)
    if interrupted:
        # Jobs GNU parallel failed to stop end before the finished ones are counted.
        hold_lock(experiment, fcntl.LOCK_EX)
    left = [j.name for j in experiment.jobs if not experiment.finished(j)]
    session.update(end=now(), finished=total - len(left),
                   result="interrupted" if interrupted else "failed" if left else "complete")
    save(experiment)
    if interrupted:
        print(f"Interrupted: {total - len(left)} of {total} jobs finished; run"
              f" 'zentrava-experiment run {experiment.directory}' again to continue.",
              file=sys.stderr)
        return 130
    if left:
        first = experiment.path("runs", left[0] + ".failed")
        why = f" ({failure(first)})" if os.path.isfile(first) else ""
        refuse(f"{len(left)} of {total} jobs did not finish: {', '.join(left[:10])}"
               f"{', ...' if len(left) > 10 else ''}; {left[0]}{why}; their reasons are in"
               " runs/NAME.failed; run again to retry them")
    print(f"All {total} jobs have finished.")
    return 0


def new_experiment(args: argparse.Namespace, directory: str, probe_program: bool) -> Experiment:
    values = grid_values(args)
    repetitions = parse_int("repetitions", args.repetitions or "1", 1, 100000)
    base_seed = parse_int("seed", args.seed or "1", 0, MAX_SEED)
    if base_seed + repetitions - 1 > MAX_SEED:
        refuse(f"Seeds {base_seed} to {base_seed + repetitions - 1} pass {MAX_SEED}")
    threads = parse_int("threads", args.threads or "1", 1, 1024)
    zentrava = find_zentrava(args.zentrava)
    configurations = build_grid(values)
    version = probe(zentrava, sorted(set(values["selection"]))) if probe_program else ""
    return Experiment(directory, zentrava, version, threads, repetitions, base_seed,
                      configurations, build_jobs(len(configurations), repetitions, base_seed))


# ---------------------------------------------------------------- slurm


def array_ranges(numbers: Sequence[int]) -> str:
    ranges = []
    for _, group in itertools.groupby(enumerate(numbers), lambda p: p[1] - p[0]):
        block = [n for _, n in group]
        ranges.append(str(block[0]) if len(block) == 1 else f"{block[0]}-{block[-1]}")
    return ",".join(ranges)


def slurm(args: argparse.Namespace, tool: str) -> int:
    experiment = prepare(args)
    pending = [j.number for j in experiment.jobs if not experiment.finished(j)]
    if not pending:
        print(f"All {len(experiment.jobs)} jobs have finished; no script written.")
        return 0
    path = experiment.path("slurm.sh")
    write_atomically(path, f"""#!/bin/bash
# Job array of the experiment in {experiment.directory}: array task N runs job
# line N of its jobs.txt. Submit with: sbatch {shlex.quote(path)}
#SBATCH --job-name=zentrava-experiment
#SBATCH --array={array_ranges(pending)}
#SBATCH --cpus-per-task={experiment.threads}
#SBATCH --ntasks=1
set -eu
: "${{SLURM_ARRAY_TASK_ID:?is not set; submit this script with sbatch}}"
exec {shlex.quote(tool)} job {shlex.quote(experiment.directory)} "$SLURM_ARRAY_TASK_ID"
""")
    os.chmod(path, 0o755)
    print(f"Wrote {path} for {len(pending)} jobs; submit it with: sbatch {shlex.quote(path)}")
    return 0
