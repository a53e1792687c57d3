"""Components, their properties and the basic assignment."""
import re
import warnings

import pytest

import _velora
from conftest import fatal, run_fresh
from verilog_tools import emit


def test_component_before_any_module_is_fatal_but_consumes_an_id(arena):
    before = arena.mk_module("probe").global_id
    with pytest.raises(BaseException) as e:
        arena.mk_reg("r", 8)
    assert fatal(e) == "module trace stack is empty"
    after = arena.mk_module("probe2").global_id
    assert after == before + 2  # the register took an id


@pytest.mark.parametrize(
    "maker, kind, sensitivity",
    [
        (lambda a: a.mk_reg("r", 8), "REG", "clocked"),
        (lambda a: a.mk_wire("w", 8), "WIRE", "combinational"),
        (lambda a: a.mk_val("v", 8, 3), "VAL", "read_only"),
        (lambda a: a.mk_val_vv("v", 70, [1, 2]), "VAL", "read_only"),
        (lambda a: a.mk_mem_blk("m", 8, 4), "MEM_BLOCK", "clocked"),
    ],
)
def test_component_kinds(module_arena, maker, kind, sensitivity):
    a, _ = module_arena
    ident = maker(a)
    assert ident.hw_type == kind
    assert ident.sensitive_type == sensitivity
    assert ident.clocked == (sensitivity == "clocked")
    assert repr(ident) == f"HcpIdent(global_id={ident.global_id}, hw_type={kind})"


def test_memory_element(module_arena):
    a, _ = module_arena
    blk = a.mk_mem_blk("mem", 16, 4)
    idx = a.mk_wire("idx", 4)
    ele = a.mk_mem_ele("rd", blk, idx, 16, True)
    assert ele.hw_type == "MEM_BLOCK_INDEXER"
    assert a.get_hw_bit_sz(ele) == 16


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda a: a.mk_mem_blk("m", 0, 4), "bit_width must be positive, got 0"),
        (lambda a: a.mk_mem_blk("m", 8, -2), "index_width must be positive, got -2"),
        (lambda a: a.mk_mem_ele("e", a.mk_mem_blk("m", 8, 2), a.mk_wire("i", 2), 0, False),
         "bit_width must be positive, got 0"),
    ],
)
def test_memory_widths_must_be_positive(module_arena, call, message):
    a, _ = module_arena
    with pytest.raises(BaseException) as e:
        call(a)
    assert fatal(e) == message


@pytest.mark.parametrize("maker", [
    lambda a: a.mk_val("v", -1, 0),
    lambda a: a.mk_val_vv("v", -5, [1]),
    lambda a: a.mk_val_vv("v", -(2**31), [1]),
])
def test_negative_constant_widths_are_refused_without_exhausting_memory(module_arena, maker):
    a, _ = module_arena
    with pytest.raises(BaseException) as e:
        maker(a)
    assert "must not be negative" in fatal(e)


def test_int_arguments_are_range_checked(module_arena):
    a, _ = module_arena
    with pytest.raises(OverflowError) as e:
        a.mk_reg("r", 2**40)
    assert str(e.value) == "out of range integral type conversion attempted"
    with pytest.raises(OverflowError):
        a.mk_val("v", 8, -1)
    with pytest.raises(OverflowError):
        a.mk_val("v", 8, 2**64)
    with pytest.raises(OverflowError):
        a.mk_val_vv("v", 8, [2**64])
    with pytest.raises(TypeError, match="argument 'limbs': "):
        a.mk_val_vv("v", 8, "12")
    with pytest.raises(TypeError, match="argument 'bit_width': "):
        a.mk_reg("r", "8")


def test_bool_arguments_refuse_ints(module_arena):
    a, _ = module_arena
    r = a.mk_reg("r", 8)
    with pytest.raises(TypeError, match="argument 'is_input': "):
        a.mark_as_io(r, 1, "port")


def test_identifier_arguments_accept_only_their_class(module_arena):
    a, top = module_arena
    with pytest.raises(TypeError, match="argument 'hcp_i': "):
        a.get_hw_bit_sz(top)
    with pytest.raises(TypeError, match="argument 'des_i': "):
        a.gen_basic_assign(3, 4)


