#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>

#include "backends/verilog/hw_component/hcp_vb.h"
#include "ctrl_test_util.h"
#include "util/file/file_writer.h"
#include "model/controller/asm_priority.h"

namespace velora {
namespace {

using ctrl_test::ArenaWithModule;
using ctrl_test::contains;
using ctrl_test::flat_pool;
using ctrl_test::priorities;

constexpr std::int32_t kRst = DEFAULT_UE_PRI_RST;

// ---------------------------------------------------------------- widths

class CntRegWidth : public ::testing::TestWithParam<std::tuple<std::int32_t, std::int32_t>> {};

TEST_P(CntRegWidth, IsCeilLog2OfTheMaximumAndAtLeastOne) {
  auto [max_cycle, width] = GetParam();
  EXPECT_EQ(cnt_reg_width(max_cycle), width);
}

// One count still gets one bit (a register of width 0 has no Verilog meaning).
INSTANTIATE_TEST_SUITE_P(Table, CntRegWidth,
                         ::testing::Values(std::make_tuple(1, 1), std::make_tuple(2, 1), std::make_tuple(3, 2),
                                           std::make_tuple(4, 2), std::make_tuple(5, 3), std::make_tuple(8, 3),
                                           std::make_tuple(9, 4), std::make_tuple(2147483647, 31)));

class CycleWaitWidth : public ::testing::TestWithParam<std::tuple<std::int32_t, std::int32_t>> {};

TEST_P(CycleWaitWidth, HoldsTwiceTheCountPlusOne) {
  auto [n, width] = GetParam();
  EXPECT_EQ(cycle_wait_width(n), width);
  EXPECT_GE(width, 2);
  EXPECT_LT(2.0 * n + 1, std::ldexp(1.0, width));  // 2n + 1 fits
}

INSTANTIATE_TEST_SUITE_P(Table, CycleWaitWidth,
                         ::testing::Values(std::make_tuple(1, 2), std::make_tuple(2, 3), std::make_tuple(3, 3),
                                           std::make_tuple(4, 4), std::make_tuple(7, 4), std::make_tuple(8, 5)));

// ---------------------------------------------------------------- factories

struct FactoryError {
  const char* label;
  std::function<void(ModelArena&)> make;
  const char* message;
};

class SpRegFactoryErrors : public ::testing::TestWithParam<FactoryError> {};

TEST_P(SpRegFactoryErrors, RefuseBadSizes) {
  ArenaWithModule a;
  EXPECT_EQ(fatal_message([&] { GetParam().make(a.arena); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpRegFactoryErrors,
    ::testing::Values(
        FactoryError{"sync0", [](ModelArena& m) { m.make_sync_reg("s", 0); }, "SyncReg size must be positive"},
        FactoryError{"cycle0", [](ModelArena& m) { m.make_cycle_wait_state_reg("c", 0); },
                     "wait_cycle must be positive"},
        FactoryError{"cntneg", [](ModelArena& m) { m.make_cnt_reg("c", 0, -1); }, "max_cycle must be positive"},
        FactoryError{"cnt0", [](ModelArena& m) { m.make_cnt_reg("c", 0, 0); }, "assertion failed: max_number > 0"},
        FactoryError{"inc0", [](ModelArena& m) { m.make_cnt_reg("c", 0, 3); }, "inc_val must be positive"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SpRegFactory, StateRegIsAGeneratedComponentWithItsTwoConstants) {
  ArenaWithModule a;
  HcpIdent sr = a.arena.make_state_reg("s0");
  EXPECT_EQ(sr.ident_base.abs_name(), "SR_ST_s0_" + std::to_string(sr.ident_base.global_id));
  EXPECT_FALSE(sr.ident_base.is_user_com());
  EXPECT_EQ(sr.parent_module, a.top.ident_base.arena_handle);
  ASSERT_EQ(a.internal(HwComponentType::StateReg).size(), 1u);
  EXPECT_EQ(a.internal(HwComponentType::StateReg)[0], sr);
  const StateReg& reg = a.arena.state_regs.get(sr.ident_base.arena_handle);
  EXPECT_EQ(a.rel(reg.set_val), "s0_SET");
  EXPECT_EQ(a.rel(reg.unset_val), "s0_UNSET");
  EXPECT_EQ(a.val(reg.set_val).value.limbs(), std::vector<std::uint64_t>{1});
  EXPECT_TRUE(a.val(reg.unset_val).value.is_zero());
  EXPECT_EQ(a.internal(HwComponentType::Val).size(), 2u);
  EXPECT_EQ(a.arena.get_des_slice(sr), (Slice{0, 1}));
  EXPECT_EQ(sr.sensitivity, SensitiveType::Clocked);
}

TEST(SpRegFactory, WidthsOfTheOtherKinds) {
  ArenaWithModule a;
  HcpIdent c = a.wire("c");
  EXPECT_EQ(a.arena.get_des_slice(a.arena.make_sync_reg("s", 3)), (Slice{0, 3}));
  EXPECT_EQ(a.arena.get_des_slice(a.arena.make_cond_wait_state_reg("w", c, -1, -1)), (Slice{0, 1}));
  EXPECT_EQ(a.arena.get_des_slice(a.arena.make_cycle_wait_state_reg("y", 4)), (Slice{0, 4}));
  EXPECT_EQ(a.arena.get_des_slice(a.arena.make_cnt_reg("n", 1, 5)), (Slice{0, 3}));
  HcpIdent one = a.arena.make_cnt_reg("one", 1, 1);
  EXPECT_EQ(a.arena.get_des_slice(one), (Slice{0, 1}));
  EXPECT_EQ(a.internal(HwComponentType::CntReg).size(), 2u);
}

// ---------------------------------------------------------------- assignable interface

TEST(SpRegAssign, RefusingKindsNameThemselves) {
  ArenaWithModule a;
  HcpIdent src = a.wire("x");
  const std::vector<std::pair<HcpIdent, std::string>> cases = {
      {a.arena.make_state_reg("a"), "StateReg"},
      {a.arena.make_sync_reg("b", 2), "SyncReg"},
      {a.arena.make_cond_wait_state_reg("c", src, -1, -1), "CondWaitStateReg"},
      {a.arena.make_cycle_wait_state_reg("d", 2), "CycleWaitStateReg"},
  };
  for (const auto& [reg, kind] : cases) {
    EXPECT_EQ(fatal_message([&] {
                a.arena.take_hcp(reg, [&](auto& hcp) { hcp.do_asm(src, std::nullopt, 0, 1, a.arena); });
              }),
              kind + "::do_asm() is not supported; use build_update_event()");
  }
}

TEST(SpRegAssign, CounterAssignmentsUseTheFixedPriority) {
  ArenaWithModule a;
  set_asm_pri_to_manual(10);
  HcpIdent cnt = a.arena.make_cnt_reg("n", 1, 5);  // 3 bits
  HcpIdent src = a.arena.make_reg(true, "r", 3);
  NcpIdent node = a.arena.take_hcp(cnt, [&](auto& hcp) { return hcp.do_asm(src, std::nullopt, 0, 3, a.arena); });
  set_asm_pri_to_auto();
  EXPECT_EQ(node.ident_base.rel_name(), cnt.ident_base.abs_name() + "_asm");
  const AsmNode& asm_node = a.arena.asm_nodes.get(node.ident_base.arena_handle);
  ASSERT_EQ(asm_node.asm_metas.size(), 1u);
  const AssignMeta& meta = asm_node.asm_metas[0];
  EXPECT_EQ(meta.des, cnt);
  EXPECT_EQ(meta.clk_mode, ClockMode::PosEdge);
  const UeCommon& c = a.arena.get_ue_common(meta.ue);
  EXPECT_EQ(c.priority, 50);
  EXPECT_EQ(c.clk_mode, ClockMode::PosEdge);
  EXPECT_FALSE(c.clk_src.has_value());
  EXPECT_EQ(a.arena.take_hcp(cnt, [](auto& hcp) { return hcp.get_priority(); }), 50);
  // The event joins the pool only when the node is assigned.
  EXPECT_TRUE(a.arena.get_hcp_assign(cnt).update_pool.empty());
}

TEST(SpRegAssign, MetaAndBindSourceBehaveAsForARegister) {
  ArenaWithModule a;
  HcpIdent sr = a.arena.make_state_reg("s");
  HcpIdent one = a.wire("one");
  AssignMeta meta = a.arena.take_hcp(sr, [&](auto& hcp) { return hcp.gen_asm_meta(one, std::nullopt, 0, 1, a.arena); });
  EXPECT_EQ(a.arena.get_ue_common(meta.ue).priority, 50);
  EXPECT_EQ(meta.clk_mode, ClockMode::PosEdge);
  a.arena.bind_src(sr, one, std::nullopt, 0, 1, std::nullopt, std::nullopt, std::nullopt);
  ASSERT_EQ(a.arena.get_hcp_assign(sr).update_pool.size(), 1u);
  a.arena.mark_as_io(sr, false, "state_out");
  EXPECT_TRUE(a.arena.get_hcp_assign(sr).io_mark.has_value());
}

// ---------------------------------------------------------------- StateReg events

struct StateRegFixture : ::testing::Test {
  ArenaWithModule a;
  HcpIdent sr;
  HcpIdent clk, hold, rst, start, mrst, trig, qual;

  void SetUp() override {
    sr = a.arena.make_state_reg("s");
    clk = a.wire("clk");
    hold = a.wire("hold");
    rst = a.wire("rst");
    start = a.wire("start");
    mrst = a.wire("mrst");
    trig = a.wire("trig");
    qual = a.wire("qual");
  }
  const StateReg& reg() const { return a.arena.state_regs.get(sr.ident_base.arena_handle); }
  void build(const TriggerSig& sig) {
    auto r = a.arena.state_regs.take(sr.ident_base.arena_handle);
    r->trigger_sig = sig;
    r->build_update_event(a.arena);
  }
};

TEST_F(StateRegFixture, ClockAndOneTriggerGiveClearAndSet) {
  TriggerSig sig;
  sig.set(TriggerSigSlot::Clk, clk);
  sig.push_depend_node(trig, std::nullopt);
  build(sig);
  auto events = flat_pool(a, sr);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].priority, 50);
  EXPECT_TRUE(events[0].conds.empty());
  EXPECT_EQ(events[0].src, reg().unset_val);
  EXPECT_EQ(events[1].priority, 53);
  EXPECT_EQ(events[1].conds, std::vector<HcpIdent>{trig});
  EXPECT_EQ(events[1].src, reg().set_val);
  for (const auto& e : events) {
    EXPECT_EQ(e.clk_mode, ClockMode::PosEdge);
    EXPECT_EQ(e.clk_src, clk);
    EXPECT_EQ(e.des_slice, (Slice{0, 1}));
  }
}

TEST_F(StateRegFixture, EveryTriggerInOrder) {
  TriggerSig sig;
  sig.set(TriggerSigSlot::Clk, clk);
  sig.set(TriggerSigSlot::Hold, hold);
  sig.set(TriggerSigSlot::IntReset, rst);
  sig.set(TriggerSigSlot::IntStart, start);
  sig.set(TriggerSigSlot::Mrst, mrst);
  sig.push_depend_node(trig, qual);
  build(sig);
  auto events = flat_pool(a, sr);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 51, 53, 52, 54, kRst}));
  EXPECT_EQ(events[1].conds, std::vector<HcpIdent>{hold});
  EXPECT_EQ(events[1].src, reg().set_val);
  EXPECT_EQ(events[2].conds, (std::vector<HcpIdent>{qual, trig}));  // qualifier AND trigger
  EXPECT_EQ(events[3].conds, std::vector<HcpIdent>{rst});
  EXPECT_EQ(events[3].src, reg().unset_val);
  EXPECT_EQ(events[4].src, reg().set_val);
  EXPECT_EQ(events[5].conds, std::vector<HcpIdent>{mrst});
  EXPECT_EQ(events[5].src, reg().unset_val);
}

TEST_F(StateRegFixture, NoClockIsRefused) {
  TriggerSig sig;
  sig.push_depend_node(trig, std::nullopt);
  EXPECT_EQ(fatal_message([&] { build(sig); }), "StateReg::build_update_event: clk_sig_i not assigned");
}

TEST_F(StateRegFixture, WideTriggerSignalIsRefused) {
  HcpIdent wide = a.wire("wide", 2);
  TriggerSig sig;
  sig.set(TriggerSigSlot::Clk, clk);
  sig.push_depend_node(trig, wide);
  std::string msg = fatal_message([&] { build(sig); });
  EXPECT_TRUE(contains(msg, "'" + sr.ident_base.abs_name() + "': signal '" + wide.ident_base.abs_name() +
                                "' must be 1-bit, got 2"))
      << msg;
}

TEST_F(StateRegFixture, RebuildingReplacesTheEventsOfTheEarlierBuild) {
  TriggerSig first;
  first.set(TriggerSigSlot::Clk, clk);
  first.push_depend_node(trig, std::nullopt);
  first.push_depend_node(qual, std::nullopt);
  build(first);
  a.arena.bind_src(sr, trig, std::nullopt, 0, 1, std::nullopt, std::nullopt, std::nullopt);  // not a built event
  TriggerSig second;
  second.set(TriggerSigSlot::Clk, clk);
  second.push_depend_node(start, std::nullopt);
  build(second);
  auto events = flat_pool(a, sr);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].src, trig);  // the bound source stays
  EXPECT_EQ(events[2].conds, std::vector<HcpIdent>{start});
}

