"""Result.plot(): matplotlib, an optional dependency, imported only here."""

from __future__ import annotations

import math
from typing import Any


def _axes(ax: Any) -> Any:
    try:
        import matplotlib.pyplot as plt
    except ImportError:
        raise ImportError("Result.plot() needs matplotlib: pip install matplotlib "
                          "(Debian: apt-get install python3-matplotlib)") from None
    if ax is None:
        _, ax = plt.subplots()
    return ax


def _by_score(result: Any, ax: Any, x: Any, frame: Any, xlabel: str, ylabel: str) -> Any:
    """Consistency and accuracy against `x`, the observed cuts dashed."""
    ax = _axes(ax)
    ax.plot(x, frame["consistency"], marker="o", label="consistency")
    ax.plot(x, frame["accuracy"], marker="s", label="accuracy")
    for cut in result.cuts["observed_cut"]:
        ax.axvline(cut, linestyle="--", color="grey")
    ax.set_xlabel(xlabel)
    ax.set_ylabel(ylabel)
    ax.set_ylim(0, 1.02)
    ax.legend()
    return ax


def plot_conditional(result: Any, ax: Any = None) -> Any:
    c = result.conditional
    return _by_score(result, ax, c["score"], c, "observed composite score",
                     "mean over the examinees at the score")


def plot_sweep(result: Any, ax: Any = None) -> Any:
    s = result.sweep
    return _by_score(result, ax, s["cut"], s, "cut score on the observed composite",
                     "with this cut as the only cut")


def plot_roc(result: Any, ax: Any = None) -> Any:
    ax = _axes(ax)
    roc = result.sweep_roc
    ax.plot(roc["false_positive_rate"], roc["sensitivity"], marker=".")
    ax.plot([0, 1], [0, 1], linestyle=":", color="grey")
    ax.set_xlabel("1 - specificity")
    ax.set_ylabel("sensitivity")
    ax.set_xlim(0, 1)
    ax.set_ylim(0, 1)
    ax.set_title(f"ROC curve of the single cuts (AUC {result.sweep.attrs['auc']:.3f})")
    return ax


def plot_fit(result: Any, ax: Any = None) -> Any:
    ax = _axes(ax)
    fit = result.model_fit
    bins = fit["bins"]
    names = [f"{a:g}" if a == b else f"{a:g}-{b:g}"
             for a, b in zip(bins["first_score"], bins["last_score"])]
    positions = range(len(bins))
    ax.bar(positions, bins["observed"], color="lightgrey", edgecolor="grey", label="observed")
    ax.plot(positions, bins["expected"], marker="o", color="black", label="expected")
    ax.set_xticks(list(positions), names, rotation=90)
    ax.set_xlabel("observed composite score (bin)")
    ax.set_ylabel("examinees")
    ax.set_title(f"Model fit: chi-square {fit['chi2']:.2f} on {fit['df']} df")
    ax.legend()
    return ax


def plot_comparison(result: Any, ax: Any = None) -> Any:
    """The overall indices of the compared models as dots, one line per index
    and the models a little apart on it, each with its bootstrap interval when
    the run has them."""
    ax = _axes(ax)
    rows = result.comparison[result.comparison["cut"].isna()]
    indices = list(dict.fromkeys(rows["index"]))
    models = list(dict.fromkeys(rows["model"]))
    markers = "osD^vP*X"
    for m, name in enumerate(models):
        own = rows[rows["model"] == name]
        y = [indices.index(i) + (m - (len(models) - 1) / 2) * 0.5 / len(models)
             for i in own["index"]]
        if "ci_low" in own:
            ax.hlines(y, own["ci_low"], own["ci_high"], color="black", linewidth=1)
        ax.plot(own["value"], y, linestyle="none", marker=markers[m % len(markers)], label=name)
    ax.set_yticks(range(len(indices)), indices)
    # The first index at the top, with headroom above it for the legend.
    columns = min(len(models), 3)
    ax.set_ylim(len(indices) - 0.5, -0.6 - 0.6 * math.ceil(len(models) / columns))
    ax.set_xlabel("value")
    ax.set_title("Overall indices by model")
    ax.legend(loc="upper center", ncol=columns, frameon=False)
    return ax
