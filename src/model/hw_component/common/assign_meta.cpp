#include "model/hw_component/common/assign_meta.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

void AssignMeta::add_specific_pre_condition(const HcpIdent& cond, ModelArena& arena) {
  const UeCommon& c = arena.get_ue_common(ue);
  if (c.clk_mode == ClockMode::ClkFree && c.clk_src)
    fatal("make_ue_*: clk_src must be None when clk_mode is ClkFree");
  if (is_edge(c.clk_mode) && !c.clk_src)
    fatal("make_ue_*: clk_src must be assigned when clk_mode is Posedge or NegEdge");
  ue = arena.make_ue_add_dis(cond, std::nullopt, ue);
}

void AssignMeta::apply_pending_pre_cond(ModelArena& arena) {
  if (!pending_pre_cond) return;
  HcpIdent cond = *pending_pre_cond;
  add_specific_pre_condition(cond, arena);
  pending_pre_cond.reset();
}

}  // namespace velora
