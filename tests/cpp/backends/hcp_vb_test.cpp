// Verilog text of single components and their update pools.
#include "backends/verilog/hw_component/hcp_vb.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <vector>

#include "backends/verilog/hw_component/ue_vb.h"
#include "vb_test_support.h"

namespace velora {
namespace {

using vb_test::N;

class HcpVb : public vb_test::VbTest {};

// ---------------------------------------------------------------- declarations

TEST_F(HcpVb, DeclarationLinesPerKind) {
  const HcpIdent r4 = arena.make_reg(true, "x", 4);
  const HcpIdent r1 = arena.make_reg(true, "f", 1);
  const HcpIdent w8 = arena.make_wire(true, "w", 8);
  const HcpIdent v8 = arena.make_val(true, "v", 8, 255);
  const HcpIdent v1 = arena.make_val(true, "b", 1, 1);
  const HcpIdent v64 = arena.make_val(true, "z", 64, 0);
  const std::vector<std::uint64_t> wide = {0, 1};
  const HcpIdent v70 = arena.make_val_vv(true, "wide", 70, wide);
  const HcpIdent e = arena.make_expression(true, "e", LogicOp::ArithPlus, w8, w8, std::nullopt, std::nullopt);
  const HcpIdent mem = arena.make_mem_blk(true, "m", 8, 4);
  const HcpIdent rd = arena.make_mem_ele(true, "rd", mem, w8, 8, true);
  const HcpIdent io = arena.make_io_wire(false, "io", false, 8, w8, w8);

  EXPECT_EQ(decl(r4), "reg  [3:0]  " + N(r4) + ";");
  EXPECT_EQ(decl(r1), "reg   " + N(r1) + ";");
  EXPECT_EQ(decl(w8), "reg  [7:0]  " + N(w8) + ";");
  EXPECT_EQ(decl(v8), "wire [7:0]  " + N(v8) + " = 8'hff;");
  EXPECT_EQ(decl(v1), "wire  " + N(v1) + " = 1'b1;");
  EXPECT_EQ(decl(v64), "wire [63:0]  " + N(v64) + " = 64'h0;");
  EXPECT_EQ(decl(v70), "wire [69:0]  " + N(v70) + " = 70'h10000000000000000;");
  EXPECT_EQ(decl(e), "wire [7:0]  " + N(e) + ";");
  EXPECT_EQ(decl(mem), "reg [7:0]  " + N(mem) + " [0:15];");
  EXPECT_EQ(decl(rd), "wire [7:0]  " + N(rd) + ";");
  EXPECT_EQ(decl(io), "reg  [7:0]  " + N(io) + ";");
}

TEST_F(HcpVb, MemoryDepthIsExactForWideAddresses) {
  struct C {
    std::int32_t index_width;
    const char* last;
  };
  for (const C& c : std::vector<C>{{1, "1"}, {10, "1023"}, {63, "9223372036854775807"},
                                   {64, "18446744073709551615"}, {65, "36893488147419103231"}}) {
    const HcpIdent mem = arena.make_mem_blk(true, "m", 2, c.index_width);
    EXPECT_EQ(decl(mem), "reg [1:0]  " + N(mem) + " [0:" + c.last + "];") << c.index_width;
  }
}

TEST_F(HcpVb, CountsPerKind) {
  const HcpIdent w = arena.make_wire(true, "w", 8);
  const HcpIdent mem = arena.make_mem_blk(true, "m", 8, 2);
  struct C {
    HcpIdent hcp;
    std::size_t io, init, blk;
  };
  const std::vector<C> cases = {
      {arena.make_reg(true, "r", 8), 0, 1, 1},
      {w, 0, 1, 1},
      {arena.make_val(true, "v", 8, 1), 0, 1, 0},
      {arena.make_expression_single(true, "e", LogicOp::BitwiseInvr, w, std::nullopt), 0, 1, 1},
      {mem, 0, 1, 0},
      {arena.make_mem_ele(true, "rd", mem, w, 8, true), 0, 1, 1},
      {arena.make_mem_ele(true, "wr", mem, w, 8, false), 0, 0, 1},
      {arena.make_io_wire(false, "in", true, 8, w, w), 1, 1, 0},
      {arena.make_io_wire(false, "out", false, 8, w, w), 1, 1, 1},
  };
  for (const C& c : cases) {
    EXPECT_EQ(amt_io_line_vb(arena, c.hcp), c.io) << N(c.hcp);
    EXPECT_EQ(amt_init_line_vb(arena, c.hcp), c.init) << N(c.hcp);
    EXPECT_EQ(amt_procedure_blk_vb(arena, c.hcp), c.blk) << N(c.hcp);
  }
}

TEST_F(HcpVb, TypeTexts) {
  const HcpIdent w = arena.make_wire(true, "w", 8);
  const HcpIdent mem = arena.make_mem_blk(true, "m", 16, 2);
  struct C {
    HcpIdent hcp;
    const char* text;
  };
  for (const C& c : std::vector<C>{{arena.make_reg(true, "r", 3), "reg  [2:0] "},
                                   {w, "reg  [7:0] "},
                                   {arena.make_val(true, "v", 1, 0), "wire "},
                                   {mem, "reg [15:0] "},
                                   {arena.make_mem_ele(true, "e", mem, w, 16, true), "wire [15:0] "}}) {
    StringWriter out;
    gen_type_vb(out, arena, c.hcp);
    EXPECT_EQ(out.text(), c.text);
  }
}

// ---------------------------------------------------------------- ports

TEST_F(HcpVb, PortLines) {
  const HcpIdent src = arena.make_reg(true, "s", 8);
  const HcpIdent bit = arena.make_wire(true, "c", 1);
  const HcpIdent in8 = arena.make_io_wire(false, "a", true, 8, src, src);
  const HcpIdent out8 = arena.make_io_wire(false, "b", false, 8, src, src);
  const HcpIdent in1 = arena.make_io_wire(false, "c", true, 1, bit, bit);
  EXPECT_EQ(port(in8), "input wire [7:0] " + N(in8));
  EXPECT_EQ(port(out8), "output reg  [7:0] " + N(out8));
  EXPECT_EQ(port(in1), "input wire " + N(in1));

  StringWriter net;
  gen_parent_net_line_vb(net, arena, out8);
  EXPECT_EQ(net.text(), "wire [7:0] " + N(out8) + ";");
}

TEST_F(HcpVb, PortNameOverridesGlobalName) {
  const HcpIdent src = arena.make_reg(true, "s", 8);
  const HcpIdent out8 = arena.make_io_wire(false, "b", false, 8, src, src);
  arena.io_wires.get_mut(out8.ident_base.arena_handle).io_name = intern_name("result");
  EXPECT_EQ(port(out8), "output reg  [7:0] result");
  EXPECT_EQ(gen_var_name_vb(arena, out8), "result");
}

TEST_F(HcpVb, AgentInput) {
  const HcpIdent src = arena.make_reg(true, "s", 8);
  const HcpIdent in = arena.make_io_wire(false, "a", true, 8, src, src);
  const HcpIdent out = arena.make_io_wire(false, "b", false, 8, src, src);
  const HcpIdent orphan = arena.make_io_wire(false, "c", true, 8, std::nullopt, std::nullopt);
  EXPECT_EQ(gen_agent_input_vb(arena, in), N(src));
  EXPECT_EQ(fatal_message([&] { gen_agent_input_vb(arena, out); }), "gen_agent_input_vb called on output IoWire");
  EXPECT_EQ(fatal_message([&] { gen_agent_input_vb(arena, orphan); }), "IoWire: agent_src_signal_i is None");
}

TEST_F(HcpVb, RefusalsOfKindsWithoutTheText) {
  const HcpIdent r = arena.make_reg(true, "r", 8);
  const HcpIdent v = arena.make_val(true, "v", 8, 0);
  const HcpIdent mem = arena.make_mem_blk(true, "m", 8, 2);
  const HcpIdent nest(HwComponentType::Nest, false, "n");
  EXPECT_EQ(fatal_message([&] { port(r); }), "gen_io_line_vb not implemented for this HCP type");
  EXPECT_EQ(fatal_message([&] { block(v); }), "gen_procedure_blk_vb not implemented for this HCP type");
  EXPECT_EQ(fatal_message([&] { block(mem); }), "gen_procedure_blk_vb not implemented for this HCP type");
  for (auto f : std::vector<std::function<void()>>{[&] { gen_var_name_vb(arena, nest); },
                                                   [&] { decl(nest); },
                                                   [&] { amt_io_line_vb(arena, nest); },
                                                   [&] { block(nest); }}) {
    EXPECT_EQ(fatal_message(f), "take_hcp_vb: Nest not yet ported to Verilog backend");
  }
}

// ---------------------------------------------------------------- register blocks

// The register of the worked example: an assignment at priority 10 on the
// clock, then the reset on the master reset, which wins.
TEST_F(HcpVb, RegisterWithAssignmentAndReset) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent mrst = arena.make_wire(false, "mrst", 1);
  const HcpIdent x = arena.make_wire(true, "x", 8);
  const HcpIdent init = arena.make_val(true, "init", 8, 0);
  const HcpIdent r = arena.make_reg(true, "r", 8);
  arena.set_reg_reset(r, init);
  arena.regs.take(r.ident_base.arena_handle)->try_build_reset(clk, mrst, arena);
  assign(r, x, 10, ClockMode::PosEdge, clk);  // added after the reset: sorting puts it first
  sort(r);
  EXPECT_EQ(block(r), "always @(posedge " + N(clk) + ") begin\n" +
                          "    " + N(r) + "[7:0] <= " + N(x) + "[7:0];\n" +
                          "    if (" + N(mrst) + ") begin\n" +
                          "        " + N(r) + "[7:0] <= " + N(init) + "[7:0];\n" +
                          "    end\n" +
                          "end\n");
}

TEST_F(HcpVb, OneBitStatementsHaveNoSlices) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent s = arena.make_wire(true, "s", 1);
  const HcpIdent f = arena.make_reg(true, "f", 1);
  assign(f, s, 10, ClockMode::PosEdge, clk);
  EXPECT_EQ(block(f), "always @(posedge " + N(clk) + ") begin\n    " + N(f) + " <= " + N(s) + ";\nend\n");
}

