"""The extension module is built by the project's CMake: the static liborvex2
linked into orvex/_orvex, the version the library's own."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent.parent
VERSION = re.search(
    r"project\(orvex\s+VERSION\s+([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()
).group(1)


class CMakeExtension(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        options = {
            "CMAKE_BUILD_TYPE": "Release",
            "ORVEX_BUILD_TESTS": "OFF",
            "ORVEX_BUILD_TOOLS": "OFF",
            "ORVEX_BUILD_BENCH": "OFF",
            "ORVEX_BUILD_LEGACY": "OFF",
            "ORVEX_PYTHON_STATIC": "ON",
            "Python3_EXECUTABLE": sys.executable,
        }
        subprocess.run(
            ["cmake", "-S", str(ROOT), "-B", str(build)]
            + [f"-D{k}={v}" for k, v in options.items()],
            check=True,
        )
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "orvex_python", "-j", jobs], check=True
        )
        built = build / "python" / "orvex" / pathlib.Path(self.get_ext_filename(ext.name)).name
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)
        # The type hints' name aliases, written by the build from the library's lists.
        shutil.copyfile(built.with_name("_names.pyi"), target.with_name("_names.pyi"))


setup(
    version=VERSION,
    ext_modules=[Extension("orvex._orvex", sources=[])],
    cmdclass={"build_ext": CMakeExtension},
)
