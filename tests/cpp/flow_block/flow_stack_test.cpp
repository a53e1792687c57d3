// The flow-block stack: opening, closing, lazily closed chain heads, the
// attachment of assignment nodes, and the errors of a front end that
// misuses the stack.
#include <gtest/gtest.h>

#include "flow_test_support.h"

namespace velora::flow_test {
namespace {

class FlowStack : public FlowTest {
 protected:
  std::vector<FlowBlockStackEntry> stack() const { return arena.flow_block_stack; }
  bool on_top(const FlowBlockIdent& b, BlockTrackStatus status) const {
    return !arena.flow_block_stack.empty() && arena.flow_block_stack.back().block == b &&
           arena.flow_block_stack.back().status == status;
  }
};

TEST_F(FlowStack, FactoriesMakeBlocksWithTheirKindFields) {
  const FlowBlockIdent s = arena.mk_flow_block_seq("main");
  const FlowBlockIdent pa = arena.mk_flow_block_par_auto("pa");
  const FlowBlockIdent pn = arena.mk_flow_block_par_no_sync("pn");
  EXPECT_EQ(s.block_type, FlowBlockType::Sequential);
  EXPECT_EQ(pa.block_type, FlowBlockType::Parallel);
  EXPECT_EQ(pn.block_type, FlowBlockType::Parallel);
  for (const FlowBlockIdent& b : {s, pa, pn}) {
    EXPECT_EQ(b.join_policy, FlowBlockJoinPolicy::SubFlow);
    EXPECT_FALSE(b.chain_master);
    EXPECT_FALSE(b.ident_base.is_user_com());
  }
  EXPECT_EQ(s.ident_base.abs_name(), "SEQUENTIAL_main_" + gid(s));
  EXPECT_EQ(pa.ident_base.abs_name(), "PARALLEL_pa_" + gid(pa));
  EXPECT_FALSE(arena.flow_pars.get(pa.ident_base.arena_handle).no_sync);
  EXPECT_TRUE(arena.flow_pars.get(pn.ident_base.arena_handle).no_sync);
  // Factories do not open.
  EXPECT_TRUE(arena.flow_block_stack.empty());
}

struct KindCase {
  FlowBlockType type;
  FlowBlockJoinPolicy policy;
  bool chain_master;
};

class FlowKinds : public FlowStack, public ::testing::WithParamInterface<KindCase> {};

TEST_P(FlowKinds, EveryKindHasItsGroupPolicyAndBuildRefusal) {
  const KindCase& c = GetParam();
  const FlowBlockIdent b = arena.make_flow_block_record(c.type, "k");
  EXPECT_EQ(b.block_type, c.type);
  EXPECT_EQ(b.join_policy, c.policy);
  EXPECT_EQ(b.chain_master, c.chain_master);
  EXPECT_EQ(base(b).ident, b);
  EXPECT_EQ(b.ident_base.abs_name(), std::string(printed(c.type)) + "_k_" + gid(b));
  if (c.type == FlowBlockType::Sequential || c.type == FlowBlockType::Parallel) return;
  arena.take_flow_block(b, [&](FlowBlock& blk) { blk.get_base_mut().clk_srcs.push_back(flag); });
  EXPECT_EQ(fatal_message([&] { arena.build_hw_master(b); }),
            std::string(printed(c.type)) + " blocks cannot be built yet");
  // The block went back into its slot.
  EXPECT_EQ(base(b).ident, b);
}

INSTANTIATE_TEST_SUITE_P(
    AllSixteen, FlowKinds,
    ::testing::Values(KindCase{FlowBlockType::Sequential, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::CondIf, FlowBlockJoinPolicy::SubFlow, true},
                      KindCase{FlowBlockType::CondElif, FlowBlockJoinPolicy::ConFlow, false},
                      KindCase{FlowBlockType::ZeroCondIf, FlowBlockJoinPolicy::BasicNodeFlow, true},
                      KindCase{FlowBlockType::ZeroCondElif, FlowBlockJoinPolicy::ConFlow, false},
                      KindCase{FlowBlockType::ZeroSwitch, FlowBlockJoinPolicy::BasicNodeFlow, false},
                      KindCase{FlowBlockType::ZeroSwitchCase, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::WhileLoop, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::DoWhile, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::CounterLoop, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::Wait, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::Pipeline, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::Zync, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::Pick, FlowBlockJoinPolicy::SubFlow, false},
                      KindCase{FlowBlockType::PickIf, FlowBlockJoinPolicy::SubFlow, false}));

TEST_F(FlowStack, ChainHeadStaysLazilyClosedAndTakesItsContinuation) {
  const FlowBlockIdent s = open_seq("outer");
  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  arena.finalize_flow_block(cif, false);
  EXPECT_TRUE(on_top(cif, BlockTrackStatus::LazyClosed));
  ASSERT_EQ(stack().size(), 2u);

  const FlowBlockIdent elif = open(arena.make_flow_block_record(FlowBlockType::CondElif, "elif"));
  ASSERT_EQ(stack().size(), 3u);  // nested above the lazily closed head
  EXPECT_TRUE(on_top(elif, BlockTrackStatus::Open));
  arena.finalize_flow_block(elif, false);
  EXPECT_TRUE(on_top(cif, BlockTrackStatus::LazyClosed));
  ASSERT_EQ(base(cif).con_blocks_i.size(), 1u);
  EXPECT_EQ(base(cif).con_blocks_i[0], elif);
  EXPECT_TRUE(base(s).sub_blocks_i.empty());

  // The next non-continuation block closes the head into its parent.
  const FlowBlockIdent next = open_seq("next");
  ASSERT_EQ(stack().size(), 2u);
  EXPECT_TRUE(on_top(next, BlockTrackStatus::Open));
  ASSERT_EQ(base(s).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(s).sub_blocks_i[0], cif);
  // Order keys: cif got key 0 in the seq; in cif the elif got key 0.
  EXPECT_EQ(base(s).sub_block_keys[0], 0u);
  EXPECT_EQ(base(cif).con_block_keys[0], 0u);
}

TEST_F(FlowStack, ClosingTheParentClosesALazilyClosedHeadFirst) {
  const FlowBlockIdent s = open_seq("outer");
  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  arena.finalize_flow_block(cif, false);
  arena.finalize_flow_block(s, false);
  EXPECT_TRUE(stack().empty());
  ASSERT_EQ(base(s).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(s).sub_blocks_i[0], cif);
  ASSERT_EQ(top_module().flow_blocks.size(), 1u);
  EXPECT_EQ(top_module().flow_blocks[0], s);
}

TEST_F(FlowStack, AnAssignmentClosesALazilyClosedHeadFirst) {
  const FlowBlockIdent s = open_seq("outer");
  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  arena.finalize_flow_block(cif, false);
  const NcpIdent n = assign(0);
  ASSERT_EQ(stack().size(), 1u);
  ASSERT_EQ(base(s).sub_blocks_i.size(), 1u);
  ASSERT_EQ(base(s).basic_nodes.size(), 1u);
  EXPECT_TRUE(same(base(s).basic_nodes[0], n));
  // Program order across the lists: the cif first, then the assignment.
  EXPECT_EQ(base(s).sub_block_keys[0], 0u);
  EXPECT_EQ(base(s).basic_node_keys[0], 1u);
}

TEST_F(FlowStack, AssignmentsOutsideBlocksGoToTheTopModule) {
  const NcpIdent n = assign(0);
  ASSERT_EQ(top_module().basic_nodes_i.size(), 1u);
  EXPECT_TRUE(same(top_module().basic_nodes_i[0], n));
  // Also when the only entry is a lazily closed head: it is closed first.
  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  arena.finalize_flow_block(cif, false);
  assign(1);
  EXPECT_TRUE(stack().empty());
  EXPECT_EQ(top_module().flow_blocks.size(), 1u);
  EXPECT_EQ(top_module().basic_nodes_i.size(), 2u);
}

TEST_F(FlowStack, AssignmentWithoutTopModuleFails) {
  ModelArena fresh;
  EXPECT_EQ(fatal_message([&] { fresh.attach_basic_node_to_flow_block(NcpIdent(NodeType::Asm, false, "n")); }),
            "add_basic_node_to_top_module: no top module set");
}

TEST_F(FlowStack, FinalizeProcedure) {
  arena.finalize_flow_procedure();  // empty stack: nothing
  EXPECT_TRUE(top_module().flow_blocks.empty());

  const FlowBlockIdent cif = open(arena.make_flow_block_record(FlowBlockType::CondIf, "cif"));
  arena.finalize_flow_block(cif, false);
  arena.finalize_flow_procedure();
  EXPECT_TRUE(stack().empty());
  ASSERT_EQ(top_module().flow_blocks.size(), 1u);
  EXPECT_EQ(top_module().flow_blocks[0], cif);
}

TEST_F(FlowStack, FinalizeProcedureErrorsLeaveTheStackAlone) {
  const FlowBlockIdent a = open_seq("a");
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_procedure(); }),
            "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
  open_seq("b");
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_procedure(); }),
            "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2");
  EXPECT_EQ(stack().size(), 2u);
  EXPECT_EQ(stack()[0].block, a);
}

