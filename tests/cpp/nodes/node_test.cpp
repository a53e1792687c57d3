#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "../sp_reg/ctrl_test_util.h"

namespace velora {
namespace {

using ctrl_test::ArenaWithModule;
using ctrl_test::flat_pool;
using ctrl_test::flatten;
using ctrl_test::priorities;
using ctrl_test::starts_with;

constexpr std::int32_t kRst = DEFAULT_UE_PRI_RST;

/// An arena with a module, a clock and reset wire, and OprNode triggers over
/// 1-bit wires, as a block's control nodes would be.
struct NodeFixture : ::testing::Test {
  ArenaWithModule a;
  HcpIdent clk_w, mrst_w, hold_w, rst_w, start_w;
  NcpIdent clk, mrst, hold, rst, start;

  void SetUp() override {
    clk_w = a.wire("clk");
    mrst_w = a.wire("mrst");
    hold_w = a.wire("hold");
    rst_w = a.wire("rst");
    start_w = a.wire("start");
    clk = a.arena.make_opr_node("clk", clk_w);
    mrst = a.arena.make_opr_node("mrst", mrst_w);
    hold = a.arena.make_opr_node("hold", hold_w);
    rst = a.arena.make_opr_node("rst", rst_w);
    start = a.arena.make_opr_node("start", start_w);
  }
  NcpNode& node(const NcpIdent& id) { return a.arena.get_ncp_node_mut(id); }
  HcpIdent exit(const NcpIdent& id) { return a.arena.get_ncp_node(id).get_exit_opr(); }
  /// A predecessor whose exit is a fresh 1-bit wire.
  NcpIdent pred(const char* name) { return a.arena.make_opr_node(name, a.wire(name)); }
  const Expression& expr(const HcpIdent& e) { return a.expr(e); }
  /// The basic assignment "des <- src" as an assignment node (not attached).
  NcpIdent asm_node(const HcpIdent& des, const HcpIdent& src) {
    return a.arena.take_hcp(des, [&](auto& hcp) { return hcp.do_asm(src, std::nullopt, 0, 1, a.arena); });
  }
};

// ---------------------------------------------------------------- triggers

TEST_F(NodeFixture, FillExtNodeCopiesTheBlockTriggers) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  NodeTriggers ext;
  ext.set(TriggerSlot::Clk, clk);
  ext.set(TriggerSlot::Mrst, mrst);
  ext.set(TriggerSlot::IntStart, start);
  node(s).set_int_start_node(rst);
  node(s).set_hold_node(hold);
  node(s).add_depend_node(clk, std::nullopt);

  node(s).fill_ext_node(ext, false);
  EXPECT_TRUE(same_node(*node(s).get_clk_node(), clk));
  EXPECT_TRUE(same_node(*node(s).get_mrst_node(), mrst));
  EXPECT_FALSE(node(s).get_hold_node().has_value());  // the block's absent hold clears it
  EXPECT_TRUE(same_node(*node(s).get_int_start_node(), rst));  // kept without with_start
  EXPECT_EQ(node(s).get_node_triggers().depends.size(), 1u);   // never touched

  NodeTriggers no_start;
  node(s).fill_ext_node(no_start, true);
  EXPECT_FALSE(node(s).get_int_start_node().has_value());  // replaced by the block's absent one
  EXPECT_FALSE(node(s).get_clk_node().has_value());
}

TEST_F(NodeFixture, TriggerSigFollowsTheTriggersAndDependOrder) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  NcpIdent p1 = pred("p1"), p2 = pred("p2");
  HcpIdent c = a.wire("c");
  node(s).set_clk_node(clk);
  node(s).set_hold_node(hold);
  node(s).add_depend_node(p1, std::nullopt);
  node(s).add_depend_node(p2, c);
  TriggerSig sig = node(s).to_trigger_sig(a.arena);
  EXPECT_EQ(sig.clk_sig_i(), clk_w);
  EXPECT_EQ(sig.hold(), hold_w);
  EXPECT_FALSE(sig.int_reset().has_value());
  EXPECT_FALSE(sig.mrst().has_value());
  ASSERT_EQ(sig.depends.size(), 2u);
  EXPECT_EQ(sig.depends[0].trigger, exit(p1));
  EXPECT_FALSE(sig.depends[0].qualifier.has_value());
  EXPECT_EQ(sig.depends[1].trigger, exit(p2));
  EXPECT_EQ(sig.depends[1].qualifier, c);
}

