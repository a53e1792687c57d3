// Whole designs through emission: the worked module example, and emitted
// text judged by real Verilog tools.
#include <gtest/gtest.h>

#include "support/tool_runner.h"

#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

#include "backends/verilog/backend.h"
#include "vb_test_support.h"

namespace velora {
namespace {

using vb_test::N;
using vb_test::fill;
using vb_test::read_file;

class EmitGolden : public vb_test::VbTest {
 protected:
  ModuleIdent child(std::string_view name) {
    const ModuleIdent m = arena.mk_module(true, name);
    arena.track_module_at_com_init(m);
    return m;
  }
  void close(const ModuleIdent& m) { arena.untrack_module_at_com_init(m); }
  void emit() { emit_verilog(arena, tmp.path(), "top", progress); }
  std::vector<std::string> files() {
    std::vector<std::string> out;
    DfsModuleIter walk(top);
    while (auto m = walk.next_module(arena))
      out.push_back(tmp.path() + "/" + (m->ident_base.global_id == top.ident_base.global_id ? "top" : N(*m)) + ".v");
    return out;
  }

  vb_test::TempDir tmp;
  std::ostringstream progress;
};

// Module mid reads register res of its sub-module sub and sub reads register
// acc of mid, both on the top module's clock: routing gives mid an input
// port for the clock, sub an output port for res and input ports for the
// clock and for acc, in this order.
TEST_F(EmitGolden, WorkedExampleOfModuleText) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const ModuleIdent mid = child("mid");
  const HcpIdent acc = arena.make_reg(true, "acc", 8);
  const ModuleIdent sub = child("sub");
  const HcpIdent res = arena.make_reg(true, "res", 8);
  close(sub);
  close(mid);
  assign(acc, res, 10, ClockMode::PosEdge, clk);
  assign(res, acc, 10, ClockMode::PosEdge, clk);
  const std::uint64_t first = peek_global_id();
  emit();