TEST_F(FlowStack, ClosingWithAnEmptyStackFails) {
  const FlowBlockIdent s = arena.mk_flow_block_seq("s");
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_block(s, false); }), "flow block stack is empty");
}

TEST_F(FlowStack, ClosingTheWrongBlockFailsAndKeepsTheStack) {
  const FlowBlockIdent a = open_seq("a");
  const FlowBlockIdent b = open_seq("b");
  const FlowBlockIdent stranger = arena.mk_flow_block_seq("x");
  const std::string msg = fatal_message([&] { arena.finalize_flow_block(stranger, false); });
  EXPECT_EQ(first_line(msg), "left and right values differ: finalize_flow_block: ident mismatch — wrong block finalized");
  ASSERT_EQ(stack().size(), 2u);
  EXPECT_EQ(stack()[1].block, b);
  EXPECT_TRUE(base(a).sub_blocks_i.empty());
  // The front end can go on.
  assign(0);
  close(b);
  close(a);
  EXPECT_EQ(top_module().flow_blocks.size(), 1u);
}

TEST_F(FlowStack, RecursiveCloseOfAnotherBlockFails) {
  open_seq("a");
  const FlowBlockIdent other = arena.mk_flow_block_seq("x");
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_block(other, true); }),
            "finalize_flow_block: recursive finalize must not mismatch the expected block");
  EXPECT_EQ(stack().size(), 1u);
}

