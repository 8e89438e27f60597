"""The result object: its folder, its notebook table and its plot."""

from __future__ import annotations

import pytest

import tesserlink
from conftest import EXAMPLES


@pytest.fixture(scope="module")
def fit():
    return tesserlink.run_analysis(EXAMPLES / "verbagg" / "analysis.toml", threads=2)


def test_write_gives_the_folder_whose_json_is_to_json(fit, tmp_path):
    assert fit.write(tmp_path / "out") == str(tmp_path / "out")
    assert (tmp_path / "out" / "results.json").read_text() == fit.to_json()
    assert (tmp_path / "out" / "examinees.csv").is_file()
    (tmp_path / "file").write_text("not a folder")
    with pytest.raises(tesserlink.Error) as refused:
        fit.write(tmp_path / "file")
    assert refused.value.code


def test_a_notebook_shows_the_pages_main_table(fit):
    html = fit._repr_html_()
    assert html.count("<table") == 1 and 'data-json="overall.kappa"' in html
    assert "consistency" in repr(fit)


def test_plot_draws_the_conditional_means(fit):
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    ax = fit.plot()
    assert len(ax.lines) == 2 + len(fit.cuts)
