"""The package's exceptions and warnings.

A finding of the library's run becomes an exception or a warning carrying it:
its ``code``, ``severity`` and ``text``, and the values it names (``file``,
``line``, ``column``, ``key``, ``value``, ``closest``, ``console_line``) as
attributes, so that a caller tells findings apart by code, never by text.
The package's own checks of its arguments, made before the library is
called, raise errors of code ``"python.argument"``.
"""

from __future__ import annotations

import warnings
from typing import Any, Mapping

_FIELDS = ("file", "line", "column", "key", "value", "closest", "console_line")


class _Carrying:
    """What every condition of the package carries."""

    code: str
    severity: str
    text: str

    def _carry(self, text: str, code: str, severity: str, fields: Mapping[str, Any]) -> None:
        self.text = text
        self.code = code
        self.severity = severity
        for name in _FIELDS:
            setattr(self, name, None)
        for name, value in fields.items():
            setattr(self, name, value)

    def fields(self) -> dict[str, Any]:
        """The code, severity, text and every value named, as a dict."""
        out = {"code": self.code, "severity": self.severity, "text": self.text}
        for name, value in vars(self).items():
            if not name.startswith("_") and value is not None and name not in out:
                out[name] = value
        return out


class Error(_Carrying, ValueError):
    """An error of a run, or of the arguments given to one.

    Attributes
    ----------
    code : str
        The finding's stable code, such as ``"card.cuts_out_of_range"``.
    status : int
        The exit status the command line ends such a run with (1 for an error
        found in a control card, 2 for every other).
    """

    def __init__(self, text: str, code: str = "python.argument", status: int = 2, **fields: Any):
        super().__init__(text)
        self._carry(text, code, "error", fields)
        self.status = status


class DataWarning(_Carrying, UserWarning):
    """A warning of a run, or data that does not fit its sets (a data misfit,
    which ``strict=True`` turns into an error)."""

    def __init__(self, text: str, code: str, severity: str = "warning", **fields: Any):
        super().__init__(text)
        self._carry(text, code, severity, fields)


class Note(DataWarning):
    """A note of a run: something worth knowing that changes no number
    (examinees left out, a set convolved)."""


def argument_error(text: str, **fields: Any) -> Error:
    """The package's own refusal of an argument or of the data."""
    return Error(text, "python.argument", **fields)


def _split(finding: Mapping[str, Any]) -> tuple[str, str, str, dict[str, Any]]:
    rest = {k: v for k, v in finding.items() if k not in ("code", "severity", "text")}
    return finding["text"], finding["code"], finding["severity"], rest


def condition_of(finding: Mapping[str, Any], status: int = 2) -> Error | DataWarning:
    """The exception or warning of one finding of the library."""
    text, code, severity, rest = _split(finding)
    if severity == "error":
        return Error(text, code, status, **rest)
    if severity == "note":
        return Note(text, code, severity, **rest)
    return DataWarning(text, code, severity, **rest)


def present_findings(out: Mapping[str, Any], stacklevel: int = 3) -> None:
    """Each note and warning of a run as a warning, in the order found, then
    the error that ended the run, if one did."""
    findings = out["findings"]
    failed = out["status"] != 0
    shown = findings[:-1] if failed else findings
    for finding in shown:
        warnings.warn(condition_of(finding), stacklevel=stacklevel)
    if failed:
        raise condition_of(findings[-1], out["status"])
