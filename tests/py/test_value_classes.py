"""Identifier snapshots and Slice."""
import pytest

import _velora


@pytest.mark.parametrize("cls", ["HcpIdent", "CcpIdent", "FlowBlockIdent", "ModuleIdent"])
def test_identifier_classes_cannot_be_instantiated(cls):
    with pytest.raises(TypeError):
        getattr(_velora, cls)()


@pytest.mark.parametrize(
    "args, kwargs, start, stop, size, valid",
    [
        ((), {}, -1, -1, 0, False),
        ((0, 1), {}, 0, 1, 1, True),
        ((2, 2), {}, 2, 2, 0, False),
        ((-1, 5), {}, -1, 5, 6, False),
        ((), {"stop": 8}, -1, 8, 9, False),
        ((3,), {}, 3, -1, -4, False),
        ((), {"start": 1, "stop": 4}, 1, 4, 3, True),
        ((-(2**31), 2**31 - 1), {}, -(2**31), 2**31 - 1, -1, False),
    ],
)
def test_slice(args, kwargs, start, stop, size, valid):
    s = _velora.Slice(*args, **kwargs)
    assert (s.start, s.stop, s.size, s.is_valid()) == (start, stop, size, valid)
    assert repr(s) == f"Slice(start={start}, stop={stop})"


@pytest.mark.parametrize(
    "kwargs, exc, text",
    [
        ({"start": 2**31}, OverflowError, "out of range integral type conversion attempted"),
        ({"stop": -(2**31) - 1}, OverflowError, "out of range integral type conversion attempted"),
        ({"start": 2**80}, OverflowError, "out of range integral type conversion attempted"),
        ({"start": None}, TypeError, "argument 'start': "),
        ({"stop": "3"}, TypeError, "argument 'stop': "),
        ({"stop": 1.5}, TypeError, "argument 'stop': "),
        ({"begin": 1}, TypeError, "unexpected keyword argument 'begin'"),
    ],
)
def test_slice_argument_errors(kwargs, exc, text):
    with pytest.raises(exc) as e:
        _velora.Slice(**kwargs)
    assert text in str(e.value)
    if exc is OverflowError:
        assert str(e.value) == text


def test_slice_properties_are_read_only():
    s = _velora.Slice(1, 2)
    with pytest.raises(AttributeError):
        s.start = 5


def test_module_ident_properties_and_repr(arena):
    outer = arena.mk_module("outer")
    assert outer.depth_level == 0
    arena.track_module_at_com_init(outer)
    mid = arena.mk_module("mid")
    arena.track_module_at_com_init(mid)
    inner = arena.mk_module("inner")
    assert inner.depth_level == 2
    assert repr(inner) == f"ModuleIdent(global_id={inner.global_id}, depth_level=2)"
    with pytest.raises(AttributeError):
        inner.global_id = 3


def test_identifier_objects_compare_by_identity(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    arena.untrack_module_at_com_init(m)
    a = arena.mk_module("x")
    assert a == a
    assert a != m
    assert hash(a) != hash(m) or a is not m


def test_property_descriptor_checks_the_receiver(arena):
    m = arena.mk_module("m")
    with pytest.raises(TypeError):
        _velora.HcpIdent.global_id.__get__(m)
