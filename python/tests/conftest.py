"""What the suites share: the formel program and the shared formula cases."""
import os
import pathlib
import re

import pytest

PROJECT = pathlib.Path(__file__).resolve().parents[2]
CASES_FILE = PROJECT / "tests" / "data" / "formula_cases.txt"
_ESCAPES = {"s": b" ", "t": b"\t", "n": b"\n", "r": b"\r", "\\": b"\\"}


def unescape(field: bytes) -> bytes:
    def one(match):
        code = match.group(1)
        if code.startswith(b"x"):
            return bytes([int(code[1:], 16)])
        return _ESCAPES.get(code.decode(), match.group(0))

    return re.sub(rb"\\(x[0-9A-Fa-f]{2}|.)", one, field)


def read_cases():
    """The shared cases: dicts of name, vars (name, value bytes), funcs, formula, expect."""
    cases = []
    for line in CASES_FILE.read_bytes().split(b"\n"):
        if not line or line.startswith(b"#"):
            continue
        keyword, *fields = line.split(b"\t")
        fields = [unescape(f) for f in fields]
        if keyword == b"case":
            cases.append({"name": fields[0], "vars": [], "funcs": [], "formula": b"", "expect": b""})
        elif keyword == b"var":
            cases[-1]["vars"].append((fields[0], fields[1] if len(fields) > 1 else b""))
        elif keyword == b"func":
            cases[-1]["funcs"].append((fields[0], fields[1]))
        elif keyword in (b"formula", b"expect"):
            cases[-1][keyword.decode()] = fields[0] if fields else b""
    return cases


def text(data: bytes) -> str:
    """Bytes as the package gives them."""
    return data.decode("utf-8", "surrogateescape")


@pytest.fixture(scope="session")
def formel_program():
    program = os.environ.get("FORMEL_PROGRAM")
    if not program or not os.path.exists(program):
        pytest.skip("the formel program was not built (FORMEL_PROGRAM)")
    return program
