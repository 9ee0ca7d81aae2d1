"""formel: formulas over texts, records and data frames.

An :class:`Evaluator` holds variables (a mapping of names to texts) and
host functions (Python callables) and evaluates formulas::

    >>> import formel
    >>> ev = formel.Evaluator(standard_functions=True)
    >>> ev["x"] = 5
    >>> ev.evaluate("2*max(1,[x])+1")
    '11'

:func:`evaluate_records` evaluates formulas for every record of a table (a
pandas data frame or a mapping of columns) in C++, on several threads, with
exactly the results of ``formel --csv``. ``import formel.pandas`` adds the
``df.formel`` accessor; :mod:`formel.dask` evaluates Dask data frames.

Texts: a str goes to the library as UTF-8; results come back decoded from
UTF-8 with "surrogateescape", so that bytes that are not UTF-8 round-trip.
"""
from __future__ import annotations

import inspect
import os
import sys
from typing import Any, Callable, Mapping, NamedTuple, Optional, Sequence

from . import _formel

__all__ = ["Evaluator", "Finding", "Check", "TraceEvent", "Trace", "evaluate_records", "RecordFailure",
           "LimitError"]


class Finding(NamedTuple):
    """Where the language did something a formula's author may not expect.

    code names it ("unset-variable", "division-by-zero", ...), message says
    it in English; start and end index the stretch of the formula (as a
    str) that it concerns, -1 when it has none in the formula as written.
    """

    code: str
    message: str
    start: int
    end: int


class Check(NamedTuple):
    """The result of a formula and its findings, in the order they happened."""

    result: str
    findings: list


class TraceEvent(NamedTuple):
    """One step of an evaluation.

    kind is "stage" (name is the stage: "groups", "variables", an operator,
    "signs" or "result"), "group" (name "group" or "call": before is the
    group as written, after the literal that replaced it) or "finding"
    (name is its code, after its message). depth is 1 for the formula
    itself, one more per group level; start and end as in :class:`Finding`.
    """

    kind: str
    depth: int
    name: str
    before: str
    after: str
    start: int
    end: int


class Trace(NamedTuple):
    """The result of a formula and every step of its evaluation, innermost first."""

    result: str
    events: list

    @property
    def stages(self) -> list:
        """The stage events."""
        return [e for e in self.events if e.kind == "stage"]

    @property
    def groups(self) -> list:
        """The replaced groups and calls."""
        return [e for e in self.events if e.kind == "group"]


def _param_count(function: Callable[..., Any]) -> int:
    count = 0
    for parameter in inspect.signature(function).parameters.values():
        if parameter.kind == parameter.VAR_POSITIONAL:
            raise TypeError(f"{function!r} takes *args: give its parameter count with params=")
        if parameter.kind in (parameter.POSITIONAL_ONLY, parameter.POSITIONAL_OR_KEYWORD):
            count += 1
        elif parameter.kind == parameter.KEYWORD_ONLY and parameter.default is parameter.empty:
            raise TypeError(f"{function!r} has a keyword-only parameter without a default")
    return count


def _str_offset(formula: str, offset: int) -> int:
    """A byte offset into the UTF-8 formula as an index into the str."""
    if offset <= 0 or formula.isascii():
        return offset
    head = formula.encode("utf-8", "surrogateescape")[:offset]
    return len(head.decode("utf-8", "surrogateescape"))


class Evaluator(_formel.Evaluator):
    """One evaluator: its variables, its functions, its evaluations.

    Variables are a mapping of names to texts: ``ev["x"] = 5`` (numbers are
    written as the formula language writes them, True and False as 1 and
    0), ``ev["x"]`` gives the text ("5"), ``del ev["x"]``, ``"x" in ev``,
    ``ev.clear()``. Names match as the library matches them: blanks at both
    ends and the case of letters do not count. Without standard_functions
    the function table starts empty; with it, the library's min, max, abs,
    sqrt, round, len, upper, lower, left, right, mid, trim and if.

    One evaluator may be shared by threads: its calls are serialized. A host
    function may call back into its own evaluator.
    """

    def __init__(self, variables: Optional[Mapping[str, Any]] = None, *, standard_functions: bool = False) -> None:
        super().__init__(standard_functions)
        for name, value in (variables or {}).items():
            self[name] = value

    def get(self, name: str, default: Optional[str] = None) -> Optional[str]:
        """The value of variable name, or default when it is not set."""
        return self[name] if name in self else default

    def update(self, variables: Mapping[str, Any]) -> None:
        """Sets every variable of the mapping."""
        for name, value in variables.items():
            self[name] = value

    def function(self, function: Optional[Callable[..., Any]] = None, *, name: Optional[str] = None,
                 params: Optional[int] = None) -> Any:
        """Registers a host function; usable as ``@ev.function`` or ``@ev.function(name=..., params=...)``.

        The function is called with params arguments (its count of
        positional parameters unless given, 0 to 10), each a str: missing
        ones are "", extra ones are dropped. It returns a str, a number or
        None (""). An exception it raises does not stop the evaluation: the
        function's result is "" and evaluate raises the exception when the
        formula is done, with a note naming the function and the formula.
        Returning another type raises TypeError the same way. Returns the
        function, so that it stays usable from Python.
        """

        def register(fn: Callable[..., Any]) -> Callable[..., Any]:
            count = _param_count(fn) if params is None else params
            self.set_function(name if name is not None else fn.__name__, count, fn)
            return fn

        return register if function is None else register(function)

    def check(self, formula: str) -> Check:
        """Evaluates formula and gives its result with its findings."""
        result, findings = self._check(formula)
        return Check(result, [Finding(code, message, _str_offset(formula, start), _str_offset(formula, end))
                              for code, message, start, end in findings])

    def trace(self, formula: str) -> Trace:
        """Evaluates formula and gives its result with every stage, group and finding."""
        result, events = self._trace(formula)
        return Trace(result, [TraceEvent(kind, depth, name, before, after, _str_offset(formula, start),
                                         _str_offset(formula, end))
                              for kind, depth, name, before, after, start, end in events])


