"""From a DataFrame and set descriptions to one score matrix per set.

The checks here are of the call's arguments and of the data's columns; every
rule of the run itself (points, cuts, strictness) is the library's.
"""

from __future__ import annotations

import math
import numbers
import warnings
from typing import Any, Mapping, Sequence

import numpy as np
import pandas as pd

from . import _native
from ._errors import Note, argument_error

_SET_KEYS = ("items", "points", "weight", "reverse")


def check_data(data: Any) -> pd.DataFrame:
    if isinstance(data, pd.DataFrame):
        frame = data
    elif isinstance(data, Mapping):
        try:
            frame = pd.DataFrame(dict(data))
        except ValueError as error:
            raise argument_error(f"`data` cannot be made a DataFrame: {error}") from None
    else:
        raise argument_error(
            "`data` must be a pandas DataFrame or a mapping of column name to array, "
            "one row per examinee."
        )
    if frame.shape[0] == 0 or frame.shape[1] == 0:
        raise argument_error("`data` has no rows or no columns.")
    if frame.columns.has_duplicates:
        twice = frame.columns[frame.columns.duplicated()][0]
        raise argument_error(f"`data` has two columns named '{twice}'; give each its own name.")
    return frame


def resolve_column(name: Any, frame: pd.DataFrame, what: str) -> Any:
    """The column of `frame` named `name`, or an error naming the closest."""
    if name in frame.columns:
        return name
    known = [str(c) for c in frame.columns]
    near = _native.closest_names(str(name), known)
    hint = f"; the closest is '{near[0]}'" if near else ""
    raise argument_error(
        f"{what} names a column not in `data`: '{name}'{hint}.",
        column=str(name),
        closest=near[0] if near else None,
    )


def check_number(x: Any, name: str, whole: bool = False, low: float = -math.inf,
                 high: float = math.inf) -> float:
    ok = isinstance(x, numbers.Real) and not isinstance(x, bool) and math.isfinite(x)
    if ok and whole:
        ok = float(x).is_integer()
    if not ok or not low <= x <= high:
        kind = "one whole number" if whole else "one finite number"
        bounds = f" from {low:g} to {high:g}" if math.isfinite(low) and math.isfinite(high) else ""
        raise argument_error(f"`{name}` must be {kind}{bounds}, not {x!r}.")
    return x


def check_flag(x: Any, name: str) -> bool:
    if not isinstance(x, (bool, np.bool_)):
        raise argument_error(f"`{name}` must be True or False, not {x!r}.")
    return bool(x)


def check_choice(x: Any, choices: Sequence[str], name: str) -> str:
    if not isinstance(x, str) or x not in choices:
        listed = ", ".join(f'"{c}"' for c in choices)
        raise argument_error(f"`{name}` must be one of {listed}, not {x!r}.")
    return x


def check_scores(x: Any, name: str, allow_empty: bool = False) -> list[float]:
    if isinstance(x, numbers.Real) and not isinstance(x, bool):
        x = [x]
    try:
        values = [float(v) for v in x]
    except (TypeError, ValueError):
        raise argument_error(f"`{name}` must be a sequence of numbers.") from None
    if not values and not allow_empty:
        raise argument_error(f"`{name}` must hold at least one number.")
    if not all(math.isfinite(v) for v in values):
        raise argument_error(f"`{name}` must hold finite numbers only.")
    return values


def check_sets(sets: Any, frame: pd.DataFrame) -> list[dict[str, Any]]:
    """Each set as {"label", "columns", "points", "weight"}."""
    if (isinstance(sets, Mapping) and sets and set(sets) <= set(_SET_KEYS)
            and not any(isinstance(v, Mapping) for v in sets.values())):
        sets = [sets]  # one set given bare (a set named "points" is not one)
    if isinstance(sets, Mapping):
        named = [(str(label), given) for label, given in sets.items()]
    elif isinstance(sets, Sequence) and not isinstance(sets, str):
        named = [(f"set {s + 1}", given) for s, given in enumerate(sets)]
    else:
        named = []
    if not named:
        raise argument_error(
            "`sets` must map each set's name to {'items': [...], 'points': [...], 'weight': w}."
        )
    return [_check_set(label, given, frame) for label, given in named]


