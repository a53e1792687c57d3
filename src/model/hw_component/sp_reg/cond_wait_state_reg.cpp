#include "model/hw_component/sp_reg/cond_wait_state_reg.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

NcpIdent CondWaitStateReg::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("CondWaitStateReg::do_asm() is not supported; use build_update_event()");
}

void CondWaitStateReg::build_support_signal(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  const Slice bit{0, 1};
  Support s;
  s.up_state = ctrl_hw::make_const(arena, n + "_UP_STATE", 1, 1);
  s.down_state = ctrl_hw::make_const(arena, n + "_DOWN_STATE", 1, 0);
  s.self_is_up = ctrl_hw::make_expr(arena, n + "_SELF_IS_UP", LogicOp::RelationEq, ident, bit, s.up_state, bit);
  // A slice that is not valid selects the whole condition.
  const OptSlice cond_bits = cond_slice.is_valid() ? OptSlice(cond_slice) : std::nullopt;
  s.end_expr = ctrl_hw::make_expr(arena, n + "_END_EXPR", LogicOp::BitwiseAnd, ident, bit, cond, cond_bits);
  support = s;
}

void CondWaitStateReg::build_update_event(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  trigger_sig.integrity_check(n, arena, ident, 1);
  // The condition counts with the bits its slice selects: a one-bit slice of
  // a wider condition is a valid condition.
  const std::int32_t whole = ctrl_hw::width_of(arena, cond);
  const bool narrowed = cond_slice.is_valid() && cond_slice.size() != whole;
  arena.check_ident_bit_size(cond, 1, n, cond, narrowed ? cond_slice.size() : whole);
  if (!support) fatal("build_support_signal must be called first");
  const Support& s = *support;
  const std::optional<HcpIdent> clk = trigger_sig.clk_sig_i();

  drop_built_events(hcp_assign.update_pool, built_);
  built_ = begin_build();
  const Slice bit{0, 1};
  auto add = [&](const std::optional<HcpIdent>& a, const std::optional<HcpIdent>& b, const HcpIdent& value,
                 std::int32_t priority) {
    add_update_event(ctrl_hw::make_event(arena, a, b, value, bit, bit, priority, ClockMode::PosEdge, clk));
  };
  // The wait ends when the condition holds while waiting; end_expr already
  // reads the selected condition bit, so a narrowed condition is not ANDed in
  // again (its bit 0 would be the wrong bit).
  if (narrowed)
    add(s.end_expr, std::nullopt, s.down_state, 50);
  else
    add(cond, s.end_expr, s.down_state, 50);
  if (auto hold = trigger_sig.hold()) add(hold, std::nullopt, ident, 51);
  for (const TriggerPair& p : trigger_sig.depends) add(p.qualifier, p.trigger, s.up_state, 53);
  if (auto rst = trigger_sig.int_reset()) add(rst, std::nullopt, s.down_state, 52);
  if (auto mrst = trigger_sig.mrst()) add(mrst, std::nullopt, s.down_state, DEFAULT_UE_PRI_RST);
  end_build(built_);
}

}  // namespace velora
