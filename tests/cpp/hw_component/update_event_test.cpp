#include "model/hw_component/common/update_event.h"

#include <gtest/gtest.h>

#include <vector>

#include "hw_test_support.h"

namespace velora {
namespace {

using hw_test::ArenaTest;
using hw_test::not_equal_heading;

class UpdateEvents : public ArenaTest {
 protected:
  void SetUp() override {
    ArenaTest::SetUp();
    src = arena.make_wire(true, "src", 8);
    des = arena.make_reg(true, "des", 8);
    clk = arena.make_wire(true, "clk", 1);
    c1 = arena.make_wire(true, "c1", 1);
    c2 = arena.make_wire(true, "c2", 1);
  }
  std::vector<std::int32_t> pool_priorities(const HcpIdent& id) const {
    std::vector<std::int32_t> out;
    for (const UpdateEventIdent& ue : pool(id)) out.push_back(arena.get_ue_common(ue).priority);
    return out;
  }
  HcpIdent src, des, clk, c1, c2;
};

TEST_F(UpdateEvents, IdentifierNameIsKindTextAndGlobalId) {
  UpdateEventIdent ue = free_event(src, 8, 10);
  EXPECT_EQ(ue.ue_type, UeType::UE_BASIC);
  EXPECT_EQ(ue.name(), "UE_BASIC_" + std::to_string(ue.global_id));
  UpdateEventIdent wrapped = arena.make_ue_add_dis(c1, std::nullopt, ue);
  EXPECT_EQ(wrapped.name(), "UE_COND_" + std::to_string(wrapped.global_id));
  EXPECT_EQ(wrapped.global_id, ue.global_id + 1);  // ids come from the shared counter
  EXPECT_EQ(basic(ue).ident, ue);                   // the stored identifier has the handle
  EXPECT_EQ(UpdateEventIdent().name(), "UE_UNTYPE_0");
}

TEST_F(UpdateEvents, MakeUeBasicRecordsRangesPriorityAndClocking) {
  UpdateEventIdent ue = arena.make_ue_basic(src, 2, 6, 0, 4, 33, ClockMode::PosEdge, false, clk);
  const UeBasic& e = basic(ue);
  EXPECT_EQ(e.src, src);
  EXPECT_EQ(e.des_slice, (Slice{2, 6}));
  EXPECT_EQ(e.src_slice, (Slice{0, 4}));
  EXPECT_EQ(e.get_priority(), 33);
  EXPECT_EQ(e.get_sub_priority(), 0);
  EXPECT_EQ(e.get_type(), UeType::UE_BASIC);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_EQ(e.get_clk_src_i(), clk);
  EXPECT_TRUE(e.is_leaf());
}

TEST_F(UpdateEvents, MakeUeBasicCanTakeTheCurrentPriority) {
  set_asm_pri_to_manual(77);
  UpdateEventIdent ue = arena.make_ue_basic(src, 0, 8, 0, 8, 5, ClockMode::ClkFree, true, std::nullopt);
  EXPECT_EQ(arena.get_ue_common(ue).priority, 77);
}

TEST_F(UpdateEvents, ClkFreeWithClockSourceFailsEdgeWithoutSourceIsAccepted) {
  EXPECT_EQ(fatal_message([&] { arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::ClkFree, false, clk); }),
            "make_ue_*: clk_src must be None when clk_mode is ClkFree");
  UpdateEventIdent ue = arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, std::nullopt);
  EXPECT_FALSE(arena.get_ue_common(ue).clk_src.has_value());
}

TEST_F(UpdateEvents, AddDisWithOneConditionWrapsTheInnerEventAndCopiesItsClocking) {
  UpdateEventIdent inner = arena.make_ue_basic(src, 0, 8, 0, 8, 21, ClockMode::PosEdge, false, clk);
  UpdateEventIdent ue = arena.make_ue_add_dis(std::nullopt, c2, inner);
  const UeCond& e = cond(ue);
  ASSERT_EQ(e.conds.size(), 1u);
  EXPECT_EQ(e.conds[0], c2);
  EXPECT_EQ(e.ues[0], inner);
  EXPECT_FALSE(e.is_last_occure);
  EXPECT_EQ(e.get_priority(), 21);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_EQ(e.get_clk_src_i(), clk);
  EXPECT_EQ(e.get_sub_priority(), 0);
  EXPECT_FALSE(e.is_leaf());
}

