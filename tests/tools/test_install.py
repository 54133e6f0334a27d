"""`make install`'s rules: the programs and the companion tools under a prefix, on PATH,
running from any folder."""

import os
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
