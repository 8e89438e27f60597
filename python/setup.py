"""Builds the extension tesserlink._native with CMake, from the checkout this
folder is part of: the same library target the command line links, the same
compiler flags. Needs cmake, a C++20 compiler, pybind11 and the library's
Debian packages (scripts/setup installs them)."""

import glob
import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if not (ROOT / "src" / "sources.txt").is_file():
            raise RuntimeError(
                f"{ROOT}: not a TESSERLINK checkout (src/sources.txt is missing); install "
                "from the python/ folder of a checkout: pip install --no-build-isolation ./python"
            )
        # Beside the checkout's build/: at the same depth, ccache (whose base_dir
        # makes paths relative) reuses the objects of a build made there.
        build = ROOT / "build-python"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DTESSERLINK_PYTHON=ON", "-DTESSERLINK_TESTS=OFF",
                     f"-DPython3_EXECUTABLE={sys.executable}"]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        if shutil.which("ccache"):
            configure += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
        subprocess.check_call(configure)
        subprocess.check_call(["cmake", "--build", str(build), "--target", "tesserlink_native",
                               "-j", str(os.cpu_count() or 2)])
        built = glob.glob(str(build / "python" / "package" / "tesserlink" / "_native*.so"))
        if len(built) != 1:
            raise RuntimeError(f"the build left {len(built)} extension modules, not one")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(ext_modules=[Extension("tesserlink._native", sources=[])], cmdclass={"build_ext": CMakeBuild})
