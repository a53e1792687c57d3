// What the common build, the sequence compiler and the parallel compilers
// build: node kinds and names, depend entries, summaries and cycle counts.
#include <gtest/gtest.h>

#include "flow_test_support.h"

namespace velora::flow_test {
namespace {

class FlowBuild : public FlowTest {
 protected:
  /// Adds `sig` to one source list of a block (as a pipeline stage would).
  void add_source(const FlowBlockIdent& b, ExtSigType kind, const HcpIdent& sig) {
    arena.take_flow_block(b, [&](FlowBlock& blk) { blk.get_base_mut().sources(kind).push_back(sig); });
  }
  HcpIdent bit(std::string_view name) {
    arena.track_module_at_com_init(top);
    HcpIdent r = arena.make_reg(true, name, 1);
    arena.untrack_module_at_flow_init(top);  // pops without adopting
    return r;
  }
  const OprNode& opr(const NcpIdent& n) const { return arena.opr_nodes.get(n.ident_base.arena_handle); }
  const FlowBlockPar& par(const FlowBlockIdent& b) const { return arena.flow_pars.get(b.ident_base.arena_handle); }
  std::size_t pool_size(const HcpIdent& h) const { return arena.get_hcp_assign(h).update_pool.size(); }
};

TEST_F(FlowBuild, SeqOfThreeAssignmentsChainsThreeStates) {
  const FlowBlockIdent s = seq_of(3);
  build_block(s);
  const FlowBlockBase& b = base(s);
  ASSERT_EQ(b.generated_nodes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const NcpIdent& st = b.generated_nodes[i];
    EXPECT_EQ(st.node_type, NodeType::State);
    EXPECT_EQ(rel(st), "seq_state_" + gid(s) + "_" + std::to_string(i));
    EXPECT_FALSE(st.ident_base.is_user_com());
    // The state is the assignment node's only parent.
    ASSERT_EQ(preds(b.basic_nodes[i]).size(), 1u);
    EXPECT_TRUE(same(preds(b.basic_nodes[i])[0], st));
    // The block's clock and master reset reach every state.
    EXPECT_TRUE(triggers(st).clk().has_value());
    EXPECT_TRUE(triggers(st).mrst().has_value());
    EXPECT_FALSE(triggers(st).hold().has_value());
    // Each assignment fired into its register.
    EXPECT_EQ(pool_size(regs[i]), 1u);
  }
  EXPECT_TRUE(preds(b.generated_nodes[0]).empty());
  ASSERT_EQ(preds(b.generated_nodes[1]).size(), 1u);
  EXPECT_TRUE(same(preds(b.generated_nodes[1])[0], b.generated_nodes[0]));
  EXPECT_TRUE(same(preds(b.generated_nodes[2])[0], b.generated_nodes[1]));
  // The first state waits for the parent's final assignment.
  EXPECT_EQ(state_reg_events(b.generated_nodes[0]), 0u);
  EXPECT_GT(state_reg_events(b.generated_nodes[1]), 0u);
  EXPECT_GT(state_reg_events(b.generated_nodes[2]), 0u);

  const NodeWrap w = summary(s);
  EXPECT_EQ(w.cycle(), 3);
  ASSERT_EQ(w.entry_nodes().size(), 1u);
  EXPECT_TRUE(same(w.entry_nodes()[0], b.generated_nodes[0]));
  EXPECT_TRUE(same(w.exit_node(), b.generated_nodes[2]));
  // Control nodes: clock and master reset only.
  EXPECT_EQ(rel(*b.ext_nodes.clk()), "flow_clk_" + gid(s));
  EXPECT_EQ(rel(*b.ext_nodes.mrst()), "flow_mrst_" + gid(s));
  EXPECT_TRUE(opr(*b.ext_nodes.clk()).signal == clk);
  EXPECT_FALSE(b.ext_nodes.int_start() || b.ext_nodes.hold() || b.ext_nodes.int_reset());
}

TEST_F(FlowBuild, SeqStartingWithASubBlockExposesItsEntries) {
  const FlowBlockIdent outer = open_seq("outer");
  const FlowBlockIdent inner = seq_of(2, "inner");
  assign(3);
  close(outer);
  build_block(outer);
  const NodeWrap wi = summary(inner);
  const NodeWrap wo = summary(outer);
  ASSERT_EQ(wo.entry_nodes().size(), 1u);
  EXPECT_TRUE(same(wo.entry_nodes()[0], wi.entry_nodes()[0]));
  EXPECT_EQ(wo.cycle(), 3);
  // The state of the trailing assignment follows the inner block's exit.
  const NcpIdent last = base(outer).generated_nodes.at(0);
  EXPECT_EQ(rel(last), "seq_state_" + gid(outer) + "_1");
  ASSERT_EQ(preds(last).size(), 1u);
  EXPECT_TRUE(same(preds(last)[0], wi.exit_node()));
  EXPECT_TRUE(same(wo.exit_node(), last));
  // Inner block's entry: still waiting for its final assignment.
  EXPECT_EQ(state_reg_events(wi.entry_nodes()[0]), 0u);
}

TEST_F(FlowBuild, SubBlockInTheMiddleIsEnteredAfterThePreviousElement) {
  const FlowBlockIdent outer = open_seq("outer");
  assign(0);
  const FlowBlockIdent inner = seq_of(2, "inner");
  close(outer);
  build_block(outer);
  const NodeWrap wi = summary(inner);
  const NcpIdent first = base(outer).generated_nodes.at(0);
  ASSERT_EQ(preds(wi.entry_nodes()[0]).size(), 1u);
  EXPECT_TRUE(same(preds(wi.entry_nodes()[0])[0], first));
  EXPECT_GT(state_reg_events(wi.entry_nodes()[0]), 0u);  // finalised by the outer seq
  EXPECT_TRUE(same(summary(outer).exit_node(), wi.exit_node()));
  EXPECT_EQ(summary(outer).cycle(), 3);
}

TEST_F(FlowBuild, SeqWithAStartSourceReportsUnfixedCycles) {
  const FlowBlockIdent s = seq_of(2);
  add_source(s, ExtSigType::Start, flag);
  build_block(s);
  const FlowBlockBase& b = base(s);
  ASSERT_TRUE(b.ext_nodes.int_start().has_value());
  EXPECT_EQ(rel(*b.ext_nodes.int_start()), "flow_start_" + gid(s));
  const NcpIdent first = b.generated_nodes[0];
  ASSERT_EQ(preds(first).size(), 1u);
  EXPECT_TRUE(same(preds(first)[0], *b.ext_nodes.int_start()));
  // States themselves do not take the start: each still counts one cycle.
  EXPECT_FALSE(triggers(first).int_start().has_value());
  EXPECT_EQ(summary(s).cycle(), IN_CONSIST_CYCLE_USED);
}

TEST_F(FlowBuild, SeqWithHoldOrResetReportsUnfixedCycles) {
  for (ExtSigType kind : {ExtSigType::Hold, ExtSigType::Reset}) {
    const FlowBlockIdent s = seq_of(2);
    add_source(s, kind, flag);
    build_block(s);
    EXPECT_EQ(summary(s).cycle(), IN_CONSIST_CYCLE_USED);
    const NcpIdent st = base(s).generated_nodes[0];
    EXPECT_EQ(triggers(st).hold().has_value(), kind == ExtSigType::Hold);
    EXPECT_EQ(triggers(st).int_reset().has_value(), kind == ExtSigType::Reset);
  }
}

TEST_F(FlowBuild, TwoHoldSourcesAreOredIntoTheHoldNode) {
  const HcpIdent flag2 = bit("flag2");
  const FlowBlockIdent s = seq_of(1);
  add_source(s, ExtSigType::Hold, flag);
  add_source(s, ExtSigType::Hold, flag2);
  build_block(s);
  const FlowBlockBase& b = base(s);
  ASSERT_TRUE(b.ext_nodes.hold().has_value());
  const NcpIdent hold = *b.ext_nodes.hold();
  EXPECT_EQ(hold.node_type, NodeType::Opr);
  EXPECT_EQ(rel(hold), "flow_hold_" + gid(s));
  const HcpIdent sig = opr(hold).signal;
  ASSERT_EQ(sig.hw_type, HwComponentType::Expression);
  EXPECT_EQ(rel(sig), "flow_hold_" + gid(s));
  const Expression& e = arena.expressions.get(sig.ident_base.arena_handle);
  EXPECT_EQ(e.op, LogicOp::BitwiseOr);
  EXPECT_TRUE(e.a->ident == flag);
  EXPECT_TRUE(e.b->ident == flag2);
  // The direct assignment node got the hold too.
  EXPECT_TRUE(same(*triggers(b.basic_nodes[0]).hold(), hold));
}

TEST_F(FlowBuild, WithoutHoldSourcesThereIsNoHold) {
  const FlowBlockIdent s = seq_of(1);
  build_block(s);
  EXPECT_FALSE(base(s).ext_nodes.hold().has_value());
  EXPECT_FALSE(triggers(base(s).basic_nodes[0]).hold().has_value());
  EXPECT_FALSE(triggers(base(s).generated_nodes[0]).hold().has_value());
}

TEST_F(FlowBuild, ChildrenInheritResetHoldMasterResetAndClockButNotStart) {
  const FlowBlockIdent outer = open_seq("outer");
  const FlowBlockIdent inner = seq_of(1, "inner");
  close(outer);
  const HcpIdent rst = bit("rst");
  const HcpIdent hold = bit("hold");
  add_source(outer, ExtSigType::Reset, rst);
  add_source(outer, ExtSigType::Hold, hold);
  add_source(outer, ExtSigType::Start, flag);
  add_source(inner, ExtSigType::Reset, flag);  // its own reset, ORed with the inherited one
  build_block(outer);
  const FlowBlockBase& ib = base(inner);
  ASSERT_EQ(ib.rst_srcs.size(), 2u);
  EXPECT_TRUE(ib.rst_srcs[0] == flag);
  EXPECT_TRUE(ib.rst_srcs[1] == rst);
  ASSERT_EQ(ib.hold_srcs.size(), 1u);
  EXPECT_TRUE(ib.start_srcs.empty());
  EXPECT_EQ(ib.clk_srcs.size(), 1u);
  EXPECT_EQ(ib.mrst_srcs.size(), 1u);
  EXPECT_FALSE(ib.ext_nodes.int_start().has_value());
  EXPECT_EQ(rel(*ib.ext_nodes.int_reset()), "flow_rst_" + gid(inner));
  // The outer block's start enters the inner block's first state.
  const NcpIdent entry = summary(inner).entry_nodes()[0];
  ASSERT_EQ(preds(entry).size(), 1u);
  EXPECT_TRUE(same(preds(entry)[0], *base(outer).ext_nodes.int_start()));
}

TEST_F(FlowBuild, TwoClockSourcesFail) {
  const FlowBlockIdent s = seq_of(1);
  add_source(s, ExtSigType::Clk, flag);
  EXPECT_EQ(fatal_message([&] { build_block(s); }), "ExtSigType::Clk supports exactly one signal, got 2");
  // The block is back in its slot.
  EXPECT_FALSE(arena.flow_seqs.is_taken(s.ident_base.arena_handle));
}

TEST_F(FlowBuild, ABlockIsBuiltOnlyOnce) {
  const FlowBlockIdent s = seq_of(1);
  build_block(s);
  EXPECT_EQ(fatal_message([&] { arena.build_hw_master(s); }),
            "build_hw_master: flow block " + s.ident_base.abs_name() + " is reached a second time (it has been built)");
}

TEST_F(FlowBuild, ABlockInsideItselfFailsInsteadOfLooping) {
  const FlowBlockIdent s = seq_of(1);
  const FlowBlockIdent t = seq_of(1, "t");
  arena.take_flow_block(s, [&](FlowBlock& b) { b.add_sub_flow_block(t); });
  arena.take_flow_block(t, [&](FlowBlock& b) { b.add_sub_flow_block(s); });
  EXPECT_EQ(fatal_message([&] { arena.build_hw_master(s); }),
            "build_hw_master: flow block " + s.ident_base.abs_name() + " contains itself");
}

TEST_F(FlowBuild, BuildingAnEmptySeqFails) {
  const FlowBlockIdent s = arena.mk_flow_block_seq("empty");
  EXPECT_EQ(fatal_message([&] { build_block(s); }), "seq flow block has no element");
  const FlowBlockIdent p = arena.mk_flow_block_par_auto("empty");
  EXPECT_EQ(fatal_message([&] { build_block(p); }), "parallel flow block has no element");
}

// ---------------------------------------------------------------- parallel

TEST_F(FlowBuild, ParWithFixedBranchesExitsWithTheLongest) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  assign(0);
  const FlowBlockIdent b3 = seq_of(3, "b3");
  const FlowBlockIdent b5 = seq_of(5, "b5");
  close(p);
  build_block(p);
  const FlowBlockPar& rec = par(p);
  const NodeWrap w = summary(p);
  EXPECT_EQ(w.cycle(), 5);
  EXPECT_EQ(rec.max_cycle, 5);
  EXPECT_FALSE(rec.syn_node.has_value());
  EXPECT_TRUE(same(w.exit_node(), summary(b5).exit_node()));
  ASSERT_TRUE(rec.asm_state_node.has_value());
  EXPECT_EQ(rel(*rec.asm_state_node), "par_state_" + gid(p));
  ASSERT_EQ(w.entry_nodes().size(), 3u);
  EXPECT_TRUE(same(w.entry_nodes()[0], *rec.asm_state_node));
  EXPECT_TRUE(same(w.entry_nodes()[1], summary(b3).entry_nodes()[0]));
  EXPECT_TRUE(same(w.entry_nodes()[2], summary(b5).entry_nodes()[0]));
  // The merged assignment node hangs under the asm state.
  const std::vector<NcpIdent>& gen = base(p).generated_nodes;
  ASSERT_EQ(gen.size(), 1u);
  bool found = false;
  arena.asm_nodes.for_each([&](const AsmNode& n) {
    if (n.ident.ident_base.rel_name() == "par_asm_" + gid(p)) {
      found = true;
      ASSERT_EQ(n.triggers.depends.size(), 1u);
      EXPECT_TRUE(same(n.triggers.depends[0].pred, *rec.asm_state_node));
    }
  });
  EXPECT_TRUE(found);
  EXPECT_EQ(pool_size(regs[0]), 4u);  // the par's, b3's first, b5's first and fifth
}

TEST_F(FlowBuild, ParWithAnUnfixedBranchSynchronisesAllCandidates) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  assign(0);
  const FlowBlockIdent b3 = seq_of(3, "b3");
  const FlowBlockIdent bx = seq_of(2, "bx");
  close(p);
  add_source(bx, ExtSigType::Start, flag);  // bx's duration is not fixed
  build_block(p);
  const FlowBlockPar& rec = par(p);
  ASSERT_TRUE(rec.syn_node.has_value());
  const NcpIdent syn = *rec.syn_node;
  EXPECT_EQ(syn.node_type, NodeType::Syn);
  EXPECT_EQ(rel(syn), "par_syn_" + gid(p));
  EXPECT_EQ(arena.syn_nodes.get(syn.ident_base.arena_handle).syn_size, 3);
  const std::vector<NcpIdent> p_syn = preds(syn);
  ASSERT_EQ(p_syn.size(), 3u);
  EXPECT_TRUE(same(p_syn[0], *rec.asm_state_node));
  EXPECT_TRUE(same(p_syn[1], summary(b3).exit_node()));
  EXPECT_TRUE(same(p_syn[2], summary(bx).exit_node()));
  EXPECT_TRUE(same(summary(p).exit_node(), syn));
  EXPECT_EQ(summary(p).cycle(), IN_CONSIST_CYCLE_USED);
  EXPECT_TRUE(same(base(p).generated_nodes.back(), syn));
}

