"""Reads TSPLIB node-coordinate files and tours; writes the city-file layout zentrava reads.

The reader takes what real TSPLIB files hold: header lines `KEY: value` or `KEY : value`
in any order, records with leading blanks and runs of blanks or tabs, long fields and
scientific notation, with or without `EOF`. It refuses what zentrava could not score as
the file intends; the coordinates keep the text of the file, so a conversion changes
no digit of the instance.
"""

import math
import re
from collections import Counter
from dataclasses import dataclass, field
from typing import Optional

from .cli import ToolError

# Distances zentrava computes as the file means them, and those it would replace by
# plain Euclidean ones (warned about, not refused).
EUCLIDEAN = {"EUC_2D"}
APPROXIMATED = {"ATT": "pseudo-Euclidean (ATT)", "CEIL_2D": "rounded-up Euclidean (CEIL_2D)"}
_KEY = re.compile(r"\s*([A-Za-z_][A-Za-z0-9_]*)\s*(?::\s*(.*?))?\s*")
_NUMBER = re.compile(r"[-+]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][-+]?[0-9]+)?")
_INTEGER = re.compile(r"[-+]?[0-9]+")


@dataclass
class City:
    id: int
    x: float
    y: float
    x_text: str
    y_text: str


@dataclass
class Instance:
    source: str
    keywords: dict[str, str] = field(default_factory=dict)
    comments: list[str] = field(default_factory=list)
    cities: list[City] = field(default_factory=list)
    warnings: list[str] = field(default_factory=list)

    @property
    def name(self) -> str:
        return self.keywords.get("NAME", "")

    def coordinates(self) -> dict[int, tuple[float, float]]:
        return {c.id: (c.x, c.y) for c in self.cities}


def _refuse(source: str, line: int, what: str) -> ToolError:
    return ToolError(f"{source}, line {line}: {what}")


def read_instance(text: str, source: str) -> Instance:
    """A TSPLIB TSP instance with node coordinates in the plane."""
    instance = Instance(source)
    lines = text.splitlines()
    number = 0
    section = None
    while number < len(lines):
        line = lines[number]
        number += 1
        if not line.strip():
            continue
        match = _KEY.fullmatch(line)
        key = match.group(1).upper() if match else None
        if key == "EOF":
            break
        if match is None or (match.group(2) is None and not key.endswith("_SECTION")):
            raise _refuse(source, number, f"expected a keyword line, found {line[:60]!r}")
        if key == "COMMENT":
            instance.comments.append(match.group(2))
        elif not key.endswith("_SECTION"):
            instance.keywords[key] = match.group(2)
            _check_keyword(instance, key, match.group(2), number)
        elif key == "NODE_COORD_SECTION":
            section = number
            number = _read_records(instance, lines, number)
        elif key in ("DISPLAY_DATA_SECTION", "FIXED_EDGES_SECTION"):
            if key == "FIXED_EDGES_SECTION":
                instance.warnings.append(
                    f"Warning: {source}: its fixed edges are left out; zentrava does not keep them")
            number = _skip_section(lines, number)
        else:
            raise _refuse(source, number, f"{key} holds data zentrava cannot use"
                          " (it scores tours by the coordinates of the cities)")
    if section is None:
        raise ToolError(f"{source} has no NODE_COORD_SECTION")
    _check_instance(instance, section)
    return instance


def _check_keyword(instance: Instance, key: str, value: str, number: int) -> None:
    source = instance.source
    if key == "TYPE" and value.upper() not in ("TSP",):
        raise _refuse(source, number, f"TYPE {value} is not a symmetric TSP")
    if key == "EDGE_WEIGHT_TYPE":
        kind = value.upper()
        if kind == "EXPLICIT":
            raise _refuse(source, number, "explicit edge weights cannot be scored by"
                          " zentrava, which measures distances between coordinates")
        if kind == "GEO":
            raise _refuse(source, number, "GEO coordinates are latitudes and longitudes;"
                          " zentrava would score them as points in a plane")
        if kind in APPROXIMATED:
            instance.warnings.append(
                f"Warning: {source} asks for {APPROXIMATED[kind]} distances; zentrava"
                " scores its tours with plain Euclidean distances")
        elif kind not in EUCLIDEAN:
            raise _refuse(source, number, f"EDGE_WEIGHT_TYPE {value} cannot be scored by"
                          " zentrava, which uses Euclidean distances in the plane")
    if key == "NODE_COORD_TYPE" and value.upper() != "TWOD_COORDS":
        raise _refuse(source, number, f"NODE_COORD_TYPE {value}: zentrava needs"
                      " coordinates in the plane")
    if key == "DIMENSION" and not (value.isdigit() and int(value) > 0):
        raise _refuse(source, number, f"DIMENSION {value!r} is not a positive whole number")


