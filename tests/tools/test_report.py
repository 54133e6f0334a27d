"""zentrava-report reading real runs: CSV rows against the printed reports, summaries,
cut-off runs, the lines a later zentrava adds, log files, and what is not a report."""

import csv
import io
import re

import pytest

from conftest import RUNS, refused, run_tool

HEADER = "generation,maximum,mean,minimum,sum,crossovers,mutations,best_distance"
HEADING = re.compile(r"\*\*\* (?:Initial Generation Statistics|Generation #(\d+) Report) \*\*\*")


def printed(text: str) -> list:
    """Each report's figures found by their labels, independently of the tool's reader."""
    blocks = HEADING.split(text)
    rows = []
    for generation, (number, block) in enumerate(zip(blocks[1::2], blocks[2::2])):
        assert number is None if generation == 0 else int(number) == generation
        figure = [re.search(label + r" *(\S+)\n", block, re.I).group(1) for label in
                  ("maximum fitness:", "average fitness:", "minimum fitness:", "sum of fitness:")]
        counters = re.search(r"Crossovers: *(\d+)\tMutations: *(\d+)", block)
        distance = re.search(r"Best tour distance: (\S+)", block).group(1)
        rows.append([str(generation), *figure, *(counters.groups() if counters else "00"),
                     distance])
    return rows


def csv_rows(done) -> list:
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[0] == HEADER
    return list(csv.reader(io.StringIO("\n".join(lines[1:]))))


@pytest.mark.parametrize("name", RUNS)
def test_every_row_is_its_printed_report(runs, name):
    text = runs[name].read_text()
    rows = csv_rows(run_tool("zentrava-report", runs[name], "--csv", "-"))
    assert rows == printed(text)
    generations = int(RUNS[name][1].split()[-3])
    if "--log" in RUNS[name][0]:
        log = csv_rows(run_tool("zentrava-report", runs[name].with_suffix(".log"), "--csv", "-"))
        assert [[f"{float(v):.2f}" for v in r[1:5]] for r in log] == [r[1:5] for r in rows]
        assert [r[5:7] for r in log] == [r[5:7] for r in rows]
    assert [int(r[0]) for r in rows] == list(range(generations + 1))


@pytest.mark.parametrize("name,described", [
    ("p2 s", ""), ("p10 p", ""), ("tsp s", ""), ("pmx p", ""), ("tsp G=0", ""),
    ("pmx seeded", ", seed 1714564800"), ("tsp tour", ", tournament of 3"),
    ("p10 rank", ", linear rank")])
def test_summary_names_the_final_best_and_when_it_was_reached(runs, name, described):
    rows = printed(runs[name].read_text())
    first = next(r[0] for r in rows if float(r[1]) >= float(rows[-1][1]))
    done = run_tool("zentrava-report", stdin=runs[name].read_text())
    assert done.returncode == 0 and done.stderr == ""
    summary = dict(line.split(":", 1) for line in done.stdout.splitlines())
    assert summary["Generations"].strip() == rows[-1][0]
    assert summary["Best fitness"].strip() == f"{rows[-1][1]}, first reached in generation {first}"
    objective, mode = RUNS[name][0][:2]
    tsp = objective in ("tsp", "pmx")
    assert summary["Run"].strip() == (f"{objective} {dict(s='sequential', p='parallel')[mode]}"
                                      f"{' on eil51 (51 cities)' if tsp else ''}{described}")
    assert ("Best tour length" in summary) == tsp


def cut_inside(text: str, generation: int, offset) -> str:
    """The text cut inside the report of the generation, offset characters into it
    (an offset below 0 counts back from the report's last line end)."""
    start = text.index(f"*** Generation #{generation} Report ***")
    end = text.index("Best tour distance: ", start)
    end = text.index("\n", end) + 1
    return text[:start + offset if offset >= 0 else end + offset]


