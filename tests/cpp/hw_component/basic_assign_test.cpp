#include "model/hw_component/basic_assign.h"

#include <gtest/gtest.h>

#include "hw_test_support.h"

namespace velora {
namespace {

using hw_test::ArenaTest;

class BasicAssign : public ArenaTest {
 protected:
  const AsmNode& node(const NcpIdent& n) const { return arena.asm_nodes.get(n.ident_base.arena_handle); }
  const UeBasic& node_event(const NcpIdent& n) const {
    const AsmNode& a = node(n);
    EXPECT_EQ(a.asm_metas.size(), 1u);
    return basic(a.asm_metas[0].ue);
  }
};

struct ResizeCase {
  const char* label;
  std::int32_t des_width;
  OptSlice des_slice;
  std::int32_t src_width;
  std::int32_t src_start, src_stop;
  ResizeKind kind;
  std::int32_t s, d;
  Slice event_des, event_src;
};

class ResizeReports : public BasicAssign, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeReports, SourceIsFittedToTheDestinationRange) {
  const ResizeCase& c = GetParam();
  HcpIdent des = arena.make_reg(true, "des", c.des_width);
  HcpIdent src = arena.make_wire(true, "src", c.src_width);
  BasicAssignResult res = arena.gen_basic_assign(des, src, c.des_slice, c.src_start, c.src_stop);
  EXPECT_EQ(res.report.kind, c.kind);
  EXPECT_EQ(res.report.src_width, c.s);
  EXPECT_EQ(res.report.des_width, c.d);
  const UeBasic& e = node_event(res.node);
  EXPECT_EQ(e.des_slice, c.event_des);
  EXPECT_EQ(e.src_slice, c.event_src);
  if (c.kind != ResizeKind::Extended) EXPECT_EQ(e.src, src);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResizeReports,
    ::testing::Values(
        ResizeCase{"exact", 8, std::nullopt, 8, -1, -1, ResizeKind::Exact, 8, 8, Slice{0, 8}, Slice{0, 8}},
        ResizeCase{"wider_source", 8, std::nullopt, 12, -1, -1, ResizeKind::Truncated, 12, 8, Slice{0, 8},
                   Slice{0, 8}},
        ResizeCase{"narrower_source", 8, std::nullopt, 4, -1, -1, ResizeKind::Extended, 4, 8, Slice{0, 8},
                   Slice{0, 8}},
        ResizeCase{"destination_slice", 16, Slice{2, 6}, 8, -1, -1, ResizeKind::Truncated, 8, 4, Slice{2, 6},
                   Slice{0, 4}},
        ResizeCase{"source_slice", 4, std::nullopt, 16, 8, 12, ResizeKind::Exact, 4, 4, Slice{0, 4}, Slice{8, 12}},
        ResizeCase{"wide_source_slice_cut_from_its_start", 4, std::nullopt, 16, 3, 11, ResizeKind::Truncated, 8, 4,
                   Slice{0, 4}, Slice{3, 7}},
        ResizeCase{"invalid_destination_slice_is_whole", 8, Slice{5, 5}, 8, -1, -1, ResizeKind::Exact, 8, 8,
                   Slice{0, 8}, Slice{0, 8}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(BasicAssign, NarrowerSourceIsZeroExtendedThroughAnExtExpression) {
  HcpIdent des = arena.make_wire(true, "des", 8);
  HcpIdent src = arena.make_wire(true, "src", 6);
  BasicAssignResult res = arena.gen_basic_assign(des, src, std::nullopt, 1, 5);
  const UeBasic& e = node_event(res.node);
  const HcpIdent& ext = e.src;
  ASSERT_EQ(ext.hw_type, HwComponentType::Expression);
  EXPECT_EQ(ext.ident_base.rel_name(), src.ident_base.abs_name() + "_ext");
  EXPECT_EQ(ext.ident_base.abs_name(),
            "EXPR_" + src.ident_base.abs_name() + "_ext_" + std::to_string(ext.ident_base.global_id));
  EXPECT_FALSE(ext.ident_base.is_user_com());
  const Expression& x = arena.expressions.get(ext.ident_base.arena_handle);
  EXPECT_EQ(x.op, LogicOp::ExtendBit);
  EXPECT_EQ(x.width, 8);
  EXPECT_EQ(x.constant, 8);
  EXPECT_EQ(x.a->ident, src);
  EXPECT_EQ(x.a->slice, (Slice{1, 5}));
  EXPECT_EQ(e.src_slice, (Slice{0, 8}));
  EXPECT_EQ(res.report.src_width, 4);
  // Registered in the current module as a generated expression.
  EXPECT_EQ(top_module().internal_hcps[static_cast<int>(HwComponentType::Expression)].back(), ext);
}

TEST_F(BasicAssign, NodeCarriesTheEventAtTheCurrentPriorityAndJoinsTheTopModule) {
  set_asm_pri_to_manual(64);
  HcpIdent r = arena.make_reg(true, "r", 8);
  HcpIdent s = arena.make_wire(true, "s", 8);
  BasicAssignResult res = arena.gen_basic_assign(r, s, std::nullopt, -1, -1);
  EXPECT_EQ(res.node.node_type, NodeType::Asm);
  EXPECT_EQ(res.node.ident_base.rel_name(), r.ident_base.abs_name() + "_asm");
  EXPECT_FALSE(res.node.ident_base.is_user_com());
  const AsmNode& n = node(res.node);
  ASSERT_EQ(n.asm_metas.size(), 1u);
  EXPECT_EQ(n.asm_metas[0].des, r);
  EXPECT_EQ(n.asm_metas[0].clk_mode, ClockMode::PosEdge);
  const UeBasic& e = basic(n.asm_metas[0].ue);
  EXPECT_EQ(e.get_priority(), 64);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_FALSE(e.get_clk_src_i().has_value());  // the node gives the clock later
  EXPECT_TRUE(pool(r).empty());                 // the node adds the event when it is assigned
  ASSERT_EQ(top_module().basic_nodes_i.size(), 1u);
  EXPECT_EQ(top_module().basic_nodes_i[0].ident_base, res.node.ident_base);
}

TEST_F(BasicAssign, LooseNodesGoToTheTopModuleEvenWhenAnotherModuleIsCurrent) {
  ModuleIdent sub = arena.mk_module(true, "sub");
  arena.track_module_at_com_init(sub);
  HcpIdent w = arena.make_wire(true, "w", 2);
  HcpIdent s = arena.make_wire(true, "s", 2);
  arena.gen_basic_assign(w, s, std::nullopt, -1, -1);
  EXPECT_EQ(top_module().basic_nodes_i.size(), 1u);
  EXPECT_TRUE(arena.modules.get(sub.ident_base.arena_handle).basic_nodes_i.empty());
}

TEST_F(BasicAssign, WithoutTopModuleTheAssignmentHasNowhereToGo) {
  ModelArena fresh;
  ModuleIdent m = fresh.mk_module(true, "m");
  fresh.track_module_at_com_init(m);
  HcpIdent w = fresh.make_wire(true, "w", 1);
  HcpIdent s = fresh.make_wire(true, "s", 1);
  EXPECT_EQ(fatal_message([&] { fresh.gen_basic_assign(w, s, std::nullopt, -1, -1); }),
            "add_basic_node_to_top_module: no top module set");
}

TEST_F(BasicAssign, DestinationsThatCannotBeAssigned) {
  HcpIdent s = arena.make_wire(true, "s", 8);
  HcpIdent v = arena.make_val(true, "v", 8, 0);
  HcpIdent x = arena.make_expression_empty(true, "x", 8);
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 2);
  EXPECT_EQ(fatal_message([&] { arena.gen_basic_assign(v, s, std::nullopt, -1, -1); }),
            "Val::do_asm should not be called");
  EXPECT_EQ(fatal_message([&] { arena.gen_basic_assign(x, s, std::nullopt, -1, -1); }),
            "Expression::do_asm — not implemented");
  EXPECT_EQ(fatal_message([&] { arena.gen_basic_assign(blk, s, std::nullopt, -1, -1); }),
            "MemBlk is not an assignment destination");
  EXPECT_TRUE(top_module().basic_nodes_i.empty());
  // The destinations were put back although the assignment failed.
  EXPECT_FALSE(arena.vals.is_taken(v.ident_base.arena_handle));
}

TEST_F(BasicAssign, MemoryElementAssignmentIsClocked) {
  HcpIdent idx = arena.make_wire(true, "idx", 2);
  HcpIdent blk = arena.make_mem_blk(true, "m", 8, 2);
  HcpIdent port = arena.make_mem_ele(true, "wr", blk, idx, 8, false);
  HcpIdent s = arena.make_wire(true, "s", 8);
  BasicAssignResult res = arena.gen_basic_assign(port, s, std::nullopt, -1, -1);
  EXPECT_EQ(node(res.node).asm_metas[0].clk_mode, ClockMode::PosEdge);
}

TEST(ResizeWarningText, NamesWidthsAndDestination) {
  EXPECT_EQ(resize_warning_text({ResizeKind::Extended, 4, 8}, "REG_r_5"),
            "assignment source (4 bits) is narrower than destination 'REG_r_5' (8 bits); zero-extended (unsigned) to "
            "fit");
  EXPECT_EQ(resize_warning_text({ResizeKind::Truncated, 12, 8}, "WIRE_w_2"),
            "assignment source (12 bits) is wider than destination 'WIRE_w_2' (8 bits); MSBs dropped to fit");
  EXPECT_EQ(resize_warning_text({ResizeKind::Exact, 8, 8}, "WIRE_w_2"), "");
}

}  // namespace
}  // namespace velora
