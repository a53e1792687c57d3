// The emission driver: phases, file order and names, failures.
#include "backends/verilog/backend.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <vector>

#include "backends/verilog/module/module_vb.h"
#include "vb_test_support.h"

namespace velora {
namespace {

using vb_test::file_exists;
using vb_test::N;
using vb_test::read_file;

constexpr const char* kPhases12 =
    "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n"
    "[BackendVerilog] Phase 1: done\n"
    "[BackendVerilog] Phase 2: initialising HCP update pools\n"
    "[BackendVerilog] Phase 2: done\n";

class Emit : public vb_test::VbTest {
 protected:
  ModuleIdent child(std::string_view name) {
    const ModuleIdent m = arena.mk_module(true, name);
    arena.track_module_at_com_init(m);
    return m;
  }
  void close(const ModuleIdent& m) { arena.untrack_module_at_com_init(m); }
  std::string module_text(const ModuleIdent& m) {
    StringWriter out;
    gen_module_blk_vb(arena, arena.modules.get(m.ident_base.arena_handle), out);
    return out.take();
  }
  std::string emit(const std::string& dir, const std::string& top_name = "top") {
    emit_verilog(arena, dir, top_name, progress);
    return progress.str();
  }

  vb_test::TempDir tmp;
  std::ostringstream progress;
};

TEST_F(Emit, WritesEveryModuleInDepthFirstPreOrder) {
  const ModuleIdent a = child("a");
  const ModuleIdent c = child("c");
  close(c);
  close(a);
  const ModuleIdent b = child("b");
  close(b);
  const std::string& d = tmp.path();
  EXPECT_EQ(emit(d), std::string(kPhases12) + "[BackendVerilog] Phase 3: emitting Verilog to '" + d + "'\n" +
                         "[BackendVerilog] Phase 3:   writing " + d + "/top.v\n" +
                         "[BackendVerilog] Phase 3:   writing " + d + "/" + N(a) + ".v\n" +
                         "[BackendVerilog] Phase 3:   writing " + d + "/" + N(c) + ".v\n" +
                         "[BackendVerilog] Phase 3:   writing " + d + "/" + N(b) + ".v\n" +
                         "[BackendVerilog] Phase 3: done\n");
  EXPECT_EQ(read_file(d + "/top.v"), module_text(top));
  EXPECT_EQ(read_file(d + "/" + N(a) + ".v"), module_text(a));
  EXPECT_EQ(read_file(d + "/" + N(c) + ".v"), module_text(c));
  EXPECT_EQ(read_file(d + "/" + N(b) + ".v"), module_text(b));
  EXPECT_FALSE(file_exists(d + "/" + N(top) + ".v"));
}

TEST_F(Emit, DepthFirstWalkVisitsSubModulesInListOrder) {
  const ModuleIdent a = child("a");
  const ModuleIdent a1 = child("a1");
  close(a1);
  const ModuleIdent a2 = child("a2");
  close(a2);
  close(a);
  const ModuleIdent b = child("b");
  close(b);
  DfsModuleIter walk(top);
  std::vector<std::uint64_t> order;
  while (auto m = walk.next_module(arena)) order.push_back(m->ident_base.global_id);
  EXPECT_EQ(order, (std::vector<std::uint64_t>{top.ident_base.global_id, a.ident_base.global_id,
                                               a1.ident_base.global_id, a2.ident_base.global_id,
                                               b.ident_base.global_id}));
  EXPECT_FALSE(walk.next_module(arena).has_value());
}

TEST_F(Emit, PathsJoinWithOneSlashWhateverTheDirectoryEndsWith) {
  const std::string dir = tmp.path() + "/";
  const std::string out = emit(dir);
  EXPECT_NE(out.find("emitting Verilog to '" + dir + "'\n"), std::string::npos);
  EXPECT_NE(out.find("writing " + tmp.path() + "//top.v\n"), std::string::npos);
  EXPECT_TRUE(file_exists(tmp.path() + "/top.v"));
}

TEST_F(Emit, MissingDirectoryFailsAtTheFirstOpen) {
  const std::string dir = tmp.path() + "/missing";
  const std::string path = dir + "/top.v";
  EXPECT_EQ(fatal_message([&] { emit(dir); }),
            "BackendVerilog::phase_emit \u2014 cannot open " + path + ": No such file or directory");
  EXPECT_EQ(progress.str(), std::string(kPhases12) + "[BackendVerilog] Phase 3: emitting Verilog to '" + dir +
                                "'\n[BackendVerilog] Phase 3:   writing " + path + "\n");
  EXPECT_FALSE(file_exists(path));
}

TEST_F(Emit, NoTopModuleFailsInRouting) {
  ModelArena empty;
  EXPECT_EQ(fatal_message([&] { emit_verilog(empty, tmp.path(), "top", progress); }),
            "route_and_remap_io_model: no top module set");
  EXPECT_EQ(progress.str(), "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
}

// A file that accepts the open but not the data (here a link to a full
// device) must make the emission fail, not pass for written.
TEST_F(Emit, WriteFailureIsReportedWithThePath) {
  const std::string path = tmp.path() + "/top.v";
  ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
  EXPECT_EQ(fatal_message([&] { emit(tmp.path()); }), "cannot write " + path + ": No space left on device");
  EXPECT_EQ(progress.str().find("Phase 3: done"), std::string::npos);
}

TEST_F(Emit, GenerationFailureKeepsTheTextWrittenSoFar) {
  const ModuleIdent a = child("a");
  close(a);
  arena.module_stack.push_back(ModuleStackEntry{a, ModuleInitStage::CompInit});
  arena.make_io_wire(false, "x", true, 4, std::nullopt, std::nullopt);
  arena.module_stack.pop_back();
  EXPECT_EQ(fatal_message([&] { emit(tmp.path()); }), "IoWire: agent_src_signal_i is None");
  const std::string text = read_file(tmp.path() + "/top.v");
  EXPECT_EQ(text.rfind("////////", 0), 0u);
  EXPECT_NE(text.find("    // ---- Phase 4 : sub-module instantiations ----\n" + N(a) + "  " + N(a) + " (\n"),
            std::string::npos);
  EXPECT_FALSE(file_exists(tmp.path() + "/" + N(a) + ".v"));
}

TEST_F(Emit, PreparationSortsPoolsBeforeWriting) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent x = arena.make_wire(true, "x", 2);
  const HcpIdent y = arena.make_wire(true, "y", 2);
  const HcpIdent r = arena.make_reg(true, "r", 2);
  assign(r, y, 60, ClockMode::PosEdge, clk);
  assign(r, x, 10, ClockMode::PosEdge, clk);
  emit(tmp.path());
  EXPECT_NE(read_file(tmp.path() + "/top.v")
                .find("always @(posedge " + N(clk) + ") begin\n    " + N(r) + "[1:0] <= " + N(x) + "[1:0];\n    " +
                      N(r) + "[1:0] <= " + N(y) + "[1:0];\nend\n"),
            std::string::npos);
}

TEST_F(Emit, BackendOwnsTheModelItWasGiven) {
  arena.make_reg(true, "r", 3);
  BackendVerilog backend(std::move(arena));
  backend.emit(tmp.path(), "design", progress);
  EXPECT_NE(read_file(tmp.path() + "/design.v").find("REG declarations"), std::string::npos);
}

}  // namespace
}  // namespace velora
