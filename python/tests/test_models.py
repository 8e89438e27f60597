"""The models beside the multinomial from Python: the IRT example through cac()
gives the numbers of the command line's run of its analysis file."""

from __future__ import annotations

import json

import pandas as pd
import pytest

import tesserlink
from conftest import EXAMPLES, assert_same_numbers

IRT = EXAMPLES / "spisa" / "irt"


def test_irt_summed_score_method_gives_the_command_lines_numbers() -> None:
    data = pd.read_csv(IRT / "spisa.csv")
    items = pd.read_csv(IRT / "parameters.csv")
    fit = tesserlink.cac(
        data, {"quiz": {"items": list(data.columns[1:]), "points": [0, 1]}}, [23, 32],
        id="id", labels=["low", "middle", "high"], model="irt", method="summed-p", items=items)
    want = json.loads((IRT / "results" / "results.json").read_text())
    got = json.loads(fit.to_json())
    assert got["model"]["method"] == "summed-p"
    for part in ("overall", "cuts", "reliability", "true_by_observed", "consistency_table"):
        assert_same_numbers(got[part], want[part])


def test_a_model_without_its_parameters_is_refused_with_its_code() -> None:
    data = pd.read_csv(IRT / "spisa.csv")
    with pytest.raises(tesserlink.Error) as refused:
        tesserlink.cac(data, {"quiz": {"items": list(data.columns[1:]), "points": [0, 1]}},
                       [23, 32], model="irt")
    assert refused.value.code == "model.refused"


def test_reverse_keys_and_weights_are_the_librarys() -> None:
    data = pd.DataFrame({"a": [0, 1, 2, 2, 1, 0], "b": [1, 1, 0, 2, 2, 0], "c": [0, 1, 1, 1, 0, 0]})
    turned = data.assign(b=2 - data["b"])
    plain = {"x": {"items": ["a", "b"], "points": [0, 1, 2]}, "y": {"items": ["c"], "points": [0, 1]}}
    keyed = {"x": {**plain["x"], "reverse": ["b"]}, "y": plain["y"]}
    want = tesserlink.cac(turned, plain, [2], weights={"y": 2})
    got = tesserlink.cac(data, keyed, [2], weights=[1, 2])
    assert json.loads(got.to_json())["overall"] == json.loads(want.to_json())["overall"]