TEST_F(HcpVb, PartialRangesAndNegEdge) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent x = arena.make_wire(true, "x", 8);
  const HcpIdent r = arena.make_reg(true, "r", 16);
  arena.bind_src(r, x, Slice{2, 6}, 0, 4, 10, ClockMode::NegEdge, clk);
  EXPECT_EQ(block(r), "always @(negedge " + N(clk) + ") begin\n    " + N(r) + "[5:2] <= " + N(x) + "[3:0];\nend\n");
}

TEST_F(HcpVb, WireDrivenOnlyByItsZeroDefault) {
  const HcpIdent w = arena.make_wire(true, "w", 8);
  arena.wires.take(w.ident_base.arena_handle)->try_build_default(arena);
  const UeBasic& ue = arena.ue_basics.get(arena.get_hcp_assign(w).update_pool[0].arena_handle);
  const std::string zero = N(ue.src);
  EXPECT_EQ(zero, "VAL_" + N(w) + "_DEFAULT_ZERO_" + std::to_string(ue.src.ident_base.global_id));
  EXPECT_EQ(block(w), "always @(*) begin\n    " + N(w) + "[7:0] <= " + zero + "[7:0];\nend\n");
}

TEST_F(HcpVb, EmptyPoolWritesNothing) {
  const HcpIdent r = arena.make_reg(true, "r", 8);
  const HcpIdent w = arena.make_wire(true, "w", 8);
  EXPECT_EQ(block(r), "");
  EXPECT_EQ(block(w), "");
}