  const std::string mid_clk = "IO_WIRE_IO_IN_" + N(clk) + "_" + std::to_string(first);
  const std::string res_out = "IO_WIRE_IO_OUT_" + N(res) + "_" + std::to_string(first + 2);
  const std::string sub_clk = "IO_WIRE_IO_IN_" + N(clk) + "_" + std::to_string(first + 4);
  const std::string acc_in = "IO_WIRE_IO_IN_" + N(acc) + "_" + std::to_string(first + 6);
  const std::string expected = fill(vb_test::kWorkedExampleMid,
                                    {{"MID", N(mid)},
                                     {"SUB", N(sub)},
                                     {"ACC", N(acc)},
                                     {"MID_CLK", mid_clk},
                                     {"RES_OUT", res_out},
                                     {"SUB_CLK", sub_clk},
                                     {"ACC_IN", acc_in}});
  EXPECT_EQ(read_file(tmp.path() + "/" + N(mid) + ".v"), expected);
}

/// A design with a little of everything: design ports, a reset register
/// counting, a wire with a default and a conditional assignment, a case, a
/// width extension, a memory, and reads across modules in both directions.
class ToolCheck : public EmitGolden {
 protected:
  void build() {
    clk = arena.make_wire(false, "clk", 1);
    mrst = arena.make_wire(false, "mrst", 1);
    arena.mark_as_io(clk, true, "clk");
    arena.mark_as_io(mrst, true, "rst");
    const HcpIdent one = arena.make_val(true, "one", 8, 1);
    const HcpIdent zero = arena.make_val(true, "zero", 8, 0);
    cnt = arena.make_reg(true, "cnt", 8);
    const HcpIdent inc = arena.make_expression(true, "inc", LogicOp::ArithPlus, cnt, one, std::nullopt, std::nullopt);
    assign(cnt, inc, 10, ClockMode::PosEdge, clk);
    arena.set_reg_reset(cnt, zero);
    reset(cnt);

    const HcpIdent odd = arena.make_expression_single(true, "odd", LogicOp::SliceBit, cnt, Slice{0, 1});
    const HcpIdent lt = arena.make_expression(true, "lt", LogicOp::RelationSlt, cnt, one, std::nullopt, std::nullopt);
    const HcpIdent w = arena.make_wire(true, "w", 8);
    arena.get_hcp_assign_mut(w).update_pool.push(arena.make_ue_cond(
        {odd, lt, std::nullopt}, {ev(cnt, 8), ev(one, 8), std::nullopt}));
    arena.wires.take(w.ident_base.arena_handle)->try_build_default(arena);
    const HcpIdent sel = arena.make_expression_single(true, "sel", LogicOp::SliceBit, cnt, Slice{0, 2});
    const HcpIdent sw = arena.make_wire(true, "sw", 8);
    arena.get_hcp_assign_mut(sw).update_pool.push(arena.make_ue_switch(sel, {0, 3}, {ev(w, 8), ev(inc, 8)}));
    arena.wires.take(sw.ident_base.arena_handle)->try_build_default(arena);

    const ModuleIdent sub = child("sub");
    const HcpIdent narrow = arena.make_wire(true, "narrow", 4);
    arena.bind_src(narrow, cnt, std::nullopt, 4, 8, 10, ClockMode::ClkFree, std::nullopt);  // read from the parent
    const SanitizedSrc wide = arena.sanitize_asm_src(sw, narrow, std::nullopt, -1, -1);
    acc = arena.make_reg(true, "acc", 8);
    assign(acc, wide.src, 10, ClockMode::PosEdge, clk);
    const HcpIdent idx = arena.make_expression_single(true, "idx", LogicOp::SliceBit, narrow, Slice{0, 2});
    const HcpIdent mem = arena.make_mem_blk(true, "mem", 8, 2);
    const HcpIdent wr = arena.make_mem_ele(true, "wr", mem, idx, 8, false);
    const HcpIdent rd = arena.make_mem_ele(true, "rd", mem, idx, 8, true);
    assign(wr, acc, 10, ClockMode::PosEdge, clk);
    const HcpIdent sum = arena.make_expression(true, "sum", LogicOp::ArithPlus, rd, acc, std::nullopt, std::nullopt);
    arena.mark_as_io(sum, false, "sum");
    close(sub);

    const HcpIdent back = arena.make_reg(true, "back", 8);  // reads the sub-module
    assign(back, acc, 10, ClockMode::PosEdge, clk);
    arena.mark_as_io(back, false, "back");
  }
  UpdateEventIdent ev(const HcpIdent& src, std::int32_t w) {
    return arena.make_ue_basic(src, 0, w, 0, w, 10, ClockMode::ClkFree, false, std::nullopt);
  }
  void reset(const HcpIdent& r) { arena.regs.take(r.ident_base.arena_handle)->try_build_reset(clk, mrst, arena); }
  std::string file_list() {
    std::string out;
    for (const std::string& f : files()) out += " '" + f + "'";
    return out;
  }

  HcpIdent clk, mrst, cnt, acc;
};

TEST_F(ToolCheck, IcarusAcceptsTheEmittedDesign) {
  if (!have_tool("iverilog")) GTEST_SKIP() << "iverilog not installed";
  build();
  emit();
  const auto [status, output] = run_command("iverilog -g2012 -o /dev/null -s " + N(top) + file_list());
  EXPECT_EQ(status, 0) << output << read_file(tmp.path() + "/top.v");
}

// Statements are non-blocking also in combinational blocks (the system's
// output format), which Verilator's COMBDLY style warning reports; every
// other default warning, widths included, stays on.
TEST_F(ToolCheck, VerilatorLintAcceptsTheEmittedDesign) {
  if (!have_tool("verilator")) GTEST_SKIP() << "verilator not installed";
  build();
  emit();
  const auto [status, output] =
      run_command("verilator --lint-only -Wno-COMBDLY --top-module " +
          N(top) + file_list());
  EXPECT_EQ(status, 0) << output << read_file(tmp.path() + "/top.v");
}

}  // namespace
}  // namespace velora
