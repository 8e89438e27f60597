"""TESSERLINK: classification consistency and accuracy from item scores.

The package runs the TESSERLINK library, the one the command line links: its
numbers are the command line's, bit for bit.

>>> import tesserlink
>>> fit = tesserlink.run_analysis("examples/spisa/analysis.toml")  # doctest: +SKIP
"""

from ._errors import DataWarning, Error, Note
from ._result import Program, Result
from ._run import cac, run_analysis, run_card

__all__ = ["cac", "run_analysis", "run_card", "Result", "Program", "Error", "DataWarning", "Note"]
__version__ = "3.0"
