"""The result of a run: the library's numbers arranged into DataFrames.

Nothing here computes. Every number is read from the run's results.json
document (written by the library in shortest round-trip form, so each reads
back as the very same double) or from the run's per-examinee columns.
"""

from __future__ import annotations

import json
import os
from typing import Any, Mapping, Sequence

import numpy as np
import pandas as pd

from ._errors import argument_error, condition_of

_SPREAD = ("se", "ci_low", "ci_high", "replicates_undefined")


def _with_spreads(rows: Sequence[Mapping[str, Any]], spreads: Sequence[Mapping[str, Any]] | None,
                  keep: Sequence[str] = ()) -> pd.DataFrame:
    """Rows of estimates; after a bootstrap each estimate with a spread is
    followed by its <name>_se, _ci_low, _ci_high and _replicates_undefined."""
    records = []
    for i, row in enumerate(rows):
        record: dict[str, Any] = {}
        spread = spreads[i] if spreads is not None else {}
        for name, value in row.items():
            record[name] = np.nan if value is None else value
            if name in keep or name not in spread:
                continue
            for part in _SPREAD:
                got = spread[name][part]
                record[f"{name}_{part}"] = np.nan if got is None else got
        records.append(record)
    return pd.DataFrame.from_records(records)


class Result:
    """The result of ``cac()``, ``run_analysis()`` or ``run_card()``.

    Attributes
    ----------
    overall : pandas.DataFrame
        One row: consistency, chance, kappa, accuracy, false_positive,
        false_negative (each with ``_se``, ``_ci_low``, ``_ci_high`` and
        ``_replicates_undefined`` after a bootstrap).
    cuts : pandas.DataFrame
        One row per cut: its cut scores, the six indices of the cut alone, the
        CSEM there and the diagnostic statistics, with their spreads.
    categories : pandas.DataFrame
        Per category: examinees observed and truly in it, and its expected
        proportion.
    per_category : pandas.DataFrame
        Per category: sensitivity and PPV, with their spreads.
    agreement : pandas.DataFrame
        One row: weighted kappas and (from three categories) within-one shares.
    reliability : pandas.DataFrame
        One row: sample variance, average error variance, reliability.
    csem : pandas.DataFrame
        The CSEM at each distinct observed composite score.
    conditional : pandas.DataFrame
        Mean results at each distinct observed composite score.
    true_by_observed, consistency_table : pandas.DataFrame
        The K x K tables, rows and columns labelled by category.
    examinees : pandas.DataFrame
        One row per examinee (indexed as the data's rows for ``cac()``).
    groups : pandas.DataFrame or None
        With ``by``: per grouping level, overall and at each cut.
    sets : pandas.DataFrame
        The sets as the run took them.
    summary : dict
        Examinees, categories, composite statistics, bootstrap replicates and
        seed.
    scale : dict or None
        With a conversion table: its cuts, summary and CSEM rows.
    sweep : pandas.DataFrame or None
        With ``sweep``: one row per possible single cut on the composite score
        list (cut, the six indices, sensitivity, specificity, ppv, npv, youden
        and share_above, as sweep.csv names them). Its ``attrs`` hold
        ``best_youden_cut``, ``best_accuracy_cut``, ``auc`` and ``true_cut``
        (NaN: none reached, or each cut its own true cut).
    sweep_targets : pandas.DataFrame or None
        With ``sweep``: each target asked for (index, value) and the lowest cut
        reaching it (NaN: none does).
    sweep_roc : pandas.DataFrame or None
        With ``sweep``: the ROC curve's points (false_positive_rate,
        sensitivity) from (0, 0) to (1, 1).
    model_fit : dict or None
        With a fit check (``fit``, or any model but the multinomial): ``bins``
        (a DataFrame of first_score, last_score, expected and observed, as
        fit.csv names them), ``chi2``, ``df``, ``p``,
        ``largest_cdf_difference`` and ``descriptive`` (True when the model
        fitted nothing to the scores: the chi-square describes, not tests).
    corrected_model_fit : dict or None
        With ``fit`` and bias correction: the second pass's fit, as
        ``model_fit``.
    comparison : pandas.DataFrame or None
        With several models: one row per model and compared index, the
        result's own model first, as the results folder's comparison.csv
        (model, kind, method, index, cut, value and, after a bootstrap, se,
        ci_low, ci_high; the cut missing for an index over the whole scale,
        NaN where a value is undefined). The indices are the reliability, the
        overall ones and the weighted kappas, then each cut's consistency and
        accuracy.
    comparison_differences : pandas.DataFrame or None
        With several models: one row per further model and index, its value
        minus the primary model's, as comparison_differences.csv (model,
        primary, index, cut, difference and, after a bootstrap, the se and
        interval of the replicates' differences: every model was resampled
        with the same examinees).
    other_models : dict of str to Result, or None
        With several models: each further model's whole result, as it ran
        alone on the same data, by its name in the comparison.
    """

    def __init__(self, out: Mapping[str, Any], examinee_index: Any = None):
        self._run = out["run"]
        self._json = self._run.json()
        doc = json.loads(self._json)
        self._doc = doc
        self.labels: list[str] = list(self._run.category_labels)
        k = doc["categories"]
        names = self.labels or [str(c + 1) for c in range(k)]
        self._category_names = names
        self.title: str | None = doc.get("title")
        self.report_file: str | None = out.get("report_file")
        self.results_dir: str | None = out.get("results_dir")
        boot = doc.get("bootstrap")

        self.overall = _with_spreads([doc["overall"]], [boot["overall"]] if boot else None)
        cut_spreads = boot["cuts"] if boot else None
        self.cuts = _with_spreads(doc["cuts"], cut_spreads,
                                  keep=("cut", "observed_cut", "true_cut", "csem"))
        per_category = _with_spreads(doc["per_category"], boot["per_category"] if boot else None)
        per_category["category"] = self._categorical(per_category["category"])
        self.per_category = per_category.drop(columns="label")
        self.agreement = _with_spreads([doc["agreement"]], [boot["agreement"]] if boot else None)
        self.reliability = _with_spreads(
            [doc["reliability"]], [{"reliability": boot["reliability"]}] if boot else None)
        self.categories = pd.DataFrame({
            "category": self._categorical(range(1, k + 1)),
            "observed": doc["category_counts"]["observed"],
            "true": doc["category_counts"]["true"],
            "expected": doc["expected_proportions"],
        })
        self.csem = pd.DataFrame.from_records(doc["csem"], columns=["score", "examinees",
                                                                    "error_variance", "csem"])
        self.conditional = self._conditional(doc["conditional"], names)
        self.true_by_observed = self._square(doc["true_by_observed"], "true_category",
                                             "observed_category")
        self.consistency_table = self._square(doc["consistency_table"], "first_category",
                                              "second_category")
        self.examinees = self._examinees(examinee_index)
        self.groups = self._groups(doc.get("groups"), boot is not None)
        set_labels = self._run.set_labels()
        unmatched = self._run.unmatched
        self.sets = pd.DataFrame({
            "set": set_labels,
            "weight": [s["weight"] for s in doc["item_sets"]],
            "items": [s["items"] for s in doc["item_sets"]],
            "points": [list(s["score_points"]) for s in doc["item_sets"]],
            "unmatched": [u[0] for u in unmatched],
            "unmatched_examinees": [u[1] for u in unmatched],
        })
        self.summary: dict[str, Any] = {
            "examinees": doc["examinees"], "sets": len(doc["item_sets"]), "categories": k,
            "bias_corrected": doc["bias_correction"], **doc["composite"],
        }
        if boot:
            self.summary["bootstrap_replicates"] = boot["replicates"]
            self.summary["bootstrap_seed"] = boot["seed"]
        self.scale = self._scale(doc.get("scale"), boot)
        self.sweep, self.sweep_targets, self.sweep_roc = self._sweep(doc.get("sweep"))
        self.model_fit = self._fit(doc.get("fit"))
        self.corrected_model_fit = self._fit(doc.get("corrected_fit"))
        self.comparison = self._comparison(False)
        self.comparison_differences = self._comparison(True)
        self.other_models: dict[str, Result] | None = {
            run.model_name: Result({"run": run}, examinee_index)
            for run in self._run.other_models} or None

    # -- arrangement -------------------------------------------------------

    def _categorical(self, codes: Any) -> pd.Categorical:
        names = self._category_names
        return pd.Categorical.from_codes([int(c) - 1 for c in codes], categories=names)

    def _square(self, rows: list[list[float]], first: str, second: str) -> pd.DataFrame:
        names = self._category_names
        return pd.DataFrame(rows, index=pd.CategoricalIndex(names, categories=names, name=first),
                            columns=pd.CategoricalIndex(names, categories=names, name=second))

    @staticmethod
    def _conditional(rows: list[dict[str, Any]], names: list[str]) -> pd.DataFrame:
        records = []
        for row in rows:
            record = {}
            for name, value in row.items():
                if name == "probabilities":
                    record.update({f"p_{c}": p for c, p in zip(names, value)})
                else:
                    record[name] = np.nan if value is None else value
            records.append(record)
        return pd.DataFrame.from_records(records)

    def _examinees(self, index: Any) -> pd.DataFrame:
        columns = dict(self._run.examinees())
        frame = pd.DataFrame(columns)
        ids = list(self._run.ids)
        if ids and len(ids) == len(frame):
            frame.insert(1, "id", ids)
        for name in ("observed_category", "true_category"):
            frame[name] = self._categorical(frame[name])
        # A model whose units are a population's nodes lists the nodes.
        if index is not None and len(index) == len(frame):
            frame.index = index
        return frame

    def _groups(self, levels: list[dict[str, Any]] | None, bootstrapped: bool) -> pd.DataFrame | None:
        if not levels:
            return None
        rows, spreads = [], []
        for level in levels:
            head = {"variable": level["variable"], "level": level["level"],
                    "examinees": level["examinees"], "small": level["small"]}
            boot = level.get("bootstrap") if bootstrapped else None
            rows.append({**head, "cut": pd.NA, **level["overall"]})
            spreads.append(boot["overall"] if boot else {})
            for c, cut in enumerate(level["cuts"]):
                rows.append({**head, **cut})
                spreads.append(boot["cuts"][c] if boot else {})
        frame = _with_spreads(rows, spreads if bootstrapped else None,
                              keep=("cut", "observed_cut", "true_cut"))
        frame["cut"] = frame["cut"].astype("Int64")
        return frame

    @staticmethod
    def _scale(scale: dict[str, Any] | None, boot: dict[str, Any] | None) -> dict[str, Any] | None:
        if scale is None:
            return None
        cuts = pd.DataFrame({
            "cut": range(1, len(scale["observed_cuts"]) + 1),
            "observed_scale": [c["scale"] for c in scale["observed_cuts"]],
            "observed_raw": [c["raw"] for c in scale["observed_cuts"]],
            "true_scale": [c["scale"] for c in scale["true_cuts"]],
            "true_raw": [c["raw"] for c in scale["true_cuts"]],
        })
        summary = {k: scale[k] for k in ("mean", "sample_variance", "average_error_variance",
                                         "reliability")}
        spread = [{"reliability": boot["scale_reliability"]}] if boot else None
        return {"cuts_on": scale["cuts_on"], "cuts": cuts,
                "summary": _with_spreads([summary], spread),
                "csem": pd.DataFrame.from_records(scale["csem"])}

    @staticmethod
    def _sweep(sweep: dict[str, Any] | None) -> tuple[Any, Any, Any]:
        if sweep is None:
            return None, None, None
        rows = _with_spreads(sweep["rows"], None)
        for name in ("best_youden_cut", "best_accuracy_cut", "auc", "true_cut"):
            got = sweep.get(name)
            rows.attrs[name] = np.nan if got is None else got
        targets = pd.DataFrame.from_records(
            [{"index": t["index"], "value": t["value"],
              "cut": np.nan if t["cut"] is None else t["cut"]} for t in sweep["targets"]],
            columns=["index", "value", "cut"])
        roc = pd.DataFrame.from_records(sweep["roc"], columns=["false_positive_rate",
                                                               "sensitivity"])
        return rows, targets, roc

    @staticmethod
    def _fit(fit: dict[str, Any] | None) -> dict[str, Any] | None:
        if fit is None:
            return None
        bins = pd.DataFrame.from_records(fit["bins"], columns=["first_score", "last_score",
                                                               "expected", "observed"])
        return {"bins": bins, **{k: v for k, v in fit.items() if k != "bins"}}

    def _comparison(self, differences: bool) -> pd.DataFrame | None:
        columns = self._run.comparison(differences)
        if columns is None:
            return None
        frame = pd.DataFrame(columns)
        frame["cut"] = frame["cut"].astype("Int64")
        return frame

    # -- output ------------------------------------------------------------

    def to_json(self) -> str:
        """The command line's results.json text for this run.

        Examples
        --------
        >>> import json
        >>> json.loads(fit.to_json())["overall"]["kappa"]  # doctest: +SKIP
        0.4915...
        """
        return self._json

    def write(self, dir: str | os.PathLike[str]) -> str:
        """Write the command line's results folder for this run.

        The folder is written whole or not at all (a folder of an earlier run
        is replaced).

        Examples
        --------
        >>> fit.write("results")  # doctest: +SKIP
        'results'
        """
        folder = os.fspath(dir)
        if not folder:
            raise condition_of({"code": "python.argument", "severity": "error",
                                "text": "`dir` must name the results folder."})
        failed = self._run.write(folder)
        if failed is not None:
            raise condition_of(failed)
        return folder

    def _repr_html_(self) -> str:
        return self._run.indices_html()

    def __repr__(self) -> str:
        o = self.overall.iloc[0]
        title = f" {self.title}:" if self.title else ""
        compared = ""
        if self.comparison is not None:
            compared = f"; models compared: {', '.join(self.comparison['model'].unique())}"
        return (f"<tesserlink.Result{title} {self.summary['examinees']} examinees, "
                f"{self.summary['categories']} categories; consistency {o['consistency']:.5f}, "
                f"kappa {o['kappa']:.5f}, accuracy {o['accuracy']:.5f}{compared}>")

    def plot(self, kind: str = "conditional", ax: Any = None) -> Any:
        """Plot the result. Needs matplotlib.

        Parameters
        ----------
        kind : {"conditional", "sweep", "roc", "fit", "comparison"}
            "conditional": mean consistency and accuracy at each observed
            composite score. "sweep": accuracy and consistency with each
            possible single cut. Each with the observed cuts dashed. "roc":
            the sweep's ROC curve, its area in the title. "fit": the observed
            frequency of each bin of the fit check as a bar, the expected as
            a line. "comparison": each compared model's overall indices as
            dots, with their bootstrap intervals when the run has them.
        ax : matplotlib.axes.Axes, optional
            The axes to draw on (new ones by default); may also be given
            first, in place of ``kind``.

        Returns
        -------
        matplotlib.axes.Axes

        Examples
        --------
        >>> ax = fit.plot()  # doctest: +SKIP
        >>> ax = fit.plot("roc")  # doctest: +SKIP
        """
        from . import _plot

        if not isinstance(kind, str):  # plot(ax), as before kinds were added
            kind, ax = "conditional", kind
        kinds = {"conditional": _plot.plot_conditional, "sweep": _plot.plot_sweep,
                 "roc": _plot.plot_roc, "fit": _plot.plot_fit,
                 "comparison": _plot.plot_comparison}
        if kind not in kinds:
            raise argument_error(f"`kind` must be one of {', '.join(map(repr, kinds))}, "
                                 f"not {kind!r}.")
        if kind in ("sweep", "roc") and self.sweep is None:
            raise argument_error("This result has no cut sweep to plot; run it with sweep=True.")
        if kind == "fit" and self.model_fit is None:
            raise argument_error("This result has no model fit to plot; run it with fit=True.")
        if kind == "comparison" and self.comparison is None:
            raise argument_error("This result has no comparison to plot; run it with several "
                                 "models, such as model=[\"multinomial\", \"beta-binomial\"].")
        return kinds[kind](self, ax)


class Program:
    """The result of a testing program: ``run_analysis()`` given a list.

    Attributes
    ----------
    results : dict
        Each analysis file's Result, or None where it failed.
    errors : dict
        Each failed file's Error.
    summary : pandas.DataFrame
        One row per test: file, title, error, examinees, categories,
        reliability and the six overall indices (with their SEs after a
        bootstrap), copied from each Result.
    """

    def __init__(self, paths: list[str], results: dict[str, Result | None],
                 errors: dict[str, Exception]):
        self.results = results
        self.errors = errors
        rows = []
        for path in paths:
            fit = results.get(path)
            row: dict[str, Any] = {"file": path, "title": fit.title if fit else None,
                                   "error": str(errors[path]) if path in errors else None}
            if fit is not None:
                row["examinees"] = fit.summary["examinees"]
                row["categories"] = fit.summary["categories"]
                row["reliability"] = fit.reliability["reliability"].iloc[0]
                row.update(fit.overall.iloc[0].to_dict())
            rows.append(row)
        self.summary = pd.DataFrame.from_records(rows)

    def __repr__(self) -> str:
        return f"<tesserlink.Program: {len(self.results)} tests, {len(self.errors)} failed>"
