#include "model/hw_component/reg.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

Reg::Reg(bool is_user, std::string_view name, std::int32_t bit_width) : width(bit_width) {
  ident = HcpIdent(kType, is_user, name);
}

void Reg::set_reset_val(const HcpIdent& val) {
  if (reset_val) fatal("reset_val is set already");
  reset_val = val;
}

void Reg::try_build_reset(const HcpIdent& /*clk_src*/, const HcpIdent& rst, ModelArena& arena) {
  if (!reset_val) return;
  const Slice whole_src = arena.get_des_slice(*reset_val);
  UpdateEventIdent ue = arena.make_ue_full(std::nullopt, rst, *reset_val, 0, width, whole_src.start, whole_src.stop,
                                           DEFAULT_UE_PRI_RST, ClockMode::ClkFree, false, std::nullopt);
  add_update_event(ue);
}

}  // namespace velora
