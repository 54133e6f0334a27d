"""What every companion tool's main() shares: refusals, argument parsing, output files.

A refusal is one `Error: ...` line on standard error and exit status 1, as in zentrava;
functions deep in the package raise ToolError and the tool's main() turns it into that
line, so no traceback reaches a user for bad input.
"""

import argparse
import os
import sys
import tempfile
from typing import Callable, NoReturn, Sequence, TextIO


class ToolError(Exception):
    """Input or a request a tool refuses; the text is what follows `Error: `."""


def fail(message: str, usage: str = "") -> NoReturn:
    """Like zentrava's own refusals, the line ends in an exclamation mark; a refused
    command line adds the usage text after it."""
    sys.stdout.flush()
    sys.stderr.write(f"Error: {message.rstrip('!')}!\n{usage}")
    sys.stderr.flush()
    sys.exit(1)


def note(message: str) -> None:
    """One line on standard error that does not stop the tool (a warning, a cut-off run)."""
    sys.stderr.write(f"{message}\n")
    sys.stderr.flush()


class ArgumentParser(argparse.ArgumentParser):
    """argparse with the system's refusal: the error line, then the usage text, status 1."""

    def error(self, message: str) -> NoReturn:
        fail(message[:1].upper() + message[1:], self.format_usage())


def run(main: Callable[[Sequence[str]], int], argv: Sequence[str]) -> int:
    """Calls main(argv), turning a ToolError into a refusal and a closed pipe into silence."""
    try:
        return main(argv)
    except ToolError as error:
        fail(str(error))
    except BrokenPipeError:
        # A reader such as `head` that stops early is no failure of the tool; keep
        # Python from complaining again when it flushes standard output at exit.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 0
    except KeyboardInterrupt:
        return 130


# Far above the output of any run worth charting, far below what a reader of
# /dev/zero or of an endless pipe would otherwise take before it is killed.
MAX_INPUT_BYTES = 1 << 30
_CHUNK = 1 << 20


def _read_bounded(handle, path: str, what: str) -> bytes:
    """The bytes of a stream, refused at once when they cannot be text: a NUL byte, or
    more than MAX_INPUT_BYTES."""
    chunks, size = [], 0
    while chunk := handle.read(_CHUNK):
        if b"\0" in chunk:
            raise ToolError(f"Cannot read {what} '{path}': it holds a NUL byte, so it is no text")
        size += len(chunk)
        if size > MAX_INPUT_BYTES:
            raise ToolError(f"Cannot read {what} '{path}': it is larger than"
                            f" {MAX_INPUT_BYTES >> 20} MiB")
        chunks.append(chunk)
    return b"".join(chunks)


def read_text(path: str, what: str) -> str:
    """The whole of a text file, or of standard input for `-`.

    Bytes that are not UTF-8 are kept as they are (surrogate escapes), so a header in
    another encoding passes through a conversion unchanged."""
    try:
        if path == "-":
            data = _read_bounded(sys.stdin.buffer, path, what)
        else:
            with open(path, "rb") as handle:
                data = _read_bounded(handle, path, what)
        return data.decode("utf-8", "surrogateescape")
    except IsADirectoryError:
        raise ToolError(f"Cannot read {what} '{path}': it is a directory") from None
    except OSError as error:
        raise ToolError(f"Cannot read {what} '{path}': {error.strerror}") from None


class PendingFile:
    """An output file written under a temporary name beside its target and renamed only
    by commit(), so a refused or failed run never leaves a half-written file."""

    def __init__(self, path: str):
        self.path = path
        directory = os.path.dirname(os.path.abspath(path))
        try:
            fd, self.temporary = tempfile.mkstemp(
                prefix=".", suffix=os.path.splitext(path)[1], dir=directory)
        except OSError as error:
            raise ToolError(f"Cannot write '{path}': {error.strerror}") from None
        os.close(fd)

    def write(self, text: str) -> None:
        try:
            with open(self.temporary, "w", encoding="utf-8", errors="surrogateescape",
                      newline="") as handle:
                handle.write(text)
        except OSError as error:
            self.discard()
            raise ToolError(f"Cannot write '{self.path}': {error.strerror}") from None

    def commit(self) -> None:
        try:
            os.chmod(self.temporary, 0o666 & ~_umask())
            os.replace(self.temporary, self.path)
        except OSError as error:
            self.discard()
            raise ToolError(f"Cannot write '{self.path}': {error.strerror}") from None

    def discard(self) -> None:
        try:
            os.unlink(self.temporary)
        except FileNotFoundError:
            pass


def _umask() -> int:
    mask = os.umask(0)
    os.umask(mask)
    return mask


def write_text(path: str, text: str, stdout: TextIO = sys.stdout) -> None:
    """Writes text to path whole (`-`: standard output)."""
    if path == "-":
        stdout.write(text)
        stdout.flush()
        return
    pending = PendingFile(path)
    pending.write(text)
    pending.commit()