TEST_F(UpdateEvents, AddDisWithBothConditionsAndsThemInACondDisExpr) {
  const std::size_t exprs_before = top_module().internal_hcps[static_cast<int>(HwComponentType::Expression)].size();
  UpdateEventIdent ue = arena.make_ue_add_dis(c1, c2, free_event(src, 8, 10));
  const UeCond& e = cond(ue);
  ASSERT_EQ(e.conds.size(), 1u);
  const HcpIdent& and_i = *e.conds[0];
  EXPECT_EQ(and_i.hw_type, HwComponentType::Expression);
  EXPECT_EQ(and_i.ident_base.rel_name(), "cond_dis_expr");
  EXPECT_FALSE(and_i.ident_base.is_user_com());
  const Expression& x = arena.expressions.get(and_i.ident_base.arena_handle);
  EXPECT_EQ(x.op, LogicOp::BitwiseAnd);
  EXPECT_EQ(x.a->ident, c1);
  EXPECT_EQ(x.b->ident, c2);
  EXPECT_EQ(x.a->slice, (Slice{0, 1}));
  EXPECT_EQ(x.width, 1);
  EXPECT_EQ(top_module().internal_hcps[static_cast<int>(HwComponentType::Expression)].size(), exprs_before + 1);
}

TEST_F(UpdateEvents, AddDisFailures) {
  UpdateEventIdent inner = free_event(src, 8, 10);
  EXPECT_EQ(fatal_message([&] { arena.make_ue_add_dis(std::nullopt, std::nullopt, inner); }),
            "internal error: entered unreachable code");
  EXPECT_EQ(fatal_message([&] { arena.make_ue_add_dis(c1, std::nullopt, UpdateEventIdent()); }),
            "UpdateEventIdent has UeType::Untype");
  // A ClkFree event that acquired a clock source afterwards.
  arena.get_ue_common_mut(inner).clk_src = clk;
  EXPECT_EQ(fatal_message([&] { arena.make_ue_add_dis(c1, std::nullopt, inner); }),
            "make_ue_*: clk_src must be None when clk_mode is ClkFree");
  const std::size_t exprs = arena.expressions.size();
  EXPECT_EQ(fatal_message([&] { arena.make_ue_add_dis(c1, c2, inner); }),
            "make_ue_*: clk_src must be None when clk_mode is ClkFree");
  EXPECT_EQ(arena.expressions.size(), exprs);  // refused before the AND was made
}

TEST_F(UpdateEvents, MakeUeFullWrapsOnlyWhenAConditionIsGiven) {
  UpdateEventIdent plain = arena.make_ue_full(std::nullopt, std::nullopt, src, 0, 8, 0, 8, 4, ClockMode::ClkFree, false,
                                              std::nullopt);
  EXPECT_EQ(plain.ue_type, UeType::UE_BASIC);
  UpdateEventIdent wrapped =
      arena.make_ue_full(std::nullopt, c1, src, 0, 8, 0, 8, 4, ClockMode::ClkFree, false, std::nullopt);
  ASSERT_EQ(wrapped.ue_type, UeType::UE_COND);
  EXPECT_EQ(cond(wrapped).conds[0], c1);
  EXPECT_EQ(basic(*cond(wrapped).ues[0]).get_priority(), 4);
}

