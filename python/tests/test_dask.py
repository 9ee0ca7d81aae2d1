"""formel.dask on a real cluster: two worker processes on the loopback address."""
import os
import signal
import time

import dask.dataframe as dd
import pandas as pd
import pytest
from distributed import Client, LocalCluster

import formel.dask
import formel.pandas  # noqa: F401

FORMULAS = ["[net] := [price]*[qty]", '[net]*1.2&" "&upper([item])']


def table(rows):
    return pd.DataFrame({"id": range(rows), "item": [f"item {i % 97}" for i in range(rows)],
                         "price": [f"{i % 1000}.25" for i in range(rows)], "qty": [i % 7 for i in range(rows)]})


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None, silence_logs=40) as cluster, Client(cluster) as client:
        client.wait_for_workers(2, timeout=60)
        yield client


def test_cluster_results_equal_the_pandas_path(client):
    frame = table(5000)
    ddf = dd.from_pandas(frame, npartitions=4)
    lazy = formel.dask.evaluate(ddf, FORMULAS)
    assert list(lazy.columns) == list(frame.columns) + ["net", FORMULAS[1]]
    assert (lazy.dtypes.iloc[-2:] == object).all()
    result = client.compute(lazy).result(timeout=120)
    pd.testing.assert_frame_equal(result, frame.formel.evaluate(FORMULAS))


def test_a_killed_worker_loses_no_record_and_repeats_none(client):
    rows = 400_000
    frame = table(rows)
    future = client.compute(formel.dask.evaluate(dd.from_pandas(frame, npartitions=40), FORMULAS))
    # Kill a worker as soon as it holds results, so that they must be made again.
    deadline = time.monotonic() + 60
    while not any(client.has_what().values()) and time.monotonic() < deadline and not future.done():
        time.sleep(0.02)
    victim = next((w for w, keys in client.has_what().items() if keys), None)
    assert victim is not None and not future.done(), "the run ended before a worker could be killed"
    pids = client.run(os.getpid, workers=[victim])
    os.kill(pids[victim], signal.SIGKILL)
    result = future.result(timeout=240)
    assert result["id"].tolist() == list(range(rows))
    pd.testing.assert_frame_equal(result, frame.formel.evaluate(FORMULAS))
