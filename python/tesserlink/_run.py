"""cac(), run_analysis() and run_card(): a call's arguments checked, the
library's one run made, its findings presented and its result arranged."""

from __future__ import annotations

import os
from typing import Any, Mapping, Sequence, Union

import numpy as np
import pandas as pd

from . import _data, _native
from ._errors import Error, argument_error, present_findings
from ._progress import reporter
from ._result import Program, Result

PathLike = Union[str, "os.PathLike[str]"]
MODELS = ("multinomial", "irt", "beta-binomial")
METHODS = ("summed-p", "summed-d", "rudner-p", "rudner-d", "ll", "hb")


def _names(x: str | Sequence[str] | None, choices: Sequence[str], name: str) -> list[str] | None:
    """One name or a sequence of them, each among `choices` (None: not given)."""
    if x is None:
        return None
    names = [x] if isinstance(x, str) else list(x) if isinstance(x, (list, tuple)) else None
    if not names or not all(isinstance(n, str) and n in choices for n in names):
        raise argument_error(f"`{name}` must be one or a list of {', '.join(map(repr, choices))}, "
                             f"not {x!r}.")
    return names


def _check_model(model: str | Sequence[str] | None,
                 method: str | Sequence[str] | None) -> dict[str, list[str] | None]:
    """The models and methods as the library takes them: several models run
    side by side and are compared; the library pairs each method with its
    model."""
    return {"model": _names(model, MODELS, "model"), "method": _names(method, METHODS, "method")}


def _item_parameters(items: Any) -> str | None:
    """The item-parameter table as the library reads it: a file's name as given,
    or a DataFrame written to a temporary CSV file."""
    if items is None:
        return None
    if isinstance(items, (str, os.PathLike)):
        return os.fspath(items)
    if not isinstance(items, pd.DataFrame):
        raise argument_error("`items` must be a DataFrame of item parameters or their file's name.")
    import tempfile

    handle, path = tempfile.mkstemp(prefix="tesserlink-items-", suffix=".csv")
    os.close(handle)
    items.to_csv(path, index=False)
    return path


def _apply_weights(checked: list[dict[str, Any]], weights: Any) -> None:
    if weights is None:
        return
    if isinstance(weights, Mapping):
        named = {s["label"]: s for s in checked}
        for label, weight in weights.items():
            if str(label) not in named:
                raise argument_error(f"`weights` names {label!r}, not a set.")
            named[str(label)]["weight"] = float(_data.check_number(weight, f"weights[{label!r}]"))
        return
    values = list(weights)
    if len(values) != len(checked):
        raise argument_error(f"`weights` must give {len(checked)} weights, one per set.")
    for s, weight in zip(checked, values):
        s["weight"] = float(_data.check_number(weight, "weights"))


def _check_sweep(sweep: Any) -> dict[str, float] | None:
    """The what-if sweep: False or None (not asked for here), True (asked for,
    with an analysis file's [sweep] settings when it has them) or a mapping of
    its settings, each one number. The library names the settings and judges
    their values."""
    if sweep is None or sweep is False:
        return None
    if sweep is True:
        return {}
    known = _native.sweep_setting_names()
    if not isinstance(sweep, Mapping):
        raise argument_error(f"`sweep` must be True, False or a dict of settings among "
                             f"{', '.join(known)}, not {sweep!r}.")
    settings: dict[str, float] = {}
    for name, value in sweep.items():
        if name not in known:
            closest = _native.closest_names(str(name), known)
            hint = f" (did you mean {closest[0]!r}?)" if closest else ""
            raise argument_error(f"`sweep` has no setting {name!r}{hint}; the settings are "
                                 f"{', '.join(known)}.")
        number = float(_data.check_number(value, f"sweep[{name!r}]"))
        problem = _native.sweep_setting_problem(name, number)
        if problem:
            raise argument_error(f"`sweep[{name!r}]` {problem}, not {value!r}.")
        settings[name] = number
    return settings


def _optional_flag(x: Any, name: str) -> bool | None:
    return None if x is None else _data.check_flag(x, name)


