// Verilog text of whole modules.
#include "backends/verilog/module/module_vb.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "vb_test_support.h"

namespace velora {
namespace {

using vb_test::N;
using vb_test::fill;

class ModuleVb : public vb_test::VbTest {
 protected:
  std::string text(const ModuleIdent& m) {
    StringWriter out;
    gen_module_blk_vb(arena, arena.modules.get(m.ident_base.arena_handle), out);
    return out.take();
  }
  /// A child module of the current one, left open on the trace stack.
  ModuleIdent open_child(std::string_view name) {
    const ModuleIdent m = arena.mk_module(true, name);
    arena.track_module_at_com_init(m);
    return m;
  }
  void close(const ModuleIdent& m) { arena.untrack_module_at_com_init(m); }
  /// A port made in `m` the way routing makes one.
  HcpIdent port_in(const ModuleIdent& m, bool is_input, const std::string& name, std::int32_t width,
                   std::optional<HcpIdent> actual, std::optional<HcpIdent> agent) {
    arena.module_stack.push_back(ModuleStackEntry{m, ModuleInitStage::CompInit});
    const HcpIdent io = arena.make_io_wire(false, name, is_input, width, actual, agent);
    arena.module_stack.pop_back();
    return io;
  }
};

constexpr const char* kSlashes = "////////////////////////////////////////////////////////////////////////////////\n";

TEST_F(ModuleVb, EmptyModuleStillHasEveryPhaseHeader) {
  EXPECT_EQ(text(top), std::string(kSlashes) +
                           "// Phase 1 : module header & IO ports\n"
                           "module " + N(top) + "(\n"
                           ");\n"
                           "\n"
                           "    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----\n"
                           "\n"
                           "    // ---- Phase 2.5 : sub-module output wire declarations ----\n"
                           "    // ---- Phase 3 : always blocks & continuous assignments ----\n"
                           "    // ---- Phase 4 : sub-module instantiations ----\n"
                           "    // ---- Phase 5 : endmodule ----\n"
                           "\n"
                           "endmodule\n"
                           "\n");
}

// The worked example: module mid reads register res of its sub-module sub,
// and sub reads register acc of mid; routing has made the ports.
TEST_F(ModuleVb, WorkedExampleOfAModuleWithASubModule) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const ModuleIdent mid = open_child("mid");
  const HcpIdent acc = arena.make_reg(true, "acc", 8);
  const ModuleIdent sub = open_child("sub");
  const HcpIdent res = arena.make_reg(true, "res", 8);
  close(sub);
  close(mid);

  const HcpIdent mid_clk = port_in(mid, true, "IO_IN_" + N(clk), 1, clk, clk);
  const HcpIdent res_out = port_in(sub, false, "IO_OUT_" + N(res), 8, res, res);
  const HcpIdent sub_clk = port_in(sub, true, "IO_IN_" + N(clk), 1, clk, mid_clk);
  const HcpIdent acc_in = port_in(sub, true, "IO_IN_" + N(acc), 8, acc, acc);
  assign(acc, res_out, 10, ClockMode::PosEdge, mid_clk);
  assign(res, acc_in, 10, ClockMode::PosEdge, sub_clk);

