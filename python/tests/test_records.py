"""Records: evaluate_records against the formel program's --csv runs, and
the texts that a table's values become."""
import io
import math
import pickle
import subprocess
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import formel
import formel.pandas  # noqa: F401
from conftest import read_cases, text

ASSIGNMENTS = [b'[ x ] := [x]&"!"', b"[x]&[s]", b'[quoted] := "a,""b"""', b"[quoted]&[v]"]


def csv_row(fields):
    """A row as the program writes it: a field is quoted only when it must be."""
    out = []
    for f in fields:
        out.append(b'"' + f.replace(b'"', b'""') + b'"' if any(c in f for c in b',"\r\n') else f)
    return b",".join(out) + (b'""' if fields == [b""] else b"") + b"\n"


def case_table():
    """The shared cases as one table: a column per variable name, a record
    per case with variables, every case's formula as a formula."""
    cases = read_cases()
    scratch = formel.Evaluator()  # names that are the same to the library
    header = []
    for case in cases:
        for name, _ in case["vars"]:
            if text(name) not in scratch:
                scratch[text(name)] = "1"
                header.append(name)
    records = []
    for case in cases:
        if case["vars"]:
            values = {text(n).strip().lower(): v for n, v in case["vars"]}
            records.append([values.get(text(n).strip().lower(), b"") for n in header])
    formulas = [c["formula"] for c in cases] + ASSIGNMENTS
    return header, records, formulas


def test_results_are_those_of_formel_csv(formel_program, tmp_path):
    header, records, formulas = case_table()
    table = tmp_path / "cases.csv"
    table.write_bytes(csv_row(header) + b"".join(csv_row(r) for r in records))
    run = subprocess.run([formel_program, "-q", "--var", "v=7", "--csv", str(table), "--", *formulas],
                         capture_output=True, timeout=120)
    assert len(records) > 10 and run.stdout.count(b"\n") > len(records)

    columns = {text(n): [text(r[i]) for r in records] for i, n in enumerate(header)}
    results = formel.evaluate_records([text(f) for f in formulas], pd.DataFrame(columns), variables={"v": "7"},
                                      jobs=2)
    names = [n.encode("utf-8", "surrogateescape") for n in results.columns]
    rows = results.to_numpy().tolist()
    expected = csv_row(header + names) + b"".join(
        csv_row(r + [v.encode("utf-8", "surrogateescape") for v in row]) for r, row in zip(records, rows))
    assert run.stdout == expected


def test_values_become_texts_as_formulas_write_numbers():
    values = [5, 2.5, 1e-05, 1e20, True, None, math.nan, "x y", "é"]
    expected = ["5", "2.5", "0.00001", "100000000000000000000", "1", "", "", "x y", "é"]
    results = formel.evaluate_records(["[v]&\"\""], {"v": values})
    assert results == {'[v]&""': expected}
    frame = pd.DataFrame({"i": [1, 2], "f": [0.5, math.nan], "b": [True, False]})
    assert formel.evaluate_records(["[i]&[f]&[b]"], frame)["[i]&[f]&[b]"].tolist() == ["10.51", "20"]


def test_numeric_columns_keep_their_texts():
    # Many rows in several numeric columns, whose texts the columns hold.
    n = 200_000
    table = {"i": np.arange(n), "f": np.arange(n) * 0.5, "b": np.arange(n) % 2 == 0, "g": np.arange(n) + 7}
    results = formel.evaluate_records(['[i]&","&[f]&","&[b]&","&[g]'], table, jobs=2)
    expected = [f"{k},{k // 2}{'.5' if k % 2 else ''},{1 - k % 2},{k + 7}" for k in range(n)]
    assert list(results.values())[0] == expected


def test_fields_of_strided_arrays_tuples_and_undecodable_texts():
    strided = np.array(["a", "x", "é", "x", "\udcff", "x"], dtype=object)[::2]
    results = formel.evaluate_records(['[v]&[w]&"!"'], {"v": strided, "w": ("1", 2, None)})
    assert results == {'[v]&[w]&"!"': ["a1!", "é2!", "\udcff!"]}


def test_each_record_starts_from_the_same_variables():
    table = {"a": [str(i) for i in range(5000)]}
    formulas = ["[n] := [n]&[a]", "[n]+1", "[m]"]
    one = formel.evaluate_records(formulas, table, variables={"n": "1", "m": "k"}, jobs=1)
    three = formel.evaluate_records(formulas, table, variables={"n": "1", "m": "k"}, jobs=3)
    assert one == three
    assert one["n"][:3] == ["10", "11", "12"] and set(one["[m]"]) == {"k"}
    with pytest.raises(ValueError):
        formel.evaluate_records(formulas, table, jobs=0)


@pytest.mark.parametrize("formulas, table, error", [
    ("[a]", {"a": ["1"]}, TypeError),                       # one str, not a list of them
    ([b"[a]"], {"a": ["1"]}, TypeError),                    # bytes formula
    (["[a]"], {"a": [[1]]}, TypeError),                     # a value of another type
    (["[a]"], {"a": ["1\0"]}, ValueError),                  # NUL byte
    (["[a]"], {"a": ["1"], " A": ["2"]}, ValueError),       # the same name twice
    (["[a]"], {"a": ["1"], "b": ["1", "2"]}, ValueError),   # columns of other lengths
    (["[a]"], [["1"]], TypeError),                          # not a table
])
def test_bad_tables_raise(formulas, table, error):
    with pytest.raises(error):
        formel.evaluate_records(formulas, table)


