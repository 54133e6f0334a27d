"""zentrava-report's pictures, its gap to the optimal tour, and the city files it refuses."""

import re
import xml.etree.ElementTree as ElementTree

import matplotlib.image
import numpy
import pytest

from conftest import EXAMPLES, refused, run_tool

EIL51 = EXAMPLES / "eil51.tsp"
EIL51_TOUR = EXAMPLES / "eil51.opt.tour"


def picture_inches(path) -> tuple:
    """Width and height of a written picture in inches, after checking that it is not blank."""
    data = path.read_bytes()
    if path.suffix == ".png":
        pixels = matplotlib.image.imread(path)
        assert len(numpy.unique(pixels.reshape(-1, pixels.shape[2]), axis=0)) > 20
        return pixels.shape[1] / 100, pixels.shape[0] / 100
    if path.suffix == ".svg":
        root = ElementTree.fromstring(data)
        assert len(root.findall(".//{http://www.w3.org/2000/svg}path")) > 20
        return tuple(float(root.get(k).rstrip("pt")) / 72 for k in ("width", "height"))
    assert data.startswith(b"%PDF") and len(data) > 5000
    box = re.search(rb"/MediaBox \[ *0 0 ([0-9.]+) ([0-9.]+) *\]", data)
    return float(box.group(1)) / 72, float(box.group(2)) / 72


@pytest.mark.parametrize("name,options,size", [
    ("tsp p", ["--plot", "c.png", "--cities", EIL51, "--optimal", EIL51_TOUR], (9, 8)),
    ("p10 s", ["--plot", "c.png"], (9, 5)),
    ("pmx s", ["--plot", "c.svg"], (9, 8)),
    ("p2 p", ["--plot", "c.pdf"], (9, 5)),
    ("tsp s", ["--tour", "t.png", "--cities", EIL51], (7, 7)),
    ("tsp p", ["--tour", "t.png", "--cities", EIL51, "--optimal", EIL51_TOUR], (14, 7)),
    ("pmx seeded", ["--tour", "t.pdf", "--cities", EIL51], (7, 7)),
])
def test_each_picture_is_written_in_its_format_and_size(runs, tmp_path, name, options, size):
    done = run_tool("zentrava-report", runs[name], *options, cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    written, = [p for p in tmp_path.iterdir()]
    assert picture_inches(written) == pytest.approx(size, abs=0.01)


def nint_lengths(tour: list) -> tuple:
    """A tour's length on eil51, unrounded and with TSPLIB's nint of each edge."""
    records = EIL51.read_text().split("NODE_COORD_SECTION\n")[1].split("EOF")[0]
    points = numpy.array([row.split() for row in records.splitlines()], float)[:, 1:]
    edges = numpy.hypot(*(points[tour] - points[numpy.roll(tour, -1)]).T)
    return edges.sum(), numpy.floor(edges + 0.5).sum()


@pytest.mark.parametrize("name", ["tsp s", "pmx p", "tsp G=0"])
def test_the_gap_to_the_optimal_tour_is_computed_both_ways(runs, name):
    done = run_tool("zentrava-report", runs[name], "--cities", EIL51, "--optimal", EIL51_TOUR)
    summary = dict(line.split(":", 1) for line in done.stdout.splitlines())
    assert summary["Optimal tour"].split(",")[0].strip() == "429.98 (TSPLIB rounded: 426)"
    best = re.findall(r"Best tour: (.*)", runs[name].read_text())[-1]
    length, rounded = nint_lengths(numpy.array(best.split(">"), int) - 1)
    assert summary["Best tour length"].strip() == f"{length:.2f} (TSPLIB rounded: {rounded:.0f})"
    gaps = f"{(length / 429.983312 - 1) * 100:.2f} % unrounded, {(rounded / 426 - 1) * 100:.2f} % rounded"
    assert summary["Gap to optimum"].strip() == gaps


def moved_city_file(folder, id_from=51, id_to=51, shift=0):
    text = EIL51.read_text().replace("\n51 ", f"\n{id_to} ").replace("\n1 37 52", f"\n1 {37 + shift} 52")
    path = folder / "eil51-changed.tsp"
    path.write_text(text)
    return path


@pytest.mark.parametrize("name,options,message", [
    ("tsp s", ["--tour", "t.png"], "need --cities"),
    ("tsp s", ["--plot", "c.jpg"], "picture format of 'c.jpg'"),
    ("p2 s", ["--cities", EIL51], "is not a TSP run"),
    ("tsp s", ["--cities", EXAMPLES / "a280.tsp"], "holds 280 cities, but the run read 51"),
    ("tsp s", ["--cities", "{shifted}"], "it is not the run's city file"),
    ("tsp s", ["--cities", "{renumbered}"], "found id 52"),
    ("tsp s", ["--cities", EIL51, "--optimal", EXAMPLES / "st70.opt.tour"], "lacks"),
    ("tsp s", ["--cities", EIL51, "--optimal", EIL51], "is not a tour"),
    ("tsp s", ["--plot", "missing/c.png"], "Cannot write 'missing/c.png'"),
    ("pmx seeded", ["--tour", "t.png", "--cities", EIL51], "holds no tour"),
])
def test_refusals_leave_no_file_behind(runs, tmp_path, name, options, message):
    files = {"{shifted}": moved_city_file(tmp_path, shift=1),
             "{renumbered}": moved_city_file(tmp_path / "..", id_to=52)}
    report = runs[name].with_suffix(".log") if "--tour" in options and "seeded" in name \
        else runs[name]
    before = set(tmp_path.iterdir())
    done = run_tool("zentrava-report", report, "--csv", "r.csv",
                    *[files.get(str(o), o) for o in options], cwd=tmp_path)
    assert message in refused(done)
    assert set(tmp_path.iterdir()) == before
