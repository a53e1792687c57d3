// Module compilation: the design-wide clock, master reset and start node,
// the walk over the module tree, loose assignment nodes, resets and
// defaults; and a design of nested blocks over several modules.
#include <gtest/gtest.h>

#include "flow_test_support.h"

namespace velora::flow_test {
namespace {

class BuildFlow : public FlowTest {
 protected:
  /// The generated wire `name` of the top module.
  std::optional<HcpIdent> top_wire(std::string_view name) const {
    for (const HcpIdent& w : top_module().internal_hcps[static_cast<int>(HwComponentType::Wire)])
      if (w.ident_base.rel_name() == name) return w;
    return std::nullopt;
  }
  /// A module made in the component stage under `parent` (untracked, so it
  /// is `parent`'s sub-module), with one user register "r" of reset value
  /// "rv".
  ModuleIdent sub_module(const ModuleIdent& parent, std::string_view name, HcpIdent* reg_out) {
    arena.track_module_at_com_init(parent);
    const ModuleIdent m = arena.mk_module(true, name);
    arena.track_module_at_com_init(m);
    const HcpIdent r = arena.make_reg(true, "r", 4);
    arena.set_reg_reset(r, arena.make_val(true, "rv", 4, 3));
    arena.untrack_module_at_com_init(m);
    arena.untrack_module_at_com_init(parent);
    if (reg_out) *reg_out = r;
    return m;
  }
  std::size_t pool_size(const HcpIdent& h) const { return arena.get_hcp_assign(h).update_pool.size(); }
};

TEST(BuildFlowFresh, NoTopModule) {
  ModelArena arena;
  EXPECT_EQ(fatal_message([&] { arena.build_flow(); }), "build_flow: no top module set");
}

TEST_F(BuildFlow, ClockMasterResetAndStartOnTheTopModule) {
  arena.untrack_module_at_flow_init(top);
  arena.build_flow();
  EXPECT_TRUE(arena.module_stack.empty());
  EXPECT_TRUE(arena.pending_hcps.empty());
  for (std::string_view name : {"clk", "mrst"}) {
    const std::optional<HcpIdent> w = top_wire(name);
    ASSERT_TRUE(w.has_value()) << name;
    EXPECT_EQ(w->ident_base.abs_name(), "WIRE_" + std::string(name) + "_" + std::to_string(w->ident_base.global_id));
    EXPECT_FALSE(w->ident_base.is_user_com());
    const Wire& wire = arena.wires.get(w->ident_base.arena_handle);
    ASSERT_TRUE(wire.get_io_mark().has_value());
    EXPECT_TRUE(wire.get_io_mark()->is_input);
    EXPECT_EQ(wire.get_io_mark()->io_name(), name);
    EXPECT_FALSE(wire.default_enabled);
    EXPECT_TRUE(wire.hcp_assign.update_pool.empty());  // no default assignment
  }
  ASSERT_TRUE(top_module().start_node.has_value());
  const NcpIdent start = *top_module().start_node;
  EXPECT_EQ(start.node_type, NodeType::Start);
  EXPECT_EQ(rel(start), "start");
  const NcpIdent start_clk = *triggers(start).clk();
  EXPECT_EQ(rel(start_clk), "start_clk");
  EXPECT_TRUE(arena.opr_nodes.get(start_clk.ident_base.arena_handle).signal == *top_wire("clk"));
  // The start node's register is on the top module and got its events.
  const HcpIdent st_reg = arena.start_nodes.get(start.ident_base.arena_handle).state_reg;
  EXPECT_GT(pool_size(st_reg), 0u);
  const auto& st_list = top_module().internal_hcps[static_cast<int>(HwComponentType::StateReg)];
  EXPECT_EQ(st_list.size(), 1u);
}

TEST_F(BuildFlow, SecondBuildFails) {
  arena.build_flow();
  EXPECT_EQ(fatal_message([&] { arena.build_flow(); }), "top module start node must not be set before build_flow");
  // The top module is back in its slot.
  EXPECT_FALSE(arena.modules.is_taken(top.ident_base.arena_handle));
}

TEST_F(BuildFlow, ModuleLevelAssignmentIsDryAssignedWithTheClock) {
  assign(0);
  arena.build_flow();
  ASSERT_EQ(pool_size(regs[0]), 1u);
  const UpdateEventIdent ue = arena.get_hcp_assign(regs[0]).update_pool[0];
  EXPECT_EQ(ue.ue_type, UeType::UE_BASIC);  // no state condition around it
  const std::optional<HcpIdent> clk_src = arena.get_ue_common(ue).clk_src;
  ASSERT_TRUE(clk_src.has_value());
  EXPECT_TRUE(*clk_src == *top_wire("clk"));
}

TEST_F(BuildFlow, OutermostBlocksAreStartedByTheStartNode) {
  const FlowBlockIdent s = seq_of(2);
  arena.build_flow();
  const NodeWrap w = summary(s);
  ASSERT_EQ(preds(w.entry_nodes()[0]).size(), 1u);
  EXPECT_TRUE(same(preds(w.entry_nodes()[0])[0], *top_module().start_node));
  EXPECT_GT(state_reg_events(w.entry_nodes()[0]), 0u);  // finalised by the driver
  // The block got "clk" and "mrst" as its sources.
  EXPECT_TRUE(base(s).clk_srcs.at(0) == *top_wire("clk"));
  EXPECT_TRUE(base(s).mrst_srcs.at(0) == *top_wire("mrst"));
  // The state registers the block made joined the module.
  EXPECT_EQ(top_module().internal_hcps[static_cast<int>(HwComponentType::StateReg)].size(), 3u);
}

TEST_F(BuildFlow, EveryReachedRegisterGetsItsResetAndUnreachedModulesAreSkipped) {
  arena.untrack_module_at_flow_init(top);
  HcpIdent r_sub, r_subsub, r_lost;
  const ModuleIdent sub = sub_module(top, "sub", &r_sub);
  const ModuleIdent subsub = sub_module(sub, "subsub", &r_subsub);
  // Tracked but never untracked from the component stage: nobody's child.
  const ModuleIdent lost = arena.mk_module(true, "lost");
  arena.track_module_at_com_init(lost);
  r_lost = arena.make_reg(true, "r", 4);
  arena.set_reg_reset(r_lost, arena.make_val(true, "rv", 4, 1));
  arena.module_stack.clear();

  arena.build_flow();
  EXPECT_EQ(pool_size(r_sub), 1u);
  EXPECT_EQ(pool_size(r_subsub), 1u);
  EXPECT_EQ(pool_size(r_lost), 0u);
  const UpdateEventIdent reset = arena.get_hcp_assign(r_sub).update_pool[0];
  EXPECT_EQ(arena.get_ue_common(reset).priority, DEFAULT_UE_PRI_RST);
  (void)subsub;
}

TEST_F(BuildFlow, WiresGetTheirDefaultsUserWiresIncluded) {
  arena.untrack_module_at_flow_init(top);
  arena.track_module_at_com_init(top);
  const HcpIdent w = arena.make_wire(true, "w", 3);
  arena.untrack_module_at_com_init(top);
  arena.build_flow();
  ASSERT_EQ(pool_size(w), 1u);
  EXPECT_EQ(arena.get_ue_common(arena.get_hcp_assign(w).update_pool[0]).priority, DEFAULT_UE_PRI_MIN);
}

TEST_F(BuildFlow, CompilationOutputJoinsTheCompiledModule) {
  arena.untrack_module_at_flow_init(top);
  HcpIdent r_sub;
  const ModuleIdent sub = sub_module(top, "sub", &r_sub);
  arena.track_module_at_flow_init(sub);
  const FlowBlockIdent s = open_seq("in_sub");
  arena.gen_basic_assign(r_sub, arena.make_val_vv(false, "c", 4, std::vector<std::uint64_t>{5}), std::nullopt, -1,
                         -1);
  close(s);
  arena.untrack_module_at_flow_init(sub);
  arena.build_flow();
  const auto& sub_states = module_of(sub).internal_hcps[static_cast<int>(HwComponentType::StateReg)];
  ASSERT_EQ(sub_states.size(), 1u);
  EXPECT_EQ(sub_states[0].ident_base.rel_name(), "seq_state_" + gid(s) + "_0_ST");
  EXPECT_TRUE(sub_states[0].parent_module == sub.ident_base.arena_handle);
  // Only the start node's register is on the top module.
  EXPECT_EQ(top_module().internal_hcps[static_cast<int>(HwComponentType::StateReg)].size(), 1u);
  // The assignment and the reset of the sub-module's register.
  EXPECT_EQ(pool_size(r_sub), 2u);
}

TEST_F(BuildFlow, AModuleBelowItselfFailsInsteadOfLooping) {
  arena.untrack_module_at_flow_init(top);
  const ModuleIdent a = sub_module(top, "a", nullptr);
  const ModuleIdent b = sub_module(a, "b", nullptr);
  // b adopts a: a -> b -> a
  arena.track_module_at_com_init(b);
  arena.track_module_at_com_init(a);
  arena.untrack_module_at_com_init(a);
  arena.untrack_module_at_com_init(b);
  EXPECT_EQ(fatal_message([&] { arena.build_flow(); }),
            "build_flow: module " + a.ident_base.abs_name() + " is reached twice in the module hierarchy");
}

TEST_F(BuildFlow, LooseNodesMustBeAssignmentNodes) {
  arena.modules.get_mut(top.ident_base.arena_handle).basic_nodes_i.push_back(NcpIdent(NodeType::State, false, "x"));
  EXPECT_EQ(first_line(fatal_message([&] { arena.build_flow(); })),
            "left and right values differ: basic_nodes_i must contain only AsmNodes");
}

TEST_F(BuildFlow, NestedSequencesAndParallelBlocksOverSeveralModules) {
  // top: seq { a; par { seq { b; c }; seq { d }; e }; par_no_sync { seq { a }; seq { b; c } } ; f }
  const FlowBlockIdent main = open_seq("main");
  assign(0);
  const FlowBlockIdent p = open(arena.mk_flow_block_par_auto("p"));
  seq_of(2, "pb1");
  seq_of(1, "pb2");
  assign(3);
  close(p);
  const FlowBlockIdent pn = open(arena.mk_flow_block_par_no_sync("pn"));
  seq_of(1, "pn1");
  seq_of(2, "pn2");
  close(pn);
  assign(1);
  close(main);
  arena.finalize_flow_procedure();
  arena.untrack_module_at_flow_init(top);

  // two levels of sub-modules, each with its own blocks
  HcpIdent r_sub, r_leaf;
  const ModuleIdent sub = sub_module(top, "sub", &r_sub);
  const ModuleIdent leaf = sub_module(sub, "leaf", &r_leaf);
  const HcpIdent c = [&] {
    arena.track_module_at_com_init(sub);
    HcpIdent v = arena.make_val(true, "c", 4, 9);
    arena.untrack_module_at_com_init(sub);
    return v;
  }();
  arena.track_module_at_flow_init(sub);
  const FlowBlockIdent sp = open(arena.mk_flow_block_par_auto("sp"));
  const FlowBlockIdent ss = open_seq("ss");
  arena.gen_basic_assign(r_sub, c, std::nullopt, -1, -1);
  arena.gen_basic_assign(r_sub, c, std::nullopt, -1, -1);
  close(ss);
  close(sp);
  arena.untrack_module_at_flow_init(sub);
  arena.track_module_at_com_init(leaf);
  const HcpIdent lv = arena.make_val(true, "lv", 4, 2);
  arena.untrack_module_at_com_init(leaf);
  arena.track_module_at_flow_init(leaf);
  const FlowBlockIdent ls = open_seq("ls");
  arena.gen_basic_assign(r_leaf, lv, std::nullopt, -1, -1);
  close(ls);
  arena.untrack_module_at_flow_init(leaf);

  arena.build_flow();

  // main: 1 + max(2, 1, asm state 1) + 1 (no-sync: first of the longest, 2) + 1
  const NodeWrap wm = summary(main);
  EXPECT_EQ(summary(p).cycle(), 2);
  EXPECT_EQ(summary(pn).cycle(), 2);
  EXPECT_EQ(wm.cycle(), 1 + 2 + 2 + 1);
  EXPECT_EQ(summary(sp).cycle(), 2);
  EXPECT_EQ(summary(ls).cycle(), 1);
  for (const FlowBlockIdent& outer : {main, sp, ls}) {
    const NodeWrap w = summary(outer);
    for (const NcpIdent& e : w.entry_nodes()) {
      ASSERT_EQ(preds(e).size(), 1u);
      EXPECT_TRUE(same(preds(e)[0], *top_module().start_node));
    }
  }
  EXPECT_EQ(module_of(leaf).internal_hcps[static_cast<int>(HwComponentType::StateReg)].size(), 1u);
  EXPECT_EQ(module_of(sub).internal_hcps[static_cast<int>(HwComponentType::StateReg)].size(), 2u);
  EXPECT_EQ(pool_size(r_sub), 3u);   // two assignments and the reset
  EXPECT_EQ(pool_size(r_leaf), 2u);  // one assignment and the reset
  EXPECT_TRUE(arena.module_stack.empty());
  EXPECT_TRUE(arena.flow_block_stack.empty());
}

TEST_F(BuildFlow, HundredThousandNestedSequencesNeedNoDeepStack) {
  constexpr int kDepth = 100000;
  std::vector<FlowBlockIdent> blocks;
  blocks.reserve(kDepth);
  for (int i = 0; i < kDepth; ++i) blocks.push_back(open_seq("n"));
  assign(0);
  for (int i = kDepth - 1; i >= 0; --i) arena.finalize_flow_block(blocks[i], false);
  ASSERT_EQ(top_module().flow_blocks.size(), 1u);
  arena.build_flow();
  const NodeWrap outer = summary(blocks.front());
  const NodeWrap inner = summary(blocks.back());
  EXPECT_EQ(outer.cycle(), 1);
  EXPECT_TRUE(same(outer.entry_nodes()[0], inner.entry_nodes()[0]));
  EXPECT_TRUE(same(outer.exit_node(), inner.exit_node()));
  EXPECT_EQ(pool_size(regs[0]), 1u);
}

}  // namespace
}  // namespace velora::flow_test