TEST_F(NodeFixture, AssignWithoutFlagsLeavesTheNodeAsItWas) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  const std::size_t exprs = a.internal(HwComponentType::Expression).size();
  a.arena.assign_ncp_node(s, false, false);
  EXPECT_FALSE(a.arena.state_nodes.is_taken(s.ident_base.arena_handle));
  EXPECT_EQ(fatal_message([&] { exit(s); }), "exit opr is not set yet");
  EXPECT_EQ(a.internal(HwComponentType::Expression).size(), exprs);
}

TEST_F(NodeFixture, DiagnosticLabelNamesTheKind) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  EXPECT_TRUE(starts_with(node(s).get_md_ident_val(), "STATE_NODE @ ")) << node(s).get_md_ident_val();
}

// ---------------------------------------------------------------- cycles

struct CycleCase {
  const char* label;
  std::function<NcpIdent(ModelArena&)> make;
  TriggerSlot trigger;
  std::int32_t plain;
};

class NodeCycles : public NodeFixture, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(NodeCycles, FixedUntilHoldResetOrStartAppear) {
  const CycleCase& c = GetParam();
  NcpIdent n = c.make(a.arena);
  node(n).set_clk_node(clk);
  node(n).set_mrst_node(mrst);  // clock and master reset do not count
  EXPECT_EQ(node(n).get_cycle_used(), c.plain);
  node(n).get_node_triggers_mut().set(c.trigger, hold);
  EXPECT_EQ(node(n).get_cycle_used(), IN_CONSIST_CYCLE_USED);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NodeCycles,
    ::testing::Values(
        CycleCase{"StateHold", [](ModelArena& m) { return m.make_state_node(false, "s"); }, TriggerSlot::Hold, 1},
        CycleCase{"StateReset", [](ModelArena& m) { return m.make_state_node(false, "s"); }, TriggerSlot::IntReset,
                  1},
        CycleCase{"StateStart", [](ModelArena& m) { return m.make_state_node(false, "s"); }, TriggerSlot::IntStart,
                  1},
        CycleCase{"WaitCycle5", [](ModelArena& m) { return m.make_wait_cycle_node(false, "w", 5); },
                  TriggerSlot::Hold, 5},
        CycleCase{"Counter3", [](ModelArena& m) { return m.make_counter_node(false, "c", 3); },
                  TriggerSlot::IntReset, 4}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(NodeFixture, KindsReportTheirModes) {
  struct Row {
    NcpIdent id;
    ClockMode mode;
    std::int32_t cycles;
    bool state_full;
  };
  HcpIdent c = a.wire("c");
  const std::vector<Row> rows = {
      {a.arena.make_start_node("start", mrst_w), ClockMode::PosEdge, 1, true},
      {a.arena.make_syn_node(false, "y", 2), ClockMode::PosEdge, 0, false},
      {a.arena.make_wait_cond_node(false, "w", c, -1, -1), ClockMode::PosEdge, IN_CONSIST_CYCLE_USED, true},
      {a.arena.make_pseudo_node("p", 1, LogicOp::BitwiseOr), ClockMode::ClkFree, 0, false},
      {clk, ClockMode::ClkFree, 0, false},
      {asm_node(a.arena.make_reg(true, "r", 1), c), ClockMode::PosEdge, 1, true},
      {asm_node(a.wire("w2"), c), ClockMode::ClkFree, 1, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id.ident_base.abs_name());
    EXPECT_EQ(node(r.id).get_clock_mode(), r.mode);
    EXPECT_EQ(node(r.id).get_cycle_used(), r.cycles);
    EXPECT_EQ(node(r.id).is_state_full_node(), r.state_full);
    EXPECT_EQ(node(r.id).get_node_type(), r.id.node_type);
  }
  EXPECT_EQ(AsmNode().get_clock_mode(), ClockMode::ClkUnused);
}

// ---------------------------------------------------------------- default refusals

TEST_F(NodeFixture, DefaultOperationsRefuse) {
  HcpIdent c = a.wire("c");
  NcpIdent n_asm = asm_node(a.wire("d"), c);
  NcpIdent n_state = a.arena.make_state_node(false, "s");
  NcpIdent n_start = a.arena.make_start_node("start", mrst_w);
  NcpIdent n_syn = a.arena.make_syn_node(false, "y", 1);
  NcpIdent n_cycle = a.arena.make_wait_cycle_node(false, "w", 2);
  NcpIdent n_cnt = a.arena.make_counter_node(false, "k", 2);
  NcpIdent n_pseudo = a.arena.make_pseudo_node("p", 1, LogicOp::BitwiseOr);
  EXPECT_EQ(fatal_message([&] { exit(n_asm); }), "get_exit_opr: not implemented");
  for (const NcpIdent& id : {n_asm, n_start, n_syn, n_cycle, n_cnt, n_pseudo, clk})
    EXPECT_EQ(fatal_message([&] { a.arena.get_ncp_node(id).get_state_operating(); }),
              "get_state_operating: not implemented")
        << id.ident_base.abs_name();
  for (const NcpIdent& id : {n_state, n_start, n_syn, n_cycle, n_cnt, n_pseudo, clk})
    EXPECT_EQ(fatal_message([&] { node(id).dry_assign(a.arena); }), "dry_assign: not implemented");
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(n_asm, true, false); }),
            "AsmNode::assign_prelim(): is not support in AsmNode");
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(n_asm, false, true); }),
            "AsmNode::assign_final(): use assign_from_state_node or dry_assign");
  // The node went back into its slot although the assignment failed.
  EXPECT_FALSE(a.arena.asm_nodes.is_taken(n_asm.ident_base.arena_handle));
}

