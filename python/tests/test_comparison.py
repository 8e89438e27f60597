"""Several models side by side from Python: the comparison's rows are the
results folder's comparison files, each model's values are those of its run
alone, and the models and methods are paired by the library."""

from __future__ import annotations

import math
from pathlib import Path
from typing import Any

import pandas as pd
import pytest

import tesserlink
from conftest import EXAMPLES, example_copy, same_bits

IRT = EXAMPLES / "spisa" / "irt"
# The beta-binomial model fits the quiz poorly, and says so.
pytestmark = pytest.mark.filterwarnings("ignore:.*fits the observed scores poorly")
THREE = (["multinomial", "irt", "beta-binomial"], ["summed-p", "ll"])


def spisa(model: Any, method: Any = None, **options: Any) -> tesserlink.Result:
    data = pd.read_csv(IRT / "spisa.csv")
    return tesserlink.cac(
        data, {"quiz": {"items": list(data.columns[1:]), "points": [0, 1]}}, [23, 32], id="id",
        model=model, method=method, items=pd.read_csv(IRT / "parameters.csv"), threads=2,
        **options)


@pytest.fixture(scope="module")
def three() -> tesserlink.Result:
    return spisa(*THREE)


def assert_same_cells(got: pd.DataFrame, written: pd.DataFrame) -> None:
    assert list(got.columns) == list(written.columns)
    for column in got.columns:
        for g, w in zip(got[column], written[column]):
            if isinstance(w, str):
                assert g == w, column
            else:
                shown = math.nan if pd.isna(g) else float(g)
                assert same_bits(shown, float(w)), (column, g, w)
    assert len(got) == len(written)


def test_one_row_per_model_and_index_as_the_results_folders_files(three: tesserlink.Result,
                                                                   tmp_path: Path) -> None:
    rows = three.comparison
    assert list(rows.columns) == ["model", "kind", "method", "index", "cut", "value"]
    assert list(rows["kind"].unique()) == ["multinomial", "irt", "beta-binomial"]
    assert list(rows["method"].unique()) == ["multinomial", "summed-p", "ll"]
    keys = list(zip(rows["model"], rows["index"], rows["cut"].fillna(0)))
    assert len(set(keys)) == len(keys)
    assert set(rows.groupby("model").size()) == {len(rows) // 3}
    assert int(rows["cut"].isna().sum()) == 3 * 9
    assert list(three.other_models) == list(rows["model"].unique()[1:])
    assert "models compared: " + ", ".join(rows["model"].unique()) in repr(three)

    three.write(tmp_path / "results")
    for name in ("comparison", "comparison_differences"):
        written = pd.read_csv(tmp_path / "results" / f"{name}.csv", float_precision="round_trip")
        assert_same_cells(getattr(three, name), written)
    differences = three.comparison_differences
    assert set(differences["primary"]) == {rows["model"].iloc[0]}
    assert len(differences) == 2 * len(rows) // 3


def test_each_models_values_are_those_of_its_run_alone(three: tesserlink.Result) -> None:
    alone = dict(zip(three.comparison["model"].unique(),
                     [spisa("multinomial"), spisa("irt", "summed-p"),
                      spisa("beta-binomial", "ll")]))
    for name, single in alone.items():
        assert single.comparison is None and single.other_models is None
        own = three.comparison[three.comparison["model"] == name]
        for row in own.to_dict("records"):
            index, cut = row["index"], row["cut"]
            if pd.isna(cut):
                frame = single.reliability if index == "reliability" else (
                    single.agreement if index.startswith("weighted") else single.overall)
                want = frame[index].iloc[0]
            else:
                want = single.cuts[index].iloc[int(cut) - 1]
            assert same_bits(float(row["value"]), float(want)), (name, index, cut)
    for name, result in three.other_models.items():
        pd.testing.assert_frame_equal(result.overall, alone[name].overall)
        pd.testing.assert_frame_equal(result.examinees, alone[name].examinees)


@pytest.mark.parametrize("model, method, kinds, methods", [
    (["irt", "irt"], ["summed-p", "rudner-p"], ["irt", "irt"], ["summed-p", "rudner-p"]),
    (("beta-binomial", "irt"), "summed-d", ["beta-binomial", "irt"], [None, "summed-d"]),
    (["multinomial", "beta-binomial"], None, ["multinomial", "beta-binomial"],
     ["multinomial", None]),
])
def test_the_library_pairs_each_method_with_its_model(model: Any, method: Any, kinds: list[str],
                                                      methods: list[str | None]) -> None:
    shown = spisa(model, method).comparison[["kind", "method"]].drop_duplicates()
    assert list(shown["kind"]) == kinds
    assert all(want is None or got == want for got, want in zip(shown["method"], methods))


@pytest.mark.parametrize("model, method, message", [
    (["multinomial", "rasch"], None, "`model` must be one or a list of"),
    ([], None, "`model` must be one or a list of"),
    ("irt", ["summed-p", 3], "`method` must be one or a list of"),
])
def test_names_that_are_no_model_or_method_are_refused(model: Any, method: Any,
                                                       message: str) -> None:
    with pytest.raises(tesserlink.Error, match=message):
        spisa(model, method)


def test_a_bootstrapped_comparison_has_spreads_and_plots() -> None:
    fit = spisa(["multinomial", "beta-binomial"], bootstrap=tesserlink._native.min_bootstrap,
                seed=3)
    assert list(fit.comparison.columns)[-3:] == ["se", "ci_low", "ci_high"]
    assert list(fit.comparison_differences.columns) == [
        "model", "primary", "index", "cut", "difference", "se", "ci_low", "ci_high"]
    plt = pytest.importorskip("matplotlib.pyplot")
    ax = fit.plot("comparison")
    assert len(ax.get_yticklabels()) == 9
    plt.close("all")
    with pytest.raises(tesserlink.Error, match="no comparison to plot"):
        spisa("multinomial").plot("comparison")


def test_an_analysis_files_models_are_compared(tmp_path: Path) -> None:
    folder = example_copy("spisa/irt", tmp_path)
    path = folder / "analysis.toml"
    text = path.read_text().replace(
        '[model]\nkind = "irt"\nmethod = "summed-p"\n',
        '[[model]]\nkind = "irt"\nmethod = "summed-p"\n\n[[model]]\nkind = "beta-binomial"\n')
    path.write_text(text)
    fit = tesserlink.run_analysis(path, threads=2)
    assert list(fit.comparison["kind"].unique()) == ["irt", "beta-binomial"]
    chosen = tesserlink.run_analysis(path, model=["irt", "irt"],
                                     method=["summed-p", "rudner-d"], threads=2)
    assert list(chosen.comparison["method"].unique()) == ["summed-p", "rudner-d"]
