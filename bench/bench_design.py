"""Time and memory of a large generated design, phase by phase.

The design: M sub-modules under the top module, each with R registers
(M * R registers in all, 100 x 1000 by default). Every register of module k is
assigned, outside any flow block, the register of the same index in module
k - 1, so every assignment reads a signal of a sibling module and routing
creates two ports for it. The top module runs a sequence of S assignments
(10,000 by default). Reports the wall time of building the model, of
`build_flow` and of `emit`, and the peak resident memory.

Usage: python bench/bench_design.py [MODULES] [REGS_PER_MODULE] [SEQ_LEN] [OUT_DIR]
"""
import contextlib
import io
import os
import resource
import sys
import tempfile
import time

import _velora


def peak_rss_mib():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024


def build(modules, regs, seq_len):
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    counter = a.mk_reg("counter", 16)
    a.set_reg_reset(counter, a.mk_val("zero", 16, 0))
    a.mark_as_io(counter, False, "counter")
    grid = []
    for k in range(modules):
        m = a.mk_module(f"m{k}")
        a.track_module_at_com_init(m)
        grid.append([a.mk_reg(f"r{i}", 8) for i in range(regs)])
        a.untrack_module_at_com_init(m)
    a.untrack_module_at_com_init(top)
    a.set_top_module(top)
    for k in range(1, modules):
        for des, src in zip(grid[k], grid[k - 1]):
            a.gen_basic_assign(des, src)
    a.track_module_at_flow_init(top)
    s = a.mk_flow_block_seq("steps")
    a.initialize_flow_block(s)
    for v in range(seq_len):
        a.gen_basic_assign(counter, v)
    a.finalize_flow_block(s)
    a.untrack_module_at_flow_init(top)
    return a


def main(argv):
    modules = int(argv[1]) if len(argv) > 1 else 100
    regs = int(argv[2]) if len(argv) > 2 else 1000
    seq_len = int(argv[3]) if len(argv) > 3 else 10_000
    out_dir = argv[4] if len(argv) > 4 else tempfile.mkdtemp(prefix="velora_bench_")
    os.makedirs(out_dir, exist_ok=True)
    print(f"design: {modules} modules x {regs} registers, sequence of {seq_len:,} assignments")
    t0 = time.perf_counter()
    a = build(modules, regs, seq_len)
    t1 = time.perf_counter()
    print(f"build model : {t1 - t0:7.2f} s   peak RSS {peak_rss_mib():8.1f} MiB")
    a.build_flow()
    t2 = time.perf_counter()
    print(f"build_flow  : {t2 - t1:7.2f} s   peak RSS {peak_rss_mib():8.1f} MiB")
    backend = _velora.BackendVerilog(a)
    with contextlib.redirect_stdout(io.StringIO()):
        backend.emit(out_dir, "top")
    t3 = time.perf_counter()
    print(f"emit        : {t3 - t2:7.2f} s   peak RSS {peak_rss_mib():8.1f} MiB   (files in {out_dir})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
