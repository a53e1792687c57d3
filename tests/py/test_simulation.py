"""Emitted designs simulated cycle by cycle with Icarus Verilog and linted
with Verilator."""
import re

import pytest

import _velora
from verilog_tools import compile_and_run, emit, iverilog_check, lint, needs_iverilog

pytestmark = needs_iverilog

RESET_CYCLES = 2


def make_testbench(top_name, ports, cycles):
    """A test bench that drives clk and mrst (mrst high for the first
    RESET_CYCLES edges) and prints every output port after each rising edge.
    `ports` maps port name to width."""
    decls = "\n".join(f"  wire [{w - 1}:0] {p};" for p, w in ports.items())
    conns = ", ".join([f".{p}({p})" for p in ports] + [".clk(clk)", ".mrst(mrst)"])
    fmt = " ".join(f"{p}=%0d" for p in ports)
    args = ", ".join(ports)
    return f"""
module tb;
  reg clk = 0, mrst = 0;
{decls}
  {top_name} dut({conns});
  always #5 clk = ~clk;
  integer i;
  initial begin
    #1 mrst = 1;
    for (i = 0; i < {cycles}; i = i + 1) begin
      @(posedge clk); #1;
      $display("cycle=%0d mrst=%0d {fmt}", i, mrst, {args});
      if (i == {RESET_CYCLES - 1}) mrst = 0;
    end
    $finish;
  end
endmodule
"""


def run(arena, tmp_path, ports, cycles=12):
    """Compiles, emits, lints and simulates; returns one dict per cycle."""
    arena.build_flow()
    top_name = arena.module_verilog_name(arena_top(arena))
    files = emit(arena, tmp_path / "out")
    lint(files, top=top_name)
    iverilog_check(files, tmp_path, top=top_name)
    lines = compile_and_run(files, make_testbench(top_name, ports, cycles), tmp_path)
    rows = []
    for line in lines:
        rows.append({k: (int(v) if v.isdigit() else v) for k, v in re.findall(r"(\w+)=(\w+)", line)})
    assert len(rows) == cycles, lines
    return rows


_TOPS = {}


def arena_top(arena):
    return _TOPS[id(arena)]


def new_design():
    a = _velora.ModelArena()
    top = a.mk_module("top")
    _TOPS[id(a)] = top
    return a, top


def after_reset(rows, port):
    """The values of `port` in the cycles after master reset was released."""
    return [r[port] for r in rows if r["mrst"] == 0]


def runs(values):
    """(value, length) for each run of equal consecutive values."""
    out = []
    for v in values:
        if out and out[-1][0] == v:
            out[-1][1] += 1
        else:
            out.append([v, 1])
    return [tuple(r) for r in out]


def seq_block(a, name, assignments):
    s = a.mk_flow_block_seq(name)
    a.initialize_flow_block(s)
    for des, value in assignments:
        a.gen_basic_assign(des, value)
    a.check_flow_block_prefinalize(s)
    a.finalize_flow_block(s)
    return s


def test_sequence_assigns_one_value_per_state_after_reset(tmp_path):
    a, top = new_design()
    a.track_module_at_com_init(top)
    r = a.mk_reg("r", 8)
    a.set_reg_reset(r, a.mk_val("r_init", 8, 7))
    a.mark_as_io(r, False, "r_out")
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(top)
    seq_block(a, "main", [(r, 1), (r, 2), (r, 3)])
    a.untrack_module_at_flow_init(top)
    a.set_top_module(top)
    rows = run(a, tmp_path, {"r_out": 8})
    assert [row["r_out"] for row in rows if row["mrst"] == 1] == [7] * RESET_CYCLES
    # The start pulse follows master reset; then one assignment per state,
    # in program order, and the last value stays.
    chain = runs([row["r_out"] for row in rows])
    assert [v for v, _ in chain] == [7, 1, 2, 3]
    assert chain[1][1] == 1 and chain[2][1] == 1