def _read_records(instance: Instance, lines: list[str], number: int) -> int:
    """Reads `id x y` records from lines[number:]; returns the index of the first line
    after them."""
    source = instance.source
    while number < len(lines):
        fields = lines[number].split()
        if not fields:
            number += 1
            continue
        if not _INTEGER.fullmatch(fields[0]):
            return number  # the next keyword, or EOF
        number += 1
        if len(fields) != 3:
            raise _refuse(source, number, f"a record needs an id and two coordinates,"
                          f" found {len(fields)} fields")
        id_text, x_text, y_text = fields
        for text in (x_text, y_text):
            if not _NUMBER.fullmatch(text) or not math.isfinite(float(text)):
                raise _refuse(source, number, f"{text!r} is not a coordinate")
        instance.cities.append(City(int(id_text), float(x_text), float(y_text),
                                    x_text, y_text))
    return number


def _skip_section(lines: list[str], number: int) -> int:
    while number < len(lines):
        fields = lines[number].split()
        if fields and not _INTEGER.fullmatch(fields[0]):
            return number
        number += 1
        if fields == ["-1"]:
            break
    return number


def _check_instance(instance: Instance, section: int) -> None:
    source = instance.source
    if "EDGE_WEIGHT_TYPE" not in instance.keywords:
        raise ToolError(f"{source} does not say its EDGE_WEIGHT_TYPE")
    count = len(instance.cities)
    if count == 0:
        raise _refuse(source, section, "NODE_COORD_SECTION holds no city")
    dimension = instance.keywords.get("DIMENSION")
    if dimension is not None and int(dimension) != count:
        raise ToolError(f"{source} says DIMENSION {dimension} but holds {count} cities")
    ids = Counter(c.id for c in instance.cities)
    if len(ids) != count or min(ids) != 1 or max(ids) != count:
        twice = sorted(i for i, k in ids.items() if k > 1)
        stray = sorted(i for i in ids if not 1 <= i <= count)
        detail = f"id {twice[0]} appears more than once" if twice else f"found id {stray[0]}"
        raise ToolError(f"{source}: the city ids must be 1 to {count}, each once; {detail}")


def to_city_file(instance: Instance) -> str:
    """The six header lines zentrava skips, then `id x y` on single blanks and `EOF`."""
    keywords = instance.keywords
    comment = "; ".join(c for c in instance.comments if c)
    header = [f"NAME : {keywords.get('NAME', '')}",
              f"COMMENT : {comment}",
              f"TYPE : {keywords.get('TYPE', 'TSP')}",
              f"DIMENSION : {len(instance.cities)}",
              f"EDGE_WEIGHT_TYPE : {keywords['EDGE_WEIGHT_TYPE']}",
              "NODE_COORD_SECTION"]
    records = [f"{c.id} {c.x_text} {c.y_text}" for c in instance.cities]
    return "\n".join(header + records + ["EOF", ""])


def read_tour(text: str, source: str) -> list[int]:
    """The city ids of a TSPLIB tour file (TOUR_SECTION, ending at -1 or EOF)."""
    lines = text.splitlines()
    for number, line in enumerate(lines, start=1):
        match = _KEY.fullmatch(line)
        key = match.group(1).upper() if match else None
        if key == "TOUR_SECTION":
            break
        if key == "TYPE" and (match.group(2) or "").upper() != "TOUR":
            raise _refuse(source, number, f"TYPE {match.group(2)} is not a tour")
        if match is None or match.group(2) is None:
            if line.strip():
                raise _refuse(source, number, f"expected a keyword line, found {line[:60]!r}")
    else:
        raise ToolError(f"{source} has no TOUR_SECTION")
    tour: list[int] = []
    for number, line in enumerate(lines[number:], start=number + 1):
        words = line.split()
        if words == ["EOF"]:
            break
        for word in words:
            if not _INTEGER.fullmatch(word):
                raise _refuse(source, number, f"{word!r} is not a city id")
            if word == "-1":
                return tour
            tour.append(int(word))
    return tour


def check_tour(tour: list[int], cities: dict, what: str, source: str) -> None:
    """Refuses a tour that is not a round trip through every city of the file once."""
    missing = [c for c in tour if c not in cities]
    if missing:
        raise ToolError(f"{what} visits city {missing[0]}, which {source} lacks")
    if len(tour) != len(cities) or len(set(tour)) != len(tour):
        raise ToolError(f"{what} does not visit each of the {len(cities)} cities of"
                        f" {source} once")


def tour_length(tour: list[int], cities: dict[int, tuple[float, float]],
                rounded: bool = False) -> float:
    """The closed tour's length, summed as zentrava sums it: edges in tour order, the
    closing edge last. Rounded: TSPLIB's EUC_2D distance, nint of each edge."""
    def edge(a: int, b: int) -> float:
        (ax, ay), (bx, by) = cities[a], cities[b]
        d = math.sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay))
        return float(int(d + 0.5)) if rounded else d
    total = 0.0
    for a, b in zip(tour, tour[1:]):
        total += edge(a, b)
    return total + edge(tour[0], tour[-1])