TEST_F(HcpVb, ResetOnlyRegisterIsCombinational) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent mrst = arena.make_wire(false, "mrst", 1);
  const HcpIdent init = arena.make_val(true, "init", 4, 5);
  const HcpIdent r = arena.make_reg(true, "r", 4);
  arena.set_reg_reset(r, init);
  arena.regs.take(r.ident_base.arena_handle)->try_build_reset(clk, mrst, arena);
  EXPECT_EQ(block(r), "always @(*) begin\n    if (" + N(mrst) + ") begin\n        " + N(r) + "[3:0] <= " +
                          N(init) + "[3:0];\n    end\nend\n");
}

TEST_F(HcpVb, SelfReferenceUsesTheDestinationName) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent r = arena.make_reg(true, "r", 8);
  assign(r, r, 10, ClockMode::PosEdge, clk);
  EXPECT_EQ(block(r), "always @(posedge " + N(clk) + ") begin\n    " + N(r) + "[7:0] <= " + N(r) + "[7:0];\nend\n");
}

TEST_F(HcpVb, ConditionalChainContinuesOnTheEndLine) {
  const HcpIdent c1 = arena.make_wire(true, "c1", 1);
  const HcpIdent c2 = arena.make_wire(true, "c2", 1);
  const HcpIdent a = arena.make_wire(true, "a", 8);
  const HcpIdent b = arena.make_wire(true, "b", 8);
  const HcpIdent z = arena.make_val(true, "z", 8, 0);
  const HcpIdent d = arena.make_wire(true, "d", 8);
  auto ev = [&](const HcpIdent& src) { return arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, {}); };
  add_event(d, arena.make_ue_cond({c1, c2, std::nullopt}, {ev(a), ev(b), ev(z)}));
  const std::string D = N(d);
  EXPECT_EQ(block(d), "always @(*) begin\n"
                      "    if (" + N(c1) + ") begin\n"
                      "        " + D + "[7:0] <= " + N(a) + "[7:0];\n"
                      "    end else if (" + N(c2) + ") begin\n"
                      "        " + D + "[7:0] <= " + N(b) + "[7:0];\n"
                      "    end else begin\n"
                      "        " + D + "[7:0] <= " + N(z) + "[7:0];\n"
                      "    end\n"
                      "end\n");
}