  EXPECT_EQ(N(mid_clk), "IO_WIRE_IO_IN_" + N(clk) + "_" + std::to_string(mid_clk.ident_base.global_id));
  const std::string expected = fill(vb_test::kWorkedExampleMid,
                                    {{"MID", N(mid)},
                                     {"SUB", N(sub)},
                                     {"ACC", N(acc)},
                                     {"MID_CLK", N(mid_clk)},
                                     {"RES_OUT", N(res_out)},
                                     {"SUB_CLK", N(sub_clk)},
                                     {"ACC_IN", N(acc_in)}});
  EXPECT_EQ(text(mid), expected);
}

TEST_F(ModuleVb, DeclarationsFollowKindOrderNotCreationOrder) {
  const HcpIdent w = arena.make_wire(true, "w", 2);
  const HcpIdent v = arena.make_val(true, "v", 2, 1);
  const HcpIdent gen_r = arena.make_reg(false, "g", 1);
  const HcpIdent r = arena.make_reg(true, "r", 1);
  const std::string t = text(top);
  const std::string decls = "    // ---- REG declarations ----\n"
                            "reg   " + N(gen_r) + ";\n"
                            "reg   " + N(r) + ";\n"
                            "    // ---- WIRE declarations ----\n"
                            "reg  [1:0]  " + N(w) + ";\n"
                            "    // ---- VAL declarations ----\n"
                            "wire [1:0]  " + N(v) + " = 2'h1;\n"
                            "\n";
  EXPECT_NE(t.find(decls), std::string::npos) << t;
  EXPECT_EQ(t.find("EXPR declarations"), std::string::npos);
}

TEST_F(ModuleVb, ComponentWithoutBlockStillGetsItsSeparator) {
  const HcpIdent r = arena.make_reg(true, "r", 1);  // empty pool: empty block
  const std::string t = text(top);
  EXPECT_NE(t.find("    // ---- Phase 3 : always blocks & continuous assignments ----\n"
                   "\n"
                   "    // ---- Phase 4"),
            std::string::npos)
      << t << N(r);
}

TEST_F(ModuleVb, SubModuleWithoutPortsAndSeveralPorts) {
  const ModuleIdent a = open_child("a");
  close(a);
  const HcpIdent src = arena.make_reg(true, "src", 4);
  const ModuleIdent b = open_child("b");
  close(b);
  const HcpIdent in1 = port_in(b, true, "x", 4, src, src);
  const HcpIdent out1 = port_in(b, false, "y", 4, std::nullopt, std::nullopt);
  const std::string t = text(top);
  EXPECT_NE(t.find(N(a) + "  " + N(a) + " (\n);\n"), std::string::npos) << t;
  EXPECT_NE(t.find(N(b) + "  " + N(b) + " (\n    ." + N(in1) + "(" + N(src) + "),\n    ." + N(out1) + "(" + N(out1) +
                   ")\n);\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("    // ---- Phase 2.5 : sub-module output wire declarations ----\nwire [3:0] " + N(out1) +
                   ";\n    // ---- Phase 3"),
            std::string::npos)
      << t;
}

TEST_F(ModuleVb, PortListSeparatesWithCommas) {
  const HcpIdent src = arena.make_reg(true, "src", 4);
  const HcpIdent p1 = port_in(top, true, "p1", 4, std::nullopt, std::nullopt);
  const HcpIdent p2 = port_in(top, false, "p2", 4, src, src);
  const HcpIdent p3 = port_in(top, true, "p3", 1, std::nullopt, std::nullopt);
  EXPECT_NE(text(top).find("module " + N(top) + "(\n    input wire [3:0] " + N(p1) + ",\n    output reg  [3:0] " +
                           N(p2) + ",\n    input wire " + N(p3) + "\n);\n\n"),
            std::string::npos);
}

TEST_F(ModuleVb, SubModuleInputWithoutAgentFails) {
  const ModuleIdent a = open_child("a");
  close(a);
  port_in(a, true, "x", 4, std::nullopt, std::nullopt);
  EXPECT_EQ(fatal_message([&] { text(top); }), "IoWire: agent_src_signal_i is None");
}

TEST_F(ModuleVb, PreparationSortsAssignedKindsOfTheWholeTree) {
  const HcpIdent x = arena.make_wire(true, "x", 4);
  const ModuleIdent a = open_child("a");
  const ModuleIdent c = open_child("c");
  const HcpIdent r = arena.make_reg(true, "r", 4);
  close(c);
  close(a);
  const HcpIdent e = arena.make_expression_empty(true, "e", 4);
  auto ev = [&](std::int32_t pri) { return arena.make_ue_basic(x, 0, 4, 0, 4, pri, ClockMode::ClkFree, false, {}); };
  const UpdateEventIdent r_hi = ev(50), r_lo = ev(10), e_hi = ev(50), e_lo = ev(10);
  add_event(r, r_hi);
  add_event(r, r_lo);
  add_event(e, e_hi);
  add_event(e, e_lo);
  init_module_vb(arena, top);
  EXPECT_EQ(arena.get_hcp_assign(r).update_pool.events(), (std::vector<UpdateEventIdent>{r_lo, r_hi}));
  EXPECT_EQ(arena.get_hcp_assign(e).update_pool.events(), (std::vector<UpdateEventIdent>{e_hi, e_lo}));
}

}  // namespace
}  // namespace velora