TEST_F(NodeFixture, ExitBeforePrelimNamesTheKind) {
  HcpIdent c = a.wire("c");
  const std::vector<std::pair<NcpIdent, std::string>> cases = {
      {a.arena.make_state_node(false, "s"), "exit opr is not set yet"},
      {a.arena.make_syn_node(false, "y", 2),
       "SynNode::get_exit_opr: bound_exit_i not set — call assign_prelim before reading exit_opr"},
      {a.arena.make_wait_cond_node(false, "w", c, -1, -1),
       "WaitCondNode::get_exit_opr: bound_exit_i not set — call assign_prelim first"},
      {a.arena.make_wait_cycle_node(false, "y", 3),
       "WaitCycleNode::get_exit_opr: bound_exit_i not set — call assign_prelim first"},
      {a.arena.make_counter_node(false, "k", 3),
       "CounterNode::get_exit_opr: end_expr_i not set — call assign_prelim first"},
  };
  for (const auto& [id, msg] : cases) EXPECT_EQ(fatal_message([&] { exit(id); }), msg);
  NcpIdent s = cases[0].first;
  EXPECT_EQ(fatal_message([&] { node(s).get_state_operating(); }), "state operating is not set yet");
  EXPECT_EQ(fatal_message([&] { node(cases[2].first).get_state_operating(); }),
            "WaitCondNode::get_state_operating: raw_state_op_i not set — call assign_prelim first");
}

struct CtorError {
  const char* label;
  std::function<void(ModelArena&)> make;
  const char* message;
};

class NodeCtorErrors : public ::testing::TestWithParam<CtorError> {};

