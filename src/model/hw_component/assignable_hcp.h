// The assignment interface shared by the component kinds.
//
// `AssignableHcp<Kind>` implements the assignable and base operations of a
// component in terms of the kind's width (`des_width()`) and clock mode
// (`kClkMode`). A kind that refuses an operation declares its own member of
// the same name, which hides the one here; the arena's dispatch calls members
// on the concrete kind, so no virtual call is involved.
#pragma once

#include <cstdint>
#include <optional>

#include "model/controller/clock_mode.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/hcp_assign.h"

namespace velora {

template <class Kind>
struct AssignableHcp : HcpRecordBase {
  ClockMode retrieve_clk_mode() const { return Kind::kClkMode; }
  /// [0, width): the whole component.
  Slice get_des_slice() const { return Slice{0, self().des_width()}; }
  /// The current assignment priority.
  std::int32_t get_priority() const { return current_asm_priority(); }

  NcpIdent do_asm(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                  ModelArena& arena) {
    return self().gen_asm_node(src, des_slice, src_start, src_stop, arena);
  }
  UpdateEventIdent gen_update_event(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                                    std::int32_t src_stop, ModelArena& arena) {
    return gen_assign_update_event(arena, self().des_width(), src, des_slice, src_start, src_stop,
                                   current_asm_priority(), Kind::kClkMode);
  }
  UpdateEventIdent gen_update_event_with_pri(const HcpIdent& src, const OptSlice& des_slice,
                                             std::int32_t src_start, std::int32_t src_stop, std::int32_t priority,
                                             ClockMode clk_mode, ModelArena& arena) {
    return gen_assign_update_event(arena, self().des_width(), src, des_slice, src_start, src_stop, priority,
                                   clk_mode);
  }
  AssignMeta gen_asm_meta(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                          std::int32_t src_stop, ModelArena& arena) {
    return gen_assign_meta(arena, ident, self().des_width(), Kind::kClkMode, src, des_slice, src_start, src_stop);
  }
  NcpIdent gen_asm_node(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                        std::int32_t src_stop, ModelArena& arena) {
    return gen_assign_node(arena, ident, self().des_width(), Kind::kClkMode, src, des_slice, src_start, src_stop);
  }
  void bind_src(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                std::optional<std::int32_t> priority, std::optional<ClockMode> clk_mode,
                const std::optional<HcpIdent>& clk_src, ModelArena& arena) {
    bind_src_into(arena, hcp_assign.update_pool, self().des_width(), src, des_slice, src_start, src_stop, priority,
                  clk_mode, clk_src);
  }

  /// Every component read by the events of the pool.
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
    hcp_assign.update_pool.gather_dep_hcps(arena, out);
  }
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
    hcp_assign.update_pool.remap_dep_hcps(map, arena);
  }

 private:
  const Kind& self() const { return static_cast<const Kind&>(*this); }
  Kind& self() { return static_cast<Kind&>(*this); }
};

}  // namespace velora
