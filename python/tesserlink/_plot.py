"""Result.plot(): matplotlib, an optional dependency, imported only here."""

from __future__ import annotations

from typing import Any


def plot_conditional(result: Any, ax: Any = None) -> Any:
    try:
        import matplotlib.pyplot as plt
    except ImportError:
        raise ImportError("Result.plot() needs matplotlib: pip install matplotlib "
                          "(Debian: apt-get install python3-matplotlib)") from None
    if ax is None:
        _, ax = plt.subplots()
    c = result.conditional
    ax.plot(c["score"], c["consistency"], marker="o", label="consistency")
    ax.plot(c["score"], c["accuracy"], marker="s", label="accuracy")
    for cut in result.cuts["observed_cut"]:
        ax.axvline(cut, linestyle="--", color="grey")
    ax.set_xlabel("observed composite score")
    ax.set_ylabel("mean over the examinees at the score")
    ax.set_ylim(0, 1.02)
    ax.legend()
    return ax
