"""What the tests share: the checkout's examples and findings table, the
command line to compare with, and an exact comparison of two results.json
documents."""

from __future__ import annotations

import math
import os
import shutil
import struct
import subprocess
import tomllib
from pathlib import Path
from typing import Any

import pandas as pd
import pytest

ROOT = Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
EXAMPLE_NAMES = sorted(p.name for p in EXAMPLES.iterdir() if (p / "analysis.toml").is_file())


def program() -> Path:
    """The command line: TESSERLINK_PROGRAM (set by ctest), else build/tesserlink."""
    path = Path(os.environ.get("TESSERLINK_PROGRAM", ROOT / "build" / "tesserlink"))
    if not path.is_file():
        pytest.skip(f"no command line at {path}: build it, or set TESSERLINK_PROGRAM")
    return path


def run_program(folder: Path, *words: str) -> subprocess.CompletedProcess:
    done = subprocess.run([str(program()), *words], cwd=folder, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


def example_copy(name: str, tmp_path: Path) -> Path:
    folder = tmp_path / name
    shutil.copytree(EXAMPLES / name, folder, ignore=shutil.ignore_patterns("results", "*.out"))
    return folder


def example_input(name: str) -> dict[str, Any]:
    """An example's analysis file as cac()'s arguments, its data files read with
    pandas (whitespace-separated, no header; columns named set_item)."""
    folder = EXAMPLES / name
    analysis = tomllib.loads((folder / "analysis.toml").read_text())
    frames, sets = [], {}
    for s in analysis["sets"]:
        label = s["file"].removesuffix(".dat")
        frame = pd.read_csv(folder / s["file"], sep=r"\s+", header=None)
        frame.columns = [f"{label}_{j + 1}" for j in range(frame.shape[1])]
        frames.append(frame)
        sets[label] = {"items": list(frame.columns), "points": s["points"], "weight": s["weight"]}
    c = analysis["classification"]
    return {"data": pd.concat(frames, axis=1), "sets": sets, "cuts": c["observed_cuts"],
            "true_cuts": c["true_cuts"], "bias_correction": c["bias_correction"]}


def bundled_results(name: str) -> dict[str, Any]:
    import json

    return json.loads((EXAMPLES / name / "results" / "results.json").read_text())


def numbers_of(doc: Any, path: str = "") -> dict[str, Any]:
    """Every number (and null) of a JSON document by its path."""
    out: dict[str, Any] = {}
    if isinstance(doc, dict):
        for key, value in doc.items():
            out.update(numbers_of(value, f"{path}.{key}"))
    elif isinstance(doc, list):
        for i, value in enumerate(doc):
            out.update(numbers_of(value, f"{path}[{i}]"))
    elif doc is None or (isinstance(doc, (int, float)) and not isinstance(doc, bool)):
        out[path] = doc
    return out


def same_bits(a: Any, b: Any) -> bool:
    if isinstance(a, float) and isinstance(b, float):
        if math.isnan(a) or math.isnan(b):
            return math.isnan(a) and math.isnan(b)
        return struct.pack("<d", a) == struct.pack("<d", b)
    return type(a) is type(b) and a == b


def assert_same_numbers(got: dict[str, Any], want: dict[str, Any]) -> None:
    """The two documents hold the same numbers at the same paths, bit for bit."""
    g, w = numbers_of(got), numbers_of(want)
    assert sorted(g) == sorted(w)
    differ = [(p, g[p], w[p]) for p in w if not same_bits(g[p], w[p])]
    assert not differ, differ[:5]
