"""Formulas over Dask data frames, partition by partition.

The same code runs on one machine (Dask's own scheduler, or
``Client()``) and on a cluster (``Client("tcp://scheduler:8786")``): the
workers need the formel package installed.
"""
from __future__ import annotations

from typing import Any, Mapping, Optional, Sequence

import dask.dataframe

from . import pandas as _accessor  # noqa: F401  (registers df.formel)

__all__ = ["evaluate"]


def _evaluate_partition(partition: Any, formulas: list, variables: Optional[Mapping[str, Any]],
                        standard_functions: bool) -> Any:
    # Dask runs partitions side by side already: one thread each.
    return partition.formel.evaluate(formulas, variables=variables, jobs=1, standard_functions=standard_functions)


def evaluate(frame: dask.dataframe.DataFrame, formulas: Sequence[str], *,
             variables: Optional[Mapping[str, Any]] = None, standard_functions: bool = True) -> dask.dataframe.DataFrame:
    """The Dask data frame with one more column per formula (of object dtype, str values).

    Each partition is evaluated as :meth:`df.formel.evaluate` does; the
    arguments are those of :func:`formel.evaluate_records`. Lazy, as Dask
    is: nothing runs before ``compute()`` or ``persist()``.
    """
    if isinstance(formulas, str):
        raise TypeError("formulas must be a sequence of str, not a str")
    formulas = list(formulas)
    # The empty frame of the right shape also checks the formulas at once.
    meta = _evaluate_partition(frame._meta, formulas, variables, standard_functions)
    return frame.map_partitions(_evaluate_partition, formulas, variables, standard_functions, meta=meta,
                                enforce_metadata=False)
