"""The what-if sweep and the fit check from Python: the numbers of the command
line's sweep.csv and fit.csv for the same analysis, the refusals of settings
the sweep cannot take, and their plots."""

from __future__ import annotations

import io
import math
from pathlib import Path
from typing import Any

import pandas as pd
import pytest

import tesserlink
from conftest import example_copy, run_program, same_bits

TARGETS = {"target_sensitivity": 0.9, "target_ppv": 0.95}


def csv_tables(path: Path) -> list[pd.DataFrame]:
    """The tables of a results CSV file, each after a blank line, every number
    read back as the double it was written from."""
    parts = path.read_text().strip("\n").split("\n\n")
    return [pd.read_csv(io.StringIO(part), float_precision="round_trip") for part in parts]


def assert_same_column(got: Any, want: Any, name: str) -> None:
    differ = [(i, g, w) for i, (g, w) in enumerate(zip(got, want))
              if not same_bits(float(g), float(w))]
    assert len(got) == len(want) and not differ, (name, differ[:3])


def assert_sweep_is(fit: tesserlink.Result, folder: Path) -> None:
    rows, statistics = csv_tables(folder / "sweep.csv")
    assert list(fit.sweep.columns) == list(rows.columns)
    for column in rows.columns:
        assert_same_column(fit.sweep[column], rows[column], column)
    value = dict(zip(statistics["statistic"], statistics["value"]))
    for name in ("best_youden_cut", "best_accuracy_cut", "auc"):
        assert same_bits(float(fit.sweep.attrs[name]), float(value[name])), name
    assert math.isnan(fit.sweep.attrs["true_cut"]) == ("true_cut" not in value)
    reached = {f"lowest_cut_reaching_{t['index']}": t["cut"]
               for t in fit.sweep_targets.to_dict("records")}
    assert reached.keys() == {k for k in value if k.startswith("lowest_cut_reaching_")}
    for name, cut in reached.items():
        assert same_bits(float(cut), float(value[name])), name
    roc = fit.sweep_roc
    assert (roc.iloc[0].tolist(), roc.iloc[-1].tolist()) == ([0.0, 0.0], [1.0, 1.0])


def assert_fit_is(got: dict[str, Any], path: Path) -> None:
    bins, statistics = csv_tables(path)
    assert list(got["bins"].columns) == list(bins.columns)
    for column in bins.columns:
        assert_same_column(got["bins"][column], bins[column], column)
    value = dict(zip(statistics["statistic"], statistics["value"]))
    for name in ("chi2", "p", "largest_cdf_difference"):
        assert same_bits(float(got[name]), float(value[name])), name
    assert got["df"] == int(value["df"])
    assert got["descriptive"] == (value["descriptive"] == "yes")


@pytest.fixture(scope="module")
def irt(tmp_path_factory: pytest.TempPathFactory) -> Path:
    """The IRT example with a [sweep] table, and the command line's results."""
    folder = example_copy("spisa", tmp_path_factory.mktemp("sweep")) / "irt"
    with open(folder / "analysis.toml", "a") as analysis:
        analysis.write("\n[sweep]\n" + "".join(f"{k} = {v}\n" for k, v in TARGETS.items()))
    run_program(folder, "--results", "cli", "analysis.toml")
    return folder


def test_an_analysis_files_sweep_and_fit_are_the_command_lines(irt: Path) -> None:
    fit = tesserlink.run_analysis(irt / "analysis.toml")
    assert list(fit.sweep_targets["index"]) == ["sensitivity", "ppv"]
    assert_sweep_is(fit, irt / "cli")
    assert_fit_is(fit.model_fit, irt / "cli" / "fit.csv")
    assert fit.corrected_model_fit is None


def test_cacs_sweep_settings_are_the_analysis_files(irt: Path) -> None:
    data = pd.read_csv(irt / "spisa.csv")
    fit = tesserlink.cac(
        data, {"quiz": {"items": list(data.columns[1:]), "points": [0, 1]}}, [23, 32], id="id",
        model="irt", method="summed-p", items=pd.read_csv(irt / "parameters.csv"),
        sweep=TARGETS)
    assert_sweep_is(fit, irt / "cli")
    assert_fit_is(fit.model_fit, irt / "cli" / "fit.csv")


def test_the_multinomials_fit_on_both_passes_is_the_command_lines(tmp_path: Path) -> None:
    folder = example_copy("verbagg", tmp_path)
    run_program(folder, "--fit", "--sweep", "--results", "cli", "analysis.toml")
    fit = tesserlink.run_analysis(folder / "analysis.toml", sweep=True, fit=True)
    assert_sweep_is(fit, folder / "cli")
    assert_fit_is(fit.model_fit, folder / "cli" / "fit.csv")
    assert_fit_is(fit.corrected_model_fit, folder / "cli" / "fit_corrected.csv")
    plain = tesserlink.run_analysis(folder / "analysis.toml")
    assert (plain.sweep, plain.sweep_targets, plain.sweep_roc) == (None, None, None)
    assert (plain.model_fit, plain.corrected_model_fit) == (None, None)


SMALL = pd.DataFrame({"a": [0, 1, 2, 2, 1, 0, 2, 1], "b": [1, 1, 0, 2, 2, 0, 2, 1]})
SETS = {"x": {"items": ["a", "b"], "points": [0, 1, 2]}}


@pytest.mark.parametrize("options, message", [
    ({"sweep": {"target_sensitvity": 0.9}},
     "`sweep` has no setting 'target_sensitvity' (did you mean 'target_sensitivity'?)"),
    ({"sweep": {"target_ppv": 1.5}}, "`sweep['target_ppv']` must be a proportion from 0 to 1, "
                                     "not 1.5."),
    ({"sweep": {"true_cut": "2"}}, "`sweep['true_cut']` must be one finite number, not '2'."),
    ({"sweep": {"true_cut": math.inf}}, "`sweep['true_cut']` must be one finite number"),
    ({"sweep": "yes"}, "`sweep` must be True, False or a dict of settings among true_cut, "),
    ({"fit": "yes"}, "`fit` must be True or False, not 'yes'."),
])
def test_settings_the_sweep_cannot_take_are_refused(options: dict[str, Any], message: str) -> None:
    with pytest.raises(tesserlink.Error) as refused:
        tesserlink.cac(SMALL, SETS, [2], **options)
    assert refused.value.code == "python.argument"
    assert message in str(refused.value)


def test_plots_of_the_sweep_and_the_fit(irt: Path) -> None:
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fit = tesserlink.run_analysis(irt / "analysis.toml")
    for kind in ("sweep", "roc", "fit"):
        ax = fit.plot(kind)
        assert ax.lines, kind
        plt.close("all")
    _, ax = plt.subplots()
    assert fit.plot(ax) is ax  # the axes alone, as before kinds were added
    plt.close("all")
    plain = tesserlink.cac(SMALL, SETS, [2])
    for kind, message in (("roc", "no cut sweep"), ("fit", "no model fit"), ("pie", "`kind`")):
        with pytest.raises(tesserlink.Error, match=message):
            plain.plot(kind)