TEST_P(NodeCtorErrors, Refuse) {
  ArenaWithModule a;
  EXPECT_EQ(fatal_message([&] { GetParam().make(a.arena); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NodeCtorErrors,
    ::testing::Values(
        CtorError{"Syn0", [](ModelArena& m) { m.make_syn_node(false, "y", 0); }, "assertion failed: syn_size > 0"},
        CtorError{"Cycle0", [](ModelArena& m) { m.make_wait_cycle_node(false, "w", 0); },
                  "assertion failed: cycle > 0"},
        CtorError{"Counter0", [](ModelArena& m) { m.make_counter_node(false, "c", 0); },
                  "assertion failed: last_loop_cnt > 0"},
        CtorError{"PseudoXor", [](ModelArena& m) { m.make_pseudo_node("p", 1, LogicOp::BitwiseXor); },
                  "assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr"},
        CtorError{"NoMetas", [](ModelArena& m) { m.make_asm_node_many("a", {}); },
                  "assertion failed: !metas.is_empty()"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- OprNode

TEST_F(NodeFixture, OprNodeHasNoTriggers) {
  EXPECT_EQ(exit(clk), clk_w);
  EXPECT_EQ(node(clk).resolve_node_exit_opr(a.arena, clk), clk_w);
  EXPECT_EQ(node(clk).resolve_node_exit_opr(a.arena, mrst), mrst_w);
  const std::vector<std::function<void()>> ops = {
      [&] { node(clk).get_node_triggers(); },
      [&] { node(clk).get_hold_node(); },
      [&] { node(clk).set_clk_node(mrst); },
      [&] { node(clk).add_depend_node(mrst, std::nullopt); },
      [&] { node(clk).fill_ext_node(NodeTriggers{}, false); },
      [&] { node(clk).to_trigger_sig(a.arena); },
      [&] {
        TriggerSig sig;
        node(clk).init_int_start_sig(sig, a.arena);
      },
      [&] { node(clk).bind_with_rst_output_if_reset(a.arena, clk_w); },
      [&] { node(clk).bind_with_hold_if_hold(a.arena, clk_w); },
  };
  for (const auto& op : ops) EXPECT_EQ(fatal_message(op), "OprNode has no triggers");
  a.arena.assign_ncp_node(clk, true, false);  // prelim does nothing
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(clk, false, true); }), "OprNode: assign() is not implemented");
}

// ---------------------------------------------------------------- StateNode

TEST_F(NodeFixture, StateExitIsBoundWithResetThenHold) {
  NcpIdent s = a.arena.make_state_node(false, "seq_state_1");
  const HcpIdent reg = a.arena.state_nodes.get(s.ident_base.arena_handle).state_reg;
  EXPECT_EQ(reg.ident_base.rel_name(), "seq_state_1_ST");
  node(s).set_int_reset_node(rst);
  node(s).set_hold_node(hold);
  a.arena.assign_ncp_node(s, true, false);
  EXPECT_EQ(node(s).get_state_operating(), reg);
  const HcpIdent e = exit(s);
  EXPECT_EQ(e.ident_base.rel_name(), "node_bind_hold");
  const Expression& bind_hold = expr(e);
  EXPECT_EQ(bind_hold.op, LogicOp::BitwiseAnd);
  const Expression& hold_inv = expr(bind_hold.b->ident);
  EXPECT_EQ(bind_hold.b->ident.ident_base.rel_name(), "node_hold_inv");
  EXPECT_EQ(hold_inv.op, LogicOp::BitwiseInvr);
  EXPECT_EQ(hold_inv.a->ident, hold_w);
  EXPECT_EQ(bind_hold.a->ident.ident_base.rel_name(), "node_bind_rst");
  const Expression& bind_rst = expr(bind_hold.a->ident);
  EXPECT_EQ(bind_rst.a->ident, reg);
  EXPECT_EQ(bind_rst.b->ident.ident_base.rel_name(), "node_int_inv");
  EXPECT_EQ(expr(bind_rst.b->ident).a->ident, rst_w);
  for (const HcpIdent& x : {e, bind_hold.a->ident, bind_hold.b->ident, bind_rst.b->ident}) {
    EXPECT_EQ(expr(x).width, 1);
    EXPECT_FALSE(x.ident_base.is_user_com());
  }
}

TEST_F(NodeFixture, StateWithoutResetOrHoldExitsWithItsRegister) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  a.arena.assign_ncp_node(s, true, false);
  EXPECT_EQ(exit(s), a.arena.state_nodes.get(s.ident_base.arena_handle).state_reg);
}

TEST_F(NodeFixture, StateFinalReplacesTheRegisterTriggers) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  NcpIdent p = pred("p");
  node(s).set_clk_node(clk);
  node(s).set_mrst_node(mrst);
  node(s).add_depend_node(p, std::nullopt);
  a.arena.assign_ncp_node(s, true, true);
  const StateNode& sn = a.arena.state_nodes.get(s.ident_base.arena_handle);
  const StateReg& reg = a.arena.state_regs.get(sn.state_reg.ident_base.arena_handle);
  ASSERT_EQ(reg.trigger_sig.depends.size(), 1u);
  EXPECT_EQ(reg.trigger_sig.depends[0].trigger, exit(p));
  auto events = flat_pool(a, sn.state_reg);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 53, kRst}));
  EXPECT_EQ(events[0].clk_src, clk_w);
}

// ---------------------------------------------------------------- StartNode

TEST_F(NodeFixture, StartNodePulsesAfterTheMasterReset) {
  NcpIdent st = a.arena.make_start_node("start", mrst_w);
  NcpIdent start_clk = a.arena.make_opr_node("start_clk", clk_w);
  node(st).set_clk_node(start_clk);
  a.arena.assign_ncp_node(st, true, true);
  const StartNode& sn = a.arena.start_nodes.get(st.ident_base.arena_handle);
  EXPECT_EQ(sn.state_reg.ident_base.rel_name(), "start_ST");
  const HcpIdent e = exit(st);
  EXPECT_EQ(e.ident_base.rel_name(), "startExpr");
  EXPECT_EQ(expr(e).op, LogicOp::RelationEq);
  EXPECT_EQ(expr(e).a->ident, sn.state_reg);
  EXPECT_EQ(expr(e).b->ident.ident_base.rel_name(), "upState");
  auto events = flat_pool(a, sn.state_reg);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 53}));
  EXPECT_EQ(events[1].conds, std::vector<HcpIdent>{mrst_w});
  EXPECT_EQ(events[1].clk_src, clk_w);
}

// ---------------------------------------------------------------- SynNode