TEST_F(HcpVb, ConditionalEntriesWithoutChildOrCondition) {
  const HcpIdent c = arena.make_wire(true, "c", 1);
  const HcpIdent a = arena.make_wire(true, "a", 8);
  const HcpIdent d = arena.make_wire(true, "d", 8);
  const UpdateEventIdent inner = arena.make_ue_basic(a, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, {});
  add_event(d, arena.make_ue_cond({c, std::nullopt}, {std::nullopt, inner}));
  EXPECT_EQ(block(d), "always @(*) begin\n    if (" + N(c) + ") begin\n    end else begin\n        " + N(d) +
                          "[7:0] <= " + N(a) + "[7:0];\n    end\nend\n");

  // A chain whose first entry has no condition opens with a bare begin.
  const HcpIdent d2 = arena.make_wire(true, "d2", 8);
  const UpdateEventIdent inner2 = arena.make_ue_basic(a, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, {});
  const UpdateEventIdent bare = arena.make_ue_cond({std::nullopt}, {inner2});
  add_event(d2, bare);
  EXPECT_EQ(block(d2), "always @(*) begin\n    begin\n        " + N(d2) + "[7:0] <= " + N(a) + "[7:0];\n    end\nend\n");
}

TEST_F(HcpVb, SwitchItemsAreIndentedUnderTheCase) {
  const HcpIdent sel = arena.make_wire(true, "sel", 2);
  const HcpIdent a = arena.make_wire(true, "a", 8);
  const HcpIdent b = arena.make_wire(true, "b", 8);
  const HcpIdent d = arena.make_wire(true, "d", 8);
  auto ev = [&](const HcpIdent& src) { return arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, {}); };
  add_event(d, arena.make_ue_switch(sel, {0, 3}, {ev(a), ev(b)}));
  const std::string D = N(d);
  EXPECT_EQ(block(d), "always @(*) begin\n"
                      "    case (" + N(sel) + ")\n"
                      "        0: begin\n"
                      "            " + D + "[7:0] <= " + N(a) + "[7:0];\n"
                      "        end\n"
                      "        3: begin\n"
                      "            " + D + "[7:0] <= " + N(b) + "[7:0];\n"
                      "        end\n"
                      "    endcase\n"
                      "end\n");
}