TEST_F(UpdateEvents, MuxOfTwoClkUnusedEventsHasAnElseEntry) {
  UpdateEventIdent l = free_event(src, 8, 12, ClockMode::ClkUnused);
  UpdateEventIdent r = free_event(des, 8, 12, ClockMode::ClkUnused);
  UpdateEventIdent ue = arena.make_ue_mux(l, r, c1);
  const UeCond& e = cond(ue);
  ASSERT_EQ(e.conds.size(), 2u);
  EXPECT_EQ(e.conds[0], c1);
  EXPECT_FALSE(e.conds[1].has_value());
  EXPECT_EQ(e.ues[0], l);
  EXPECT_EQ(e.ues[1], r);
  EXPECT_TRUE(e.is_last_occure);
  EXPECT_EQ(e.get_priority(), 12);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::ClkUnused);
  EXPECT_FALSE(e.get_clk_src_i().has_value());
}

TEST_F(UpdateEvents, MuxFailures) {
  UpdateEventIdent unused10 = free_event(src, 8, 10, ClockMode::ClkUnused);
  UpdateEventIdent unused11 = free_event(src, 8, 11, ClockMode::ClkUnused);
  UpdateEventIdent free10 = free_event(src, 8, 10);
  EXPECT_EQ(first_line(fatal_message([&] { arena.make_ue_mux(free10, unused10, c1); })),
            not_equal_heading("make_ue_mux: left  operand must be ClkUnused"));
  EXPECT_EQ(first_line(fatal_message([&] { arena.make_ue_mux(unused10, free10, c1); })),
            not_equal_heading("make_ue_mux: right operand must be ClkUnused"));
  EXPECT_EQ(first_line(fatal_message([&] { arena.make_ue_mux(unused10, unused11, c1); })),
            not_equal_heading("make_ue_mux: left/right operands must share priority"));
  // Without a condition the first entry is already the else.
  EXPECT_EQ(fatal_message([&] { arena.make_ue_mux(unused10, unused10, std::nullopt); }),
            "assertion failed: !self.is_last_occure");
}

struct JoinCase {
  const char* label;
  std::int32_t priority_b;
  ClockMode mode_b;
  int clk_b;  // 0: none, 1: same clock, 2: other clock
  bool joinable;
};