TEST_F(FlowBuild, ParWithOneUnfixedBranchExitsThroughIt) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  const FlowBlockIdent bx = seq_of(2, "bx");
  close(p);
  add_source(bx, ExtSigType::Hold, flag);
  build_block(p);
  EXPECT_FALSE(par(p).syn_node.has_value());
  EXPECT_FALSE(par(p).asm_state_node.has_value());
  EXPECT_TRUE(same(summary(p).exit_node(), summary(bx).exit_node()));
  EXPECT_EQ(summary(p).cycle(), IN_CONSIST_CYCLE_USED);
}

TEST_F(FlowBuild, NoSyncParWithUnfixedBranchesJoinsTheirExits) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_no_sync("p"));
  const FlowBlockIdent b1 = seq_of(1, "b1");
  const FlowBlockIdent b2 = seq_of(2, "b2");
  close(p);
  add_source(b1, ExtSigType::Hold, flag);
  add_source(b2, ExtSigType::Hold, flag);
  build_block(p);
  const FlowBlockPar& rec = par(p);
  ASSERT_TRUE(rec.no_sync_exit_node.has_value());
  const NcpIdent join = *rec.no_sync_exit_node;
  EXPECT_EQ(join.node_type, NodeType::Pseudo);
  EXPECT_EQ(rel(join), "par_no_sync_exit");
  const std::vector<NcpIdent> pj = preds(join);
  ASSERT_EQ(pj.size(), 2u);
  EXPECT_TRUE(same(pj[0], summary(b1).exit_node()));
  EXPECT_TRUE(same(pj[1], summary(b2).exit_node()));
  EXPECT_TRUE(same(summary(p).exit_node(), join));
  EXPECT_FALSE(rec.syn_node.has_value());
}