@pytest.mark.parametrize("name,generation,offset", [
    ("tsp p", 3, 5),              # inside the heading
    ("tsp p", 3, 32),             # after the heading's line end
    ("p2 s", 1, 200),             # inside the best tour
    ("pmx s", 8, -3),             # inside the last distance of the run
])
def test_a_run_cut_inside_a_report_keeps_the_complete_ones(runs, name, generation, offset):
    text = runs[name].read_text()
    done = run_tool("zentrava-report", "--csv", "-", stdin=cut_inside(text, generation, offset))
    assert csv_rows(done) == printed(text)[:generation]
    assert len(done.stderr.splitlines()) == 1
    assert f"report of generation {generation}" in done.stderr


def test_a_run_cut_before_its_first_report_is_complete_is_refused(runs):
    text = runs["tsp s"].read_text()
    line = refused(run_tool("zentrava-report", stdin=text[:text.index("Best tour:")]))
    assert "before its initial report is complete" in line


def as_at_a_terminal(text: str) -> str:
    """The run's output as a terminal shows it: each typed value echoed after its prompt,
    with the line end the user typed."""
    return (re.sub(r"(Enter (?:Pop|chr|max|cro|mut)[^>]*> \t+)", r"\g<1>7\n", text)
            .replace("probability> \t7\n\n", "probability> \t7\n\n\n")
            .replace("Enter relative path to file> \t",
                     "Enter relative path to file> \texamples/eil51.tsp\n"))


@pytest.mark.parametrize("name", ["p10 s", "tsp p"])
def test_a_terminal_session_reads_like_piped_input(runs, name):
    text = runs[name].read_text()
    done = run_tool("zentrava-report", "--csv", "-", stdin=as_at_a_terminal(text))
    assert csv_rows(done) == printed(text) and done.stderr == ""


def test_a_log_file_reads_back_into_the_same_rows(runs, tmp_path):
    log = tmp_path / "run.csv"
    assert run_tool("zentrava-report", runs["tsp s"], "--csv", log).returncode == 0
    assert csv_rows(run_tool("zentrava-report", log, "--csv", "-")) == printed(
        runs["tsp s"].read_text())
    cut = log.read_text()[:-10]
    done = run_tool("zentrava-report", "--csv", "-", stdin=cut)
    assert len(csv_rows(done)) == len(cut.splitlines()) - 2 and "generation 8" in done.stderr


@pytest.mark.parametrize("old,new", [
    ("Run Configuration", "Run configuration"),
    ("Mode: \t\t\tSequential", "Mode: \t\tSequential"),
    ("Mode: \t\t\tSequential\n", ""),
    ("Initializing parameters...\n", ""),
    ("Enter max. generations> \t", ""),
    ("\tMutations:", " Mutations:"),
    ("Average fitness:   ", "Average fitness:   x"),
    ("*** Generation #2 Report ***", "*** Generation #3 Report ***"),
    ("0.00\n\n\n*** Generation #5", "0.00\n\n*** Generation #5"),
    ("Best tour: -1>", "Best tour: -1>>"),
    ("\n\n\n*** Generation #6 Report ***", "\n\n\nError: a refusal\n*** Generation #6 Report ***"),
])
def test_what_is_not_a_report_is_refused_at_its_line(runs, old, new):
    text = runs["p2 s"].read_text()
    assert old in text
    changed = text.replace(old, new, 1)
    first_difference = next(n for n, (a, b) in enumerate(
        zip(text.splitlines(), changed.splitlines()), start=1) if a != b)
    message = refused(run_tool("zentrava-report", "--csv", "-", stdin=changed))
    assert f"line {first_difference} " in message


@pytest.mark.parametrize("text", ["", "hello\n", "\n*** Zentrava ***\n"])
def test_other_texts_are_refused(text):
    refused(run_tool("zentrava-report", stdin=text))


@pytest.mark.parametrize("tool,args", [("zentrava-report", ["/dev/zero"]),
                                       ("zentrava-tsplib", ["/dev/zero", "/dev/null"])])
def test_endless_binary_input_is_refused_at_once(tool, args):
    message = refused(run_tool(tool, *args))
    assert message == "Error: Cannot read the {} '/dev/zero': it holds a NUL byte, so it is" \
        " no text!".format("report" if tool == "zentrava-report" else "TSPLIB file")