TEST_F(HcpVb, SwitchWithMoreItemsThanMatchValuesFails) {
  const HcpIdent sel = arena.make_wire(true, "sel", 2);
  const HcpIdent a = arena.make_wire(true, "a", 8);
  const HcpIdent d = arena.make_wire(true, "d", 8);
  const UpdateEventIdent ue =
      arena.make_ue_switch(sel, {1}, {arena.make_ue_basic(a, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, {})});
  arena.ue_switches.get_mut(ue.arena_handle).sub_stmts.push_back(std::nullopt);
  add_event(d, ue);
  EXPECT_EQ(fatal_message([&] { block(d); }), "assertion failed: idx < self.sub_stmt_idxs.len()");
}

TEST_F(HcpVb, NestedGroupInsideSwitchInsideCondition) {
  const HcpIdent c = arena.make_wire(true, "c", 1);
  const HcpIdent sel = arena.make_wire(true, "sel", 1);
  const HcpIdent a = arena.make_wire(true, "a", 4);
  const HcpIdent b = arena.make_wire(true, "b", 4);
  const HcpIdent d = arena.make_wire(true, "d", 8);
  const UpdateEventIdent lo = arena.make_ue_basic(a, 0, 4, 0, 4, 10, ClockMode::ClkFree, false, {});
  const UpdateEventIdent hi = arena.make_ue_basic(b, 4, 8, 0, 4, 10, ClockMode::ClkFree, false, {});
  const UpdateEventIdent grp = arena.make_ue_grp({lo, hi});
  const UpdateEventIdent sw = arena.make_ue_switch(sel, {-1}, {grp});
  add_event(d, arena.make_ue_cond({c}, {sw}));
  const std::string D = N(d);
  EXPECT_EQ(block(d), "always @(*) begin\n"
                      "    if (" + N(c) + ") begin\n"
                      "        case (" + N(sel) + ")\n"
                      "            -1: begin\n"
                      "                " + D + "[3:0] <= " + N(a) + "[3:0];\n"
                      "                " + D + "[7:4] <= " + N(b) + "[3:0];\n"
                      "            end\n"
                      "        endcase\n"
                      "    end\n"
                      "end\n");
}

