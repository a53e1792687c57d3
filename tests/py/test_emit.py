"""BackendVerilog.emit from Python: files, order, progress lines, failures."""
import os

import pytest

import _velora
from conftest import fatal


def hierarchy():
    """top with sub-modules a (which has c) and b, in that order."""
    a = _velora.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    mods = {}
    ma = a.mk_module("a")
    a.track_module_at_com_init(ma)
    mc = a.mk_module("c")
    a.track_module_at_com_init(mc)
    a.untrack_module_at_com_init(mc)
    a.untrack_module_at_com_init(ma)
    mb = a.mk_module("b")
    a.track_module_at_com_init(mb)
    a.untrack_module_at_com_init(mb)
    a.untrack_module_at_com_init(top)
    a.set_top_module(top)
    for name, m in (("a", ma), ("b", mb), ("c", mc)):
        mods[name] = a.module_verilog_name(m)
    a.build_flow()
    return a, mods


def test_files_in_depth_first_order_with_progress_on_stdout(tmp_path, capsys):
    a, mods = hierarchy()
    out = tmp_path / "out"
    out.mkdir()
    _velora.BackendVerilog(a).emit(str(out), "top")
    lines = capsys.readouterr().out.splitlines()
    files = [f"{out}/top.v", f"{out}/{mods['a']}.v", f"{out}/{mods['c']}.v", f"{out}/{mods['b']}.v"]
    assert lines == [
        "[BackendVerilog] Phase 1: routing cross-module IO dependencies",
        "[BackendVerilog] Phase 1: done",
        "[BackendVerilog] Phase 2: initialising HCP update pools",
        "[BackendVerilog] Phase 2: done",
        f"[BackendVerilog] Phase 3: emitting Verilog to '{out}'",
        *[f"[BackendVerilog] Phase 3:   writing {f}" for f in files],
        "[BackendVerilog] Phase 3: done",
    ]
    assert all(os.path.exists(f) for f in files)


def test_trailing_slash_gives_a_double_slash(tmp_path, capsys):
    a, _ = hierarchy()
    _velora.BackendVerilog(a).emit(f"{tmp_path}/", "top")
    assert f"writing {tmp_path}//top.v" in capsys.readouterr().out
    assert (tmp_path / "top.v").exists()


def test_missing_directory_fails_and_writes_nothing(tmp_path):
    a, _ = hierarchy()
    missing = tmp_path / "missing"
    with pytest.raises(BaseException) as e:
        _velora.BackendVerilog(a).emit(str(missing), "top")
    assert fatal(e) == f"BackendVerilog::phase_emit — cannot open {missing}/top.v: No such file or directory"
    assert not missing.exists()


def test_no_top_module_fails_after_the_first_line(tmp_path, capsys):
    a = _velora.ModelArena()
    a.mk_module("lonely")
    with pytest.raises(BaseException) as e:
        _velora.BackendVerilog(a).emit(str(tmp_path), "top")
    assert fatal(e) == "route_and_remap_io_model: no top module set"
    assert capsys.readouterr().out == "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n"


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="needs /dev/full")
def test_write_errors_are_reported_with_the_path(tmp_path):
    a, _ = hierarchy()
    os.symlink("/dev/full", tmp_path / "top.v")
    with pytest.raises(BaseException) as e:
        _velora.BackendVerilog(a).emit(str(tmp_path), "top")
    text = fatal(e)
    assert f"{tmp_path}/top.v" in text and "No space left on device" in text


@pytest.mark.parametrize("args, name", [((3, "top"), "output_dir"), (("x", None), "top_file_name")])
def test_emit_argument_errors(tmp_path, args, name):
    a, _ = hierarchy()
    with pytest.raises(TypeError, match=f"^argument '{name}': "):
        _velora.BackendVerilog(a).emit(*args)


def test_failing_stdout_is_reported_after_the_files_are_written(tmp_path, monkeypatch):
    class Broken:
        def write(self, text):
            raise OSError("stdout is gone")

        def flush(self):
            pass

    a, _ = hierarchy()
    monkeypatch.setattr("sys.stdout", Broken())
    with pytest.raises(OSError, match="stdout is gone"):
        _velora.BackendVerilog(a).emit(str(tmp_path), "top")
    assert (tmp_path / "top.v").exists()