def test_mark_as_io(module_arena):
    a, _ = module_arena
    w = a.mk_wire("w", 4)
    assert a.is_marked_as_io(w) is False
    a.mark_as_io(w, True, "in_a")
    a.mark_as_io(w, False, "out_a")
    assert a.is_marked_as_io(w) is True


def test_get_hw_bit_sz(module_arena):
    a, _ = module_arena
    assert a.get_hw_bit_sz(a.mk_wire("w", 12)) == 12
    with pytest.raises(BaseException) as e:
        a.get_hw_bit_sz(a.mk_mem_blk("m", 8, 2))
    assert fatal(e) == "MemBlk is not an assignment destination"


def test_reset_and_default_can_be_set_once(module_arena):
    a, _ = module_arena
    r, w = a.mk_reg("r", 8), a.mk_wire("w", 8)
    v1, v2 = a.mk_val("a", 8, 1), a.mk_val("b", 8, 2)
    a.set_reg_reset(r, v1)
    with pytest.raises(BaseException) as e:
        a.set_reg_reset(r, v2)
    assert fatal(e) == "reset_val is set already"
    a.set_wire_default(w, v1)
    with pytest.raises(BaseException) as e:
        a.set_wire_default(w, v2)
    assert fatal(e) == "default_val is set already"


def test_reset_and_default_refuse_other_kinds(module_arena):
    a, _ = module_arena
    r, w = a.mk_reg("r", 8), a.mk_wire("w", 8)
    v = a.mk_val("v", 8, 1)
    with pytest.raises(BaseException) as e:
        a.set_reg_reset(w, v)
    assert fatal(e) == "set_reg_reset: expected a REG identifier, got WIRE"
    with pytest.raises(BaseException) as e:
        a.set_wire_default(r, v)
    assert fatal(e) == "set_wire_default: expected a WIRE identifier, got REG"
    # Neither call touched a slot: both can still be set once.
    a.set_reg_reset(r, v)
    a.set_wire_default(w, v)


def test_loose_assignment_needs_a_top_module(module_arena):
    a, _ = module_arena
    r = a.mk_reg("r", 8)
    with pytest.raises(BaseException) as e:
        a.gen_basic_assign(r, 5)
    assert fatal(e) == "add_basic_node_to_top_module: no top module set"


@pytest.fixture
def assign_arena(module_arena):
    a, top = module_arena
    a.set_top_module(top)
    return a


def assign_warnings(a, *args, **kwargs):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        a.gen_basic_assign(*args, **kwargs)
    return [str(w.message) for w in caught if w.category is UserWarning]


def test_assign_narrower_source_warns(assign_arena):
    a = assign_arena
    src, des = a.mk_reg("src", 4), a.mk_reg("des", 8)
    name = f"REG_des_{des.global_id}"
    assert assign_warnings(a, des, src) == [
        f"assignment source (4 bits) is narrower than destination '{name}' (8 bits); zero-extended (unsigned) to fit"
    ]


def test_assign_wider_source_warns(assign_arena):
    a = assign_arena
    src, des = a.mk_reg("src", 12), a.mk_reg("des", 8)
    name = f"REG_des_{des.global_id}"
    assert assign_warnings(a, des_i=des, src=src) == [
        f"assignment source (12 bits) is wider than destination '{name}' (8 bits); MSBs dropped to fit"
    ]


def test_assign_exact_and_sliced_sources_do_not_warn(assign_arena):
    a = assign_arena
    src, des = a.mk_reg("src", 16), a.mk_reg("des", 8)
    assert assign_warnings(a, des, src, _velora.Slice(4, 12)) == []
    assert assign_warnings(a, des, src, _velora.Slice(0, 4), _velora.Slice(2, 6)) == []


def test_int_source_takes_the_whole_destination_width(assign_arena):
    a = assign_arena
    r = a.mk_reg("r", 8)
    name = f"REG_r_{r.global_id}"
    # -1 becomes an 8-bit constant without warning ...
    assert assign_warnings(a, a.mk_wire("w", 8), -1) == []
    # ... and a literal into a narrower destination slice is cut to it.
    assert assign_warnings(a, r, 3, des_slice=_velora.Slice(0, 4)) == [
        f"assignment source (8 bits) is wider than destination '{name}' (4 bits); MSBs dropped to fit"
    ]