// ---------------------------------------------------------------- SyncReg

TEST(SyncRegEvents, ThreeBranchesTheSecondQualified) {
  ArenaWithModule a;
  HcpIdent sy = a.arena.make_sync_reg("j", 3);
  HcpIdent clk = a.wire("clk"), mrst = a.wire("mrst"), q = a.wire("q");
  HcpIdent t0 = a.wire("t0"), t1 = a.wire("t1"), t2 = a.wire("t2");
  const std::string n = sy.ident_base.abs_name();
  auto reg = a.arena.sync_regs.take(sy.ident_base.arena_handle);
  reg->build_support_signal(a.arena);
  ASSERT_TRUE(reg->support.has_value());
  const SyncReg::Support s = *reg->support;
  EXPECT_EQ(a.rel(s.up_state), n + "_UP_STATE");
  EXPECT_EQ(a.rel(s.up_full), n + "_UP_FULL");
  EXPECT_EQ(a.val(s.up_full).value.limbs(), std::vector<std::uint64_t>{7});
  EXPECT_EQ(a.rel(s.down_full), n + "_DOWN_FULL");
  EXPECT_EQ(a.rel(s.test_wire), n + "_TEST_WIRE");
  EXPECT_EQ(s.test_wire.hw_type, HwComponentType::Wire);
  EXPECT_EQ(a.rel(s.end_expr), n + "_END_EXPR");
  const Expression& end = a.expr(s.end_expr);
  EXPECT_EQ(end.op, LogicOp::RelationEq);
  EXPECT_EQ(a.rel(end.a->ident), n + "_OR_TEST");
  const Expression& or_test = a.expr(end.a->ident);
  EXPECT_EQ(or_test.op, LogicOp::BitwiseOr);
  EXPECT_EQ(or_test.a->ident, sy);
  EXPECT_EQ(or_test.a->slice, (Slice{0, 3}));
  EXPECT_EQ(or_test.width, 3);
  EXPECT_EQ(a.expr(s.end_expr_inv).op, LogicOp::BitwiseInvr);

  reg->trigger_sig.set(TriggerSigSlot::Clk, clk);
  reg->trigger_sig.set(TriggerSigSlot::Mrst, mrst);
  reg->trigger_sig.push_depend_node(t0, std::nullopt);
  reg->trigger_sig.push_depend_node(t1, q);
  reg->trigger_sig.push_depend_node(t2, std::nullopt);
  const std::size_t exprs_before = a.internal(HwComponentType::Expression).size();
  reg->build_update_event(a.arena);
  reg.put_back();

  // One act-condition expression, named with the index of the qualified entry.
  const auto& exprs = a.internal(HwComponentType::Expression);
  std::vector<std::string> act_names;
  for (std::size_t i = exprs_before; i < exprs.size(); ++i)
    if (contains(a.rel(exprs[i]), "_ACT_COND_")) act_names.push_back(a.rel(exprs[i]));
  EXPECT_EQ(act_names, std::vector<std::string>{n + "_ACT_COND_1"});

  auto events = flat_pool(a, sy);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 53, 53, 53, kRst}));
  EXPECT_EQ(events[0].conds, std::vector<HcpIdent>{s.end_expr});
  EXPECT_EQ(events[0].src, s.down_full);
  EXPECT_EQ(events[1].conds, (std::vector<HcpIdent>{s.end_expr_inv, t0}));
  EXPECT_EQ(a.rel(events[2].conds[0]), n + "_ACT_COND_1");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(events[1 + i].des_slice, (Slice{i, i + 1}));
    EXPECT_EQ(events[1 + i].src, s.up_state);
  }
  auto wire_events = flat_pool(a, s.test_wire);
  ASSERT_EQ(wire_events.size(), 3u);
  EXPECT_EQ(wire_events[1].conds, (std::vector<HcpIdent>{q, t1}));
  EXPECT_EQ(wire_events[2].conds, std::vector<HcpIdent>{t2});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(wire_events[i].clk_mode, ClockMode::ClkFree);
    EXPECT_FALSE(wire_events[i].clk_src.has_value());
    EXPECT_EQ(wire_events[i].priority, 53);
    EXPECT_EQ(wire_events[i].des_slice, (Slice{i, i + 1}));
  }
}

