"""Runs the package's pytest suite on a build tree, as ctest does.

Exits 77 (skipped), naming the Debian packages, when the interpreter lacks
what the suite needs."""
import argparse
import importlib.util
import os
import sys

NEEDED = {
    "pytest": "python3-pytest",
    "numpy": "python3-numpy",
    "pandas": "python3-pandas",
    "dask": "python3-dask",
    "distributed": "python3-distributed",
    "build": "python3-build",
    "ensurepip": "python3-venv",
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--package", required=True, help="directory holding the built formel package")
    parser.add_argument("--build-dir", help="the CMake build tree, for the wheel test")
    parser.add_argument("--formel", help="the formel program, for the comparison with --csv")
    args, pytest_args = parser.parse_known_args()
    package = os.path.abspath(args.package)
    missing = [package for module, package in NEEDED.items() if importlib.util.find_spec(module) is None]
    if missing:
        print(f"SKIPPED: {sys.executable} lacks the Debian packages {' '.join(missing)}")
        return 77
    # Dask's worker processes import the package too.
    os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [package, os.environ.get("PYTHONPATH")]))
    sys.path.insert(0, package)
    if args.build_dir:
        os.environ["FORMEL_CMAKE_BUILD_DIR"] = os.path.abspath(args.build_dir)
    if args.formel:
        os.environ["FORMEL_PROGRAM"] = os.path.abspath(args.formel)
    import pytest

    here = os.path.dirname(os.path.abspath(__file__))
    return pytest.main([here, "-q", "-p", "no:cacheprovider", *pytest_args])


if __name__ == "__main__":
    sys.exit(main())