def test_parallel_branches_run_together_and_leave_after_the_longest(tmp_path):
    a, top = new_design()
    a.track_module_at_com_init(top)
    x, y, done = a.mk_reg("x", 4), a.mk_reg("y", 4), a.mk_reg("done", 1)
    for reg, name in ((x, "x"), (y, "y"), (done, "done")):
        a.set_reg_reset(reg, a.mk_val(f"{name}0", a.get_hw_bit_sz(reg), 0))
        a.mark_as_io(reg, False, name)
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(top)
    s = a.mk_flow_block_seq("main")
    a.initialize_flow_block(s)
    p = a.mk_flow_block_par_auto("p")
    a.initialize_flow_block(p)
    seq_block(a, "long", [(x, 1), (x, 2), (x, 3)])
    seq_block(a, "short", [(y, 5)])
    a.check_flow_block_prefinalize(p)
    a.finalize_flow_block(p)
    a.gen_basic_assign(done, 1)
    a.finalize_flow_block(s)
    a.untrack_module_at_flow_init(top)
    a.set_top_module(top)
    rows = run(a, tmp_path, {"x": 4, "y": 4, "done": 1}, cycles=14)
    xs, ys, ds = after_reset(rows, "x"), after_reset(rows, "y"), after_reset(rows, "done")
    first_x = xs.index(1)
    assert ys.index(5) == first_x  # both branches start in the same cycle
    assert xs[first_x:first_x + 3] == [1, 2, 3]
    # The block after the parallel one starts once the longest branch is done.
    assert ds.index(1) == first_x + 3


def test_wire_takes_its_default_outside_the_assigning_state(tmp_path):
    a, top = new_design()
    a.track_module_at_com_init(top)
    w, z = a.mk_wire("w", 8), a.mk_wire("z", 8)
    a.set_wire_default(w, a.mk_val("w_dflt", 8, 42))
    a.mark_as_io(w, False, "w_out")
    a.mark_as_io(z, False, "z_out")
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(top)
    seq_block(a, "main", [(w, 9), (w, 10)])
    a.untrack_module_at_flow_init(top)
    a.set_top_module(top)
    rows = run(a, tmp_path, {"w_out": 8, "z_out": 8})
    ws = [row["w_out"] for row in rows]
    assert ws.count(9) == 1 and ws.count(10) == 1
    assert ws.index(10) == ws.index(9) + 1
    assert set(ws) == {42, 9, 10}
    assert {row["z_out"] for row in rows} == {0}  # no default: the zero constant


def test_signal_routed_between_sibling_modules_arrives_unchanged(tmp_path):
    a, top = new_design()
    a.track_module_at_com_init(top)
    prod = a.mk_module("producer")
    a.track_module_at_com_init(prod)
    src = a.mk_reg("src", 8)
    a.set_reg_reset(src, a.mk_val("src0", 8, 0))
    a.untrack_module_at_com_init(prod)
    cons = a.mk_module("consumer")
    a.track_module_at_com_init(cons)
    copy = a.mk_reg("copy", 8)
    a.set_reg_reset(copy, a.mk_val("copy0", 8, 0))
    a.mark_as_io(copy, False, "copy_out")
    a.untrack_module_at_com_init(cons)
    a.mark_as_io(src, False, "src_out")
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(prod)
    seq_block(a, "produce", [(src, 11), (src, 22), (src, 33)])
    a.untrack_module_at_flow_init(prod)
    a.track_module_at_flow_init(cons)
    seq_block(a, "consume", [(copy, src)] * 5)
    a.untrack_module_at_flow_init(cons)
    a.set_top_module(top)
    rows = run(a, tmp_path, {"src_out": 8, "copy_out": 8}, cycles=14)
    srcs, copies = after_reset(rows, "src_out"), after_reset(rows, "copy_out")
    # Both sequences start together; the consumer's register takes the
    # producer's value of the previous cycle.
    assert [v for v, _ in runs(srcs)] == [0, 11, 22, 33]
    first = srcs.index(11)
    assert copies[first + 1:first + 4] == [11, 22, 33]
