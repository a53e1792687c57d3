// Behaviour of the control hardware, simulated: a small design of nodes is
// written by the Verilog backend and run with iverilog against a testbench
// that prints one line per check. Skipped when iverilog is not installed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../sp_reg/ctrl_test_util.h"
#include "backends/verilog/backend.h"
#include "support/tool_runner.h"

namespace velora {
namespace {

struct SimDesign {
  ctrl_test::ArenaWithModule a;
  HcpIdent clk, mrst;
  NcpIdent clk_node, mrst_node;

  SimDesign() {
    clk = input("clk");
    mrst = input("mrst");
    clk_node = a.arena.make_opr_node("clk", clk);
    mrst_node = a.arena.make_opr_node("mrst", mrst);
  }
  HcpIdent input(const char* name) {
    HcpIdent w = a.arena.make_wire(true, name, 1);
    a.arena.mark_as_io(w, true, name);
    return w;
  }
  /// An output port driven by `sig`.
  void output(const char* name, const HcpIdent& sig) {
    HcpIdent w = a.arena.make_wire(true, name, 1);
    a.arena.bind_src(w, sig, std::nullopt, 0, 1, std::nullopt, std::nullopt, std::nullopt);
    a.arena.mark_as_io(w, false, name);
  }
  void clocked(const NcpIdent& n) {
    NcpNode& node = a.arena.get_ncp_node_mut(n);
    node.set_clk_node(clk_node);
    node.set_mrst_node(mrst_node);
  }
  /// Writes the design and runs `testbench` (a module "tb" instantiating the
  /// design as `{module}`); returns the simulator's output.
  std::string simulate(const std::string& testbench) {
    // As the module build does: every wire but the inputs gets its default.
    for (bool is_user : {false, true}) {
      const std::vector<HcpIdent> wires = (is_user ? a.module().user_hcps : a.module().internal_hcps)[static_cast<int>(HwComponentType::Wire)];
      for (const HcpIdent& w : wires)
        if (!a.arena.get_hcp_assign(w).io_mark || !a.arena.get_hcp_assign(w).io_mark->is_input)
          a.arena.wires.take(w.ident_base.arena_handle)->try_build_default(a.arena);
    }
    a.arena.set_top_module(a.top);
    const std::string module = a.arena.module_verilog_name(a.top);
    char dir_tpl[] = "/tmp/velora_node_sim_XXXXXX";
    const char* dir = mkdtemp(dir_tpl);
    if (dir == nullptr) return "mkdtemp failed";
    std::ostringstream progress;
    emit_verilog(a.arena, dir, "dut", progress);
    std::string tb = testbench;
    for (std::size_t at; (at = tb.find("{module}")) != std::string::npos;) tb.replace(at, 8, module);
    std::ofstream(std::string(dir) + "/tb.v") << tb;
    const std::string d(dir);
    std::string out = command_output("cd " + d + " && iverilog -g2012 -o sim tb.v dut.v && vvp -n sim");
    std::error_code ec;
    std::filesystem::remove_all(d, ec);
    return out;
  }
};

// The clock, the master reset and the reporting are the same for every
// testbench; each adds its stimulus and checks. Inputs are given their first
// values after time 0, so that the design's combinational blocks see them
// change.
const char* kTbHead = R"(`timescale 1ns/1ps
module tb;
  reg clk, mrst;
  initial begin #1 clk = 0; mrst = 1; end
  always #5 clk = ~clk;
  integer cycle = 0;
  always @(posedge clk) cycle <= cycle + 1;
)";

TEST(NodeSim, CycleWaitEndsInItsNthCycleAndStartPulsesOnce) {
  if (!have_iverilog()) GTEST_SKIP() << "iverilog not installed";
  SimDesign d;
  NcpIdent start = d.a.arena.make_start_node("start", d.mrst);
  d.a.arena.get_ncp_node_mut(start).set_clk_node(d.clk_node);
  d.a.arena.assign_ncp_node(start, true, true);
  NcpIdent wait = d.a.arena.make_wait_cycle_node(false, "wait", 3);
  d.clocked(wait);
  d.a.arena.get_ncp_node_mut(wait).add_depend_node(start, std::nullopt);
  d.a.arena.assign_ncp_node(wait, true, true);
  d.output("started", d.a.arena.get_ncp_node(start).get_exit_opr());
  d.output("done", d.a.arena.get_ncp_node(wait).get_exit_opr());
  std::string out = d.simulate(std::string(kTbHead) + R"(
  wire started, done;
  {module} dut(.clk(clk), .mrst(mrst), .started(started), .done(done));
  // While the master reset is on, the start state is set every cycle, but
  // everything it starts is held in reset: only its exit after the reset
  // counts.
  integer starts = 0, dones = 0, start_cycle = -1, done_cycle = -1;
  always @(posedge clk) begin
    if (started && !mrst) begin starts = starts + 1; start_cycle = cycle; end
    if (done) begin dones = dones + 1; done_cycle = cycle; end
  end
  initial begin
    repeat (3) @(posedge clk);
    #1 mrst = 0;
    repeat (20) @(posedge clk);
    $display("starts=%0d dones=%0d gap=%0d", starts, dones, done_cycle - start_cycle);
    $finish;
  end
endmodule
)");
  // The wait is entered the cycle after the start pulse and is done in its
  // third cycle.
  EXPECT_NE(out.find("starts=1 dones=1 gap=3"), std::string::npos) << out;
}

TEST(NodeSim, CounterRestartsFromZeroAfterItsLastCount) {
  if (!have_iverilog()) GTEST_SKIP() << "iverilog not installed";
  SimDesign d;
  HcpIdent tick = d.input("tick");
  NcpIdent tick_node = d.a.arena.make_opr_node("tick", tick);
  NcpIdent cnt = d.a.arena.make_counter_node(false, "cnt", 3);  // 2 bits, 3 does not wrap by itself
  d.clocked(cnt);
  d.a.arena.get_ncp_node_mut(cnt).add_depend_node(tick_node, std::nullopt);
  d.a.arena.assign_ncp_node(cnt, true, true);
  d.output("last", d.a.arena.get_ncp_node(cnt).get_exit_opr());
  std::string out = d.simulate(std::string(kTbHead) + R"(
  reg tick;
  initial #1 tick = 0;
  wire last;
  {module} dut(.clk(clk), .mrst(mrst), .tick(tick), .last(last));
  integer i;
  initial begin
    repeat (2) @(posedge clk);
    #1 mrst = 0;
    // Nine ticks: the counter must be at its last count before ticks 3, 6, 9.
    for (i = 1; i <= 9; i = i + 1) begin
      @(negedge clk);
      $display("tick %0d last=%0d", i, last);
      tick = 1;
      @(negedge clk);
      tick = 0;
    end
    $finish;
  end
endmodule
)");
  for (int i = 1; i <= 9; ++i) {
    std::string line = "tick " + std::to_string(i) + " last=" + (i % 3 == 0 ? "1" : "0");
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  }
}

TEST(NodeSim, SyncJoinExitsWhenTheLastBranchFinishes) {
  if (!have_iverilog()) GTEST_SKIP() << "iverilog not installed";
  SimDesign d;
  HcpIdent b0 = d.input("b0"), b1 = d.input("b1");
  NcpIdent n0 = d.a.arena.make_opr_node("b0", b0), n1 = d.a.arena.make_opr_node("b1", b1);
  NcpIdent syn = d.a.arena.make_syn_node(false, "join", 2);
  d.clocked(syn);
  d.a.arena.get_ncp_node_mut(syn).add_depend_node(n0, std::nullopt);
  d.a.arena.get_ncp_node_mut(syn).add_depend_node(n1, std::nullopt);
  d.a.arena.assign_ncp_node(syn, true, true);
  d.output("joined", d.a.arena.get_ncp_node(syn).get_exit_opr());
  std::string out = d.simulate(std::string(kTbHead) + R"(
  reg b0, b1;
  initial begin #1 b0 = 0; b1 = 0; end
  wire joined;
  {module} dut(.clk(clk), .mrst(mrst), .b0(b0), .b1(b1), .joined(joined));
  initial begin
    repeat (2) @(posedge clk);
    #1 mrst = 0;
    @(negedge clk) b0 = 1;
    #1 $display("after b0: joined=%0d", joined);
    @(negedge clk) b0 = 0;
    #1 $display("waiting: joined=%0d", joined);
    @(negedge clk) b1 = 1;
    #1 $display("after b1: joined=%0d", joined);
    @(negedge clk) b1 = 0;
    #1 $display("cleared: joined=%0d", joined);
    @(negedge clk) b0 = 1; b1 = 1;
    #1 $display("both: joined=%0d", joined);
    $finish;
  end
endmodule
)");
  for (const char* line : {"after b0: joined=0", "waiting: joined=0", "after b1: joined=1", "cleared: joined=0",
                           "both: joined=1"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

TEST(NodeSim, HeldStateKeepsControlAndItsAssignmentsWait) {
  if (!have_iverilog()) GTEST_SKIP() << "iverilog not installed";
  SimDesign d;
  HcpIdent go = d.input("go"), h = d.input("h");
  NcpIdent go_node = d.a.arena.make_opr_node("go", go), hold_node = d.a.arena.make_opr_node("h", h);
  NcpIdent s = d.a.arena.make_state_node(false, "s");
  d.clocked(s);
  d.a.arena.get_ncp_node_mut(s).set_hold_node(hold_node);
  d.a.arena.get_ncp_node_mut(s).add_depend_node(go_node, std::nullopt);
  d.a.arena.assign_ncp_node(s, true, true);
  // r <- 5 while the state is active and not held.
  HcpIdent r = d.a.arena.make_reg(true, "r", 4);
  HcpIdent five = d.a.arena.make_val(true, "five", 4, 5);
  NcpIdent asm_n =
      d.a.arena.take_hcp(r, [&](auto& hcp) { return hcp.do_asm(five, std::nullopt, 0, 4, d.a.arena); });
  d.a.arena.get_ncp_node_mut(asm_n).fill_ext_node(d.a.arena.get_ncp_node(s).get_node_triggers(), false);
  d.a.arena.get_ncp_node_mut(asm_n).add_depend_node(s, std::nullopt);
  d.a.arena.init_asm_node_clk_src(asm_n);
  d.a.arena.assign_asm_from_state_node(asm_n);
  d.output("leave", d.a.arena.get_ncp_node(s).get_exit_opr());
  HcpIdent r_out = d.a.arena.make_wire(true, "r_out", 4);
  d.a.arena.bind_src(r_out, r, std::nullopt, 0, 4, std::nullopt, std::nullopt, std::nullopt);
  d.a.arena.mark_as_io(r_out, false, "r_out");
  std::string out = d.simulate(std::string(kTbHead) + R"(
  reg go, h;
  initial begin #1 go = 0; h = 0; end
  wire leave;
  wire [3:0] r_out;
  {module} dut(.clk(clk), .mrst(mrst), .go(go), .h(h), .leave(leave), .r_out(r_out));
  initial begin
    repeat (2) @(posedge clk);
    #1 mrst = 0;
    @(negedge clk) begin go = 1; h = 1; end
    @(negedge clk) go = 0;
    #1 $display("held 1: leave=%0d r5=%0d", leave, r_out === 4'd5);
    @(negedge clk);
    #1 $display("held 2: leave=%0d r5=%0d", leave, r_out === 4'd5);
    h = 0;
    #1 $display("released: leave=%0d", leave);
    @(negedge clk);
    #1 $display("after: leave=%0d r5=%0d", leave, r_out === 4'd5);
    $finish;
  end
endmodule
)");
  // While held the state stays entered but neither exits nor assigns; once
  // released it exits and its assignment lands.
  for (const char* line : {"held 1: leave=0 r5=0", "held 2: leave=0 r5=0", "released: leave=1", "after: leave=0 r5=1"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

}  // namespace
}  // namespace velora