def _cut_list(cuts: Any, name: str) -> list[float] | None:
    if cuts is None:
        return None
    return [float(_data.check_number(c, name)) for c in cuts]


def _optional_whole(x: Any, name: str, low: float = 0, high: float = 2**53) -> int | None:
    return None if x is None else int(_data.check_number(x, name, True, low, high))


def cac(
    data: Any,
    sets: Any,
    cuts: Sequence[float],
    *,
    true_cuts: Sequence[float] | None = None,
    labels: Sequence[str] | None = None,
    id: Any = None,
    by: Any = None,
    weights: Any = None,
    missing: str = "error",
    unmatched: str = "error",
    bias_correction: bool = False,
    bootstrap: int = 0,
    seed: int | None = None,
    scale: Any = None,
    cuts_on: str = "raw",
    model: str | Sequence[str] = "multinomial",
    method: str | Sequence[str] | None = None,
    items: Any = None,
    min_group: int = 50,
    strict: bool = False,
    threads: int = 0,
    progress: bool = False,
    sweep: bool | Mapping[str, float] = False,
    fit: bool = False,
) -> Result:
    """Classification consistency and accuracy of item scores in a DataFrame.

    Parameters
    ----------
    data : pandas.DataFrame or mapping of column name to array
        One row per examinee. Item columns may be numeric, pandas nullable
        integers or categoricals (their categories when they are numbers,
        else their codes).
    sets : mapping
        Each set's name to ``{"items": [columns], "points": [score points],
        "weight": w, "reverse": [columns]}`` (weight 1 when left out;
        ``reverse`` the set's reverse-keyed items, turned by the library as an
        analysis file's are); one set may be given bare.
    cuts : sequence of float
        The cut scores on the observed composite.
    true_cuts : sequence of float, optional
        The cut scores on the true composite (the observed ones by default).
    labels : sequence of str, optional
        One label per category.
    id : column name, optional
        The examinees' IDs, written in the examinees table.
    by : column name or list of them, optional
        Grouping columns: every index per level.
    weights : mapping or sequence of float, optional
        The sets' weights in the composite, by set name or in set order, in
        place of each set's own ``weight``.
    missing : {"error", "omit"}
        A missing item score stops the call, or leaves its examinee out.
    unmatched : {"error", "ignore"}
        A score that equals none of its set's points stops the call (naming
        its row and column), or is counted under no point with a warning.
    bias_correction : bool
        Run the bias-corrected second pass.
    bootstrap : int
        Bootstrap replicates (0: none).
    seed : int, optional
        The bootstrap's seed (the command line's default, 1, when None).
    scale : DataFrame with columns raw and scale, optional
        A conversion table from composite to scale scores.
    cuts_on : {"raw", "scale"}
        Whether the cuts are raw composite or scale scores.
    model : {"multinomial", "irt", "beta-binomial"} or sequence of them
        The error model; every table is computed from its units by the same
        code. Several models (a kind may repeat) run side by side on the same
        data, each as it would alone, and are compared (``Result.comparison``):
        the first is the result's own, the others are in ``Result.other_models``.
    method : str or sequence of str, optional
        The models' methods: "summed-p", "summed-d", "rudner-p" or "rudner-d"
        for "irt"; "ll" or "hb" for "beta-binomial". Each goes to the first
        model of its kind without a method, and names a model of its own when
        ``model`` is not given (run_analysis, run_card). None: each model's
        default.
    items : DataFrame or str, optional
        The IRT model's item parameters (columns ``item``, ``model`` and the
        parameters, as the README's "Item response theory" gives them), or the
        name of their file.
    min_group : int
        Grouping levels with fewer examinees are flagged small.
    strict : bool
        Data that does not fit is an error, not a warning.
    threads : int
        Worker threads (0: every core).
    progress : bool
        Show the bootstrap's progress; Ctrl-C stops it between replicates.
    sweep : bool or dict
        Also sweep every possible single cut on the composite score list
        (``Result.sweep``). A dict asks for it with settings, as an analysis
        file's ``[sweep]`` gives them: ``true_cut`` (a true cut fixed for every
        cut; by default each cut is its own true cut) and the targets
        ``target_sensitivity``, ``target_specificity``, ``target_ppv`` and
        ``target_npv`` (proportions: the lowest cut reaching each is found).
    fit : bool
        Also check the multinomial model's fit, observed against expected
        composite score frequencies (``Result.model_fit``); every other model
        checks its fit always.

    Returns
    -------
    Result

    Raises
    ------
    tesserlink.Error
        A refusal of the arguments or the data, or an error of the run.

    Examples
    --------
    >>> import pandas as pd, tesserlink
    >>> data = pd.read_csv("examples/gcbs/gcbs.dat", sep=" ", header=None)
    >>> fit = tesserlink.cac(data, {"gcbs": {"items": list(range(15)),
    ...                                      "points": [0, 1, 2, 3, 4]}}, [22.5, 37.5])
    >>> round(fit.overall["kappa"][0], 5)  # doctest: +SKIP
    """
    frame = _data.check_data(data)
    checked = _data.check_sets(sets, frame)
    cuts = _data.check_scores(cuts, "cuts", allow_empty=True)
    true_cuts = cuts if true_cuts is None else _data.check_scores(true_cuts, "true_cuts", True)
    if len(true_cuts) != len(cuts):
        raise argument_error(f"`true_cuts` must have as many values as `cuts` ({len(cuts)}), "
                             f"not {len(true_cuts)}.")
    bias_correction = _data.check_flag(bias_correction, "bias_correction")
    bootstrap = int(_data.check_number(bootstrap, "bootstrap", True, 0, 2**31 - 1))
    seed = _optional_whole(seed, "seed")
    threads = int(_data.check_number(threads, "threads", True, 0, 1024))
    category_labels = _data.check_labels(labels, len(cuts) + 1)
    progress = _data.check_flag(progress, "progress")
    strict = _data.check_flag(strict, "strict")
    min_group = int(_data.check_number(min_group, "min_group", True, 0, 2**53))
    table = _data.check_scale(scale)
    cuts_on = _data.check_choice(cuts_on, ("raw", "scale"), "cuts_on")
    if cuts_on == "scale" and table is None:
        raise argument_error('`cuts_on="scale"` needs the conversion table: give `scale` as well.')
    missing = _data.check_choice(missing, ("error", "omit"), "missing")
    unmatched = _data.check_choice(unmatched, ("error", "ignore"), "unmatched")
    models = _check_model(model, method)
    sweep_settings = _check_sweep(sweep)
    fit = _data.check_flag(fit, "fit")
    _apply_weights(checked, weights)
    used = [c for s in checked for c in s["columns"]]
    id_column = None
    if id is not None:
        id_column = _data.resolve_column(id, frame, "`id`")
        if id_column in used:
            raise argument_error(f"`id` column '{id_column}' is also an item column.")

    all_columns = list(dict.fromkeys(used))
    scores, keep = _data.item_scores(frame, all_columns, missing)
    position = {c: j for j, c in enumerate(all_columns)}
    native_sets = [{
        "scores": np.ascontiguousarray(scores[:, [position[c] for c in s["columns"]]]),
        "points": s["points"], "weight": s["weight"], "label": s["label"],
        "items": [str(c) for c in s["columns"]], "reversed": s["reversed"],
    } for s in checked]
    groups = _data.group_columns(by, frame, used, id_column, keep, min_group)
    ids = _data.id_texts(frame[id_column].iloc[keep]) if id_column is not None else []

    parameters = _item_parameters(items)
    try:
        out = _native.run_memory({
            "sets": native_sets, "cuts": cuts, "true_cuts": true_cuts,
            "bias_correction": bias_correction, "bootstrap": bootstrap, "seed": seed,
            "threads": threads, "strict": strict, "write": False, "cuts_on": cuts_on,
            "labels": category_labels, "rows": [int(r) + 1 for r in keep], "ids": ids,
            "groups": groups, "scale_raw": table[0] if table else None,
            "scale_values": table[1] if table else None,
            **models, "items": parameters, "sweep": sweep_settings,
            "fit": fit,
        }, reporter(progress), unmatched == "error")
    finally:
        if parameters is not None and not isinstance(items, (str, os.PathLike)):
            os.remove(parameters)
    if "unmatched" in out:
        _stop_unmatched(out["unmatched"], checked, frame, keep)
    present_findings(out)
    return Result(out, examinee_index=frame.index[keep])


