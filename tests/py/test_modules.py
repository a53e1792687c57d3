"""Modules, the module trace stack and the top module."""
import pytest

import _velora
from conftest import fatal


def test_untrack_of_the_wrong_module_is_fatal(arena):
    a, b = arena.mk_module("a"), arena.mk_module("b")
    arena.track_module_at_com_init(a)
    arena.track_module_at_com_init(b)
    with pytest.raises(BaseException) as e:
        arena.untrack_module_at_com_init(a)
    text = fatal(e)
    assert "finalize_module: ident mismatch — wrong module finalized" in text
    assert "ModuleIdent { ident_base: IdentBase {" in text


@pytest.mark.parametrize("method", ["untrack_module_at_com_init", "untrack_module_at_flow_init"])
def test_untrack_with_an_empty_stack_is_fatal(arena, method):
    m = arena.mk_module("m")
    with pytest.raises(BaseException) as e:
        getattr(arena, method)(m)
    assert fatal(e) == "module trace stack is empty"


def test_stages_are_not_compared_on_untrack(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    arena.untrack_module_at_flow_init(m)
    arena.track_module_at_flow_init(m)
    arena.untrack_module_at_com_init(m)


def test_nesting_sets_parent_depth(arena):
    a = arena.mk_module("a")
    arena.track_module_at_com_init(a)
    b = arena.mk_module("b")
    assert b.depth_level == 1
    arena.track_module_at_com_init(b)
    arena.untrack_module_at_com_init(b)
    arena.untrack_module_at_com_init(a)
    c = arena.mk_module("c")
    assert c.depth_level == 0


def test_set_top_module_twice_is_fatal(arena):
    a, b = arena.mk_module("a"), arena.mk_module("b")
    arena.set_top_module(a)
    with pytest.raises(BaseException) as e:
        arena.set_top_module(b)
    assert fatal(e) == "top_module is already set"


def test_overlong_module_name_is_fatal_and_the_arena_goes_on(arena):
    with pytest.raises(BaseException) as e:
        arena.mk_module("n" * 257)
    assert fatal(e) == 'name exceeds MAX_NAME_LEN (256): "' + "n" * 257 + '"'
    # A relative name that fits but whose global name does not.
    with pytest.raises(BaseException) as e:
        arena.mk_module("n" * 250)
    assert fatal(e).startswith('name exceeds MAX_NAME_LEN (256): "MODULE_nnn')
    assert arena.mk_module("ok").depth_level == 0


def test_module_identifier_of_another_arena_fails_the_handle_test(arena):
    other = _velora.ModelArena()
    foreign = other.mk_module("f")
    other.mk_module("g")
    second = other.mk_module("h")
    with pytest.raises(BaseException) as e:
        arena.module_verilog_name(second)
    assert fatal(e) == "ArenaHandle index out of range"
    del foreign


def test_names_are_utf8(arena):
    m = arena.mk_module("modül")
    assert arena.module_verilog_name(m) == f"MODULE_modül_{m.global_id}"
