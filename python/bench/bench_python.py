"""The Python package's speed against its targets (run by hand, never as a test):

  ev.evaluate("2*3+4")       overhead over the same call through the C API
  evaluate_records           1,000,000 rows, two formulas: against df.apply
                             calling ev.evaluate row by row, and CPU per
                             record against formel --csv -j 1, less what
                             its CSV reader alone costs on the same file
                             (compiled here from tools/, with libcsv)
  formel.dask                2 worker processes against 1, 4,000,000 rows in
                             8 partitions, one thread each

Each figure is the median of --rounds runs, taken in turns with the one it
is compared with.

  /usr/bin/python3 python/bench/bench_python.py --build-dir build

The build tree must have formel_python_module, formel_core and formel (the program).
Figures on a shared machine are noisy: compare within one run, and note the
load average printed with them."""
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


def records(build, rows, rounds):
    import statistics

    import formel

    df = frame(rows)
    ev = formel.Evaluator(standard_functions=True)

    def one(row):
        ev["price"], ev["qty"] = row["price"], row["qty"]
        ev["net"] = ev.evaluate("[price]*[qty]")
        return ev.evaluate("[net]*1.2")

    sample = df.iloc[:50000]
    wall = time.perf_counter()
    sample.apply(one, axis=1)
    apply_wall = (time.perf_counter() - wall) * rows / len(sample)

    program = str(build / "tools" / "formel")
    runs = {"cpu1": [], "wall1": [], "wall2": [], "zero": [], "two": [], "read": []}
    with tempfile.TemporaryDirectory() as tmp:
        csv = pathlib.Path(tmp, "records.csv")
        df.to_csv(csv, index=False)
        reader = pathlib.Path(tmp, "csv_read_only")
        tools = PROJECT / "tools"
        subprocess.run(["c++", "-O2", "-std=c++20", f"-I{tools}", f"-I{PROJECT / 'include'}", str(HERE / "csv_read_only.cpp"),
                        str(tools / "csv_reader.cpp"), str(tools / "input_lines.cpp"), "-lcsv", "-o", str(reader)],
                       check=True)
        # In turns, so that a change of the machine's load weighs on both.
        for _ in range(rounds):
            cpu, wall = time.process_time(), time.perf_counter()
            formel.evaluate_records(FORMULAS, df, jobs=1)
            runs["cpu1"].append(time.process_time() - cpu)
            runs["wall1"].append(time.perf_counter() - wall)
            wall = time.perf_counter()
            formel.evaluate_records(FORMULAS, df, jobs=2)
            runs["wall2"].append(time.perf_counter() - wall)
            for name, command in (("zero", [program, "-q", "-j", "1", "--csv", str(csv), "0"]),
                                  ("two", [program, "-q", "-j", "1", "--csv", str(csv), *FORMULAS]),
                                  ("read", [str(reader), str(csv)])):
                before = children_cpu()
                with open(os.devnull, "wb") as sink:
                    subprocess.run(command, stdout=sink, check=True)
                runs[name].append(children_cpu() - before)
    m = {name: statistics.median(values) for name, values in runs.items()}
    print(f"evaluate_records, {rows} rows, median of {rounds}: {m['wall1']:.3f} s (jobs=1, best "
          f"{min(runs['wall1']):.3f}), {m['wall2']:.3f} s (jobs=2, best {min(runs['wall2']):.3f}); df.apply about "
          f"{apply_wall:.1f} s: {apply_wall / m['wall1']:.0f}x with jobs=1, {apply_wall / m['wall2']:.0f}x with jobs=2 "
          f"(target >= 30x)")
    py_ns = m["cpu1"] / rows * 1e9
    aside_ns = (m["two"] - m["read"]) / rows * 1e9
    print(f"CPU per record: formel --csv -j 1 {m['two'] / rows * 1e9:.0f} ns, of which reading the CSV "
          f"{m['read'] / rows * 1e9:.0f} ns (its reader alone); reading aside {aside_ns:.0f} ns; evaluate_records "
          f"{py_ns:.0f} ns (jobs=1): {py_ns / aside_ns:.2f}x (target <= 1.3x); load average {os.getloadavg()[0]:.2f}")
    strict_ns = (m["two"] - m["zero"]) / rows * 1e9
    print(f"  stricter, the evaluations alone (formel --csv less a run with the formula 0, which also writes): "
          f"{strict_ns:.0f} ns: {py_ns / strict_ns:.2f}x")