TEST(SyncRegEvents, MoreEntriesThanSlotsFailAfterBuilding) {
  ArenaWithModule a;
  HcpIdent sy = a.arena.make_sync_reg("j", 2);
  HcpIdent clk = a.wire("clk");
  auto reg = a.arena.sync_regs.take(sy.ident_base.arena_handle);
  EXPECT_EQ(fatal_message([&] { reg->build_update_event(a.arena); }), "build_support_signal must be called first");
  reg->build_support_signal(a.arena);
  reg->trigger_sig.set(TriggerSigSlot::Clk, clk);
  for (const char* t : {"t0", "t1", "t2"}) reg->trigger_sig.push_depend_node(a.wire(t), std::nullopt);
  EXPECT_EQ(fatal_message([&] { reg->build_update_event(a.arena); }),
            "SyncReg '" + sy.ident_base.abs_name() + "': 3 of 2 bit slots filled");
  EXPECT_EQ(reg->get_update_pool().size(), 4u);  // built before the count was checked
}

TEST(SyncRegEvents, TheRegisterItselfCountsWithItsOwnWidth) {
  ArenaWithModule a;
  HcpIdent sy = a.arena.make_sync_reg("j", 2);
  auto reg = a.arena.sync_regs.take(sy.ident_base.arena_handle);
  reg->build_support_signal(a.arena);
  reg->trigger_sig.set(TriggerSigSlot::Clk, a.wire("clk"));
  reg->trigger_sig.set(TriggerSigSlot::Hold, sy);  // 2 bits wide: refused
  std::string msg = fatal_message([&] { reg->build_update_event(a.arena); });
  EXPECT_TRUE(contains(msg, "signal '" + sy.ident_base.abs_name() + "' must be 1-bit, got 2")) << msg;
}

