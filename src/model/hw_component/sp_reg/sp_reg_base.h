// What the special registers share.
//
// A special register is the state-holding hardware of a control node. It is
// assigned like a register (PosEdge, whole range, update pool, port mark,
// bind_src), except that its assignment priority is fixed at 50 rather than
// the current assignment priority, and that all but `CntReg` refuse ordinary
// assignments: they build their own update events from the `TriggerSig` their
// node gives them.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"
#include "model/hw_component/common/update_pool.h"
#include "model/hw_component/sp_reg/trigger_sig.h"
#include "model/nodes/asm_node.h"

namespace velora {

/// The fixed assignment priority of special registers.
inline constexpr std::int32_t kSpRegPriority = 50;

/// The range of global ids of the update events one `build_update_event`
/// made, so that a rebuild can drop them before building anew.
struct BuiltEvents {
  std::uint64_t first = 1;
  std::uint64_t last = 0;  ///< first > last: nothing built yet

  bool contains(const UpdateEventIdent& ue) const { return ue.global_id >= first && ue.global_id <= last; }
};

/// Marks the start of a build: returns the range to fill with `end_build`.
BuiltEvents begin_build();
void end_build(BuiltEvents& range);
/// Removes the events of `range` from `pool`, keeping the others in order.
void drop_built_events(UpdatePool& pool, const BuiltEvents& range);

template <class Kind>
struct SpRegBase : AssignableHcp<Kind> {
  static constexpr ClockMode kClkMode = ClockMode::PosEdge;

  TriggerSig trigger_sig;

  std::int32_t get_priority() const { return kSpRegPriority; }

  UpdateEventIdent gen_update_event(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                                    std::int32_t src_stop, ModelArena& arena) {
    return gen_assign_update_event(arena, kind().des_width(), src, des_slice, src_start, src_stop, kSpRegPriority,
                                   kClkMode);
  }
  AssignMeta gen_asm_meta(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                          std::int32_t src_stop, ModelArena& arena) {
    return AssignMeta(this->ident, gen_update_event(src, des_slice, src_start, src_stop, arena), kClkMode);
  }
  NcpIdent gen_asm_node(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                        std::int32_t src_stop, ModelArena& arena) {
    return make_asm_node(arena, this->ident, gen_update_event(src, des_slice, src_start, src_stop, arena), kClkMode);
  }

 protected:
  /// Events of the previous `build_update_event`, dropped when it runs again.
  BuiltEvents built_;

 private:
  const Kind& kind() const { return static_cast<const Kind&>(*this); }
};

}  // namespace velora