def _check_set(label: str, given: Any, frame: pd.DataFrame) -> dict[str, Any]:
    what = f"`sets['{label}']`"
    if not isinstance(given, Mapping):
        raise argument_error(f"{what} must be a dict with items, points and weight.")
    unknown = [k for k in given if k not in _SET_KEYS]
    if unknown:
        raise argument_error(
            f"{what} may hold only items, points, weight and reverse, not {unknown[0]!r}.")
    items = given.get("items")
    if isinstance(items, str) or not isinstance(items, Sequence) or len(items) == 0:
        raise argument_error(f"{what} needs `items`: a list of column names.")
    if "points" not in given:
        raise argument_error(f"{what} needs `points`.")
    columns = [resolve_column(name, frame, f"{what}['items']") for name in items]
    if len(set(columns)) != len(columns):
        raise argument_error(f"{what}['items'] names a column more than once.")
    weight = check_number(given.get("weight", 1.0), f"sets['{label}']['weight']")
    points = check_scores(given["points"], f"sets['{label}']['points']")
    reverse = given.get("reverse") or []
    if isinstance(reverse, str):
        reverse = [reverse]
    keyed = [resolve_column(name, frame, f"{what}['reverse']") for name in reverse]
    stray = [c for c in keyed if c not in columns]
    if stray:
        raise argument_error(f"{what}['reverse'] names {stray[0]!r}, not an item of the set.")
    return {"label": label, "columns": columns, "points": points, "weight": float(weight),
            "reversed": [c in keyed for c in columns]}


def _as_numbers(column: pd.Series) -> np.ndarray | None:
    """An item column as float64 (NaN where missing), or None when it is not
    numeric. A categorical gives its categories as numbers when they all are,
    else its codes; a nullable integer its values."""
    dtype = column.dtype
    if isinstance(dtype, pd.CategoricalDtype):
        categories = pd.to_numeric(pd.Series(dtype.categories), errors="coerce")
        codes = column.cat.codes.to_numpy()
        if categories.notna().all():
            values = categories.to_numpy(dtype=float)[np.maximum(codes, 0)]
        else:
            values = codes.astype(float)
        return np.where(codes < 0, np.nan, values)
    if pd.api.types.is_bool_dtype(dtype) or not pd.api.types.is_numeric_dtype(dtype):
        return None
    return column.astype("Float64").to_numpy(dtype=float, na_value=np.nan)


def _shown(values: Sequence[Any], most: int = 10) -> str:
    text = ", ".join(str(v) for v in values[:most])
    more = len(values) - most
    return text + (f" and {more} more" if more > 0 else "")


def item_scores(frame: pd.DataFrame, columns: list[Any], missing: str) -> tuple[np.ndarray, np.ndarray]:
    """The item columns as one float64 matrix over the kept rows, and the
    kept rows' positions."""
    converted = {c: _as_numbers(frame[c]) for c in columns}
    bad = [str(c) for c, v in converted.items() if v is None]
    if bad:
        quoted = ", ".join(f"'{c}'" for c in bad)
        raise argument_error(
            f"Item columns must be numeric; {'this one is' if len(bad) == 1 else 'these are'} not: "
            f"{quoted}.",
            column=bad[0],
        )
    scores = np.column_stack([converted[c] for c in columns])
    infinite = np.isinf(scores)
    if infinite.any():
        row, col = np.argwhere(infinite)[0]
        raise argument_error(
            f"`data` holds an infinite item score in row {frame.index[row]!r}, column "
            f"'{columns[col]}'.",
            row=frame.index[row], column=str(columns[col]),
        )
    absent = np.isnan(scores)
    rows = np.flatnonzero(absent.any(axis=1))
    if rows.size == 0:
        return scores, np.arange(len(frame))
    labels = [frame.index[r] for r in rows]
    if missing == "error":
        row, col = np.argwhere(absent)[0]
        raise argument_error(
            f"`data` holds missing item scores in {len(rows)} row(s) ({_shown(labels)}); the first "
            f"is row {frame.index[row]!r}, column '{columns[col]}'. Use missing=\"omit\" to leave "
            "those examinees out.",
            row=frame.index[row], column=str(columns[col]), rows=labels,
        )
    keep = np.flatnonzero(~absent.any(axis=1))
    if keep.size == 0:
        raise argument_error("Every examinee has a missing item score; none is left.")
    warnings.warn(
        Note(f"{len(rows)} examinee(s) with missing item scores left out (rows {_shown(labels)}).",
             "python.rows_omitted", "note", rows=labels),
        stacklevel=4,
    )
    return scores[keep], keep


