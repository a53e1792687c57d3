"""The main job, as a newcomer sees it: describe a small design through the
`_velora` API, the way a front end does, and show what the model made.

Usage: python examples/demo.py [OUTPUT_DIR]
"""
import sys

import _velora


def describe(arena):
    """A top module with two sub-modules, built with the module trace stack."""
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    children = []
    for name in ("producer", "consumer"):
        child = arena.mk_module(name)
        arena.track_module_at_com_init(child)
        arena.untrack_module_at_com_init(child)
        children.append(child)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    return top, children


def main(argv):
    arena = _velora.ModelArena()
    top, children = describe(arena)
    print("[demo] top module:", arena.module_verilog_name(top), repr(top))
    for child in children:
        print("[demo]   sub-module:", arena.module_verilog_name(child), repr(child))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
