"""The flow-block lifecycle from Python, and build_flow."""
import pytest

import _velora
from conftest import fatal


@pytest.fixture
def flow_arena():
    """An arena whose top module has an 8-bit register r and is tracked at the
    flow stage."""
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    r = a.mk_reg("r", 8)
    a.untrack_module_at_com_init(top)
    a.set_top_module(top)
    a.track_module_at_flow_init(top)
    return a, top, r


@pytest.mark.parametrize(
    "factory, block_type",
    [("mk_flow_block_seq", "SEQUENTIAL"), ("mk_flow_block_par_auto", "PARALLEL"),
     ("mk_flow_block_par_no_sync", "PARALLEL")],
)
def test_factories_make_unopened_blocks(flow_arena, factory, block_type):
    a, _, _ = flow_arena
    b = getattr(a, factory)("blk")
    assert b.block_type == block_type
    assert repr(b) == f"FlowBlockIdent(global_id={b.global_id}, block_type={block_type})"
    assert a.get_last_skeleton_flow_block_type() == 1  # nothing opened


def test_skeleton_query_follows_the_stack(flow_arena):
    a, _, r = flow_arena
    assert a.get_last_skeleton_flow_block_type() == int(_velora.FlowBlockType.Parallel)
    s = a.mk_flow_block_seq("s")
    a.initialize_flow_block(s)
    assert a.get_last_skeleton_flow_block_type() == int(_velora.FlowBlockType.Sequential)
    p = a.mk_flow_block_par_auto("p")
    a.initialize_flow_block(p)
    assert a.get_last_skeleton_flow_block_type() == int(_velora.FlowBlockType.Parallel)
    a.gen_basic_assign(r, 1)
    a.finalize_flow_block(p)
    assert a.get_last_skeleton_flow_block_type() == int(_velora.FlowBlockType.Sequential)


@pytest.mark.parametrize(
    "factory, message",
    [("mk_flow_block_seq", "seq flow block has no element"),
     ("mk_flow_block_par_auto", "parallel flow block has no element"),
     ("mk_flow_block_par_no_sync", "parallel flow block has no element")],
)
def test_prefinalize_check_of_empty_blocks(flow_arena, factory, message):
    a, _, r = flow_arena
    b = getattr(a, factory)("b")
    a.initialize_flow_block(b)
    with pytest.raises(ValueError) as e:
        a.check_flow_block_prefinalize(b)
    assert str(e.value) == message
    a.gen_basic_assign(r, 1)
    a.check_flow_block_prefinalize(block_i=b)  # now accepted


def test_finalize_flow_procedure_with_an_empty_stack_does_nothing(flow_arena):
    a, _, _ = flow_arena
    a.finalize_flow_procedure()


def test_finalize_with_an_empty_stack_is_fatal_and_the_arena_goes_on(flow_arena):
    a, _, r = flow_arena
    b = a.mk_flow_block_seq("b")
    with pytest.raises(BaseException) as e:
        a.finalize_flow_block(b)
    assert fatal(e) == "flow block stack is empty"
    a.initialize_flow_block(b)
    a.gen_basic_assign(r, 2)
    a.finalize_flow_block(b)


def test_finalize_procedure_with_an_open_block_is_fatal(flow_arena):
    a, _, r = flow_arena
    b = a.mk_flow_block_seq("b")
    a.initialize_flow_block(b)
    with pytest.raises(BaseException) as e:
        a.finalize_flow_procedure()
    assert fatal(e) == "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open"
    outer = a.mk_flow_block_seq("outer")
    a.initialize_flow_block(outer)
    with pytest.raises(BaseException) as e:
        a.finalize_flow_procedure()
    assert fatal(e) == "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2"


def test_outermost_block_needs_the_flow_stage(arena):
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    r = arena.mk_reg("r", 4)
    arena.set_top_module(top)
    b = arena.mk_flow_block_seq("b")
    arena.initialize_flow_block(b)
    arena.gen_basic_assign(r, 1)
    with pytest.raises(BaseException) as e:
        arena.finalize_flow_block(b)
    assert fatal(e) == "finalize_flow_block: expected FlowBlockInit stage on module trace stack, got CompInit"


def test_block_argument_must_be_a_flow_block_ident(flow_arena):
    a, top, _ = flow_arena
    with pytest.raises(TypeError, match="^argument 'block_i': "):
        a.initialize_flow_block(top)


def test_build_flow_errors(arena):
    with pytest.raises(BaseException) as e:
        arena.build_flow()
    assert fatal(e) == "build_flow: no top module set"
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.build_flow()
    with pytest.raises(BaseException) as e:
        arena.build_flow()
    assert fatal(e) == "top module start node must not be set before build_flow"


def test_nested_design_across_modules_compiles(arena):
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    children = []
    for name in ("a", "b"):
        m = arena.mk_module(name)
        arena.track_module_at_com_init(m)
        children.append((m, arena.mk_reg("x", 4), arena.mk_reg("y", 4)))
        arena.untrack_module_at_com_init(m)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    for m, x, y in children:
        arena.track_module_at_flow_init(m)
        s = arena.mk_flow_block_seq("s")
        arena.initialize_flow_block(s)
        arena.gen_basic_assign(x, 1)
        p = arena.mk_flow_block_par_auto("p")
        arena.initialize_flow_block(p)
        for reg, v in ((x, 2), (y, 3)):
            inner = arena.mk_flow_block_seq("inner")
            arena.initialize_flow_block(inner)
            arena.gen_basic_assign(reg, v)
            arena.finalize_flow_block(inner)
        arena.finalize_flow_block(p)
        q = arena.mk_flow_block_par_no_sync("q")
        arena.initialize_flow_block(q)
        arena.gen_basic_assign(y, 5)
        arena.finalize_flow_block(q)
        arena.finalize_flow_block(s)
        arena.finalize_flow_procedure()
        arena.untrack_module_at_flow_init(m)
    arena.build_flow()


def test_deep_nesting_builds_without_exhausting_the_stack(flow_arena):
    a, top, r = flow_arena
    blocks = []
    for i in range(20000):
        b = a.mk_flow_block_seq(f"n{i}")
        a.initialize_flow_block(b)
        blocks.append(b)
    a.gen_basic_assign(r, 1)
    for b in reversed(blocks):
        a.finalize_flow_block(b)
    a.untrack_module_at_flow_init(top)
    a.build_flow()