def _text(value: Any) -> str | None:
    """A cell as the library takes a grouping value or an ID: its text, a whole
    float without its ".0", None for a missing value."""
    if value is None or value is pd.NA or (isinstance(value, float) and math.isnan(value)):
        return None
    if isinstance(value, (float, np.floating)) and float(value).is_integer():
        return str(int(value))
    return str(value)


def id_texts(column: pd.Series) -> list[str]:
    return [t if t is not None else "" for t in map(_text, column.tolist())]


def group_columns(by: Any, frame: pd.DataFrame, used: list[Any], id_column: Any,
                  keep: np.ndarray, min_group: int) -> dict[str, Any] | None:
    """Grouping columns for cac(by=): each kept examinee's value as text (None
    where missing); a categorical's codes named by its categories."""
    if by is None:
        return None
    names = [by] if isinstance(by, str) or not isinstance(by, Sequence) else list(by)
    if not names:
        raise argument_error("`by` must name at least one column, or be None.")
    columns = [resolve_column(name, frame, "`by`") for name in names]
    cells, labels = [], []
    for c in columns:
        if c in used:
            raise argument_error(f"`by` column '{c}' is also an item column.")
        if id_column is not None and c == id_column:
            raise argument_error(f"`by` column '{c}' is the `id` column.")
        column = frame[c].iloc[keep]
        if isinstance(column.dtype, pd.CategoricalDtype):
            codes = column.cat.codes.to_numpy()
            cells.append([None if k < 0 else str(k + 1) for k in codes])
            labels.append({"values": [str(k + 1) for k in range(len(column.cat.categories))],
                           "names": [str(v) for v in column.cat.categories]})
        else:
            cells.append([_text(v) for v in column.tolist()])
            labels.append(None)
    if len(set(columns)) != len(columns):
        raise argument_error("`by` names a column twice.")
    return {"names": [str(c) for c in columns], "cells": cells, "labels": labels,
            "min_group": int(min_group)}


def check_labels(labels: Any, k: int) -> list[str]:
    if labels is None:
        return []
    if isinstance(labels, str) or not isinstance(labels, Sequence):
        labels = list(labels) if hasattr(labels, "__iter__") and not isinstance(labels, str) else None
    if labels is None or not all(isinstance(x, str) and x for x in labels):
        raise argument_error("`labels` must be a list of non-empty category labels.")
    if len(labels) != k:
        raise argument_error(
            f"`labels` must hold one label per category: {k} (the cuts plus one), not {len(labels)}."
        )
    if len(set(labels)) != len(labels):
        raise argument_error("`labels` must differ from each other.")
    return list(labels)


def check_scale(scale: Any) -> tuple[list[float], list[float]] | None:
    """`scale`: None, or a DataFrame (or mapping) with numeric columns raw and scale."""
    if scale is None:
        return None
    if isinstance(scale, Mapping):
        scale = pd.DataFrame(dict(scale))
    if not isinstance(scale, pd.DataFrame):
        raise argument_error("`scale` must be a DataFrame with columns raw and scale.")
    out = []
    for name in ("raw", "scale"):
        if name not in scale.columns:
            raise argument_error(f"`scale` has no column {name}.")
        values = _as_numbers(scale[name])
        if values is None or not np.isfinite(values).all():
            raise argument_error(f"`scale['{name}']` must hold finite numbers only.")
        out.append([float(v) for v in values])
    return out[0], out[1]
