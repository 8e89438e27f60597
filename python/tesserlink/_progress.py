"""progress=True: how far a bootstrap is, on one line of standard error
(a terminal or a notebook shows it), as the library reports it."""

from __future__ import annotations

import sys
from typing import Callable


def reporter(progress: bool) -> Callable[[int, int], None] | None:
    if not progress:
        return None

    def report(done: int, total: int) -> None:
        percent = 100 * done // total if total else 100
        end = "\n" if done >= total else ""
        sys.stderr.write(f"\rBootstrap: {done:,} of {total:,} replicates ({percent}%){end}")
        sys.stderr.flush()

    return report