def _stop_unmatched(u: Mapping[str, Any], sets: list[dict[str, Any]], frame: pd.DataFrame,
                    keep: np.ndarray) -> None:
    """The package's own stop at scores that equal none of their set's points,
    naming the row and column of `data` (unmatched="error")."""
    s = sets[u["set"]]
    row = frame.index[keep[u["record"] - 1]]
    column = s["columns"][u["item"] - 1]
    points = ", ".join(f"{p:g}" for p in s["points"])
    raise Error(
        f"Set '{s['label']}': {u['count']} item score(s) of {u['examinees']} examinee(s) equal "
        f"none of its points ({points}); the first is {u['value']:g} in row {row!r}, column "
        f"'{column}'. Use unmatched=\"ignore\" to count such scores under no point.",
        "data.unmatched_scores", set=s["label"], row=row, column=str(column), value=u["value"],
    )


def _file_name(x: Any, name: str) -> str | None:
    if x is None:
        return None
    if not isinstance(x, (str, os.PathLike)) or not os.fspath(x):
        raise argument_error(f"`{name}` must be None or a file name.")
    return os.path.expanduser(os.fspath(x))


def _file_options(bootstrap: Any, seed: Any, threads: Any, write: Any, strict: Any,
                  results: Any, scale: Any, cuts_on: Any, sweep: Any = None,
                  fit: Any = None) -> dict[str, Any]:
    return {
        "bootstrap": _optional_whole(bootstrap, "bootstrap", 0, 2**31 - 1),
        "seed": _optional_whole(seed, "seed"),
        "threads": int(_data.check_number(threads, "threads", True, 0, 1024)),
        "write": _data.check_flag(write, "write"),
        "strict": _data.check_flag(strict, "strict"),
        "results": _file_name(results, "results"),
        "scale": _file_name(scale, "scale"),
        "cuts_on": None if cuts_on is None else _data.check_choice(cuts_on, ("raw", "scale"),
                                                                  "cuts_on"),
        # None: as an analysis file says.
        "sweep": _check_sweep(sweep),
        "fit": _optional_flag(fit, "fit"),
    }


