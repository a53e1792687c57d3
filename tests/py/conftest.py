import subprocess
import sys
import textwrap

import pytest

import _velora


@pytest.fixture
def arena():
    return _velora.ModelArena()


@pytest.fixture
def module_arena():
    """An arena with a top module tracked at the component stage."""
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    return a, top


def fatal(excinfo_or_exc):
    """The fatal internal error class, checked on a raised exception."""
    exc = getattr(excinfo_or_exc, "value", excinfo_or_exc)
    assert isinstance(exc, BaseException) and not isinstance(exc, Exception)
    assert type(exc).__name__ == "FatalError"
    return str(exc)


@pytest.fixture
def fatal_error_class():
    a = _velora.ModelArena()
    m = a.mk_module("m")
    a.set_top_module(m)
    try:
        a.set_top_module(m)
    except BaseException as e:  # noqa: BLE001 - the class is what we want
        return type(e)
    raise AssertionError("second set_top_module did not fail")


def run_fresh(code):
    """Runs `code` in a new interpreter (where the first identifier is 0) and
    returns its standard output."""
    out = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True, check=False)
    assert out.returncode == 0, out.stderr
    return out.stdout