def workers_cpu(client):
    """CPU seconds that each worker process has used so far."""
    return client.run(lambda: (lambda u: u.ru_utime + u.ru_stime)(resource.getrusage(resource.RUSAGE_SELF)))


def dask_workers(rows, partitions, rounds):
    import statistics
    from contextlib import ExitStack

    import dask
    import dask.dataframe as dd
    from distributed import Client, LocalCluster, get_task_stream, wait

    import formel.dask

    step = rows // partitions
    parts = [dask.delayed(frame)(step, i * step) for i in range(partitions)]
    with ExitStack() as stack:
        # Both clusters at once, timed in turns: a machine whose load changes
        # meanwhile weighs on both alike.
        clients, data = {}, {}
        for workers in (1, 2):
            cluster = stack.enter_context(LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                                                       host="127.0.0.1", dashboard_address=None, silence_logs=40))
            client = clients[workers] = stack.enter_context(Client(cluster))
            client.wait_for_workers(workers)
            with dask.config.set(scheduler=client):
                data[workers] = client.persist(dd.from_delayed(parts, meta=frame(0)))
            wait(data[workers])
        split = sorted(len(keys) for keys in clients[2].has_what().values())
        seconds = {1: [], 2: []}
        spans = {1: [], 2: []}  # from the first task's start to the last one's end: no scheduling before
        cpu = {1: [], 2: []}
        for _ in range(rounds):
            for workers, client in clients.items():
                before = workers_cpu(client)
                # The results stay on the workers (persisted): only the evaluation is timed.
                with get_task_stream(client) as stream:
                    start = time.perf_counter()
                    result = client.persist(formel.dask.evaluate(data[workers], FORMULAS))
                    wait(result)
                    seconds[workers].append(time.perf_counter() - start)
                times = [(s["start"], s["stop"]) for task in stream.data for s in task["startstops"]
                         if s["action"] == "compute"]
                spans[workers].append(max(t[1] for t in times) - min(t[0] for t in times))
                after = workers_cpu(client)
                cpu[workers].append(sum(after.values()) - sum(before.values()))
                assert client.compute(result.shape[0]).result() == rows
                del result
    median = statistics.median
    one, two = median(seconds[1]), median(seconds[2])
    print(f"Dask, {rows} rows in {partitions} partitions (split {split} over 2 workers), median of {rounds}: "
          f"1 worker {one:.2f} s (workers' CPU {median(cpu[1]):.2f} s), 2 workers {two:.2f} s "
          f"(CPU {median(cpu[2]):.2f} s): {one / two:.2f}x, best {min(seconds[1]) / min(seconds[2]):.2f}x; "
          f"the tasks' span alone {median(spans[1]):.2f} s and {median(spans[2]):.2f} s: "
          f"{median(spans[1]) / median(spans[2]):.2f}x (target >= 1.6x); load average {os.getloadavg()[0]:.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--rows", type=int, default=1_000_000, help="0: Dask only")
    parser.add_argument("--dask-rows", type=int, default=4_000_000, help="0: no Dask")
    parser.add_argument("--rounds", type=int, default=5, help="runs of each kind, taken in turns")
    args = parser.parse_args()
    build = pathlib.Path(args.build_dir).resolve()
    package = build / "python" / "package"
    sys.path.insert(0, str(package))
    os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [str(package), os.environ.get("PYTHONPATH")]))
    if args.rows:
        call_overhead(build)
        records(build, args.rows, args.rounds)
    if args.dask_rows:
        dask_workers(args.dask_rows, 8, args.rounds)


if __name__ == "__main__":
    main()