def _file_result(out: Mapping[str, Any]) -> Result:
    present_findings(out, stacklevel=4)
    rows = list(out["run"].rows)
    return Result(out, examinee_index=pd.Index(rows, name="row") if rows else None)


def run_analysis(
    path: PathLike | Sequence[PathLike],
    *,
    bootstrap: int | None = None,
    seed: int | None = None,
    threads: int = 0,
    write: bool = False,
    strict: bool = False,
    results: PathLike | None = None,
    scale: PathLike | None = None,
    cuts_on: str | None = None,
    cuts: Sequence[float] | None = None,
    true_cuts: Sequence[float] | None = None,
    model: str | Sequence[str] | None = None,
    method: str | Sequence[str] | None = None,
    progress: bool = False,
    sweep: bool | Mapping[str, float] | None = None,
    fit: bool | None = None,
) -> Result | Program:
    """Run an analysis file (a ``.toml`` file); given a list, a testing program.

    Options left None take the analysis file's own settings. Nothing is
    written unless ``write=True`` (the report and results folder the file
    names, or ``results``).

    Parameters
    ----------
    path : str or list of str
        The analysis file, or several: each runs alone, and a file that fails
        does not stop the others.
    bootstrap, seed, threads, strict, scale, cuts_on, model, method, progress
        As for ``cac()``; ``scale`` is a conversion table's CSV file, and a
        ``model`` or ``method`` left None is the file's own.
    cuts, true_cuts : sequence of float, optional
        Cut scores in place of the file's (the true cuts follow ``cuts``
        unless given), as the command line's ``--cuts`` and ``--true-cuts``.
    write : bool
        Write the report and results folder.
    results : str, optional
        The results folder to write.
    sweep : bool or dict, optional
        As for ``cac()``. True takes the file's ``[sweep]`` settings, if any; a
        file with a ``[sweep]`` table sweeps whatever is given here.
    fit : bool, optional
        As for ``cac()``; None is the file's ``fit`` under ``[options]``.

    Returns
    -------
    Result, or Program for a list

    Examples
    --------
    >>> fit = tesserlink.run_analysis("examples/spisa/analysis.toml")  # doctest: +SKIP
    >>> fit.overall  # doctest: +SKIP
    """
    models = _check_model(model, method)
    options = _file_options(bootstrap, seed, threads, write, strict, results, scale, cuts_on,
                            sweep, fit)
    options.update(models, override_cuts=_cut_list(cuts, "cuts"),
                   override_true_cuts=_cut_list(true_cuts, "true_cuts"))
    progress = _data.check_flag(progress, "progress")
    if not isinstance(path, (str, os.PathLike)):
        return _program(list(path), options, progress)
    name = _file_name(path, "path")
    out = _native.run_file({**options, "path": name, "card": False, "report": None},
                           reporter(progress))
    return _file_result(out)