// ---------------------------------------------------------------- CondWaitStateReg

TEST(CondWaitEvents, SupportAndEvents) {
  ArenaWithModule a;
  HcpIdent cond = a.wire("c");
  HcpIdent cw = a.arena.make_cond_wait_state_reg("w", cond, -1, -1);
  HcpIdent clk = a.wire("clk"), hold = a.wire("h"), rst = a.wire("r"), mrst = a.wire("m"), t = a.wire("t");
  const std::string n = cw.ident_base.abs_name();
  auto reg = a.arena.cond_wait_state_regs.take(cw.ident_base.arena_handle);
  EXPECT_EQ(fatal_message([&] { reg->build_update_event(a.arena); }), "build_support_signal must be called first");
  reg->build_support_signal(a.arena);
  const CondWaitStateReg::Support s = *reg->support;
  EXPECT_EQ(a.rel(s.up_state), n + "_UP_STATE");
  EXPECT_EQ(a.rel(s.down_state), n + "_DOWN_STATE");
  EXPECT_EQ(a.rel(s.self_is_up), n + "_SELF_IS_UP");
  EXPECT_EQ(a.expr(s.self_is_up).op, LogicOp::RelationEq);
  const Expression& end = a.expr(s.end_expr);
  EXPECT_EQ(a.rel(s.end_expr), n + "_END_EXPR");
  EXPECT_EQ(end.op, LogicOp::BitwiseAnd);
  EXPECT_EQ(end.a->ident, cw);
  EXPECT_EQ(end.b->ident, cond);

  reg->trigger_sig.set(TriggerSigSlot::Clk, clk);
  reg->trigger_sig.set(TriggerSigSlot::Hold, hold);
  reg->trigger_sig.set(TriggerSigSlot::IntReset, rst);
  reg->trigger_sig.set(TriggerSigSlot::Mrst, mrst);
  reg->trigger_sig.push_depend_node(t, std::nullopt);
  reg->build_update_event(a.arena);
  reg.put_back();
  auto events = flat_pool(a, cw);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 51, 53, 52, kRst}));
  EXPECT_EQ(events[0].conds, (std::vector<HcpIdent>{cond, s.end_expr}));
  EXPECT_EQ(events[0].src, s.down_state);
  EXPECT_EQ(events[1].src, cw);  // hold keeps the value
  EXPECT_EQ(events[2].src, s.up_state);
  EXPECT_EQ(events[3].src, s.down_state);
  EXPECT_EQ(events[4].src, s.down_state);
}