// Deeply nested events are walked without one native stack frame per level:
// the walk runs here on a thread with a small stack.
TEST_F(HcpVb, DeepNestingDoesNotUseTheNativeStack) {
  constexpr int kDepth = 3000;
  const HcpIdent c = arena.make_wire(true, "c", 1);
  const HcpIdent a = arena.make_wire(true, "a", 1);
  const HcpIdent d = arena.make_wire(true, "d", 1);
  UpdateEventIdent ue = arena.make_ue_basic(a, 0, 1, 0, 1, 10, ClockMode::ClkFree, false, {});
  for (int i = 0; i < kDepth; ++i) ue = arena.make_ue_cond({c}, {ue});
  add_event(d, ue);

  class Counting final : public TextWriter {
   public:
    Counting() : TextWriter(1 << 16) {}
    std::size_t bytes = 0;
    std::size_t lines = 0;

   private:
    void spill() override {
      bytes += pending_.size();
      lines += static_cast<std::size_t>(std::count(pending_.begin(), pending_.end(), '\n'));
      pending_.clear();
    }
  };
  struct Job {
    const ModelArena* arena;
    HcpIdent d;
    Counting out;
    std::string error;
  } job{&arena, d, {}, {}};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto body = [](void* p) -> void* {
    auto* j = static_cast<Job*>(p);
    try {
      gen_procedure_blk_vb(j->out, *j->arena, j->d, 0);
      j->out.commit();
      j->out.write(std::string(1 << 16, ' '));  // spill the rest
    } catch (const std::exception& e) {
      j->error = e.what();
    }
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(job.error, "");
  // always, kDepth openers, the statement, kDepth closers, end.
  EXPECT_EQ(job.out.lines, 2u * kDepth + 3u);
}

TEST_F(HcpVb, PoolFailures) {
  const HcpIdent x = arena.make_wire(true, "x", 8);
  const HcpIdent r = arena.make_reg(true, "r", 8);
  add_event(r, arena.make_ue_basic(x, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, {}));
  EXPECT_EQ(fatal_message([&] { block(r); }), "sensitivity_list: PosEdge with no clk source");

  const HcpIdent r2 = arena.make_reg(true, "r2", 8);
  add_event(r2, UpdateEventIdent{});
  EXPECT_EQ(fatal_message([&] { block(r2); }), "take_ue_vb: UeType::Untype");
}

TEST_F(HcpVb, IoWireOutputIsWrittenLikeARegister) {
  const HcpIdent src = arena.make_reg(true, "s", 8);
  const HcpIdent out = arena.make_io_wire(false, "o", false, 8, src, src);
  EXPECT_EQ(block(out), "always @(*) begin\n    " + N(out) + "[7:0] <= " + N(src) + "[7:0];\nend\n");
}

// ---------------------------------------------------------------- special registers

TEST_F(HcpVb, SpecialRegistersAreDeclaredLikeRegisters) {
  const HcpIdent st = arena.make_state_reg("st");
  const HcpIdent cnt = arena.make_cnt_reg("c", 1, 5);
  const HcpIdent sy = arena.make_sync_reg("sy", 3);
  EXPECT_EQ(decl(st), "reg   " + N(st) + ";");
  EXPECT_EQ(decl(cnt), "reg  [2:0]  " + N(cnt) + ";");
  EXPECT_EQ(decl(sy), "reg  [2:0]  " + N(sy) + ";");
  for (const HcpIdent& h : {st, cnt, sy}) {
    EXPECT_EQ(amt_io_line_vb(arena, h), 0u);
    EXPECT_EQ(amt_init_line_vb(arena, h), 1u);
    EXPECT_EQ(amt_procedure_blk_vb(arena, h), 1u);
  }
}

TEST_F(HcpVb, StateRegisterBlock) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent mrst = arena.make_wire(false, "mrst", 1);
  const HcpIdent t = arena.make_wire(false, "t", 1);
  const HcpIdent st = arena.make_state_reg("st");
  HcpIdent set_val, unset_val;
  {
    auto reg = arena.state_regs.take(st.ident_base.arena_handle);
    reg->trigger_sig.set(TriggerSigSlot::Clk, clk);
    reg->trigger_sig.set(TriggerSigSlot::Mrst, mrst);
    reg->trigger_sig.push_depend_node(t, std::nullopt);
    reg->build_update_event(arena);
    set_val = reg->set_val;
    unset_val = reg->unset_val;
  }
  sort(st);
  const std::string S = N(st);
  EXPECT_EQ(block(st), "always @(posedge " + N(clk) + ") begin\n"
                       "    " + S + " <= " + N(unset_val) + ";\n"
                       "    if (" + N(t) + ") begin\n"
                       "        " + S + " <= " + N(set_val) + ";\n"
                       "    end\n"
                       "    if (" + N(mrst) + ") begin\n"
                       "        " + S + " <= " + N(unset_val) + ";\n"
                       "    end\n"
                       "end\n");
}

// ---------------------------------------------------------------- memories

