#include "model/hw_component/common/hcp_assign.h"

#include "common/error.h"
#include "model/controller/asm_priority.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/model_arena.h"

namespace velora {

std::int32_t current_asm_priority() { return get_cur_priority(); }

UpdateEventIdent gen_assign_update_event(ModelArena& arena, std::int32_t des_width, const HcpIdent& src,
                                         const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                                         std::int32_t priority, ClockMode clk_mode) {
  const Slice des = resolve_opt_slice(des_slice, des_width);
  const std::int64_t c = des.start, e = des.stop, a = src_start, b = src_stop;
  if (c + (b - a) > e || a + (e - c) > b) fatal("assertion failed: self.is_size_in_range_rel(b.get_size())");
  return arena.make_ue_basic(src, des.start, static_cast<std::int32_t>(c + (b - a)), src_start,
                             static_cast<std::int32_t>(a + (e - c)), priority, clk_mode, false, std::nullopt);
}

AssignMeta gen_assign_meta(ModelArena& arena, const HcpIdent& des, std::int32_t des_width, ClockMode clk_mode,
                           const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                           std::int32_t src_stop) {
  UpdateEventIdent ue = gen_assign_update_event(arena, des_width, src, des_slice, src_start, src_stop,
                                                current_asm_priority(), clk_mode);
  return AssignMeta(des, ue, clk_mode);
}

void bind_src_into(ModelArena& arena, UpdatePool& pool, std::int32_t des_width, const HcpIdent& src,
                   const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                   std::optional<std::int32_t> priority, std::optional<ClockMode> clk_mode,
                   const std::optional<HcpIdent>& clk_src) {
  const ClockMode mode = clk_mode.value_or(ClockMode::ClkFree);
  if (is_edge(mode) && !clk_src) fatal("no clk_src specified for binded source with posedge or negedge clk");
  UpdateEventIdent ue = gen_assign_update_event(arena, des_width, src, des_slice, src_start, src_stop,
                                                priority.value_or(DEFAULT_UE_PRI_INTERNAL_MIN), mode);
  if (is_edge(mode)) arena.take_ue(ue, [&](auto& e) { e.set_clk_src_i(clk_src); });
  pool.push(ue);
}

}  // namespace velora