TEST(CondWaitEvents, OneBitSliceOfAWideConditionIsAValidCondition) {
  ArenaWithModule a;
  HcpIdent cond = a.wire("c", 8);
  HcpIdent cw = a.arena.make_cond_wait_state_reg("w", cond, 3, 4);
  auto reg = a.arena.cond_wait_state_regs.take(cw.ident_base.arena_handle);
  reg->build_support_signal(a.arena);
  EXPECT_EQ(a.expr(reg->support->end_expr).b->slice, (Slice{3, 4}));
  reg->trigger_sig.set(TriggerSigSlot::Clk, a.wire("clk"));
  reg->trigger_sig.push_depend_node(a.wire("t"), std::nullopt);
  reg->build_update_event(a.arena);
  const HcpIdent end_expr = reg->support->end_expr;
  reg.put_back();
  // The end of the wait reads bit 3 through end_expr alone, never bit 0.
  auto events = flat_pool(a, cw);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].conds, std::vector<HcpIdent>{end_expr});
}

TEST(CondWaitEvents, SliceThatIsNotValidReadsTheWholeCondition) {
  ArenaWithModule a;
  HcpIdent cond = a.wire("c");
  HcpIdent cw = a.arena.make_cond_wait_state_reg("w", cond, 2, 1);
  auto reg = a.arena.cond_wait_state_regs.take(cw.ident_base.arena_handle);
  reg->build_support_signal(a.arena);
  EXPECT_FALSE(a.expr(reg->support->end_expr).b->slice.has_value());
  reg->trigger_sig.set(TriggerSigSlot::Clk, a.wire("clk"));
  reg->build_update_event(a.arena);
  EXPECT_EQ(reg->get_update_pool().size(), 1u);
}