def test_result_columns_are_headed_as_the_program_heads_them():
    frame = pd.DataFrame({"a": ["1", "2"]}, index=[10, 20])
    results = formel.evaluate_records(["[x] := [a]+1", "[x] := [x]*2"], frame)
    assert list(results.columns) == ["x", "x (3)"] and list(results.index) == [10, 20]
    assert list(formel.evaluate_records(["[a] := 1", "[] := 2"], {"a": ["1"]})) == ["a (2)", "(3)"]
    assert results.to_numpy().tolist() == [["2", "4"], ["3", "6"]]


def test_results_past_a_limit_are_reported_as_formel_csv_reports_them(formel_program, tmp_path):
    # A result past 4 MiB, a variable's value past it, and an assignment
    # whose empty result the next formula reads; the other results stay.
    table = pd.DataFrame({"a": ["1", "x" * (3 << 20), "2"]}, index=["p", "q", "r"])
    formulas = ["[n] := [a]&[a]", "[n]&1", "len([a])", "len([long])", '""']
    long_value = "y" * (5 << 20)
    (tmp_path / "vars").write_text(f"long={long_value}\n")
    table.to_csv(tmp_path / "t.csv", index=False)
    run = subprocess.run([formel_program, "-q", "--vars", str(tmp_path / "vars"), "--csv", str(tmp_path / "t.csv"),
                          "--", *formulas], capture_output=True, timeout=120)
    assert run.returncode == 1

    for evaluate in (lambda: formel.evaluate_records(formulas, table, variables={"long": long_value}, jobs=2),
                     lambda: table.formel.evaluate(formulas, variables={"long": long_value}, jobs=1)):
        with pytest.raises(formel.LimitError) as caught:
            evaluate()
        error = caught.value
        headings = list(error.results.columns)[-len(formulas):]
        reported = [f"formel: {tmp_path / 't.csv'}: record {f.row + 2}, formula {headings.index(f.column) + 1}: "
                    f"{f.message}" for f in error.failures]
        assert reported == run.stderr.decode().splitlines()
        assert [(f.row, f.label) for f in error.failures] == [(0, "p"), (1, "q"), (1, "q"), (2, "r")]
        assert "row 1 (index 'q'), column 'n': result longer than the text limit (4 MiB)" in str(error)
        assert str(pickle.loads(pickle.dumps(error))) == str(error)  # as Dask's workers send it
        expected = pd.read_csv(io.BytesIO(run.stdout), dtype=str, keep_default_na=False)
        assert error.results.to_numpy().tolist() == expected.iloc[:, -len(error.results.columns):].to_numpy().tolist()


def objects(values):
    array = np.empty(len(values), dtype=object)
    array[:] = values
    return array


@pytest.mark.parametrize("jobs", [1, 3])
def test_fields_of_every_kind_across_chunks(jobs):
    # Short ASCII strs are copied, others read where they lie, numbers
    # written per chunk; 40,001 distinct results outgrow a thread's table.
    rows = 40_001
    kinds = [lambda k: str(k), lambda k: "x" * 70 + str(k), lambda k: "é" + str(k), lambda k: None,
             lambda k: k, lambda k: k + 0.5, lambda k: math.nan]
    a = [kinds[k % len(kinds)](k) for k in range(rows)]
    texts = {type(None): lambda v: "", int: str, float: lambda v: "" if math.isnan(v) else str(v), str: str}
    table = {"a": objects(a), "b": [v for v in reversed(a)], "i": np.arange(rows), "t": np.arange(rows) % 2 == 0}
    results = formel.evaluate_records(['[a]&"|"&[b]&"|"&[t]', "[i]*2"], table, jobs=jobs)
    assert list(results.values()) == [
        [f"{texts[type(x)](x)}|{texts[type(y)](y)}|{1 - k % 2}" for k, (x, y) in enumerate(zip(a, reversed(a)))],
        [str(2 * k) for k in range(rows)]]


@pytest.mark.parametrize("table, error, message", [
    # The first column's fault, though the second's is in an earlier chunk.
    ({"a": objects(["1"] * 9000 + ["x\0"]), "b": objects(["1"] * 5 + [[1]] + ["1"] * 8995)}, ValueError,
     "embedded null character in column 'a'"),
    # A column's first fault, of two in different chunks.
    ({"a": objects(["1"] * 5000 + [b"x"] + ["1"] * 4000 + [1j])}, TypeError,
     "column 'a', row 5000: expected str, a number or None, not bytes"),
    ({"a": ["1"] * 9000 + [1j], "b": ["1"] * 9000 + ["\0"]}, TypeError, "column 'a', row 9000:"),
])
def test_a_table_raises_for_its_first_fault(table, error, message):
    with pytest.raises(error, match=message):
        formel.evaluate_records(["[a]&[b]"], table, jobs=2)


def test_a_table_changed_by_another_thread_meanwhile_is_read_safely():
    # The other thread replaces each str with an equal new one: a str that
    # the run read after the table let it go would have another's text.
    # Long strs and non-ASCII ones are read where they lie, short ones copied.
    rows = 200_000

    def value(k):
        return str(1000 + k % 1000) * (20 if k % 7 == 0 else 1) + ("é" if k % 11 == 0 else "")

    column = objects([value(i) for i in range(rows)])
    done = threading.Event()

    def change():
        k = 0
        while not done.is_set():
            column[k % rows] = value(k % rows)
            k += 1

    switch = sys.getswitchinterval()
    sys.setswitchinterval(1e-5)
    changer = threading.Thread(target=change)
    changer.start()
    try:
        results = [formel.evaluate_records(['[a]&"!"'], {"a": column}, jobs=2) for _ in range(3)]
    finally:
        done.set()
        changer.join()
        sys.setswitchinterval(switch)
    expected = [value(i) + "!" for i in range(rows)]
    assert all(r['[a]&"!"'] == expected for r in results)
