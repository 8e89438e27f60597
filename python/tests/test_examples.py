"""Every bundled example through cac(), run_analysis() and run_card() gives the
command line's results.json number for number; so does a testing program.
The R package's tests hold its numbers to the same results folders
(examples/*/results), so both packages give the same doubles on them."""

from __future__ import annotations

import json

import pandas as pd
import pytest

import tesserlink
from conftest import (EXAMPLE_NAMES, EXAMPLES, assert_same_numbers, bundled_results,
                      example_input)


@pytest.mark.parametrize("name", EXAMPLE_NAMES)
def test_cac_gives_the_command_lines_numbers(name):
    fit = tesserlink.cac(threads=2, **example_input(name))
    assert_same_numbers(json.loads(fit.to_json()), bundled_results(name))


@pytest.mark.parametrize("name", EXAMPLE_NAMES)
def test_run_analysis_and_run_card_give_the_command_lines_numbers(name):
    want = bundled_results(name)
    analysed = tesserlink.run_analysis(EXAMPLES / name / "analysis.toml", threads=2)
    assert_same_numbers(json.loads(analysed.to_json()), want)
    carded = tesserlink.run_card(EXAMPLES / name / "card.txt", threads=2)
    assert carded.report_file is None  # nothing written unless asked
    # The card's run is the very run that wrote the bundled file.
    assert carded.to_json() == (EXAMPLES / name / "results" / "results.json").read_text()


def test_the_tables_hold_the_documents_numbers():
    fit = tesserlink.run_analysis(EXAMPLES / "spisa" / "analysis.toml", threads=2)
    doc = bundled_results("spisa")
    for index, value in doc["overall"].items():
        assert fit.overall[index].iloc[0] == value
    assert list(fit.cuts["accuracy"]) == [c["accuracy"] for c in doc["cuts"]]
    assert fit.true_by_observed.to_numpy().tolist() == doc["true_by_observed"]
    assert fit.consistency_table.to_numpy().tolist() == doc["consistency_table"]
    assert list(fit.csem["csem"]) == [r["csem"] for r in doc["csem"]]
    assert list(fit.per_category["ppv"]) == [r["ppv"] for r in doc["per_category"]]
    assert fit.agreement["weighted_kappa_linear"].iloc[0] == doc["agreement"]["weighted_kappa_linear"]
    assert len(fit.examinees) == doc["examinees"]
    assert isinstance(fit.examinees["observed_category"].dtype, pd.CategoricalDtype)
    assert list(fit.true_by_observed.index.categories) == ["1", "2", "3"]
    assert fit.sets["set"].tolist() == ["politics.dat", "history.dat", "economy.dat",
                                        "culture.dat", "science.dat"]


def test_a_testing_program_runs_each_file_and_keeps_going_past_a_failure(tmp_path):
    broken = tmp_path / "broken.toml"
    broken.write_text("[[sets]]\nfile = \"nowhere.dat\"\nitems = 3\npoints = [0, 1]\n"
                      "[classification]\nobserved_cuts = [2]\n")
    files = [str(EXAMPLES / "mathexam" / "analysis.toml"), str(broken),
             str(EXAMPLES / "verbagg" / "analysis.toml")]
    program = tesserlink.run_analysis(files, threads=2)
    assert isinstance(program, tesserlink.Program)
    for name, path in (("mathexam", files[0]), ("verbagg", files[2])):
        assert_same_numbers(json.loads(program.results[path].to_json()), bundled_results(name))
    assert program.results[files[1]] is None
    assert program.errors[files[1]].code == "analysis.key"  # its data file is missing
    summary = program.summary.set_index("file")
    assert summary.loc[files[2], "kappa"] == bundled_results("verbagg")["overall"]["kappa"]
    assert summary.loc[files[1], "error"] == str(program.errors[files[1]])