TEST_F(HcpVb, MemoryElements) {
  const HcpIdent clk = arena.make_wire(false, "clk", 1);
  const HcpIdent idx = arena.make_wire(true, "i", 2);
  const HcpIdent data = arena.make_wire(true, "d", 8);
  const HcpIdent mem = arena.make_mem_blk(true, "m", 8, 2);
  const HcpIdent rd = arena.make_mem_ele(true, "rd", mem, idx, 8, true);
  const HcpIdent wr = arena.make_mem_ele(true, "wr", mem, idx, 8, false);
  assign(wr, data, 10, ClockMode::PosEdge, clk);
  EXPECT_EQ(block(rd), "assign " + N(rd) + " = " + N(mem) + "[" + N(idx) + "];\n");
  EXPECT_EQ(block(wr), "always @(posedge " + N(clk) + ") begin\n    " + N(mem) + "[" + N(idx) + "][7:0] <= " +
                           N(data) + "[7:0];\nend\n");
}

// ---------------------------------------------------------------- expressions

class ExprVb : public vb_test::VbTest {
 protected:
  void SetUp() override {
    VbTest::SetUp();
    a = arena.make_wire(true, "a", 8);
    b = arena.make_wire(true, "b", 8);
    c = arena.make_wire(true, "c", 1);
  }
  std::string line(const HcpIdent& e, const std::string& rhs) { return "assign " + N(e) + " = " + rhs + ";\n"; }
  Expression& rec(const HcpIdent& e) { return arena.expressions.get_mut(e.ident_base.arena_handle); }

  HcpIdent a, b, c;
};

TEST_F(ExprVb, BinaryOperators) {
  struct C {
    LogicOp op;
    const char* token;
  };
  for (const C& k : std::vector<C>{{LogicOp::BitwiseAnd, "&"}, {LogicOp::BitwiseOr, "|"}, {LogicOp::BitwiseXor, "^"},
                                   {LogicOp::BitwiseShl, "<<"}, {LogicOp::BitwiseShr, ">>"},
                                   {LogicOp::LogicalAnd, "&&"}, {LogicOp::LogicalOr, "||"},
                                   {LogicOp::RelationEq, "=="}, {LogicOp::RelationNeq, "!="},
                                   {LogicOp::RelationLe, "<"}, {LogicOp::RelationLeq, "<="},
                                   {LogicOp::RelationGe, ">"}, {LogicOp::RelationGeq, ">="},
                                   {LogicOp::ArithPlus, "+"}, {LogicOp::ArithMinus, "-"},
                                   {LogicOp::ArithMul, "*"}, {LogicOp::ArithDiv, "/"},
                                   {LogicOp::ArithDivr, "%"}}) {
    const HcpIdent e = arena.make_expression(true, "e", k.op, a, b, std::nullopt, std::nullopt);
    EXPECT_EQ(block(e), line(e, N(a) + " " + k.token + " " + N(b))) << variant_name(k.op);
  }
}

TEST_F(ExprVb, OperandSlices) {
  const HcpIdent e = arena.make_expression(true, "e", LogicOp::ArithPlus, a, b, Slice{0, 4}, Slice{4, 8});
  EXPECT_EQ(block(e), line(e, N(a) + "[3:0] + " + N(b) + "[7:4]"));
  const HcpIdent full = arena.make_expression(true, "f", LogicOp::BitwiseAnd, a, b, Slice{0, 8}, Slice{0, 8});
  EXPECT_EQ(block(full), line(full, N(a) + "[7:0] & " + N(b) + "[7:0]"));
}

TEST_F(ExprVb, SignedComparisons) {
  const HcpIdent lt = arena.make_expression(true, "lt", LogicOp::RelationSlt, a, b, std::nullopt, std::nullopt);
  const HcpIdent gt = arena.make_expression(true, "gt", LogicOp::RelationSgt, a, b, Slice{0, 4}, std::nullopt);
  EXPECT_EQ(block(lt), line(lt, "$signed(" + N(a) + ") < $signed(" + N(b) + ")"));
  EXPECT_EQ(block(gt), line(gt, "$signed(" + N(a) + "[3:0]) > $signed(" + N(b) + ")"));
}