TEST_F(FlowBuild, NoSyncParWithFixedBranchesExitsWithTheLongest) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_no_sync("p"));
  seq_of(2, "b2");
  const FlowBlockIdent b4 = seq_of(4, "b4");
  seq_of(4, "b4bis");
  close(p);
  build_block(p);
  EXPECT_FALSE(par(p).no_sync_exit_node.has_value());
  EXPECT_TRUE(same(summary(p).exit_node(), summary(b4).exit_node()));  // the first of the longest
  EXPECT_EQ(summary(p).cycle(), 4);
}

TEST_F(FlowBuild, ParWithOnlyAssignmentsRunsThemInOneState) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  assign(0);
  assign(1);
  assign(0);  // a second assignment to r0 in the same state joins r0's group
  close(p);
  build_block(p);
  const NodeWrap w = summary(p);
  EXPECT_EQ(w.cycle(), 1);
  ASSERT_EQ(w.entry_nodes().size(), 1u);
  EXPECT_TRUE(same(w.exit_node(), w.entry_nodes()[0]));
  EXPECT_EQ(pool_size(regs[0]), 1u);  // one merged group event
  EXPECT_EQ(pool_size(regs[1]), 1u);
  const UpdateEventIdent ue = arena.get_hcp_assign(regs[0]).update_pool[0];
  EXPECT_EQ(ue.ue_type, UeType::UE_COND);  // wrapped in the state's condition
}

TEST_F(FlowBuild, ParStartEntersTheAsmStateAndEveryBranch) {
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  assign(0);
  const FlowBlockIdent b = seq_of(2, "b");
  close(p);
  add_source(p, ExtSigType::Start, flag);
  build_block(p);
  const NcpIdent start = *base(p).ext_nodes.int_start();
  ASSERT_EQ(preds(*par(p).asm_state_node).size(), 1u);
  EXPECT_TRUE(same(preds(*par(p).asm_state_node)[0], start));
  EXPECT_TRUE(same(preds(summary(b).entry_nodes()[0])[0], start));
}

}  // namespace
}  // namespace velora::flow_test
