"""Real tools as judges of emitted Verilog: Icarus Verilog compiles and
simulates it, Verilator lints it."""
import os
import shutil
import subprocess
from pathlib import Path

import pytest

import _velora

HAVE_IVERILOG = shutil.which("iverilog") is not None and shutil.which("vvp") is not None
HAVE_VERILATOR = shutil.which("verilator") is not None

needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG and os.environ.get("CI") != "true",
                                    reason="iverilog is not installed")


def emit(arena, out_dir, top="top"):
    """Hands the model to a backend and writes it; returns the written files
    in the order they were written."""
    out_dir = Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    _velora.BackendVerilog(arena).emit(str(out_dir), top)
    return sorted(out_dir.glob("*.v"), key=lambda p: p.stat().st_mtime_ns)


def lint(files, top="top"):
    """Verilator's lint must accept the design (warnings allowed, errors not)."""
    if not HAVE_VERILATOR:
        if os.environ.get("CI") == "true":
            raise AssertionError("verilator missing in CI")
        return
    res = subprocess.run(["verilator", "--lint-only", "-Wno-fatal", "-Wno-lint", "-Wno-style", "--top-module", top,
                          *map(str, files)], capture_output=True, text=True, check=False)
    assert res.returncode == 0, res.stdout + res.stderr


def compile_and_run(files, testbench, workdir, top="tb"):
    """Compiles the design with a test bench under iverilog -g2012 and runs it;
    returns the lines the test bench printed."""
    workdir = Path(workdir)
    tb = workdir / "tb.sv"
    tb.write_text(testbench)
    exe = workdir / "sim.vvp"
    res = subprocess.run(["iverilog", "-g2012", "-s", top, "-o", str(exe), str(tb), *map(str, files)],
                         capture_output=True, text=True, check=False)
    assert res.returncode == 0, res.stdout + res.stderr
    run = subprocess.run(["vvp", "-n", str(exe)], capture_output=True, text=True, check=False, timeout=120)
    assert run.returncode == 0, run.stdout + run.stderr
    return [line for line in run.stdout.splitlines() if not line.startswith("VCD")]


def iverilog_check(files, workdir, top="top"):
    """iverilog must compile the design on its own."""
    exe = Path(workdir) / "check.vvp"
    res = subprocess.run(["iverilog", "-g2012", "-s", top, "-o", str(exe), *map(str, files)],
                         capture_output=True, text=True, check=False)
    assert res.returncode == 0, res.stdout + res.stderr
