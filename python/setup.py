# SPDX-License-Identifier: MIT
"""pip install --no-build-isolation ./python: the module built with CMake from
this checkout, offline, for the Python that runs pip (Debian's setuptools,
pybind11-dev and python3-dev; scripts/install-deps installs them)."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).resolve().parent.parent
# The one version, from project() in the top CMakeLists.txt.
VERSION = re.search(r"project\(Corvalen VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)


class CMakeBuild(build_ext):
    """Builds the extension as the project does, without Qt or tests, and takes the built file."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DCORVALEN_CLI_ONLY=ON", "-DCORVALEN_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}"],
                       check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "corvalen_python", "--parallel",
                        str(os.cpu_count() or 1)], check=True)
        built = next((build / "python" / "corvalen").glob("_corvalen*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(built, target)


setup(
    name="corvalen",
    version=VERSION,
    description="Corvalen's Touchstone reader and RF mismatch engine, numpy in and out",
    license="MIT",
    packages=["corvalen"],
    package_data={"corvalen": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("corvalen._corvalen", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    install_requires=["numpy"],
    python_requires=">=3.9",
    zip_safe=False,
)