TEST_F(NodeFixture, SyncNodeExitsWithTheRegisterEnd) {
  NcpIdent y = a.arena.make_syn_node(false, "par_syn_9", 2);
  node(y).set_clk_node(clk);
  node(y).add_depend_node(pred("b0"), std::nullopt);
  node(y).add_depend_node(pred("b1"), std::nullopt);
  a.arena.assign_ncp_node(y, true, false);
  const SynNode& sn = a.arena.syn_nodes.get(y.ident_base.arena_handle);
  EXPECT_EQ(sn.sync_reg.ident_base.rel_name(), "par_syn_9_SY");
  EXPECT_EQ(exit(y).ident_base.rel_name(), sn.sync_reg.ident_base.abs_name() + "_END_EXPR");
  a.arena.assign_ncp_node(y, false, true);
  EXPECT_EQ(flat_pool(a, sn.sync_reg).size(), 3u);
}

// ---------------------------------------------------------------- waits

TEST_F(NodeFixture, ConditionWaitNeedsAPredecessor) {
  HcpIdent c = a.wire("c");
  NcpIdent w = a.arena.make_wait_cond_node(false, "scwait_4", c, -1, -1);
  node(w).set_clk_node(clk);
  node(w).set_int_reset_node(rst);
  a.arena.assign_ncp_node(w, true, false);
  const WaitCondNode& wn = a.arena.wait_cond_nodes.get(w.ident_base.arena_handle);
  EXPECT_EQ(wn.wait_reg.ident_base.rel_name(), "scwait_4_CW");
  EXPECT_EQ(node(w).get_state_operating().ident_base.rel_name(), wn.wait_reg.ident_base.abs_name() + "_END_EXPR");
  EXPECT_EQ(exit(w).ident_base.rel_name(), "node_bind_rst");
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(w, false, true); }),
            "WaitCondNode requires at least one depend node");
  node(w).add_depend_node(pred("p"), std::nullopt);
  a.arena.assign_ncp_node(w, false, true);
  EXPECT_EQ(priorities(flat_pool(a, wn.wait_reg)), (std::vector<std::int32_t>{50, 53, 52}));
}

TEST_F(NodeFixture, CycleWaitExitsAtTheEndOfItsCount) {
  NcpIdent w = a.arena.make_wait_cycle_node(false, "sywait_2", 3);
  node(w).set_clk_node(clk);
  a.arena.assign_ncp_node(w, true, false);
  const WaitCycleNode& wn = a.arena.wait_cycle_nodes.get(w.ident_base.arena_handle);
  EXPECT_EQ(wn.wait_reg.ident_base.rel_name(), "sywait_2_CY");
  EXPECT_EQ(wn.wait_cycle, 3);
  EXPECT_EQ(exit(w).ident_base.rel_name(), wn.wait_reg.ident_base.abs_name() + "_IS_END");
  node(w).add_depend_node(pred("p"), std::nullopt);
  a.arena.assign_ncp_node(w, false, true);
  EXPECT_EQ(priorities(flat_pool(a, wn.wait_reg)), (std::vector<std::int32_t>{50, 51, 54}));
}

// ---------------------------------------------------------------- CounterNode

