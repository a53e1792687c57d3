#include "model/hw_component/io_wire.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

IoWire IoWire::new_opt_src(bool is_user, std::string_view name, bool is_input, std::int32_t width,
                           const std::optional<HcpIdent>& actual_src_signal_i,
                           const std::optional<HcpIdent>& agent_src_signal_i, ModelArena& arena) {
  IoWire wire;
  wire.ident = HcpIdent(kType, is_user, name);
  wire.actual_src_signal_i = actual_src_signal_i;
  wire.agent_src_signal_i = agent_src_signal_i;
  wire.width = width;
  wire.is_input = is_input;
  if (agent_src_signal_i) {
    const Slice whole_src = arena.get_des_slice(*agent_src_signal_i);
    wire.add_update_event(gen_assign_update_event(arena, width, *agent_src_signal_i, std::nullopt, whole_src.start,
                                                  whole_src.stop, DEFAULT_UE_PRI_INTERNAL_MIN, ClockMode::ClkFree));
  }
  return wire;
}

NcpIdent IoWire::do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&) {
  fatal("the io wire cannot be do_asm");
}

}  // namespace velora