TEST_F(ExprVb, SingleOperandForms) {
  const HcpIdent inv = arena.make_expression_single(true, "inv", LogicOp::BitwiseInvr, a, std::nullopt);
  const HcpIdent no = arena.make_expression_single(true, "no", LogicOp::LogicalNot, c, std::nullopt);
  const HcpIdent sl = arena.make_expression_single(true, "sl", LogicOp::SliceBit, a, Slice{2, 5});
  EXPECT_EQ(block(inv), line(inv, "~" + N(a)));
  EXPECT_EQ(block(no), line(no, "!" + N(c)));
  EXPECT_EQ(block(sl), line(sl, N(a) + "[4:2]"));
}

TEST_F(ExprVb, ExtensionForms) {
  const HcpIdent x = arena.make_wire(true, "x", 4);
  const HcpIdent ext = arena.make_expression_constant(true, "ext", LogicOp::ExtendBit, x, 8, Slice{0, 4});
  EXPECT_EQ(block(ext), line(ext, "{{4{1'b0}}, " + N(x) + "[3:0]}"));

  const HcpIdent plain = arena.make_expression_constant(true, "plain", LogicOp::ExtendBit, x, 8, std::nullopt);
  EXPECT_EQ(block(plain), line(plain, N(x)));

  const HcpIdent same = arena.make_expression_constant(true, "same", LogicOp::ExtendBit, a, 8, Slice{0, 8});
  EXPECT_EQ(block(same), line(same, N(a) + "[7:0]"));

  const HcpIdent filled = arena.make_expression_constant(true, "fill", LogicOp::ExtendBit, x, 8, Slice{0, 4});
  rec(filled).b = ExprOperand{c, std::nullopt};
  EXPECT_EQ(block(filled), line(filled, "{{4{" + N(c) + "}}, " + N(x) + "[3:0]}"));
}

// A narrower source is widened by the generated "{}_ext" expression.
TEST_F(ExprVb, WidthExtensionOfAnAssignment) {
  const HcpIdent src = arena.make_wire(true, "src", 4);
  const HcpIdent des = arena.make_wire(true, "des", 8);
  const SanitizedSrc s = arena.sanitize_asm_src(des, src, std::nullopt, -1, -1);
  EXPECT_EQ(N(s.src), "EXPR_" + N(src) + "_ext_" + std::to_string(s.src.ident_base.global_id));
  EXPECT_EQ(block(s.src), line(s.src, "{{4{1'b0}}, " + N(src) + "[3:0]}"));
}

TEST_F(ExprVb, IncompleteExpressionsWriteNothing) {
  const HcpIdent empty = arena.make_expression_empty(true, "empty", 8);
  EXPECT_EQ(block(empty), "");

  const HcpIdent lone = arena.make_expression(true, "lone", LogicOp::ArithPlus, a, b, std::nullopt, std::nullopt);
  rec(lone).b.reset();
  EXPECT_EQ(block(lone), "");
  const HcpIdent slt = arena.make_expression(true, "slt", LogicOp::RelationSlt, a, b, std::nullopt, std::nullopt);
  rec(slt).b.reset();
  EXPECT_EQ(block(slt), "");

  // Once its operand is filled in, an empty expression is a plain copy.
  rec(empty).a = ExprOperand{a, std::nullopt};
  rec(empty).has_operands = true;
  EXPECT_EQ(block(empty), line(empty, N(a)));
}

TEST_F(ExprVb, DummyOperatorNeverReachesTheText) {
  const HcpIdent e = arena.make_expression(true, "e", LogicOp::ArithPlus, a, b, std::nullopt, std::nullopt);
  rec(e).op = LogicOp::Dummy;
  EXPECT_EQ(fatal_message([&] { block(e); }), "logic_op_to_verilog: Dummy op must not reach the Verilog backend");
}

}  // namespace
}  // namespace velora
