"""Time of cross-module IO routing (phase 1 of emit) on two routing-heavy designs.

fanout: module a has N registers; modules b and c (siblings of a) each have N
    registers, register i assigned from register i of a. Routing makes N
    output ports in a, reused by both readers, and N input ports in b and in c.
deep:   a chain of D nested modules; the register of each module is assigned
    from the register of its parent, and every register is clocked by the
    top's clock, so the clock comes down the whole chain through one input
    port per module, each reusing the port of the module above.

Both designs are compiled with build_flow and written with emit; the time of
phase 1 is read from the timestamps of emit's progress lines.

Usage: python bench/bench_routing.py [N] [D] [OUT_DIR]   (defaults 20,000 and 500)
"""
import os
import sys
import tempfile
import time

import _velora


class StampedStdout:
    """Collects the progress lines of emit with the time each one arrived."""

    def __init__(self):
        self.lines = []
        self._pending = ""

    def write(self, text):
        self._pending += text
        while "\n" in self._pending:
            line, self._pending = self._pending.split("\n", 1)
            self.lines.append((time.perf_counter(), line))
        return len(text)

    def flush(self):
        pass

    def at(self, prefix):
        return next(t for t, line in self.lines if line.startswith(prefix))


def build_fanout(n):
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    mods = {}
    for name in ("a", "b", "c"):
        m = a.mk_module(name)
        a.track_module_at_com_init(m)
        mods[name] = [a.mk_reg(f"r{i}", 8) for i in range(n)]
        a.untrack_module_at_com_init(m)
    a.untrack_module_at_com_init(top)
    a.set_top_module(top)
    for reader in ("b", "c"):
        for des, src in zip(mods[reader], mods["a"]):
            a.gen_basic_assign(des, src)
    return a


def build_deep(depth):
    a = _velora.ModelArena()
    chain = []
    regs = []
    for k in range(depth):
        m = a.mk_module(f"m{k}")
        a.track_module_at_com_init(m)
        chain.append(m)
        regs.append(a.mk_reg("r", 4))
    for m in reversed(chain):
        a.untrack_module_at_com_init(m)
    a.set_top_module(chain[0])
    for des, src in zip(regs[1:], regs):
        a.gen_basic_assign(des, src)
    return a


def run(label, arena, out_dir):
    t0 = time.perf_counter()
    arena.build_flow()
    backend = _velora.BackendVerilog(arena)
    stamps = StampedStdout()
    saved, sys.stdout = sys.stdout, stamps
    try:
        t1 = time.perf_counter()
        backend.emit(out_dir, "top")
        t2 = time.perf_counter()
    finally:
        sys.stdout = saved
    routing = stamps.at("[BackendVerilog] Phase 1: done") - stamps.at("[BackendVerilog] Phase 1: routing")
    files = len(stamps.lines) - 6
    print(f"{label:28s} build_flow {t1 - t0:6.2f} s   routing {routing:6.3f} s   "
          f"emit in all {t2 - t1:6.2f} s   ({files} files in {out_dir})")


def main(argv):
    n = int(argv[1]) if len(argv) > 1 else 20_000
    depth = int(argv[2]) if len(argv) > 2 else 500
    out_root = argv[3] if len(argv) > 3 else tempfile.mkdtemp(prefix="velora_bench_routing_")
    for label, build, size in (("fanout", build_fanout, n), ("deep", build_deep, depth)):
        out_dir = os.path.join(out_root, label)
        os.makedirs(out_dir, exist_ok=True)
        run(f"{label} ({size:,})", build(size), out_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