def _program(paths: list[Any], options: dict[str, Any], progress: bool) -> Program:
    if not paths:
        raise argument_error("`path` must name at least one analysis file.")
    names = [_file_name(p, "path") for p in paths]
    fits: dict[str, Result | None] = {}
    errors: dict[str, Exception] = {}
    for name in names:
        try:
            out = _native.run_file({**options, "path": name, "card": False, "report": None},
                                   reporter(progress))
            fits[name] = _file_result(out)
        except Error as error:
            fits[name] = None
            errors[name] = error
    return Program(names, fits, errors)


def run_card(
    path: PathLike,
    *,
    report: PathLike | bool | None = None,
    bootstrap: int = 0,
    seed: int | None = None,
    threads: int = 0,
    write: bool | None = None,
    strict: bool = False,
    results: PathLike | None = None,
    scale: PathLike | None = None,
    cuts_on: str | None = None,
    cuts: Sequence[float] | None = None,
    true_cuts: Sequence[float] | None = None,
    model: str | Sequence[str] | None = None,
    method: str | Sequence[str] | None = None,
    progress: bool = False,
    sweep: bool | Mapping[str, float] = False,
    fit: bool = False,
) -> Result:
    """Run a control card with its data files (named beside the card).

    Parameters
    ----------
    path : str
        The control card.
    report : str, False or None
        The report's file in place of the card's output file; False for
        none; None for the card's own.
    write : bool, optional
        Write the report (and ``results``); by default only when ``report``
        names a file.
    bootstrap, seed, threads, strict, results, scale, cuts_on, cuts, true_cuts, model, method, progress
        As for ``run_analysis()``.
    sweep, fit
        As for ``cac()``.

    Returns
    -------
    Result

    Examples
    --------
    >>> fit = tesserlink.run_card("examples/verbagg/card.txt")  # doctest: +SKIP
    """
    models = _check_model(model, method)
    if write is None:
        write = isinstance(report, (str, os.PathLike))
    if report is False:
        card_report = ""
    elif report is None or report is True:
        card_report = None
    else:
        card_report = _file_name(report, "report")
    options = _file_options(bootstrap, seed, threads, write, strict, results, scale, cuts_on,
                            sweep, fit)
    options.update(models, override_cuts=_cut_list(cuts, "cuts"),
                   override_true_cuts=_cut_list(true_cuts, "true_cuts"))
    progress = _data.check_flag(progress, "progress")
    name = _file_name(path, "path")
    out = _native.run_file({**options, "path": name, "card": True, "report": card_report},
                           reporter(progress))
    return _file_result(out)
