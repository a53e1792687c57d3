"""The main job, as a newcomer sees it.

Describes a small design through the `_velora` API exactly as a front end
does, compiles its control flow with `build_flow`, writes one Verilog file per
module with `BackendVerilog`, and, when Icarus Verilog is installed, simulates
it with a generated test bench and prints the signals cycle by cycle.

The design: a top module with two sub-modules.
  producer  runs a sequence: value <- 10, then a parallel block whose
            branches run together (value <- 20, value <- 30 | flag <- 1),
            then value <- 40.
  consumer  copies the producer's value into its own register every cycle
            of a sequence; the signal crosses module boundaries through
            generated ports.
  top       steps its phase register through 1, 2, 3.
Registers reset to 0 under master reset; value, flag, copy and phase are
design-level output ports.

Usage: python examples/demo.py OUTPUT_DIR
"""
import shutil
import subprocess
import sys
from pathlib import Path

import _velora

PORTS = {"phase": 2, "value": 8, "flag": 1, "copy": 8}


def reg_with_reset(arena, name, width, port):
    reg = arena.mk_reg(name, width)
    arena.set_reg_reset(reg, arena.mk_val(f"{name}_init", width, 0))
    arena.mark_as_io(reg, False, port)
    return reg


def seq(arena, name, body):
    block = arena.mk_flow_block_seq(name)
    arena.initialize_flow_block(block)
    body()
    arena.check_flow_block_prefinalize(block)
    arena.finalize_flow_block(block)


def describe(arena):
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    phase = reg_with_reset(arena, "phase", 2, "phase")

    producer = arena.mk_module("producer")
    arena.track_module_at_com_init(producer)
    value = reg_with_reset(arena, "value", 8, "value")
    flag = reg_with_reset(arena, "flag", 1, "flag")
    arena.untrack_module_at_com_init(producer)

    consumer = arena.mk_module("consumer")
    arena.track_module_at_com_init(consumer)
    copy = reg_with_reset(arena, "copy", 8, "copy")
    arena.untrack_module_at_com_init(consumer)
    arena.untrack_module_at_com_init(top)

    arena.track_module_at_flow_init(producer)

    def producer_body():
        arena.gen_basic_assign(value, 10)
        par = arena.mk_flow_block_par_auto("both")
        arena.initialize_flow_block(par)
        seq(arena, "slow", lambda: (arena.gen_basic_assign(value, 20), arena.gen_basic_assign(value, 30)))
        seq(arena, "fast", lambda: arena.gen_basic_assign(flag, 1))
        arena.check_flow_block_prefinalize(par)
        arena.finalize_flow_block(par)
        arena.gen_basic_assign(value, 40)

    seq(arena, "produce", producer_body)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(producer)

    arena.track_module_at_flow_init(consumer)
    seq(arena, "consume", lambda: [arena.gen_basic_assign(copy, value) for _ in range(6)])
    arena.untrack_module_at_flow_init(consumer)

    arena.track_module_at_flow_init(top)
    seq(arena, "steps", lambda: [arena.gen_basic_assign(phase, v) for v in (1, 2, 3)])
    arena.untrack_module_at_flow_init(top)

    arena.set_top_module(top)
    return top


def testbench(top_name, cycles=12):
    decls = "\n".join(f"  wire [{w - 1}:0] {p};" for p, w in PORTS.items())
    conns = ", ".join([f".{p}({p})" for p in PORTS] + [".clk(clk)", ".mrst(mrst)"])
    header = "cycle  mrst  " + "  ".join(f"{p:>5}" for p in PORTS)
    fmt = "%5d  %4d  " + "  ".join("%5d" for _ in PORTS)
    return f"""module tb;
  reg clk = 0, mrst = 0;
{decls}
  {top_name} dut({conns});
  always #5 clk = ~clk;
  integer i;
  initial begin
    #1 mrst = 1;
    $display("{header}");
    for (i = 0; i < {cycles}; i = i + 1) begin
      @(posedge clk); #1;
      $display("{fmt}", i, mrst, {", ".join(PORTS)});
      if (i == 1) mrst = 0;
    end
    $finish;
  end
endmodule
"""


def simulate(out_dir, top_name, files):
    if shutil.which("iverilog") is None or shutil.which("vvp") is None:
        print("[demo] iverilog is not installed: skipping the simulation")
        return 0
    tb = out_dir / "tb.sv"
    tb.write_text(testbench(top_name))
    exe = out_dir / "demo.vvp"
    subprocess.run(["iverilog", "-g2012", "-s", "tb", "-o", str(exe), str(tb), *map(str, files)], check=True)
    print("[demo] simulating with Icarus Verilog (master reset for the first two cycles):")
    run = subprocess.run(["vvp", "-n", str(exe)], check=True, capture_output=True, text=True)
    for line in run.stdout.splitlines():
        print("    " + line)
    return 0


def main(argv):
    out_dir = Path(argv[1] if len(argv) > 1 else "demo_out")
    out_dir.mkdir(parents=True, exist_ok=True)
    for old in out_dir.glob("*.v"):
        old.unlink()
    arena = _velora.ModelArena()
    top = describe(arena)
    top_name = arena.module_verilog_name(top)
    arena.build_flow()
    print(f"[demo] described and compiled the design; top module {top_name}")
    _velora.BackendVerilog(arena).emit(str(out_dir), "top")
    files = sorted(out_dir.glob("*.v"))
    print("[demo] Verilog written: " + ", ".join(str(f) for f in files))
    return simulate(out_dir, top_name, files)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