class Joinability : public UpdateEvents, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(Joinability, SamePrioritySameModeSameClockSource) {
  const JoinCase& c = GetParam();
  HcpIdent other_clk = arena.make_wire(true, "clk2", 1);
  UpdateEventIdent a = arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, clk);
  std::optional<HcpIdent> clk_b;
  if (c.clk_b == 1) clk_b = clk;
  if (c.clk_b == 2) clk_b = other_clk;
  if (c.mode_b == ClockMode::ClkFree) clk_b.reset();
  UpdateEventIdent b = arena.make_ue_basic(des, 0, 8, 0, 8, c.priority_b, c.mode_b, false, clk_b);
  EXPECT_EQ(basic(a).is_joinable(basic(b)), c.joinable);
  EXPECT_EQ(is_joinable(arena.get_ue_common(b), arena.get_ue_common(a)), c.joinable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Joinability,
    ::testing::Values(JoinCase{"all_equal", 10, ClockMode::PosEdge, 1, true},
                      JoinCase{"other_priority", 11, ClockMode::PosEdge, 1, false},
                      JoinCase{"other_mode", 10, ClockMode::NegEdge, 1, false},
                      JoinCase{"only_clock_source_differs", 10, ClockMode::PosEdge, 2, false},
                      JoinCase{"clock_source_missing", 10, ClockMode::PosEdge, 0, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UpdateEvents, PoolSortsByPriorityStablyKeepingInsertionOrderOfTies) {
  UpdateEventIdent e50 = free_event(src, 8, 50);
  UpdateEventIdent e10a = free_event(src, 8, 10);
  UpdateEventIdent rst = free_event(src, 8, DEFAULT_UE_PRI_RST);
  UpdateEventIdent e10b = free_event(src, 8, 10);
  arena.take_hcp(des, [&](auto& r) {
    for (const auto& ue : {e50, e10a, rst, e10b}) r.add_update_event(ue);
    r.sort_events(arena);
  });
  EXPECT_EQ(pool(des).events(), (std::vector<UpdateEventIdent>{e10a, e10b, e50, rst}));
}

TEST_F(UpdateEvents, PoolSortsTiesOfPriorityBySubPriority) {
  UpdateEventIdent sub3 = free_event(src, 8, 5);
  UpdateEventIdent sub1 = free_event(src, 8, 5);
  arena.get_ue_common_mut(sub3).sub_priority = 3;
  arena.get_ue_common_mut(sub1).sub_priority = 1;
  UpdatePool p;
  p.push(sub3);
  p.push(sub1);
  p.sort_events(arena);
  EXPECT_EQ(p.events(), (std::vector<UpdateEventIdent>{sub1, sub3}));
}

TEST_F(UpdateEvents, GatherFollowsChildrenAndSkipsTheWrappersOwnClock) {
  HcpIdent sel = arena.make_wire(true, "sel", 2);
  UpdateEventIdent leaf = arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, clk);
  UpdateEventIdent other = free_event(des, 8, 10);
  UpdateEventIdent c = arena.make_ue_cond({c1, std::nullopt}, {leaf, std::nullopt});
  UpdateEventIdent s = arena.make_ue_switch(sel, {1, 2}, {c, std::nullopt});
  UpdateEventIdent g = arena.make_ue_grp({s, other});
  HcpIdentSet deps;
  arena.visit_ue(g, [&](const auto& e) { e.gather_dep_hcps(arena, deps); });
  EXPECT_EQ(deps, (HcpIdentSet{src, clk, des, c1, sel}));
}

TEST_F(UpdateEvents, RemapReplacesReferencesInEveryChildAndOwnClock) {
  HcpIdent sel = arena.make_wire(true, "sel", 2);
  HcpIdent src2 = arena.make_wire(true, "src2", 8);
  HcpIdent clk2 = arena.make_wire(true, "clk2", 1);
  HcpIdent c1b = arena.make_wire(true, "c1b", 1);
  HcpIdent selb = arena.make_wire(true, "selb", 2);
  UpdateEventIdent leaf = arena.make_ue_basic(src, 0, 8, 0, 8, 10, ClockMode::PosEdge, false, clk);
  UpdateEventIdent c = arena.make_ue_cond({c1}, {leaf});
  UpdateEventIdent s = arena.make_ue_switch(sel, {1}, {c});
  UpdateEventIdent g = arena.make_ue_grp({s});
  HcpIdentMap map{{src, src2}, {clk, clk2}, {c1, c1b}, {sel, selb}};
  arena.take_ue(g, [&](auto& e) { e.remap_dep_hcps(map, arena); });
  EXPECT_EQ(basic(leaf).src, src2);
  EXPECT_EQ(basic(leaf).get_clk_src_i(), clk2);
  EXPECT_EQ(cond(c).conds[0], c1b);
  EXPECT_EQ(cond(c).get_clk_src_i(), clk2);  // copied from the leaf, remapped too
  EXPECT_EQ(sw(s).selector, selb);
  EXPECT_EQ(grp(g).get_clk_src_i(), clk2);
}

TEST_F(UpdateEvents, TakenEventSlotReadsAsDefaultsAndComesBack) {
  UpdateEventIdent ue = free_event(src, 8, 40);
  arena.take_ue(ue, [&](auto& e) {
    EXPECT_EQ(e.get_priority(), 40);
    const UeCommon& placeholder = arena.get_ue_common(ue);
    EXPECT_EQ(placeholder.priority, DEFAULT_UE_PRI_USER);
    EXPECT_EQ(placeholder.ue_type, UeType::UE_UNTYPE);
    EXPECT_EQ(placeholder.clk_mode, ClockMode::ClkUnused);
    e.set_priority(41);
  });
  EXPECT_EQ(arena.get_ue_common(ue).priority, 41);
}

TEST_F(UpdateEvents, StaleIdentifierFailsWithTheArenaCheck) {
  UpdateEventIdent ue = free_event(src, 8, 10);
  ue.arena_handle.index = 999;
  EXPECT_EQ(fatal_message([&] { arena.get_ue_common(ue); }), "ArenaHandle index out of range");
}

}  // namespace
}  // namespace velora