TEST_F(NodeFixture, CounterSupportAndEvents) {
  NcpIdent k = a.arena.make_counter_node(false, "cloop_cnt_5", 3);
  node(k).set_clk_node(clk);
  node(k).set_hold_node(hold);
  node(k).set_int_reset_node(rst);
  node(k).set_int_start_node(start);
  node(k).set_mrst_node(mrst);
  NcpIdent body = pred("body");
  HcpIdent q = a.wire("q");
  node(k).add_depend_node(body, std::nullopt);
  node(k).add_depend_node(pred("other"), q);
  a.arena.assign_ncp_node(k, true, false);
  const CounterNode& kn = a.arena.counter_nodes.get(k.ident_base.arena_handle);
  const CntReg& reg = a.arena.cnt_regs.get(kn.cnt_reg.ident_base.arena_handle);
  const std::string n = kn.cnt_reg.ident_base.abs_name();
  EXPECT_EQ(kn.cnt_reg.ident_base.rel_name(), "cloop_cnt_5_CNT");
  EXPECT_EQ(reg.width, 2);
  ASSERT_TRUE(reg.support.has_value());
  const CntReg::Support s = *reg.support;
  // The exit is "{N}_AT_LAST" even with hold and reset: they are not bound in.
  EXPECT_EQ(exit(k), s.at_last);
  EXPECT_EQ(a.rel(s.at_last), n + "_AT_LAST");
  EXPECT_EQ(a.rel(s.last_cycle), n + "_LAST_CYCLE");
  EXPECT_EQ(a.val(s.last_cycle).value.limbs(), std::vector<std::uint64_t>{2});
  EXPECT_EQ(a.rel(s.zero), n + "_ZERO");
  EXPECT_EQ(a.rel(s.inc), n + "_INC");
  EXPECT_EQ(a.rel(expr(s.inc).b->ident), n + "_INC_VAL");
  EXPECT_EQ(a.val(expr(s.inc).b->ident).value.limbs(), std::vector<std::uint64_t>{1});

  a.arena.assign_ncp_node(k, false, true);
  auto events = flat_pool(a, kn.cnt_reg);
  ASSERT_EQ(priorities(events), (std::vector<std::int32_t>{51, 51, 51, 51, 52, 53, 54, kRst}));
  EXPECT_EQ(events[0].conds, std::vector<HcpIdent>{exit(body)});
  EXPECT_EQ(events[0].src, s.inc);
  EXPECT_EQ(events[1].conds.size(), 2u);  // condition AND predecessor exit
  // The count's last increment returns the counter to 0, ranked above the
  // increments and below hold.
  EXPECT_EQ(events[2].sub_priority, 1);
  EXPECT_EQ(events[2].conds, (std::vector<HcpIdent>{s.at_last, exit(body)}));
  EXPECT_EQ(events[2].src, s.zero);
  EXPECT_EQ(events[3].sub_priority, 1);
  EXPECT_EQ(a.rel(events[3].conds[1]), n + "_WRAP_COND_1");
  EXPECT_EQ(events[4].src, kn.cnt_reg);
  EXPECT_EQ(events[5].src, s.zero);
  EXPECT_EQ(events[6].src, s.inc);
  EXPECT_EQ(events[7].src, s.zero);
  for (const auto& e : events) {
    EXPECT_EQ(e.des_slice, (Slice{0, 2}));
    EXPECT_EQ(e.clk_src, clk_w);
  }
}

TEST_F(NodeFixture, CounterFinalNeedsPrelim) {
  NcpIdent k = a.arena.make_counter_node(false, "k", 2);
  node(k).set_clk_node(clk);
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(k, false, true); }),
            "build_support_signal must be called first");
}

// ---------------------------------------------------------------- PseudoNode

TEST_F(NodeFixture, PseudoJoinsPredecessorsUnderTheirConditions) {
  NcpIdent p = a.arena.make_pseudo_node("pip_entrance_3", 1, LogicOp::BitwiseOr);
  const HcpIdent join = exit(p);  // exists before the node is final
  EXPECT_EQ(join.ident_base.rel_name(), "pseudo_init_expr");
  EXPECT_FALSE(expr(join).has_operands);
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(p, false, true); }),
            "PseudoNode requires at least one depend node");
  NcpIdent p1 = pred("p1"), p2 = pred("p2");
  HcpIdent c = a.wire("c");
  node(p).add_depend_node(p1, std::nullopt);
  node(p).add_depend_node(p2, c);
  a.arena.assign_ncp_node(p, true, true);
  // pred1 OR (pred2 AND cond)
  const Expression& j = expr(join);
  EXPECT_TRUE(j.has_operands);
  EXPECT_EQ(j.op, LogicOp::Assign);
  const Expression& ored = expr(j.a->ident);
  EXPECT_EQ(j.a->ident.ident_base.rel_name(), "node_logic_expr");
  EXPECT_EQ(ored.op, LogicOp::BitwiseOr);
  EXPECT_EQ(ored.a->ident, exit(p1));
  const Expression& anded = expr(ored.b->ident);
  EXPECT_EQ(anded.op, LogicOp::BitwiseAnd);
  EXPECT_EQ(anded.a->ident, exit(p2));
  EXPECT_EQ(anded.b->ident, c);
  EXPECT_EQ(exit(p), join);
  EXPECT_EQ(fatal_message([&] { a.arena.assign_ncp_node(p, false, true); }), "multiple expression assign detected");
}

TEST_F(NodeFixture, PseudoSelfReferenceReadsItsOwnExpression) {
  NcpIdent p = a.arena.make_pseudo_node("loop", 1, LogicOp::BitwiseAnd);
  NcpIdent p1 = pred("p1");
  node(p).add_depend_node(p1, std::nullopt);
  node(p).add_depend_node(p, std::nullopt);
  a.arena.assign_ncp_node(p, false, true);
  const Expression& anded = expr(expr(exit(p)).a->ident);
  EXPECT_EQ(anded.op, LogicOp::BitwiseAnd);
  EXPECT_EQ(anded.b->ident, exit(p));
}

TEST_F(NodeFixture, PseudoOfTheWrongWidthIsRefused) {
  NcpIdent p = a.arena.make_pseudo_node("p", 2, LogicOp::BitwiseOr);
  node(p).add_depend_node(pred("p1"), std::nullopt);
  std::string msg = fatal_message([&] { a.arena.assign_ncp_node(p, false, true); });
  EXPECT_TRUE(ctrl_test::contains(msg, "src expression assign wrapper doesn't cover entire expression")) << msg;
}