TEST_F(FlowStack, ClosingAParentOverAnOpenChildClosesTheChildFirst) {
  const FlowBlockIdent a = open_seq("a");
  const FlowBlockIdent b = open_seq("b");
  assign(0);
  arena.finalize_flow_block(a, false);
  EXPECT_TRUE(stack().empty());
  ASSERT_EQ(base(a).sub_blocks_i.size(), 1u);
  EXPECT_EQ(base(a).sub_blocks_i[0], b);
}

TEST_F(FlowStack, OutermostBlockNeedsTheFlowBlockInitStage) {
  arena.untrack_module_at_flow_init(top);
  const FlowBlockIdent s = open_seq("s");
  assign(0);
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_block(s, false); }), "module trace stack is empty");
  arena.track_module_at_com_init(top);
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_block(s, false); }),
            "finalize_flow_block: expected FlowBlockInit stage on module trace stack, got CompInit");
  EXPECT_EQ(stack().size(), 1u);
  arena.untrack_module_at_com_init(top);
  arena.track_module_at_flow_init(top);
  arena.finalize_flow_block(s, false);
  EXPECT_EQ(top_module().flow_blocks.size(), 1u);
}

TEST_F(FlowStack, OutermostBlocksJoinTheCurrentModule) {
  arena.untrack_module_at_flow_init(top);
  const ModuleIdent sub = arena.mk_module(true, "sub");
  arena.track_module_at_flow_init(sub);
  const FlowBlockIdent s = seq_of(1);
  EXPECT_EQ(module_of(sub).flow_blocks.size(), 1u);
  EXPECT_EQ(module_of(sub).flow_blocks[0], s);
  EXPECT_TRUE(top_module().flow_blocks.empty());
}

TEST_F(FlowStack, SkeletonQuery) {
  EXPECT_EQ(arena.get_last_skeleton_flow_block_type(), FlowBlockType::Parallel);
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  EXPECT_EQ(arena.get_last_skeleton_flow_block_type(), FlowBlockType::Parallel);
  const FlowBlockIdent s = open_seq("s");
  open(arena.make_flow_block_record(FlowBlockType::CondIf, "c"));
  open(arena.make_flow_block_record(FlowBlockType::WhileLoop, "w"));
  EXPECT_EQ(arena.get_last_skeleton_flow_block_type(), FlowBlockType::Sequential);
  (void)p;
  (void)s;
}

