"""What `import _velora` provides and the calling convention of its methods."""
import enum
import inspect
import threading

import pytest

import _velora
from conftest import fatal, run_fresh


def test_module_contents_in_registration_order():
    public = [k for k in vars(_velora) if not k.startswith("__")]
    assert public == [
        "ModelArena", "HcpIdent", "Slice", "CcpIdent", "FlowBlockIdent", "ModuleIdent", "BackendVerilog",
        "LogicOp", "ArbSamePriPolicy", "ArbLockedChannel", "HwComponentType", "FlowBlockType",
        "DEFAULT_UE_PRI_USER", "DEFAULT_UE_PRI_INTERNAL_MAX", "DEFAULT_UE_PRI_INTERNAL_MIN", "DEFAULT_UE_PRI_RST",
        "DEFAULT_UE_PRI_MIN", "DEFAULT_UE_PRI_FALLBACK", "DEFAULT_UE_SUB_PRIORITY_USER",
        "_ASM_PRIORITY_CONST_NAMES",
    ]
    assert _velora.__doc__ == ""


@pytest.mark.parametrize(
    "enum_name, count, member, value",
    [
        ("LogicOp", 26, "Dummy", 25),
        ("LogicOp", 26, "ArithDivr", 21),
        ("ArbSamePriPolicy", 3, "NotAck", 2),
        ("ArbLockedChannel", 2, "Ack", 1),
        ("HwComponentType", 13, "MEM_BLOCK", 12),
        ("HwComponentType", 13, "REG", 0),
        ("FlowBlockType", 16, "PickIf", 15),
        ("FlowBlockType", 16, "Sequential", 0),
    ],
)
def test_enumerations_are_int_enums(enum_name, count, member, value):
    cls = getattr(_velora, enum_name)
    assert issubclass(cls, enum.IntEnum)
    assert len(cls) == count
    assert int(cls[member]) == value
    assert list(cls) == sorted(cls)


def test_priority_constants():
    expected = {
        "DEFAULT_UE_PRI_USER": 10, "DEFAULT_UE_PRI_INTERNAL_MAX": 100, "DEFAULT_UE_PRI_INTERNAL_MIN": 50,
        "DEFAULT_UE_PRI_RST": 2147483647, "DEFAULT_UE_PRI_MIN": 0, "DEFAULT_UE_PRI_FALLBACK": 1,
        "DEFAULT_UE_SUB_PRIORITY_USER": 0,
    }
    assert _velora._ASM_PRIORITY_CONST_NAMES == list(expected)
    for name, value in expected.items():
        assert type(getattr(_velora, name)) is int and getattr(_velora, name) == value


def test_text_signatures():
    assert _velora.ModelArena.__text_signature__ == "()"
    assert _velora.BackendVerilog.__text_signature__ == "(arena)"
    assert _velora.Slice.__text_signature__ == "(start=..., stop=...)"
    assert str(inspect.signature(_velora.ModelArena.mk_module)) == "(self, /, name)"
    for cls in (_velora.HcpIdent, _velora.CcpIdent, _velora.FlowBlockIdent, _velora.ModuleIdent):
        assert cls.__doc__ is None


def test_fatal_error_is_a_base_exception_only(fatal_error_class):
    assert issubclass(fatal_error_class, BaseException)
    assert not issubclass(fatal_error_class, Exception)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda a: a.mk_module(), "mk_module() missing required argument 'name' (pos 1)"),
        (lambda a: a.mk_module("a", "b"), "mk_module() takes at most 1 argument (2 given)"),
        (lambda a: a.mk_module(nme="a"), "mk_module() got an unexpected keyword argument 'nme'"),
        (lambda a: a.mk_module("a", name="b"), "argument for mk_module() given by name ('name') and position (1)"),
        (lambda a: a.mk_module(3), "argument 'name': 'int' object is not an instance of 'str'"),
        (lambda a: a.set_top_module(_velora.Slice()), "argument 'module_i': "),
        (lambda a: a.set_top_module(module_i=None), "argument 'module_i': "),
    ],
)
def test_argument_errors(arena, call, message):
    with pytest.raises(TypeError) as e:
        call(arena)
    assert message in str(e.value)


def test_keyword_and_positional_arguments_are_equivalent(arena):
    m1 = arena.mk_module(name="a")
    m2 = arena.mk_module("b")
    assert arena.module_verilog_name(module_i=m1) == f"MODULE_a_{m1.global_id}"
    assert arena.module_verilog_name(m2) == f"MODULE_b_{m2.global_id}"


def test_first_identifier_of_a_process_is_zero():
    out = run_fresh(
        """
        import _velora
        a = _velora.ModelArena()
        top = a.mk_module("top")
        print(top.global_id, a.module_verilog_name(top))
        """
    )
    assert out.split() == ["0", "MODULE_top_0"]


def test_backend_takes_the_model_and_leaves_an_empty_arena(arena):
    top = arena.mk_module("top")
    arena.set_top_module(top)
    backend = _velora.BackendVerilog(arena)
    assert type(backend) is _velora.BackendVerilog
    fresh = arena.mk_module("again")
    assert fresh.global_id > top.global_id
    arena.set_top_module(fresh)  # the new model has no top module yet
    # The old handle now refers to the new model's slot 0, which is `fresh`.
    assert arena.module_verilog_name(top) == f"MODULE_again_{fresh.global_id}"


def test_backend_argument_errors(arena):
    with pytest.raises(TypeError, match="argument 'arena'"):
        _velora.BackendVerilog(3)
    with pytest.raises(TypeError):
        _velora.BackendVerilog()


def test_model_arena_is_bound_to_its_thread(arena):
    errors = []

    def worker():
        try:
            arena.mk_module("x")
        except BaseException as e:  # noqa: BLE001
            errors.append(e)

    t = threading.Thread(target=worker)
    t.start()
    t.join()
    assert len(errors) == 1
    assert "thread" in fatal(errors[0])
    arena.mk_module("still usable here")


def test_dropping_on_another_thread_leaks_and_reports(monkeypatch):
    reports = []
    monkeypatch.setattr("sys.unraisablehook", lambda r: reports.append(r))
    holder = [_velora.ModelArena()]

    def worker():
        holder.clear()

    t = threading.Thread(target=worker)
    t.start()
    t.join()
    leaked = [r for r in reports if r.exc_type is RuntimeError and "leaked" in str(r.exc_value)]
    assert len(leaked) == 1


def test_constructing_backend_on_another_thread_is_refused(arena):
    errors = []

    def worker():
        try:
            _velora.BackendVerilog(arena)
        except BaseException as e:  # noqa: BLE001
            errors.append(e)

    t = threading.Thread(target=worker)
    t.start()
    t.join()
    assert "thread" in fatal(errors[0])
