"""The Python package's speed against its targets (run by hand, never as a test):

  ev.evaluate("2*3+4")       overhead over the same call through the C API
  evaluate_records           1,000,000 rows, two formulas: against df.apply
                             calling ev.evaluate row by row, and CPU per
                             record against formel --csv (CSV reading aside)
  formel.dask                2 worker processes against 1, 4,000,000 rows in
                             8 partitions

  /usr/bin/python3 python/bench/bench_python.py --build-dir build

The build tree must have formel_python_module, formel_core and formel (the program).
Figures on a shared machine are noisy: compare within one run."""
import argparse
import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time
import timeit

FORMULAS = ["[net] := [price]*[qty]", "[net]*1.2"]
HERE = pathlib.Path(__file__).resolve().parent
PROJECT = HERE.parent.parent


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def frame(rows, start=0):
    import numpy as np
    import pandas as pd

    i = np.arange(start, start + rows)
    return pd.DataFrame({"price": (i % 1000).astype(str), "qty": (i % 7 + 1).astype(str)})


def call_overhead(build):
    import formel

    with tempfile.TemporaryDirectory() as tmp:
        program = pathlib.Path(tmp, "c_api_loop")
        subprocess.run(["c++", "-O2", "-std=c++20", f"-I{PROJECT / 'include'}", str(HERE / "c_api_loop.cpp"),
                        str(build / "libformel_core.a"), "-o", str(program)], check=True)
        c_ns = float(subprocess.run([str(program)], capture_output=True, text=True, check=True).stdout)
    ev = formel.Evaluator()
    py_ns = min(timeit.repeat(lambda: ev.evaluate("2*3+4"), number=200000, repeat=5)) / 200000 * 1e9
    print(f"evaluate('2*3+4'): C API {c_ns:.0f} ns, Python {py_ns:.0f} ns, overhead {py_ns - c_ns:.0f} ns "
          f"(target <= 250)")


def records(build, rows):
    import formel

    df = frame(rows)
    cpu = time.process_time()
    wall = time.perf_counter()
    formel.evaluate_records(FORMULAS, df, jobs=1)
    records_cpu, records_wall = time.process_time() - cpu, time.perf_counter() - wall
    wall = time.perf_counter()
    formel.evaluate_records(FORMULAS, df, jobs=2)
    two_wall = time.perf_counter() - wall

    ev = formel.Evaluator(standard_functions=True)

    def one(row):
        ev["price"], ev["qty"] = row["price"], row["qty"]
        ev["net"] = ev.evaluate("[price]*[qty]")
        return ev.evaluate("[net]*1.2")

    sample = df.iloc[:50000]
    wall = time.perf_counter()
    sample.apply(one, axis=1)
    apply_wall = (time.perf_counter() - wall) * rows / len(sample)
    print(f"evaluate_records, {rows} rows: {records_wall:.2f} s (jobs=1), {two_wall:.2f} s (jobs=2); "
          f"df.apply about {apply_wall:.1f} s: {apply_wall / records_wall:.0f}x (target >= 30x)")

    with tempfile.TemporaryDirectory() as tmp:
        csv = pathlib.Path(tmp, "records.csv")
        df.to_csv(csv, index=False)
        program = str(build / "tools" / "formel")
        costs = []
        for formulas in (["0"], FORMULAS):
            before = children_cpu()
            with open(os.devnull, "wb") as sink:
                subprocess.run([program, "-q", "--csv", str(csv), *formulas], stdout=sink, check=True)
            costs.append(children_cpu() - before)
    csv_ns = (costs[1] - costs[0]) / rows * 1e9
    py_ns = records_cpu / rows * 1e9
    print(f"CPU per record: formel --csv {csv_ns:.0f} ns (reading and writing the CSV aside, measured with the formula 0: "
          f"{costs[1]:.2f} s - {costs[0]:.2f} s), evaluate_records {py_ns:.0f} ns: "
          f"{py_ns / csv_ns:.2f}x (target <= 1.3x)")


def dask_workers(rows, partitions):
    import dask
    import dask.dataframe as dd
    from distributed import Client, LocalCluster, wait

    import formel.dask

    step = rows // partitions
    parts = [dask.delayed(frame)(step, i * step) for i in range(partitions)]
    seconds = {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                          dashboard_address=None, silence_logs=40) as cluster, Client(cluster) as client:
            data = dd.from_delayed(parts, meta=frame(0)).persist()
            wait(data)
            # The results stay on the workers (persisted): only the evaluation is timed.
            start = time.perf_counter()
            result = formel.dask.evaluate(data, FORMULAS).persist()
            wait(result)
            seconds[workers] = time.perf_counter() - start
            assert len(result) == rows
    print(f"Dask, {rows} rows in {partitions} partitions: 1 worker {seconds[1]:.2f} s, 2 workers "
          f"{seconds[2]:.2f} s: {seconds[1] / seconds[2]:.2f}x (target >= 1.6x)")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--rows", type=int, default=1_000_000, help="0: Dask only")
    parser.add_argument("--dask-rows", type=int, default=4_000_000)
    args = parser.parse_args()
    build = pathlib.Path(args.build_dir).resolve()
    package = build / "python" / "package"
    sys.path.insert(0, str(package))
    os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [str(package), os.environ.get("PYTHONPATH")]))
    if args.rows:
        call_overhead(build)
        records(build, args.rows)
    dask_workers(args.dask_rows, 8)


if __name__ == "__main__":
    main()