TEST(CondWaitEvents, WideConditionWithoutSliceIsRefused) {
  ArenaWithModule a;
  HcpIdent cond = a.wire("c", 8);
  HcpIdent cw = a.arena.make_cond_wait_state_reg("w", cond, -1, -1);
  auto reg = a.arena.cond_wait_state_regs.take(cw.ident_base.arena_handle);
  reg->build_support_signal(a.arena);
  reg->trigger_sig.set(TriggerSigSlot::Clk, a.wire("clk"));
  std::string msg = fatal_message([&] { reg->build_update_event(a.arena); });
  EXPECT_TRUE(contains(msg, "'" + cw.ident_base.abs_name() + "': signal '" + cond.ident_base.abs_name() +
                                "' must be 1-bit, got 8"))
      << msg;
}

// ---------------------------------------------------------------- CycleWaitStateReg

class CycleWaitSupport : public ::testing::TestWithParam<std::tuple<std::int32_t, std::int32_t>> {};

TEST_P(CycleWaitSupport, ConstantsFollowTheCount) {
  auto [n, w] = GetParam();
  ArenaWithModule a;
  HcpIdent cy = a.arena.make_cycle_wait_state_reg("y", n);
  auto reg = a.arena.cycle_wait_state_regs.take(cy.ident_base.arena_handle);
  EXPECT_EQ(reg->width, w);
  reg->build_support_signal(a.arena);
  const auto& s = *reg->support;
  const std::string name = cy.ident_base.abs_name();
  EXPECT_EQ(a.rel(s.end_full), name + "_END_FULL");
  EXPECT_EQ(a.val(s.end_full).value.limbs(), std::vector<std::uint64_t>{2 * static_cast<std::uint64_t>(n) + 1});
  EXPECT_EQ(a.val(s.start_cnt).value.limbs(), std::vector<std::uint64_t>{3});
  EXPECT_EQ(a.val(s.inc_step).value.limbs(), std::vector<std::uint64_t>{2});
  EXPECT_TRUE(a.val(s.idle_cnt).value.is_zero());
  for (const HcpIdent& c : {s.idle_cnt, s.start_cnt, s.inc_step, s.end_full}) EXPECT_EQ(a.val(c).width, w);
  EXPECT_EQ(a.expr(s.inc_expr).op, LogicOp::ArithPlus);
  EXPECT_EQ(a.expr(s.inc_expr).width, w);
  EXPECT_EQ(a.expr(s.inc_cond).op, LogicOp::BitwiseAnd);
  EXPECT_EQ(a.expr(s.is_end).op, LogicOp::RelationEq);
  EXPECT_EQ(a.expr(s.is_not_end).op, LogicOp::RelationNeq);
  EXPECT_EQ(a.expr(s.is_active).op, LogicOp::RelationNeq);
}

