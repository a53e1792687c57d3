#include "model/hw_component/sp_reg/cycle_wait_state_reg.h"

#include <cmath>
#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

std::int32_t cycle_wait_width(std::int32_t n) {
  double bits = std::floor(std::log2(2.0 * (static_cast<double>(n) + 1.0) - 1.0)) + 1.0;
  return ctrl_hw::saturate_i32(bits);
}

NcpIdent CycleWaitStateReg::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("CycleWaitStateReg::do_asm() is not supported; use build_update_event()");
}

void CycleWaitStateReg::build_support_signal(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  const Slice whole{0, width};
  const std::uint64_t cycles = static_cast<std::uint64_t>(wait_cycle.value_or(0));
  Support s;
  s.idle_cnt = ctrl_hw::make_const(arena, n + "_IDLE_CNT", width, 0);
  s.start_cnt = ctrl_hw::make_const(arena, n + "_START_CNT", width, 3);
  s.inc_step = ctrl_hw::make_const(arena, n + "_INC_STEP", width, 2);
  s.end_full = ctrl_hw::make_const(arena, n + "_END_FULL", width, 2 * cycles + 1);
  s.is_active = ctrl_hw::make_expr(arena, n + "_IS_ACTIVE", LogicOp::RelationNeq, ident, whole, s.idle_cnt, whole);
  s.is_end = ctrl_hw::make_expr(arena, n + "_IS_END", LogicOp::RelationEq, ident, whole, s.end_full, whole);
  s.is_not_end = ctrl_hw::make_expr(arena, n + "_IS_NOT_END", LogicOp::RelationNeq, ident, whole, s.end_full, whole);
  s.inc_cond = ctrl_hw::make_expr(arena, n + "_INC_COND", LogicOp::BitwiseAnd, s.is_active, std::nullopt,
                                  s.is_not_end, std::nullopt);
  s.inc_expr = ctrl_hw::make_expr(arena, n + "_INC_EXPR", LogicOp::ArithPlus, ident, whole, s.inc_step, whole);
  support = s;
}

void CycleWaitStateReg::build_update_event(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  trigger_sig.integrity_check(n, arena, ident, width);
  if (!support) fatal("build_support_signal must be called first");
  const Support& s = *support;
  const std::optional<HcpIdent> clk = trigger_sig.clk_sig_i();

  drop_built_events(hcp_assign.update_pool, built_);
  built_ = begin_build();
  const Slice whole{0, width};
  auto add = [&](const std::optional<HcpIdent>& a, const std::optional<HcpIdent>& b, const HcpIdent& value,
                 Slice des, Slice src, std::int32_t priority) {
    add_update_event(ctrl_hw::make_event(arena, a, b, value, des, src, priority, ClockMode::PosEdge, clk));
  };
  add(s.is_end, std::nullopt, s.idle_cnt, whole, whole, 50);
  // Bit 0 stays 1 while counting: only bits [1, W) take the sum.
  const Slice upper{1, width};
  add(s.inc_cond, std::nullopt, s.inc_expr, upper, upper, 51);
  if (auto hold = trigger_sig.hold()) add(hold, std::nullopt, ident, whole, whole, 52);
  for (const TriggerPair& p : trigger_sig.depends) add(p.qualifier, p.trigger, s.start_cnt, whole, whole, 54);
  if (auto rst = trigger_sig.int_reset()) add(rst, std::nullopt, s.idle_cnt, whole, whole, 53);
  if (auto mrst = trigger_sig.mrst()) add(mrst, std::nullopt, s.idle_cnt, whole, whole, DEFAULT_UE_PRI_RST);
  end_build(built_);
}

}  // namespace velora
