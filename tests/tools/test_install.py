"""`make install`'s rules: the programs and the companion tools under a prefix, on PATH,
running from any folder."""

import os
import re
import subprocess

import pytest

from conftest import EXAMPLES, ROOT


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    build = os.environ.get("ZENTRAVA_BUILD") or str(ROOT / "build")
    prefix = tmp_path_factory.mktemp("prefix")
    done = subprocess.run(["cmake", "--install", build, "--prefix", str(prefix)],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    return prefix


@pytest.mark.parametrize("command,stdin,expected", [
    (["zentrava", "p2", "s"], "4 8 1 0.9 0.1\n", "*** Generation #1 Report ***"),
    (["dicebench", "10", "1"], None, "*** Random Number Generator -- Test Program"),
    (["zentrava-tsplib", EXAMPLES / "a280.tsp"], None, "DIMENSION : 280"),
    (["zentrava-report", "-"], None, "Error: 'standard input' is empty!"),
    (["zentrava-experiment", "summarize", "none"], None, "holds no experiment"),
])
def test_installed_programs_run_from_another_folder(prefix, tmp_path, command, stdin, expected):
    env = dict(os.environ, PATH=f"{prefix}/bin:/usr/bin:/bin")
    done = subprocess.run([*map(str, command)], input=stdin or "", capture_output=True,
                          text=True, cwd=tmp_path, env=env)
    assert os.path.realpath(f"{prefix}/bin/{command[0]}").startswith(str(prefix))
    assert expected in done.stdout + done.stderr
    assert "Traceback" not in done.stderr


MANUALS = sorted((ROOT / "man").glob("*.1"))


def rendered(page, width=80) -> subprocess.CompletedProcess:
    return subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", str(page)],
                          capture_output=True, text=True,
                          env=dict(os.environ, MANWIDTH=str(width), MAN_KEEP_FORMATTING=""))


@pytest.mark.parametrize("page", MANUALS, ids=[p.stem for p in MANUALS])
def test_manual_pages_format_without_warnings(page):
    for width in (60, 80):
        done = rendered(page, width)
        assert done.returncode == 0 and done.stderr == "", done.stderr
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "SEE ALSO"):
        assert f"\n{section}\n" in done.stdout


def test_every_installed_program_has_its_manual_page(prefix):
    programs = {p.name for p in (prefix / "bin").iterdir()}
    assert {"zentrava", "dicebench", "zentrava-report", "zentrava-tsplib"} <= programs
    pages = {p.name for p in (prefix / "share" / "man" / "man1").iterdir()}
    assert pages == {f"{p}.1" for p in programs}


def test_the_pages_list_every_refusal_and_option_of_the_readme():
    readme = (ROOT / "README.md").read_text()
    refusals = readme.split("\n## Refusals\n")[1].split("\n## ")[0]
    expected = re.findall(r"`(Error: [^`]*)`", refusals)
    expected += re.findall(r"(?m)^\| `(--?[a-z]+)", readme.split("\n## Command line\n")[1]
                           .split("\n## ")[0])
    page = " ".join(" ".join(rendered(ROOT / "man" / f"{program}.1", 1000).stdout.split())
                    for program in ("zentrava", "dicebench"))
    assert len(expected) > 10
    assert [e for e in expected if " ".join(e.split()) not in page] == []
