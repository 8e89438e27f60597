"""Runs the command line makes too give its bits: a bootstrap with the same
seed, through cac() and through the card (whose results folder is the command
line's, file for file), and a conversion table; Ctrl-C stops a bootstrap."""

from __future__ import annotations

import json

import tesserlink
from conftest import assert_same_numbers, example_copy, example_input, run_program

REPLICATES, SEED = "20", "7"


def test_bootstrap_bits_equal_the_command_lines_with_the_same_seed(tmp_path):
    folder = example_copy("verbagg", tmp_path)
    run_program(folder, "--bootstrap", REPLICATES, "--seed", SEED, "--results", "cli", "card.txt")
    want = json.loads((folder / "cli" / "results.json").read_text())
    assert want["bootstrap"]["seed"] == int(SEED)

    fit = tesserlink.cac(threads=2, bootstrap=int(REPLICATES), seed=int(SEED),
                         **example_input("verbagg"))
    assert_same_numbers(json.loads(fit.to_json()), want)
    assert fit.overall["kappa_se"].iloc[0] == want["bootstrap"]["overall"]["kappa"]["se"]
    assert list(fit.cuts["accuracy_ci_low"]) == [
        c["accuracy"]["ci_low"] for c in want["bootstrap"]["cuts"]]

    carded = tesserlink.run_card(folder / "card.txt", report=False, bootstrap=int(REPLICATES),
                                 seed=int(SEED), threads=1)
    carded.write(tmp_path / "py")
    for made in sorted((folder / "cli").iterdir()):
        assert (tmp_path / "py" / made.name).read_bytes() == made.read_bytes(), made.name


def test_progress_is_shown_and_the_default_seed_is_the_command_lines(tmp_path, capsys):
    folder = example_copy("mathexam", tmp_path)
    run_program(folder, "--bootstrap", "10", "--results", "cli", "card.txt")
    fit = tesserlink.run_analysis(folder / "analysis.toml", bootstrap=10, progress=True)
    assert "Bootstrap: 10 of 10 replicates (100%)" in capsys.readouterr().err
    assert fit.to_json() == (folder / "cli" / "results.json").read_text()


def test_ctrl_c_stops_the_bootstrap_between_replicates():
    import os
    import signal
    import threading
    import time

    import pandas as pd
    import pytest

    # Enough examinees that 100,000 replicates take far longer than the timer
    # (about 10 s), which fires well after the scores are taken over.
    data = pd.DataFrame({"a": [0, 1, 1, 0, 1, 1] * 500, "b": [1, 1, 0, 0, 1, 1] * 500})
    sets = {"s": {"items": ["a", "b"], "points": [0, 1]}}
    timer = threading.Timer(1.0, os.kill, (os.getpid(), signal.SIGINT))
    started = time.monotonic()
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            tesserlink.cac(data, sets, [1], bootstrap=100_000, threads=1)
    finally:
        timer.cancel()
    assert time.monotonic() - started < 30


def test_a_conversion_table_in_memory_gives_the_command_lines_scale_numbers(tmp_path):
    import pandas as pd

    folder = example_copy("mathexam", tmp_path)
    raw = list(range(-13, 53))
    table = pd.DataFrame({"raw": raw, "scale": [2 * r for r in raw]})
    table.to_csv(folder / "conv.csv", index=False)
    run_program(folder, "--scale", "conv.csv", "--cuts-on", "scale", "--bootstrap", "10",
                "--results", "cli", "card.txt")
    want = json.loads((folder / "cli" / "results.json").read_text())
    # The card's cut, 26, is read as a scale score, as the command line reads it.
    fit = tesserlink.cac(scale=table, cuts_on="scale", bootstrap=10, **example_input("mathexam"))
    assert_same_numbers(json.loads(fit.to_json()), want)
    assert fit.scale["cuts"]["observed_raw"].tolist() == [
        c["raw"] for c in want["scale"]["observed_cuts"]]
    assert "scale_score" in fit.examinees.columns
