// Assignment nodes.
//
// An `AsmNode` carries one or more assignments (`AssignMeta`: destination,
// update event, clock mode) until it is completed, in one of two ways:
// `dry_assign` (outside any flow state: each event joins its destination's
// update pool as it is) or `assign_from_state_node` (the events fire while
// the parent state is active: each is first wrapped in the state's
// pre-condition). It owns no register and offers no exit signal.
#pragma once

#include <cstdint>
#include <vector>

#include "model/controller/clock_mode.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"
#include "model/nodes/ncp_node.h"

namespace velora {

class AsmNode final : public TriggeredNode {
 public:
  /// Never empty once made by a factory.
  std::vector<AssignMeta> asm_metas;

  AsmNode() = default;
  AsmNode(const NcpIdent& id, std::vector<AssignMeta> metas) : asm_metas(std::move(metas)) { ident = id; }

  /// The first meta's clock mode; ClkUnused without metas.
  ClockMode get_clock_mode() const override;
  /// Fatal "AsmNode::assign_prelim(): is not support in AsmNode".
  void assign_prelim(ModelArena& arena) override;
  /// Fatal "AsmNode::assign_final(): use assign_from_state_node or dry_assign".
  void assign_final(ModelArena& arena) override;
  std::int32_t get_cycle_used() const override { return 1; }
  bool is_state_full_node() const override { return true; }
  /// Adds every meta's event to its destination's update pool; needs at
  /// least one meta and no depend entry.
  void dry_assign(ModelArena& arena) override;

  /// Wraps every meta's event in the parent state's pre-condition
  /// (cond AND NOT hold AND NOT int_reset AND parent state) and adds it to
  /// its destination's update pool; needs exactly one depend entry.
  void assign_from_state_node(ModelArena& arena);
  /// Gives the clk trigger's exit signal to the edge-clocked events.
  void set_clk_src(ModelArena& arena);
  /// Gives `clk` to the edge-clocked events.
  void set_clk_src_direct(ModelArena& arena, const HcpIdent& clk);
  /// Applies every meta's pending pre-condition, in order.
  void apply_pending_pre_cond(ModelArena& arena);
};

/// The assignment node of one basic assignment: named "{}_asm" after the
/// destination's global name (for example REG_r_5_asm), not a user node,
/// carrying the destination and its basic update event `ue` (which is not yet
/// in the destination's update pool) with the destination kind's clock mode.
/// Inserted into the AsmNode group; returns its identifier.
NcpIdent make_asm_node(ModelArena& arena, const HcpIdent& des, const UpdateEventIdent& ue, ClockMode clk_mode);

}  // namespace velora
