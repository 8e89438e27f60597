"""The findings case table every front end runs (tests/findings/cases.json):
each case's files in a fresh folder, run by run_card() or run_analysis() as
the command line runs them there, give the listed findings (in order, with
the fields given) as warnings, and the error that ends the call with its
exit status."""

from __future__ import annotations

import json
import os
import warnings

import numpy as np
import pandas as pd
import pytest

import tesserlink
from conftest import ROOT

CASES = json.loads((ROOT / "tests" / "findings" / "cases.json").read_text())


def run_case(case, folder):
    o = case.get("options", {})
    run = tesserlink.run_analysis if case["run"].endswith(".toml") else tesserlink.run_card
    args = dict(threads=1, write=True, strict=o.get("strict", False), results=o.get("results"),
                scale=o.get("scale"), cuts_on=o.get("cuts_on"), seed=o.get("seed"))
    if "cuts" in o:
        args["cuts"] = [float(c) for c in str(o["cuts"]).split(",")]
    if "bootstrap" in o:
        args["bootstrap"] = o["bootstrap"]
    seen, error, fit = [], None, None
    old = os.getcwd()
    os.chdir(folder)
    try:
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            try:
                fit = run(case["run"], **args)
            except tesserlink.Error as e:
                error = e
    finally:
        os.chdir(old)
    seen = [w.message for w in caught if isinstance(w.message, tesserlink.DataWarning)]
    if error is not None:
        seen.append(error)
    return seen, error, fit


def matches(condition, expected):
    return all(str(getattr(condition, field, None)) == str(value)
               for field, value in expected.items())


@pytest.mark.parametrize("case", CASES, ids=[c["name"] for c in CASES])
def test_every_finding_kind_raises_or_warns_with_its_code(case, tmp_path):
    for name, text in case["files"].items():
        target = tmp_path / name
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(text.encode("utf-8"))
    seen, error, fit = run_case(case, tmp_path)
    expect = case["expect"]
    if expect["exit_status"] == 0:
        assert error is None, error
    else:
        assert isinstance(error, tesserlink.Error) and isinstance(error, ValueError)
        assert error.status == expect["exit_status"]
    at = 0
    for expected in expect["findings"]:
        while at < len(seen) and not matches(seen[at], expected):
            at += 1
        assert at < len(seen), (expected, [s.fields() for s in seen])
        at += 1
    if "bootstrap" in expect:
        assert ("bootstrap_replicates" in fit.summary) == expect["bootstrap"]


# cac()'s own findings: data in memory, where no file can be named.
SCORES = pd.DataFrame({"a": [0, 1, 1, 0, 1, 1], "b": [1, 1, 0, 0, 1, 1], "c": [1, 0, 1, 1, 1, 0]})
ONE_SET = {"s": {"items": ["a", "b", "c"], "points": [0, 1]}}


def test_scores_off_the_points_stop_cac_at_their_row_and_column():
    data = SCORES.copy()
    data.loc[4, "b"] = 2
    with pytest.raises(tesserlink.Error) as stopped:
        tesserlink.cac(data, ONE_SET, [2])
    assert (stopped.value.code, stopped.value.row, stopped.value.column) == (
        "data.unmatched_scores", 4, "b")
    with pytest.warns(tesserlink.DataWarning) as warned:
        fit = tesserlink.cac(data, ONE_SET, [2], unmatched="ignore")
    assert [w.message.code for w in warned] == ["data.unmatched_scores"]
    assert fit.sets["unmatched"].tolist() == [1]
    with pytest.raises(tesserlink.Error) as strict:
        tesserlink.cac(data, ONE_SET, [2], unmatched="ignore", strict=True)
    assert strict.value.code == "run.strict"


@pytest.mark.parametrize("arguments, code", [
    (dict(cuts=[9]), "card.cuts_out_of_range"),
    (dict(cuts=[1] * 10), "card.category_count"),
    (dict(cuts=[2], bootstrap=1), "run.option"),
    (dict(cuts=[2], model="rasch"), "python.argument"),
    (dict(cuts=[2], sets={f"s{i}": {"items": ["a"], "points": [0, 1]} for i in range(10)}),
     "card.too_many_sets"),
])
def test_cac_refusals_carry_their_codes(arguments, code):
    arguments = {"sets": ONE_SET, **arguments}
    with pytest.raises(tesserlink.Error) as refused:
        tesserlink.cac(SCORES, **arguments)
    assert refused.value.code == code


def test_an_empty_category_warns_with_its_code():
    with pytest.warns(tesserlink.DataWarning) as warned:
        tesserlink.cac(SCORES, ONE_SET, [0])
    assert "cuts.empty_observed_category" in [w.message.code for w in warned]