// ---------------------------------------------------------------- AsmNode

TEST_F(NodeFixture, BasicAssignmentNodeIsNamedAfterItsDestination) {
  HcpIdent r = a.arena.make_reg(true, "r", 1);
  HcpIdent x = a.wire("x");
  NcpIdent n = asm_node(r, x);
  EXPECT_EQ(n.ident_base.rel_name(), r.ident_base.abs_name() + "_asm");
  EXPECT_EQ(n.ident_base.abs_name(),
            "ASM_NODE_" + r.ident_base.abs_name() + "_asm_" + std::to_string(n.ident_base.global_id));
  EXPECT_FALSE(n.ident_base.is_user_com());
  const AsmNode& an = a.arena.asm_nodes.get(n.ident_base.arena_handle);
  ASSERT_EQ(an.asm_metas.size(), 1u);
  EXPECT_EQ(an.asm_metas[0].des, r);
  EXPECT_EQ(an.asm_metas[0].clk_mode, ClockMode::PosEdge);
  EXPECT_EQ(an.asm_metas[0].ue, an.asm_metas[0].first_ue);
}

TEST_F(NodeFixture, ManyWithOneMetaIsTheSingleFactoryNotByTheUser) {
  HcpIdent r = a.arena.make_reg(true, "r", 1);
  AssignMeta meta = a.arena.take_hcp(r, [&](auto& hcp) { return hcp.gen_asm_meta(clk_w, std::nullopt, 0, 1, a.arena); });
  NcpIdent one = a.arena.make_asm_node(false, "n", meta);
  NcpIdent many = a.arena.make_asm_node_many("n", {meta});
  const AsmNode& x = a.arena.asm_nodes.get(one.ident_base.arena_handle);
  const AsmNode& y = a.arena.asm_nodes.get(many.ident_base.arena_handle);
  EXPECT_EQ(one.ident_base.is_user_com(), many.ident_base.is_user_com());
  EXPECT_EQ(one.ident_base.rel_name(), many.ident_base.rel_name());
  EXPECT_EQ(x.asm_metas.size(), y.asm_metas.size());
  EXPECT_EQ(x.asm_metas[0].ue, y.asm_metas[0].ue);
  EXPECT_EQ(x.get_clock_mode(), y.get_clock_mode());
}

TEST_F(NodeFixture, DryAssignAddsTheEventsAsTheyAre) {
  HcpIdent w = a.wire("w");
  HcpIdent r = a.arena.make_reg(true, "r", 1);
  NcpIdent nw = asm_node(w, clk_w);
  NcpIdent nr = asm_node(r, clk_w);
  const UpdateEventIdent ue = a.arena.asm_nodes.get(nw.ident_base.arena_handle).asm_metas[0].ue;
  a.arena.dry_assign_asm_node(nw);
  ASSERT_EQ(a.arena.get_hcp_assign(w).update_pool.size(), 1u);
  EXPECT_EQ(a.arena.get_hcp_assign(w).update_pool[0], ue);
  // Module-level assignments get the clock directly.
  a.arena.set_asm_node_clk_src_direct(nr, clk_w);
  a.arena.apply_asm_node_pending_pre_cond(nr);
  a.arena.dry_assign_asm_node(nr);
  auto events = flat_pool(a, r);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].clk_src, clk_w);
}

TEST_F(NodeFixture, DryAssignRefusesADependEntry) {
  NcpIdent n = asm_node(a.wire("w"), clk_w);
  node(n).add_depend_node(clk, std::nullopt);
  std::string msg = fatal_message([&] { a.arena.dry_assign_asm_node(n); });
  EXPECT_TRUE(starts_with(msg, "left and right values differ: dry assign must have no depend nodes")) << msg;
  EXPECT_FALSE(a.arena.asm_nodes.is_taken(n.ident_base.arena_handle));
}

TEST_F(NodeFixture, AsmOperationsRefuseOtherKinds) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  const std::vector<std::pair<std::string, std::function<void()>>> ops = {
      {"dry_assign_asm_node", [&] { a.arena.dry_assign_asm_node(s); }},
      {"init_asm_node_clk_src", [&] { a.arena.init_asm_node_clk_src(s); }},
      {"assign_asm_from_state_node", [&] { a.arena.assign_asm_from_state_node(s); }},
      {"set_asm_node_clk_src_direct", [&] { a.arena.set_asm_node_clk_src_direct(s, clk_w); }},
      {"apply_asm_node_pending_pre_cond", [&] { a.arena.apply_asm_node_pending_pre_cond(s); }},
  };
  for (const auto& [name, op] : ops) {
    EXPECT_EQ(fatal_message(op),
              "left and right values differ: " + name + ": node type must be Asm\n  left: State\n right: Asm");
  }
}