class RecordFailure(NamedTuple):
    """A formula that gave no result for one record of a table.

    row is the record's position in the table (from 0), label its index
    label (a data frame's; the position for a mapping of columns), column
    the formula's column as headed in the results, message why, in the
    words of ``formel --csv`` ("result longer than the text limit (4 MiB)").
    """

    row: int
    label: Any
    column: str
    message: str


class LimitError(ValueError):
    """Formulas went past a limit of the library for some records.

    Raised by :func:`evaluate_records` once every record is evaluated, where
    ``formel --csv`` reports "record N, formula M: ..." and exits with 1.
    failures lists each :class:`RecordFailure`, by row; results holds what
    the call would have returned, with "" in those places (as the program
    writes them), so the other results are not lost.
    """

    _SHOWN = 3

    def __init__(self, failures: list, results: Any) -> None:
        super().__init__(failures, results)
        self.failures = failures
        self.results = results

    def __str__(self) -> str:
        shown = [f"row {f.row}{'' if f.label == f.row else f' (index {f.label!r})'}, column {f.column!r}: "
                 f"{f.message}" for f in self.failures[:self._SHOWN]]
        more = len(self.failures) - len(shown)
        return "; ".join(shown) + (f"; and {more} more (see .failures)" if more else "")


def _column_values(series: Any) -> Any:
    import numpy

    if isinstance(series.dtype, numpy.dtype):
        return series.to_numpy()
    return series.to_numpy(dtype=object, na_value=None)


def evaluate_records(formulas: Sequence[str], table: Any, *, variables: Optional[Mapping[str, Any]] = None,
                     jobs: Optional[int] = None, standard_functions: bool = True) -> Any:
    """Evaluates the formulas for every record of table, as ``formel --csv`` does.

    table is a pandas data frame or a mapping of column names to sequences
    of one length. For each record, every column is set as a variable under
    its name (str as it is, numbers as the formula language writes them,
    None and NaN as ""), then the formulas run in order. A formula written
    ``[NAME] := FORMULA`` gives the column NAME and sets the variable NAME
    for the later formulas of the same record; any other formula's column
    is named by its text. Every record starts from variables (and nothing
    else), so records do not see each other.

    The records are evaluated in C++ on jobs threads (default: every core),
    one evaluator each, without the GIL. With standard_functions (the
    default, as the program has), the library's standard functions are
    there. Gives a data frame with table's index for a data frame, else a
    dict of lists, one column per formula, headed as in the program's
    output: a name that would be empty or repeat an earlier column's (of the
    table or a formula, as variable names match) becomes "NAME (N)" or
    "(N)", N the column's number after the table's. ValueError when the
    table names a column twice.

    A formula that goes past a limit of the library for a record (a text
    longer than 4 MiB, the quoting allowance, memory) gives it no result:
    after the run, :class:`LimitError` names each such record and column
    and holds the results, "" in those places.
    """
    if isinstance(formulas, str):
        raise TypeError("formulas must be a sequence of str, not a str")
    formulas = list(formulas)
    pandas = sys.modules.get("pandas")
    is_frame = pandas is not None and isinstance(table, pandas.DataFrame)
    if is_frame:
        names = [str(name) for name in table.columns]
        columns = [_column_values(table.iloc[:, i]) for i in range(table.shape[1])]
        rows = len(table)
    elif isinstance(table, Mapping):
        names = list(table.keys())
        columns = list(table.values())
        rows = len(columns[0]) if columns else 0
    else:
        raise TypeError(f"table must be a pandas DataFrame or a mapping of columns, not {type(table).__name__}")
    setting = list((variables or {}).items())
    if jobs is None:
        jobs = os.cpu_count() or 1
    elif jobs < 1:
        raise ValueError(f"jobs must be at least 1, not {jobs}")
    result_names, results, failures = _formel.evaluate_records(formulas, names, columns, rows, setting, jobs,
                                                               standard_functions)
    if is_frame:
        # The transpose is the layout pandas keeps an object frame in: no copy.
        output = pandas.DataFrame(results.T, index=table.index, dtype=object, copy=False)
        output.columns = result_names
    else:
        output = {name: column.tolist() for name, column in zip(result_names, results)}
    if failures:
        labels = table.index if is_frame else range(rows)
        raise LimitError([RecordFailure(row, labels[row], result_names[formula], message)
                          for row, formula, message in failures], output)
    return output
