"""The wheel's C++ module: CMake builds it from the project (linked with the
library's static core, so nothing has to be on the loader path), and
setuptools packs it with the Python modules.

FORMEL_CMAKE_BUILD_DIR names an existing, configured build tree to take the
module from; without it, a fresh tree is configured under build/."""
import os
import pathlib
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

PROJECT = pathlib.Path(__file__).resolve().parent.parent


class CMakeModule(build_ext):
    def build_extension(self, ext):
        tree = os.environ.get("FORMEL_CMAKE_BUILD_DIR")
        if not tree:
            tree = str(pathlib.Path(self.build_temp).resolve() / "cmake")
            subprocess.check_call(["cmake", "-S", str(PROJECT), "-B", tree, "-DCMAKE_BUILD_TYPE=Release",
                                   f"-DFORMEL_PYTHON={sys.executable}", "-DFORMEL_BUILD_TESTS=OFF",
                                   "-DFORMEL_BUILD_PROGRAM=OFF", "-DFORMEL_WINDOWS_SUITE=OFF",
                                   "-DFORMEL_PLAYGROUND=OFF"])
        subprocess.check_call(["cmake", "--build", tree, "--target", "formel_python_module", "-j2"])
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        built = pathlib.Path(tree, "python", "package", "formel", target.name)
        if not built.exists():
            raise RuntimeError(f"{built} was not built: is the build tree for {sys.executable}?")
        target.parent.mkdir(parents=True, exist_ok=True)
        self.copy_file(str(built), str(target))


setup(ext_modules=[Extension("formel._formel", sources=[])], cmdclass={"build_ext": CMakeModule})
