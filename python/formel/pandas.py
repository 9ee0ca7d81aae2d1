"""The ``df.formel`` accessor of pandas data frames, registered on import::

    import formel.pandas
    df.formel.evaluate(["[net] := [price]*[qty]", "[net]*1.2"])
"""
from __future__ import annotations

from typing import Any, Mapping, Optional, Sequence

import pandas

from . import LimitError, evaluate_records

__all__ = ["FormelAccessor"]


@pandas.api.extensions.register_dataframe_accessor("formel")
class FormelAccessor:
    """Formulas over the records of a data frame."""

    def __init__(self, frame: pandas.DataFrame) -> None:
        self._frame = frame

    def evaluate(self, formulas: Sequence[str], *, variables: Optional[Mapping[str, Any]] = None,
                 jobs: Optional[int] = None, standard_functions: bool = True) -> pandas.DataFrame:
        """The frame with one more column per formula, as ``formel --csv`` writes its records.

        The arguments and errors are those of :func:`formel.evaluate_records`;
        a :class:`formel.LimitError`'s results are the frame with its columns.
        """
        try:
            results = evaluate_records(formulas, self._frame, variables=variables, jobs=jobs,
                                       standard_functions=standard_functions)
        except LimitError as error:
            raise LimitError(error.failures, pandas.concat([self._frame, error.results], axis=1)) from None
        return pandas.concat([self._frame, results], axis=1)
