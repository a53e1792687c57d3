#include "model/hw_component/sp_reg/sync_reg.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

NcpIdent SyncReg::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("SyncReg::do_asm() is not supported; use build_update_event()");
}

void SyncReg::build_support_signal(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  const Slice whole{0, size};
  Support s;
  s.up_state = ctrl_hw::make_const(arena, n + "_UP_STATE", 1, 1);
  s.up_full = ctrl_hw::make_const_ones(arena, n + "_UP_FULL", size);
  s.down_full = ctrl_hw::make_const(arena, n + "_DOWN_FULL", size, 0);
  s.test_wire = ctrl_hw::make_wire(arena, n + "_TEST_WIRE", size);
  HcpIdent or_test = ctrl_hw::make_expr(arena, n + "_OR_TEST", LogicOp::BitwiseOr, ident, whole, s.test_wire, whole);
  s.end_expr = ctrl_hw::make_expr(arena, n + "_END_EXPR", LogicOp::RelationEq, or_test, std::nullopt, s.up_full,
                                  std::nullopt);
  s.end_expr_inv = ctrl_hw::make_expr_single(arena, n + "_END_EXPR_INV", LogicOp::BitwiseInvr, s.end_expr,
                                             std::nullopt);
  support = s;
}

void SyncReg::build_update_event(ModelArena& arena) {
  const std::string n = ident.ident_base.abs_name();
  trigger_sig.integrity_check(n, arena, ident, size);
  if (!support) fatal("build_support_signal must be called first");
  const Support& s = *support;
  const std::optional<HcpIdent> clk = trigger_sig.clk_sig_i();

  drop_built_events(hcp_assign.update_pool, built_);
  ctrl_hw::drop_events_of(arena, s.test_wire, built_);
  built_ = begin_build();
  const Slice whole{0, size};
  const Slice bit0{0, 1};
  auto add = [&](const std::optional<HcpIdent>& a, const std::optional<HcpIdent>& b, const HcpIdent& value,
                 Slice des, Slice src, std::int32_t priority) {
    add_update_event(ctrl_hw::make_event(arena, a, b, value, des, src, priority, ClockMode::PosEdge, clk));
  };
  add(s.end_expr, std::nullopt, s.down_full, whole, whole, 50);
  if (auto hold = trigger_sig.hold()) add(hold, std::nullopt, ident, whole, whole, 51);
  const std::int32_t count = static_cast<std::int32_t>(trigger_sig.depends.size());
  for (std::int32_t i = 0; i < count; ++i) {
    const TriggerPair& p = trigger_sig.depends[static_cast<std::size_t>(i)];
    HcpIdent act = s.end_expr_inv;
    if (p.qualifier)
      act = ctrl_hw::make_expr(arena, n + "_ACT_COND_" + std::to_string(i), LogicOp::BitwiseAnd, s.end_expr_inv,
                               std::nullopt, *p.qualifier, std::nullopt);
    const Slice slot{i, i + 1};
    add(act, p.trigger, s.up_state, slot, bit0, 53);
    ctrl_hw::add_event(arena, s.test_wire,
                       ctrl_hw::make_event(arena, p.qualifier, p.trigger, s.up_state, slot, bit0, 53,
                                           ClockMode::ClkFree, std::nullopt));
  }
  if (auto rst = trigger_sig.int_reset()) add(rst, std::nullopt, s.down_full, whole, whole, 52);
  if (auto mrst = trigger_sig.mrst()) add(mrst, std::nullopt, s.down_full, whole, whole, DEFAULT_UE_PRI_RST);
  end_build(built_);

  if (count != size)
    fatal("SyncReg '" + n + "': " + std::to_string(count) + " of " + std::to_string(size) + " bit slots filled");
}

}  // namespace velora
