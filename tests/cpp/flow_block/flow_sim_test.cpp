// Behaviour of compiled flow blocks, simulated: a design of sequences and
// parallel blocks over two modules is compiled by build_flow, written by the
// Verilog backend and run with iverilog against a testbench that records in
// which cycle each assignment shows. Skipped when iverilog is not installed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "backends/verilog/backend.h"
#include "support/tool_runner.h"
#include "flow_test_support.h"

namespace velora::flow_test {
namespace {

void replace_all(std::string& text, const std::string& key, const std::string& value) {
  for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
}

TEST(FlowSim, SequencesAndParallelBlocksRunInTheirCycles) {
  if (!have_iverilog()) GTEST_SKIP() << "iverilog not installed";
  ModelArena arena;
  const ModuleIdent top = arena.mk_module(true, "top");
  arena.track_module_at_com_init(top);
  const HcpIdent r = arena.make_reg(true, "r", 8);
  const HcpIdent x = arena.make_reg(true, "x", 8);
  const HcpIdent y = arena.make_reg(true, "y", 8);
  const auto k = [&](int v) { return arena.make_val(true, "k" + std::to_string(v), 8, v); };
  const HcpIdent k1 = k(1), k2 = k(2), k3 = k(3), k5 = k(5), k9 = k(9);
  const ModuleIdent sub = arena.mk_module(true, "sub");
  arena.track_module_at_com_init(sub);
  const HcpIdent s = arena.make_reg(true, "s", 8);
  const HcpIdent k7 = k(7), k8 = k(8);
  arena.untrack_module_at_com_init(sub);
  arena.untrack_module_at_com_init(top);
  arena.set_top_module(top);

  const auto asg = [&](const HcpIdent& des, const HcpIdent& src) {
    arena.gen_basic_assign(des, src, std::nullopt, -1, -1);
  };
  const auto open = [&](const FlowBlockIdent& b) {
    arena.initialize_flow_block(b);
    return b;
  };
  const auto close = [&](const FlowBlockIdent& b) {
    ASSERT_EQ(arena.check_flow_block_prefinalize(b), std::nullopt);
    arena.finalize_flow_block(b, false);
  };
  // top: seq { r<-1; r<-2; r<-3; par { seq { x<-1; x<-2 }; seq { y<-5 } }; r<-9 }
  arena.track_module_at_flow_init(top);
  const FlowBlockIdent main = open(arena.mk_flow_block_seq("main"));
  asg(r, k1);
  asg(r, k2);
  asg(r, k3);
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  const FlowBlockIdent bx = open(arena.mk_flow_block_seq("bx"));
  asg(x, k1);
  asg(x, k2);
  close(bx);
  const FlowBlockIdent by = open(arena.mk_flow_block_seq("by"));
  asg(y, k5);
  close(by);
  close(p);
  asg(r, k9);
  close(main);
  arena.finalize_flow_procedure();
  arena.untrack_module_at_flow_init(top);
  // sub: seq { s<-7; s<-8 }
  arena.track_module_at_flow_init(sub);
  const FlowBlockIdent ss = open(arena.mk_flow_block_seq("ss"));
  asg(s, k7);
  asg(s, k8);
  close(ss);
  arena.untrack_module_at_flow_init(sub);

  arena.build_flow();

  const std::string top_name = arena.module_verilog_name(top);
  const std::string sub_name = arena.module_verilog_name(sub);
  char dir_tpl[] = "/tmp/velora_flow_sim_XXXXXX";
  const char* dir = mkdtemp(dir_tpl);
  ASSERT_NE(dir, nullptr);
  const std::string d(dir);
  std::ostringstream progress;
  emit_verilog(arena, d, "dut", progress);

  std::string tb = R"(`timescale 1ns/1ps
module tb;
  reg clk, mrst;
  initial begin #1 clk = 0; mrst = 1; end
  always #5 clk = ~clk;
  integer cycle = 0;
  always @(posedge clk) cycle <= cycle + 1;
  {top} dut(.clk(clk), .mrst(mrst));
  integer t1 = -1, t2 = -1, t3 = -1, tx1 = -1, tx2 = -1, ty = -1, t9 = -1, ts7 = -1, ts8 = -1;
  // Sampled between clock edges: the value each register holds in `cycle`.
  always @(negedge clk) if (!mrst) begin
    if (dut.{r} == 1 && t1 < 0) t1 = cycle;
    if (dut.{r} == 2 && t2 < 0) t2 = cycle;
    if (dut.{r} == 3 && t3 < 0) t3 = cycle;
    if (dut.{r} == 9 && t9 < 0) t9 = cycle;
    if (dut.{x} == 1 && tx1 < 0) tx1 = cycle;
    if (dut.{x} == 2 && tx2 < 0) tx2 = cycle;
    if (dut.{y} == 5 && ty < 0) ty = cycle;
    if (dut.{sub}.{s} == 7 && ts7 < 0) ts7 = cycle;
    if (dut.{sub}.{s} == 8 && ts8 < 0) ts8 = cycle;
  end
  initial begin
    repeat (3) @(posedge clk);
    #1 mrst = 0;
    repeat (30) @(posedge clk);
    $display("seen=%0d", t1 >= 0);
    $display("steps=%0d %0d %0d %0d %0d %0d %0d %0d", t2 - t1, t3 - t2, tx1 - t3, ty - tx1, tx2 - tx1, t9 - tx2,
             ts7 - t1, ts8 - ts7);
    $display("final=%0d %0d %0d %0d", dut.{r}, dut.{x}, dut.{y}, dut.{sub}.{s});
    $finish;
  end
endmodule
)";
  replace_all(tb, "{top}", top_name);
  replace_all(tb, "{sub}", sub_name);
  replace_all(tb, "{r}", r.ident_base.abs_name());
  replace_all(tb, "{x}", x.ident_base.abs_name());
  replace_all(tb, "{y}", y.ident_base.abs_name());
  replace_all(tb, "{s}", s.ident_base.abs_name());
  std::ofstream(d + "/tb.v") << tb;
  std::string files;
  for (const auto& entry : std::filesystem::directory_iterator(d))
    if (entry.path().extension() == ".v") files += " " + entry.path().filename().string();
  const std::string out = command_output("cd " + d + " && iverilog -g2012 -o sim" + files + " && vvp -n sim");
  std::error_code ec;
  std::filesystem::remove_all(d, ec);

  EXPECT_NE(out.find("seen=1"), std::string::npos) << out;
  // One cycle per assignment; the par's branches start together in the
  // cycle after r<-3 and the par lasts its longest branch; the sub-module's
  // sequence starts with the top module's.
  EXPECT_NE(out.find("steps=1 1 1 0 1 1 0 1"), std::string::npos) << out;
  EXPECT_NE(out.find("final=9 2 5 8"), std::string::npos) << out;
}

}  // namespace
}  // namespace velora::flow_test
