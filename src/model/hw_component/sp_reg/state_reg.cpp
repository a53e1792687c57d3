#include "model/hw_component/sp_reg/state_reg.h"

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

NcpIdent StateReg::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("StateReg::do_asm() is not supported; use build_update_event()");
}

void StateReg::build_update_event(ModelArena& arena) {
  const std::string name = ident.ident_base.abs_name();
  trigger_sig.integrity_check(name, arena, ident, 1);
  const std::optional<HcpIdent> clk = trigger_sig.clk_sig_i();
  if (!clk) fatal("StateReg::build_update_event: clk_sig_i not assigned");

  drop_built_events(hcp_assign.update_pool, built_);
  built_ = begin_build();
  const Slice bit{0, 1};
  auto add = [&](const std::optional<HcpIdent>& a, const std::optional<HcpIdent>& b, const HcpIdent& value,
                 std::int32_t priority) {
    add_update_event(ctrl_hw::make_event(arena, a, b, value, bit, bit, priority, ClockMode::PosEdge, clk));
  };
  add(std::nullopt, std::nullopt, unset_val, 50);
  if (auto hold = trigger_sig.hold()) add(hold, std::nullopt, set_val, 51);
  for (const TriggerPair& p : trigger_sig.depends) add(p.qualifier, p.trigger, set_val, 53);
  if (auto rst = trigger_sig.int_reset()) add(rst, std::nullopt, unset_val, 52);
  if (auto start = trigger_sig.int_start()) add(start, std::nullopt, set_val, 54);
  if (auto mrst = trigger_sig.mrst()) add(mrst, std::nullopt, unset_val, DEFAULT_UE_PRI_RST);
  end_build(built_);
}

}  // namespace velora
