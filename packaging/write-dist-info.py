"""Writes the Python package's .dist-info folder (METADATA, entry_points.txt, ...) into the
empty folder named on the command line, from pyproject.toml in the current folder. It is
setuptools' own metadata step, the one a wheel build runs, so nothing here repeats the
project's metadata."""
import glob
import os
import shutil
import sys

from setuptools import build_meta

target = os.path.abspath(sys.argv[1])
del sys.argv[1:]
build_meta.prepare_metadata_for_build_wheel(target)
# The step's scratch copy in the older format.
for scratch in glob.glob(os.path.join(target, "*.egg-info")):
    shutil.rmtree(scratch)
