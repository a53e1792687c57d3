// The assignment node of a basic assignment. Kept apart from the event
// helpers so that code which only builds events does not pull in the nodes.
#include "model/hw_component/common/hcp_assign.h"
#include "model/model_arena.h"
#include "model/nodes/asm_node.h"

namespace velora {

NcpIdent gen_assign_node(ModelArena& arena, const HcpIdent& des, std::int32_t des_width, ClockMode clk_mode,
                         const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                         std::int32_t src_stop) {
  UpdateEventIdent ue = gen_assign_update_event(arena, des_width, src, des_slice, src_start, src_stop,
                                                current_asm_priority(), clk_mode);
  return make_asm_node(arena, des, ue, clk_mode);
}

}  // namespace velora
