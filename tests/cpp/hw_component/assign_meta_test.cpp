#include "model/hw_component/common/assign_meta.h"

#include <gtest/gtest.h>

#include <vector>

#include "hw_test_support.h"
#include "model/hw_component/common/asm_meta_helper/grp_pool.h"
#include "model/hw_component/common/asm_meta_helper/if_pool.h"
#include "model/hw_component/common/asm_meta_helper/switch_pool.h"

namespace velora {
namespace {

using hw_test::ArenaTest;
using hw_test::not_equal_heading;
using OptConds = std::vector<std::optional<HcpIdent>>;
using OptUes = std::vector<OptUeIdent>;

class AssignMetas : public ArenaTest {
 protected:
  void SetUp() override {
    ArenaTest::SetUp();
    x = arena.make_wire(true, "x", 4);
    y = arena.make_wire(true, "y", 4);
    z = arena.make_wire(true, "z", 4);
    src = arena.make_wire(true, "src", 4);
    c1 = arena.make_wire(true, "c1", 1);
    c2 = arena.make_wire(true, "c2", 1);
    k1 = arena.make_wire(true, "k1", 1);
    k2 = arena.make_wire(true, "k2", 1);
    k3 = arena.make_wire(true, "k3", 1);
    clk = arena.make_wire(true, "clk", 1);
  }
  /// An assignment "des <- src" at `priority`, as a group-built meta.
  AssignMeta meta(const HcpIdent& des, std::int32_t priority = 10, ClockMode mode = ClockMode::ClkUnused,
                  std::optional<HcpIdent> clk_src = std::nullopt) {
    return AssignMeta(des, arena.make_ue_basic(src, 0, 4, 0, 4, priority, mode, false, clk_src), mode);
  }
  HcpIdent x, y, z, src, c1, c2, k1, k2, k3, clk;
};

// ---- pre-conditions

TEST_F(AssignMetas, PendingPreConditionIsAppliedOnceAndCleared) {
  AssignMeta m = meta(x);
  const UpdateEventIdent first = m.ue;
  m.apply_pending_pre_cond(arena);  // nothing pending: unchanged
  EXPECT_EQ(m.ue, first);
  m.pending_pre_cond = c1;
  m.apply_pending_pre_cond(arena);
  EXPECT_FALSE(m.pending_pre_cond.has_value());
  ASSERT_EQ(m.ue.ue_type, UeType::UE_COND);
  EXPECT_EQ(cond(m.ue).conds, (OptConds{c1}));
  EXPECT_EQ(cond(m.ue).ues, (OptUes{first}));
  EXPECT_EQ(m.first_ue, first);  // kept unchanged
}

TEST_F(AssignMetas, SpecificPreConditionCopiesTheClockingOfTheEvent) {
  AssignMeta m = meta(x, 17, ClockMode::PosEdge, clk);
  m.add_specific_pre_condition(c2, arena);
  const UeCond& e = cond(m.ue);
  EXPECT_EQ(e.get_priority(), 17);
  EXPECT_EQ(e.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_EQ(e.get_clk_src_i(), clk);
}

TEST_F(AssignMetas, PreConditionChecksTheClockSource) {
  AssignMeta edge = meta(x, 10, ClockMode::NegEdge);
  EXPECT_EQ(fatal_message([&] { edge.add_specific_pre_condition(c1, arena); }),
            "make_ue_*: clk_src must be assigned when clk_mode is Posedge or NegEdge");
  AssignMeta free = meta(x, 10, ClockMode::ClkFree);
  arena.get_ue_common_mut(free.ue).clk_src = clk;
  free.pending_pre_cond = c1;
  EXPECT_EQ(fatal_message([&] { free.apply_pending_pre_cond(arena); }),
            "make_ue_*: clk_src must be None when clk_mode is ClkFree");
  EXPECT_TRUE(free.pending_pre_cond.has_value());  // not applied, so still pending
}

// ---- group pool

TEST_F(AssignMetas, GroupPoolJoinsOneAssignmentPerGroupAndCall) {
  AssignMetaGrpPool pool;
  AssignMeta x1 = meta(x), y1 = meta(y), x2 = meta(x), x3 = meta(x);
  pool.insert_asms(arena, {x1, y1});
  pool.insert_asms(arena, {x2, x3});
  ASSERT_EQ(pool.groups.size(), 3u);
  EXPECT_EQ(pool.groups[0].des, x);
  EXPECT_EQ(pool.groups[0].update_events, (std::vector<UpdateEventIdent>{x1.ue, x2.ue}));
  EXPECT_EQ(pool.groups[1].update_events, (std::vector<UpdateEventIdent>{y1.ue}));
  EXPECT_EQ(pool.groups[2].update_events, (std::vector<UpdateEventIdent>{x3.ue}));
}

TEST_F(AssignMetas, GroupPoolDoesNotMergeAssignmentsThatCannotJoin) {
  AssignMetaGrpPool pool;
  AssignMeta low = meta(x, 10), high = meta(x, 20);
  pool.insert_asms(arena, {low, high});
  ASSERT_EQ(pool.groups.size(), 2u);
  std::vector<AssignMeta> merged = pool.gen_assign_metas(arena);
  ASSERT_EQ(merged.size(), 2u);  // x ends up with two events
  EXPECT_EQ(merged[0].des, x);
  EXPECT_EQ(merged[1].des, x);
  EXPECT_EQ(arena.get_ue_common(merged[1].ue).priority, 20);
}

TEST_F(AssignMetas, GroupResultIsAGroupEventClockedLikeItsFirstChild) {
  AssignMetaGrpPool pool;
  AssignMeta a = meta(x, 30, ClockMode::PosEdge, clk), b = meta(x, 30, ClockMode::PosEdge, clk);
  pool.insert_asms(arena, {a});
  pool.insert_asms(arena, {b});
  std::vector<AssignMeta> merged = pool.gen_assign_metas(arena);
  ASSERT_EQ(merged.size(), 1u);
  const AssignMeta& m = merged[0];
  EXPECT_EQ(m.des, x);
  EXPECT_EQ(m.ue, m.first_ue);
  EXPECT_EQ(m.clk_mode, ClockMode::ClkUnused);
  EXPECT_FALSE(m.pending_pre_cond.has_value());
  const UeGrp& g = grp(m.ue);
  EXPECT_EQ(g.children, (std::vector<UpdateEventIdent>{a.ue, b.ue}));
  EXPECT_EQ(g.get_priority(), 30);
  EXPECT_EQ(g.get_clk_mode(), ClockMode::PosEdge);
  EXPECT_EQ(g.get_clk_src_i(), clk);
}

TEST_F(AssignMetas, GroupWithoutEventsFails) {
  AssignMetaGrpGroup empty{x, {}};
  EXPECT_EQ(fatal_message([&] { empty.gen_assign_meta(arena); }),
            "update_events must have at least one entry (first_ue from construction)");
  AssignMetaGrpPool pool;
  pool.groups.push_back(empty);
  EXPECT_EQ(fatal_message([&] { pool.insert_asms(arena, {meta(x)}); }),
            "update_events must be initialised before try_push_event");
}

// ---- if pool

TEST_F(AssignMetas, IfElseWhereOnlyTheIfBranchAssignsY) {
  AssignMetaIfPool pool;
  AssignMeta xa = meta(x), ya = meta(y), xb = meta(x);
  pool.insert_asms(arena, c1, c1, {xa, ya});
  pool.insert_asms(arena, std::nullopt, k2, {xb});
  ASSERT_EQ(pool.groups.size(), 2u);
  EXPECT_EQ(pool.groups[0].cond_rel_vecs, std::vector<HcpIdent>{c1});
  EXPECT_EQ(pool.groups[0].update_events, (OptUes{xa.ue, xb.ue}));
  EXPECT_EQ(pool.groups[1].cond_rel_vecs, std::vector<HcpIdent>{c1});
  EXPECT_EQ(pool.groups[1].update_events, (OptUes{ya.ue, std::nullopt}));

  std::vector<AssignMeta> merged = pool.gen_assign_metas(arena);
  ASSERT_EQ(merged.size(), 2u);
  const UeCond& cx = cond(merged[0].ue);
  EXPECT_EQ(cx.conds, (OptConds{c1, std::nullopt}));
  EXPECT_EQ(cx.ues, (OptUes{xa.ue, xb.ue}));
  EXPECT_TRUE(cx.is_last_occure);
  const UeCond& cy = cond(merged[1].ue);
  EXPECT_EQ(cy.conds, (OptConds{c1, std::nullopt}));
  EXPECT_EQ(cy.ues, (OptUes{ya.ue, std::nullopt}));
  EXPECT_EQ(merged[1].clk_mode, ClockMode::ClkUnused);
}

TEST_F(AssignMetas, GroupStartingAtTheHeadFollowsThePlainConditions) {
  // if c1: x=a  elif c2: x=b  else: x=e   (relative conditions k1, k2, k3)
  AssignMetaIfPool pool;
  AssignMeta a = meta(x), b = meta(x), e = meta(x);
  pool.insert_asms(arena, c1, k1, {a});
  pool.insert_asms(arena, c2, k2, {b});
  pool.insert_asms(arena, std::nullopt, k3, {e});
  ASSERT_EQ(pool.groups.size(), 1u);
  EXPECT_EQ(pool.groups[0].cond_rel_vecs, (std::vector<HcpIdent>{k1, c2}));
  const UeCond& r = cond(pool.gen_assign_metas(arena)[0].ue);
  EXPECT_EQ(r.conds, (OptConds{k1, c2, std::nullopt}));
  EXPECT_EQ(r.ues, (OptUes{a.ue, b.ue, e.ue}));
}

// Regression: a destination first assigned in a later branch of the chain
// used to take the plain conditions of the following branches and an
// unconditional else entry, so with `if c1: ... elif c2: z=b else: z=e` it
// took e while c1 held. Its entries are now guarded by their branches'
// relative conditions.
TEST_F(AssignMetas, GroupStartingAtALaterBranchIsGuardedByRelativeConditions) {
  AssignMetaIfPool pool;
  AssignMeta xa = meta(x), zb = meta(z), ze = meta(z);
  pool.insert_asms(arena, c1, k1, {xa});
  pool.insert_asms(arena, c2, k2, {zb});
  pool.insert_asms(arena, std::nullopt, k3, {ze});
  ASSERT_EQ(pool.groups.size(), 2u);
  const AssignMetaIfGroup& gz = pool.groups[1];
  EXPECT_FALSE(gz.starts_at_head);
  EXPECT_EQ(gz.cond_rel_vecs, (std::vector<HcpIdent>{k2, k3}));
  EXPECT_EQ(gz.update_events, (OptUes{zb.ue, ze.ue}));
  std::vector<AssignMeta> merged = pool.gen_assign_metas(arena);
  const UeCond& rz = cond(merged[1].ue);
  EXPECT_EQ(rz.conds, (OptConds{k2, k3}));  // no unconditional entry
  EXPECT_FALSE(rz.is_last_occure);
  // The head group is unchanged: x takes nothing in the elif and the else.
  const UeCond& rx = cond(merged[0].ue);
  EXPECT_EQ(rx.conds, (OptConds{k1, c2, std::nullopt}));
  EXPECT_EQ(rx.ues, (OptUes{xa.ue, std::nullopt, std::nullopt}));
}

TEST_F(AssignMetas, GroupStartingAtTheElseBranchIsGuardedByItsRelativeCondition) {
  AssignMetaIfPool pool;
  AssignMeta xa = meta(x), ye = meta(y);
  pool.insert_asms(arena, c1, k1, {xa});
  pool.insert_asms(arena, std::nullopt, k3, {ye});
  const UeCond& ry = cond(pool.gen_assign_metas(arena)[1].ue);
  EXPECT_EQ(ry.conds, (OptConds{k3}));
  EXPECT_EQ(ry.ues, (OptUes{ye.ue}));
}

TEST_F(AssignMetas, IfResultTakesClockingFromTheFirstPresentEvent) {
  AssignMetaIfPool pool;
  pool.insert_asms(arena, c1, k1, {meta(x)});
  pool.insert_asms(arena, c2, k2, {meta(y, 44, ClockMode::PosEdge, clk)});
  const UeCommon& c = arena.get_ue_common(pool.gen_assign_metas(arena)[1].ue);
  EXPECT_EQ(c.priority, 44);
  EXPECT_EQ(c.clk_mode, ClockMode::PosEdge);
  EXPECT_EQ(c.clk_src, clk);
  // Without any present event: priority 0, ClkUnused, no clock.
  AssignMetaIfGroup none{x, {c1}, {std::nullopt}, true};
  const UeCommon& d = arena.get_ue_common(none.gen_assign_meta(arena).ue);
  EXPECT_EQ(d.priority, 0);
  EXPECT_EQ(d.clk_mode, ClockMode::ClkUnused);
  EXPECT_FALSE(d.clk_src.has_value());
}

TEST_F(AssignMetas, IfPoolFailures) {
  AssignMetaIfPool pool;
  pool.insert_asms(arena, c1, k1, {meta(x)});
  pool.insert_asms(arena, std::nullopt, k2, {meta(x)});
  // A head group takes no branch after its else branch.
  EXPECT_EQ(first_line(fatal_message([&] { pool.insert_asms(arena, c2, k3, {}); })),
            not_equal_heading("the number of cond and ue should match"));
  AssignMetaIfGroup bad{x, {c1}, {meta(x).ue, meta(x).ue, meta(x).ue}, true};
  EXPECT_EQ(fatal_message([&] { bad.gen_assign_meta(arena); }),
            "update_events length (3) must equal cond_rel_vecs length (1) or be exactly 1 more (else branch)");
}

// ---- switch pool

TEST_F(AssignMetas, SwitchGroupsStartAtTheirFirstCase) {
  HcpIdent sel = arena.make_wire(true, "sel", 2);
  AssignMetaSwitchPool pool;
  AssignMeta y1 = meta(y), x2 = meta(x), y2 = meta(y);
  pool.insert_asms(arena, sel, 1, {y1});
  pool.insert_asms(arena, sel, 2, {x2, y2});
  ASSERT_EQ(pool.groups.size(), 2u);
  EXPECT_EQ(pool.groups[0].match_vals, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(pool.groups[0].update_events, (OptUes{y1.ue, y2.ue}));
  EXPECT_EQ(pool.groups[1].des, x);
  EXPECT_EQ(pool.groups[1].match_vals, std::vector<std::int32_t>{2});
  std::vector<AssignMeta> merged = pool.gen_assign_metas(arena);
  const UeSwitch& s = sw(merged[1].ue);
  EXPECT_EQ(s.selector, sel);
  EXPECT_EQ(s.sub_stmt_idxs, std::vector<std::int32_t>{2});
  EXPECT_EQ(s.sub_stmts, (OptUes{x2.ue}));
  EXPECT_EQ(merged[1].clk_mode, ClockMode::ClkUnused);
  pool.insert_asms(arena, sel, 3, {});
  EXPECT_EQ(pool.groups[1].update_events, (OptUes{x2.ue, std::nullopt}));
}

TEST_F(AssignMetas, SwitchLengthMismatchesFail) {
  HcpIdent sel = arena.make_wire(true, "sel", 2);
  AssignMetaSwitchPool pool;
  pool.insert_asms(arena, sel, 1, {meta(x)});
  pool.groups[0].match_vals.push_back(5);
  EXPECT_EQ(first_line(fatal_message([&] { pool.insert_asms(arena, sel, 2, {}); })),
            not_equal_heading("match_vals and update_events length must match"));
  EXPECT_EQ(first_line(fatal_message([&] { pool.groups[0].gen_assign_meta(arena); })),
            not_equal_heading("match_vals length (2) must equal update_events length (1)"));
}

}  // namespace
}  // namespace velora
