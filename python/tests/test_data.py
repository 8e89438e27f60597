"""cac()'s data: the column types a DataFrame brings, and the refusals that
name what is wrong."""

from __future__ import annotations

import json

import numpy as np
import pandas as pd
import pytest

import tesserlink
from conftest import assert_same_numbers

SETS = {"s": {"items": ["i1", "i2", "i3", "i4"], "points": [0, 1, 2]}}
ROWS = [[0, 1, 2, 1], [2, 2, 1, 0], [1, 1, 1, 2], [0, 0, 1, 2], [2, 2, 2, 1], [1, 0, 0, 1]]


def plain() -> pd.DataFrame:
    return pd.DataFrame(ROWS, columns=["i1", "i2", "i3", "i4"], dtype="int64")


def test_nullable_integers_categoricals_and_whole_floats_give_the_plain_numbers():
    want = json.loads(tesserlink.cac(plain(), SETS, [4]).to_json())
    data = plain()
    data["i1"] = data["i1"].astype("Int64")
    data["i2"] = data["i2"].astype(float)
    data["i3"] = pd.Categorical(data["i3"])  # numeric categories: their values
    data["i4"] = pd.Categorical(data["i4"].map({0: "low", 1: "mid", 2: "high"}),
                                categories=["low", "mid", "high"])  # else their codes
    data["who"] = pd.Categorical(["ann", "bo", "cy", "di", "ed", "flo"])
    fit = tesserlink.cac(data, SETS, [4], id="who", labels=["fail", "pass"])
    assert_same_numbers(json.loads(fit.to_json()), want)
    assert fit.examinees["id"].tolist() == ["ann", "bo", "cy", "di", "ed", "flo"]
    assert list(fit.examinees["observed_category"].cat.categories) == ["fail", "pass"]
    assert list(fit.true_by_observed.columns) == ["fail", "pass"]


def test_a_missing_score_in_a_nullable_column_names_its_row_and_column_or_is_omitted():
    data = plain()
    data["i3"] = data["i3"].astype("Int64")
    data.loc[2, "i3"] = pd.NA
    with pytest.raises(tesserlink.Error) as stopped:
        tesserlink.cac(data, SETS, [4])
    assert (stopped.value.row, stopped.value.column) == (2, "i3")
    assert "row 2, column 'i3'" in str(stopped.value)
    with pytest.warns(tesserlink.Note) as noted:
        fit = tesserlink.cac(data, SETS, [4], missing="omit")
    assert noted[0].message.code == "python.rows_omitted"
    assert fit.examinees.index.tolist() == [0, 1, 3, 4, 5]
    assert fit.examinees["record"].tolist() == [1, 2, 4, 5, 6]


@pytest.mark.parametrize("change, sets, expected", [
    (None, {"s": {"items": ["i1", "i22"], "points": [0, 1, 2]}}, "the closest is 'i2'"),
    ("text", SETS, "Item columns must be numeric; this one is not: 'i4'"),
    ("flag", SETS, "Item columns must be numeric; this one is not: 'i4'"),
    ("infinite", SETS, "infinite item score in row 1, column 'i4'"),
])
def test_data_refusals_name_the_column(change, sets, expected):
    data = plain()
    if change == "text":
        data["i4"] = data["i4"].astype(str)
    elif change == "flag":
        data["i4"] = data["i4"] > 0
    elif change == "infinite":
        data["i4"] = data["i4"].astype(float)
        data.loc[1, "i4"] = np.inf
    with pytest.raises(tesserlink.Error, match=expected.replace("(", r"\(")) as refused:
        tesserlink.cac(data, sets, [4])
    assert refused.value.code == "python.argument"


def test_a_mapping_of_arrays_and_groups_by_a_categorical():
    data = {c: np.array(v) for c, v in plain().items()}
    data["school"] = pd.Categorical(["x", "y", "x", "y", "x", "y"])
    fit = tesserlink.cac(data, SETS, [4], by="school", min_group=2)
    groups = fit.groups
    assert set(groups["level"]) == {"x", "y"}
    overall = groups[groups["cut"].isna()]
    assert overall["examinees"].tolist() == [3, 3]
    assert "kappa" in groups.columns