TEST_F(NodeFixture, ClockTriggerReachesEdgeClockedEventsOnly) {
  HcpIdent r = a.arena.make_reg(true, "r", 1);
  HcpIdent w = a.wire("w");
  AssignMeta mr = a.arena.take_hcp(r, [&](auto& hcp) { return hcp.gen_asm_meta(hold_w, std::nullopt, 0, 1, a.arena); });
  AssignMeta mw = a.arena.take_hcp(w, [&](auto& hcp) { return hcp.gen_asm_meta(hold_w, std::nullopt, 0, 1, a.arena); });
  NcpIdent n = a.arena.make_asm_node_many("n", {mr, mw});
  a.arena.init_asm_node_clk_src(n);  // no clk trigger: nothing happens
  EXPECT_FALSE(a.arena.get_ue_common(mr.ue).clk_src.has_value());
  node(n).set_clk_node(clk);
  a.arena.init_asm_node_clk_src(n);
  EXPECT_EQ(a.arena.get_ue_common(mr.ue).clk_src, clk_w);
  EXPECT_FALSE(a.arena.get_ue_common(mw.ue).clk_src.has_value());
}

struct PreCondCase {
  const char* label;
  bool with_cond;
};

class AsmFromState : public NodeFixture, public ::testing::WithParamInterface<PreCondCase> {};

TEST_P(AsmFromState, PreConditionIsCondNotHoldNotResetAndTheParentState) {
  NcpIdent s = a.arena.make_state_node(false, "s");
  a.arena.assign_ncp_node(s, true, false);
  const HcpIdent state = node(s).get_state_operating();
  HcpIdent r = a.arena.make_reg(true, "r", 1);
  HcpIdent c = a.wire("c");
  NcpIdent n = asm_node(r, clk_w);
  node(n).set_clk_node(clk);
  node(n).set_hold_node(hold);
  node(n).set_int_reset_node(rst);
  node(n).add_depend_node(s, GetParam().with_cond ? std::optional<HcpIdent>(c) : std::nullopt);
  a.arena.init_asm_node_clk_src(n);
  a.arena.assign_asm_from_state_node(n);

  auto events = flat_pool(a, r);
  ASSERT_EQ(events.size(), 1u);
  const HcpIdent pre = *events[0].cond;
  // (... AND NOT rst) AND state
  const Expression& top = expr(pre);
  EXPECT_EQ(pre.ident_base.rel_name(), "node_logic_expr");
  EXPECT_EQ(top.b->ident, state);
  const Expression& with_rst = expr(top.a->ident);
  EXPECT_EQ(with_rst.b->ident.ident_base.rel_name(), "asm_rst_inv");
  EXPECT_EQ(expr(with_rst.b->ident).a->ident, rst_w);
  const HcpIdent left = with_rst.a->ident;
  if (GetParam().with_cond) {
    // (cond AND NOT hold)
    EXPECT_EQ(left.ident_base.rel_name(), "node_logic_expr");
    EXPECT_EQ(expr(left).a->ident, c);
    EXPECT_EQ(expr(left).b->ident.ident_base.rel_name(), "asm_hold_inv");
  } else {
    EXPECT_EQ(left.ident_base.rel_name(), "asm_hold_inv");
    EXPECT_EQ(expr(left).a->ident, hold_w);
  }
  EXPECT_EQ(events[0].clk_src, clk_w);
  EXPECT_EQ(events[0].priority, DEFAULT_UE_PRI_USER);
}

INSTANTIATE_TEST_SUITE_P(Table, AsmFromState,
                         ::testing::Values(PreCondCase{"WithCondition", true}, PreCondCase{"WithoutCondition", false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(NodeFixture, AsmFromStateNeedsExactlyOneParent) {
  NcpIdent n = asm_node(a.wire("w"), clk_w);
  std::string msg = fatal_message([&] { a.arena.assign_asm_from_state_node(n); });
  EXPECT_TRUE(starts_with(msg, "left and right values differ: AsmNode must have exactly one parent depend")) << msg;
  // A parent without a state of its own is refused by the default.
  node(n).add_depend_node(clk, std::nullopt);
  EXPECT_EQ(fatal_message([&] { a.arena.assign_asm_from_state_node(n); }), "get_state_operating: not implemented");
}

}  // namespace
}  // namespace velora