TEST_F(FlowStack, SeqAndParAcceptance) {
  const FlowBlockIdent s = arena.mk_flow_block_seq("s");
  const FlowBlockIdent p = arena.mk_flow_block_par_auto("p");
  const FlowBlockIdent elif = arena.make_flow_block_record(FlowBlockType::CondElif, "e");
  const NcpIdent not_asm(NodeType::State, false, "st");
  for (const FlowBlockIdent& b : {s, p}) {
    EXPECT_EQ(first_line(fatal_message(
                  [&] { arena.take_flow_block(b, [&](FlowBlock& blk) { blk.add_element_in_flow_block(not_asm); }); })),
              "left and right values differ: flow-block basic nodes must be AsmNode");
    EXPECT_EQ(fatal_message(
                  [&] { arena.take_flow_block(b, [&](FlowBlock& blk) { blk.add_con_flow_block(elif); }); }),
              "add_con_flow_block: not supported by this block type");
    EXPECT_EQ(fatal_message([&] { arena.take_flow_block(b, [&](FlowBlock& blk) { blk.summarize_as_node(); }); }),
              "summarize_as_node: not supported by this block type");
    EXPECT_EQ(fatal_message([&] { arena.take_flow_block(b, [&](FlowBlock& blk) { blk.get_loop_id_expr_i(); }); }),
              "get_loop_id_expr_i: not supported by this block type");
    EXPECT_EQ(fatal_message([&] { summary(b); }), "flow block has not been built");
  }
  EXPECT_EQ(fatal_message([&] { arena.take_flow_block(s, [&](FlowBlock& blk) { blk.add_sub_flow_block(elif); }); }),
            "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as sub-blocks of a seq");
  // A ConFlow block closed inside a seq is offered as a continuation, which
  // a seq refuses; the stack keeps it.
  open(s);
  open(elif);
  EXPECT_EQ(fatal_message([&] { arena.finalize_flow_block(elif, false); }),
            "add_con_flow_block: not supported by this block type");
  EXPECT_EQ(stack().size(), 2u);
}

struct PrefinalizeCase {
  bool par;
  int basic;      // direct assignments
  int subs;       // sub-blocks
  bool con;       // a continuation block forced into the base
  const char* text;  // nullptr: accepted
};

class Prefinalize : public FlowStack, public ::testing::WithParamInterface<PrefinalizeCase> {};

