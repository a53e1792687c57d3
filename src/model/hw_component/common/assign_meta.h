// Assignment metadata: one assignment on its way to an update pool.
//
// Zero-cycle constructs turn many assignments into one update event per
// destination. `AssignMeta` carries one assignment (its destination and the
// event that currently represents it) until it is merged by the group, if and
// switch pools (asm_meta_helper/) or handed to an assignment node.
#pragma once

#include <optional>

#include "model/common/identifier.h"
#include "model/controller/clock_mode.h"
#include "model/hw_component/common/update_event.h"

namespace velora {

class ModelArena;

struct AssignMeta {
  HcpIdent des;                            ///< the assigned component
  std::optional<HcpIdent> pending_pre_cond;  ///< a condition still to be applied
  UpdateEventIdent ue;                     ///< the event that currently represents the assignment
  UpdateEventIdent first_ue;               ///< the event the record was built with
  ClockMode clk_mode = ClockMode::ClkUnused;

  AssignMeta() = default;
  AssignMeta(const HcpIdent& des_i, const UpdateEventIdent& ue_i, ClockMode mode)
      : des(des_i), ue(ue_i), first_ue(ue_i), clk_mode(mode) {}

  /// Applies the pending pre-condition, if any, and clears it.
  void apply_pending_pre_cond(ModelArena& arena);
  /// Wraps the current event in a one-entry conditional event on `cond`.
  void add_specific_pre_condition(const HcpIdent& cond, ModelArena& arena);
};

}  // namespace velora
