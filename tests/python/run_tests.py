#!/usr/bin/env python3
"""Runs the Python package's tests; exit code 77 (skipped) without numpy."""
import os
import sys
import unittest


def main():
    try:
        import numpy  # noqa: F401
    except ImportError:
        print("numpy is not installed for this interpreter: skipped")
        return 77
    here = os.path.dirname(os.path.abspath(__file__))
    suite = unittest.defaultTestLoader.discover(here, pattern="test_*.py", top_level_dir=here)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


# Dask's worker processes start by importing this module again: only the
# program itself runs the tests.
if __name__ == "__main__":
    sys.exit(main())