TEST_P(Prefinalize, Texts) {
  const PrefinalizeCase& c = GetParam();
  const FlowBlockIdent b = open(c.par ? arena.mk_flow_block_par_auto("p") : arena.mk_flow_block_seq("s"));
  for (int i = 0; i < c.basic; ++i) assign(i);
  for (int i = 0; i < c.subs; ++i) seq_of(1, "inner");
  if (c.con)
    arena.take_flow_block(b, [&](FlowBlock& blk) {
      blk.get_base_mut().push_con_block(arena.make_flow_block_record(FlowBlockType::CondElif, "e"));
    });
  const std::optional<std::string> got = arena.check_flow_block_prefinalize(b);
  if (c.text == nullptr)
    EXPECT_EQ(got, std::nullopt);
  else
    EXPECT_EQ(got, std::optional<std::string>(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    SeqAndPar, Prefinalize,
    ::testing::Values(PrefinalizeCase{false, 0, 0, false, "seq flow block has no element"},
                      PrefinalizeCase{false, 0, 0, true, "seq flow block has no element"},
                      PrefinalizeCase{false, 1, 0, true, "seq flow block does not support con blocks"},
                      PrefinalizeCase{false, 1, 0, false, nullptr},
                      PrefinalizeCase{false, 0, 1, false, nullptr},
                      PrefinalizeCase{true, 0, 0, false, "parallel flow block has no element"},
                      PrefinalizeCase{true, 0, 1, true, "parallel flow block does not support con blocks"},
                      PrefinalizeCase{true, 2, 0, false, nullptr},
                      PrefinalizeCase{true, 0, 2, false, nullptr}));

TEST_F(FlowStack, TypedTakesCheckTheType) {
  const FlowBlockIdent elif = arena.make_flow_block_record(FlowBlockType::CondElif, "e");
  const FlowBlockIdent pif = arena.make_flow_block_record(FlowBlockType::PickIf, "p");
  EXPECT_EQ(arena.take_flow_block_cond_elif(elif)->base.ident, elif);
  EXPECT_EQ(arena.take_flow_block_pick_if(pif)->base.ident, pif);
  EXPECT_FALSE(arena.flow_cond_elifs.is_taken(elif.ident_base.arena_handle));
  EXPECT_EQ(first_line(fatal_message([&] { arena.take_flow_block_cond_elif(pif); })),
            "left and right values differ: take_flow_block: block type mismatch");
  EXPECT_EQ(first_line(fatal_message([&] { arena.take_flow_block_pick_if(elif); })),
            "left and right values differ: take_flow_block: block type mismatch");
}

TEST_F(FlowStack, NodeWrapRefusesNegativeCounts) {
  EXPECT_EQ(fatal_message([] { NodeWrap({}, std::nullopt, -2); }),
            "assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
  EXPECT_EQ(fatal_message([] { NodeWrap({}, std::nullopt, 0).exit_node(); }), "NodeWrap exit node is not set");
  EXPECT_EQ(NodeWrap({}, std::nullopt, IN_CONSIST_CYCLE_USED).cycle(), IN_CONSIST_CYCLE_USED);
}

TEST(FlowCycles, AddCycles) {
  EXPECT_EQ(add_cycles(2, 3), 5);
  EXPECT_EQ(add_cycles(IN_CONSIST_CYCLE_USED, 3), IN_CONSIST_CYCLE_USED);
  EXPECT_EQ(add_cycles(3, IN_CONSIST_CYCLE_USED), IN_CONSIST_CYCLE_USED);
  EXPECT_EQ(add_cycles(INT32_MAX, 5), INT32_MAX);  // saturates, never wraps negative
}

}  // namespace
}  // namespace velora::flow_test

namespace velora::flow_test {
namespace {

class CondSlice : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    arena.track_module_at_com_init(top);
    c4 = arena.make_reg(true, "c4", 4);
    c1 = arena.make_reg(true, "c1", 1);
    arena.untrack_module_at_flow_init(top);  // back to the flow-block stage entry
  }
  HcpIdent c4;
  HcpIdent c1;
};

TEST_F(CondSlice, ANarrowSliceMakesAnExpression) {
  const std::size_t before = top_module().internal_hcps[static_cast<int>(HwComponentType::Expression)].size();
  const HcpIdent cond = arena.resolve_cond_slice("blk", c4, Slice{2, 3});
  EXPECT_EQ(cond.hw_type, HwComponentType::Expression);
  EXPECT_EQ(cond.ident_base.rel_name(), "blk_CONDSLICE");
  EXPECT_FALSE(cond.ident_base.is_user_com());
  const Expression& e = arena.expressions.get(cond.ident_base.arena_handle);
  EXPECT_EQ(e.op, LogicOp::SliceBit);
  EXPECT_EQ(e.width, 1);
  EXPECT_TRUE(e.a->ident == c4);
  EXPECT_EQ(e.a->slice, (OptSlice{Slice{2, 3}}));
  // Registered in the current module.
  EXPECT_EQ(top_module().internal_hcps[static_cast<int>(HwComponentType::Expression)].size(), before + 1);
}

TEST_F(CondSlice, WholeAbsentOrInvalidSlicesUseTheSignalItself) {
  const std::uint64_t next = peek_global_id();
  EXPECT_TRUE(arena.resolve_cond_slice("a", c1, Slice{0, 1}) == c1);
  EXPECT_TRUE(arena.resolve_cond_slice("b", c4, std::nullopt) == c4);
  EXPECT_TRUE(arena.resolve_cond_slice("c", c4, Slice{2, 2}) == c4);
  EXPECT_TRUE(arena.resolve_cond_slice("d", c4, Slice{0, 4}) == c4);
  EXPECT_EQ(peek_global_id(), next);  // nothing was created
}

TEST_F(FlowStack, SubBlockScanSplitsByPolicyAndRefusesConFlow) {
  const FlowBlockIdent p = arena.mk_flow_block_par_auto("p");
  const FlowBlockIdent s1 = arena.mk_flow_block_seq("s1");
  const FlowBlockIdent z = arena.make_flow_block_record(FlowBlockType::ZeroCondIf, "z");
  const FlowBlockIdent s2 = arena.mk_flow_block_seq("s2");
  arena.take_flow_block(p, [&](FlowBlock& b) {
    b.add_sub_flow_block(s1);
    b.add_sub_flow_block(z);
    b.add_sub_flow_block(s2);
  });
  const SplitSubBlocks split = base(p).scan_sub_blocks_by_policy();
  ASSERT_EQ(split.sub_flow.size(), 2u);
  EXPECT_EQ(split.sub_flow[0], s1);
  EXPECT_EQ(split.sub_flow[1], s2);
  ASSERT_EQ(split.basic_flow.size(), 1u);
  EXPECT_EQ(split.basic_flow[0], z);
  EXPECT_EQ(base(p).sub_block_keys, (std::vector<std::uint32_t>{0, 1, 2}));

  arena.take_flow_block(p, [&](FlowBlock& b) {
    b.add_sub_flow_block(arena.make_flow_block_record(FlowBlockType::CondElif, "e"));
  });
  EXPECT_EQ(fatal_message([&] { base(p).scan_sub_blocks_by_policy(); }),
            "scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i");
}

}  // namespace
}  // namespace velora::flow_test
