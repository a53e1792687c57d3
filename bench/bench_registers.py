"""Memory and time of many registers with one literal assignment each.

Creates N registers in one module, each assigned the literal 5 outside any
flow block (one constant, one update event and one assignment node per
register), and reports the wall time and the growth of peak resident memory
per register.

Usage: python bench/bench_registers.py [N]   (default 1,000,000)
"""
import resource
import sys
import time

import _velora


def peak_rss_bytes():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024


def main(argv):
    n = int(argv[1]) if len(argv) > 1 else 1_000_000
    arena = _velora.ModelArena()
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    arena.set_top_module(top)
    base = peak_rss_bytes()
    t0 = time.perf_counter()
    for i in range(n):
        r = arena.mk_reg(f"r{i}", 8)
        arena.gen_basic_assign(r, 5)
    elapsed = time.perf_counter() - t0
    grown = peak_rss_bytes() - base
    print(f"registers: {n:,}")
    print(f"wall time: {elapsed:.2f} s ({elapsed / n * 1e6:.2f} us per register with its assignment)")
    print(f"peak RSS growth: {grown / 2**20:.1f} MiB ({grown / n:.0f} bytes per register)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