// n = 1: end_full = start = 3, so the wait ends in its first active cycle.
INSTANTIATE_TEST_SUITE_P(Table, CycleWaitSupport,
                         ::testing::Values(std::make_tuple(1, 2), std::make_tuple(4, 4), std::make_tuple(5, 4)));

TEST(CycleWaitEvents, OrderAndRanges) {
  ArenaWithModule a;
  HcpIdent cy = a.arena.make_cycle_wait_state_reg("y", 4);
  auto reg = a.arena.cycle_wait_state_regs.take(cy.ident_base.arena_handle);
  EXPECT_EQ(fatal_message([&] { reg->build_update_event(a.arena); }), "build_support_signal must be called first");
  reg->build_support_signal(a.arena);
  reg->trigger_sig.set(TriggerSigSlot::Clk, a.wire("clk"));
  reg->trigger_sig.set(TriggerSigSlot::Hold, a.wire("h"));
  reg->trigger_sig.set(TriggerSigSlot::IntReset, a.wire("r"));
  reg->trigger_sig.set(TriggerSigSlot::Mrst, a.wire("m"));
  reg->trigger_sig.push_depend_node(a.wire("t"), a.wire("q"));
  reg->build_update_event(a.arena);
  const auto s = *reg->support;
  reg.put_back();
  auto events = flat_pool(a, cy);
  EXPECT_EQ(priorities(events), (std::vector<std::int32_t>{50, 51, 52, 54, 53, kRst}));
  EXPECT_EQ(events[0].src, s.idle_cnt);
  EXPECT_EQ(events[1].src, s.inc_expr);
  EXPECT_EQ(events[1].des_slice, (Slice{1, 4}));  // bit 0 is never rewritten
  EXPECT_EQ(events[1].src_slice, (Slice{1, 4}));
  EXPECT_EQ(events[2].src, cy);
  EXPECT_EQ(events[3].src, s.start_cnt);
  EXPECT_EQ(events[3].conds.size(), 2u);
  EXPECT_EQ(events[4].src, s.idle_cnt);
  EXPECT_EQ(events[5].src, s.idle_cnt);
}

}  // namespace
}  // namespace velora

namespace velora {
namespace {

// ---------------------------------------------------------------- Verilog declarations

TEST(SpRegVerilog, DeclaredLikeRegistersWithTheirWidths) {
  ArenaWithModule a;
  HcpIdent c = a.wire("c");
  const std::vector<std::pair<HcpIdent, std::string>> cases = {
      {a.arena.make_state_reg("s"), "reg   "},
      {a.arena.make_cond_wait_state_reg("w", c, -1, -1), "reg   "},
      {a.arena.make_sync_reg("j", 3), "reg  [2:0]  "},
      {a.arena.make_cycle_wait_state_reg("y", 4), "reg  [3:0]  "},
      {a.arena.make_cnt_reg("n", 1, 5), "reg  [2:0]  "},
  };
  for (const auto& [reg, type] : cases) {
    StringWriter out;
    ASSERT_EQ(amt_init_line_vb(a.arena, reg), 1u);
    gen_init_line_vb(out, a.arena, reg, 0);
    EXPECT_EQ(out.text(), type + reg.ident_base.abs_name() + ";");
  }
}

}  // namespace
}  // namespace velora
