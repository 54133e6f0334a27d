"""zentrava-tsplib on real TSPLIB files and on the ways such files vary."""

import re

import numpy
import pytest

from conftest import EXAMPLES, refused, run_tool, run_zentrava

EIL51 = (EXAMPLES / "eil51.tsp").read_text()
RECORD = re.compile(r"[0-9]+ \S+ \S+")


def converted(done) -> list:
    """The records of a conversion, after checking the layout zentrava reads."""
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert [l.split(" :")[0] for l in lines[:6]] == [
        "NAME", "COMMENT", "TYPE", "DIMENSION", "EDGE_WEIGHT_TYPE", "NODE_COORD_SECTION"]
    assert lines[-1] == "EOF" and all(RECORD.fullmatch(l) for l in lines[6:-1])
    return [l.split(" ") for l in lines[6:-1]]


def lengths(records: list, tour_file) -> tuple:
    tour = [int(w) for w in tour_file.read_text().split("TOUR_SECTION")[1].split()
            if w.isdigit()]
    points = {int(i): (float(x), float(y)) for i, x, y in records}
    edges = numpy.array([numpy.hypot(*numpy.subtract(points[a], points[b]))
                         for a, b in zip(tour, tour[1:] + tour[:1])])
    return edges.sum(), numpy.floor(edges + 0.5).sum()


@pytest.mark.parametrize("name,cities,unrounded,rounded", [
    ("a280", 280, 2586.769648, 2579), ("ch150", 150, 6532.280933, 6528)])
def test_deviating_tsplib_files_convert_for_zentrava(tmp_path, name, cities, unrounded, rounded):
    out = tmp_path / f"{name}.tsp"
    done = run_tool("zentrava-tsplib", EXAMPLES / f"{name}.tsp", out)
    assert done.returncode == 0 and done.stdout == done.stderr == ""
    records = converted(run_tool("zentrava-tsplib", out))
    assert lengths(records, EXAMPLES / f"{name}.opt.tour") == pytest.approx((unrounded, rounded))
    read = run_zentrava(["tsp", "s"], f"{out} 2 0 0.9 0.1\n")
    assert len(records) == cities and f"\t# of Cities read: {cities}\n" in read


def scientific(text: str) -> str:
    return re.sub(r"(?m)^(\d+) (\d+)", lambda m: f"{m[1]} {float(m[2]):.3e}", text)


@pytest.mark.parametrize("change", [
    lambda t: "TYPE: TSP\nNAME: eil51\nDIMENSION: 51\n" + t.split("DIMENSION : 51\n")[1],
    lambda t: t.replace("NODE_COORD", "COMMENT : two\nNODE_COORD_TYPE : TWOD_COORDS\nNODE_COORD"),
    lambda t: re.sub(r"(?m)^(\d+) (\d+) ", r"  \1\t  \2   ", t),
    lambda t: scientific(t),
    lambda t: t.replace("EOF\n", ""),
    lambda t: t.replace("\n", "\r\n"),
    lambda t: t.replace("EOF\n", "DISPLAY_DATA_SECTION\n1 3 4\n2 5 6\nEOF\n"),
])
def test_keywords_blanks_and_notations_do_not_change_the_cities(change):
    plain = [[float(v) for v in r] for r in converted(run_tool("zentrava-tsplib", "-", stdin=EIL51))]
    records = converted(run_tool("zentrava-tsplib", "-", stdin=change(EIL51)))
    assert [[float(v) for v in r] for r in records] == plain


@pytest.mark.parametrize("change,message", [
    (lambda t: t.replace("EUC_2D", "EXPLICIT"), "explicit edge weights"),
    (lambda t: t.replace("NODE_COORD_SECTION", "EDGE_WEIGHT_SECTION"), "EDGE_WEIGHT_SECTION"),
    (lambda t: t.replace("EUC_2D", "GEO"), "GEO coordinates"),
    (lambda t: t.replace("EUC_2D", "MAN_2D"), "MAN_2D"),
    (lambda t: t.replace("DIMENSION : 51", "DIMENSION : 52"), "DIMENSION 52 but holds 51"),
    (lambda t: t.replace("\n51 ", "\n52 "), "found id 52"),
    (lambda t: t.replace("\n51 ", "\n50 "), "id 50 appears more than once"),
    (lambda t: t.replace("TYPE : TSP", "TYPE : ATSP"), "not a symmetric TSP"),
    (lambda t: t.replace("\n7 17 63", "\n7 17 63 4"), "line 13: a record needs"),
    (lambda t: t.replace("\n7 17 63", "\n7 17 six"), "'six' is not a coordinate"),
    (lambda t: t.replace("NODE_COORD_SECTION\n", ""), "expected a keyword line"),
    (lambda t: t.split("NODE_COORD_SECTION")[0], "has no NODE_COORD_SECTION"),
    (lambda t: t.replace("EDGE_WEIGHT_TYPE : EUC_2D\n", ""), "EDGE_WEIGHT_TYPE"),
])
def test_what_zentrava_cannot_score_is_refused(tmp_path, change, message):
    source = tmp_path / "in.tsp"
    source.write_text(change(EIL51))
    assert message in refused(run_tool("zentrava-tsplib", source, tmp_path / "out.tsp"))
    assert [p.name for p in tmp_path.iterdir()] == ["in.tsp"]


@pytest.mark.parametrize("kind", ["ATT", "CEIL_2D"])
def test_approximated_distances_convert_with_a_warning(kind):
    done = run_tool("zentrava-tsplib", "-", stdin=EIL51.replace("EUC_2D", kind))
    assert len(converted(done)) == 51
    assert done.stderr.startswith("Warning: ") and "plain Euclidean" in done.stderr