@pytest.mark.parametrize("value", [0, 1, -1, 2**64, -(2**100), 12345678901234567890123])
def test_int_sources_of_any_size(assign_arena, value):
    a = assign_arena
    assert assign_warnings(a, a.mk_reg("r", 130), value) == []


def test_warning_turned_into_error_raises_after_the_assignment(assign_arena, tmp_path):
    a = assign_arena
    src, des = a.mk_reg("src", 4), a.mk_reg("des", 8)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(UserWarning, match="narrower"):
            a.gen_basic_assign(des, src)
    # The assignment was recorded all the same: the arena is free again and
    # the register is driven by the zero-extended source.
    assert a.get_hw_bit_sz(des) == 8
    des_name, src_name = a.hcp_verilog_name(des), a.hcp_verilog_name(src)
    a.build_flow()
    text = emit(a, tmp_path)[0].read_text()
    assert re.search(rf"{des_name}\[7:0\] <= EXPR_{src_name}_ext_\d+\[7:0\];", text)


def test_src_argument_error_names_both_alternatives(assign_arena):
    a = assign_arena
    with pytest.raises(TypeError) as e:
        a.gen_basic_assign(a.mk_reg("r", 8), "x")
    text = str(e.value)
    assert text.startswith("argument 'src': ")
    assert "PyOperand::Ident" in text and "PyOperand::Int" in text


@pytest.mark.parametrize("reenter", [
    lambda a: a.mk_module("inner"),
    lambda a: a.get_asm_pri_val(),
    lambda a: _velora.BackendVerilog(a),
])
def test_reentering_a_busy_arena_is_refused(assign_arena, reenter):
    a = assign_arena
    seen = []

    class Sneaky:
        def __index__(self):
            try:
                reenter(a)
            except RuntimeError as e:
                seen.append(str(e))
            return 8

    r = a.mk_reg("r", Sneaky())
    assert seen == ["Already borrowed"]
    assert a.get_hw_bit_sz(r) == 8  # the arena kept its model and is free again


def test_warning_hook_calling_back_gets_already_borrowed(assign_arena):
    a = assign_arena
    seen = []

    def hook(message, category, filename, lineno, file=None, line=None):
        try:
            a.mk_module("from_hook")
        except RuntimeError as e:
            seen.append(str(e))

    src, des = a.mk_reg("src", 4), a.mk_reg("des", 8)
    with warnings.catch_warnings():
        warnings.simplefilter("always")
        warnings.showwarning = hook
        a.gen_basic_assign(des, src)
    assert seen == ["Already borrowed"]


def test_constants_in_a_fresh_process():
    out = run_fresh(
        """
        import _velora
        a = _velora.ModelArena()
        top = a.mk_module("top")
        a.track_module_at_com_init(top)
        r = a.mk_reg("r", 8)
        print(a.module_verilog_name(top), r.global_id)
        """
    )
    assert out.split() == ["MODULE_top_0", "1"]


def test_constant_values_as_written_to_verilog(tmp_path):
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    a.set_top_module(top)
    v8 = a.mk_val("v8", 8, 300)
    v65 = a.mk_val_vv("v65", 65, [1, 2])
    v4 = a.mk_val("v4", 4, 0x1F)
    w = a.mk_wire("w", 8)
    a.gen_basic_assign(w, -1)
    big = a.mk_reg("big", 70)
    a.gen_basic_assign(big, -1)
    a.build_flow()
    names = {k: a.hcp_verilog_name(v) for k, v in (("v8", v8), ("v65", v65), ("v4", v4))}
    text = emit(a, tmp_path)[0].read_text()
    assert f"{names['v8']} = 8'h2c;" in text
    assert f"{names['v65']} = 65'h1;" in text
    assert f"{names['v4']} = 4'hf;" in text
    consts = re.findall(r"VAL_const_c_\d+ = ([^;]+);", text)
    assert consts == ["8'hff", "70'h3fffffffffffffffff"]
