// The register-backed control nodes: start, state, sync, condition wait,
// cycle wait and counter.
//
// Each owns one special register, made by its constructor. `assign_prelim`
// asks the register for its support signals and derives the node's exit
// signal (the raw signal bound with the internal reset, then with hold);
// `assign_final` hands the register the node's `TriggerSig` so that it
// builds its update events.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/nodes/ncp_node.h"

namespace velora {

/// The design's start node: a state pulse after the master reset.
class StartNode final : public TriggeredNode {
 public:
  HcpIdent state_reg;
  HcpIdent start_sig;
  HcpIdent start_expr;  ///< "startExpr": state register == "upState"

  StartNode() = default;
  /// State register "{name}_ST", constant "upState" and "startExpr".
  StartNode(ModelArena& arena, std::string_view name, const HcpIdent& start_signal);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  void assign_prelim(ModelArena&) override {}
  /// The triggers, plus (start signal, no condition), become the state
  /// register's record; the register builds its events.
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override { return start_expr; }
  std::int32_t get_cycle_used() const override { return 1; }
  bool is_state_full_node() const override { return true; }
};

/// A one-cycle control state.
class StateNode final : public TriggeredNode {
 public:
  HcpIdent state_reg;
  std::optional<HcpIdent> raw_state;
  std::optional<HcpIdent> exit;

  StateNode() = default;
  /// State register "{name}_ST".
  StateNode(ModelArena& arena, bool is_user, std::string_view name);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  void assign_prelim(ModelArena& arena) override;
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override;
  HcpIdent get_state_operating() const override;
  std::int32_t get_cycle_used() const override { return untriggered() ? 1 : IN_CONSIST_CYCLE_USED; }
  bool is_state_full_node() const override { return true; }
};

/// Joins `syn_size` branches: exits in the cycle the last one finishes.
class SynNode final : public TriggeredNode {
 public:
  HcpIdent sync_reg;
  std::optional<HcpIdent> raw_end;
  std::optional<HcpIdent> bound_exit_i;
  std::int32_t syn_size = 0;

  SynNode() = default;
  /// Sync register "{name}_SY" of `size` bits ("assertion failed: syn_size > 0").
  SynNode(ModelArena& arena, bool is_user, std::string_view name, std::int32_t size);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  void assign_prelim(ModelArena& arena) override;
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override;
  std::int32_t get_cycle_used() const override { return 0; }
  bool is_state_full_node() const override { return false; }
};

/// Waits until a condition holds.
class WaitCondNode final : public TriggeredNode {
 public:
  HcpIdent wait_reg;
  std::optional<HcpIdent> raw_state_op_i;
  std::optional<HcpIdent> bound_exit_i;

  WaitCondNode() = default;
  /// Condition-wait register "{name}_CW" over cond [slice_start, slice_stop).
  WaitCondNode(ModelArena& arena, bool is_user, std::string_view name, const HcpIdent& cond,
               std::int32_t slice_start, std::int32_t slice_stop);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  void assign_prelim(ModelArena& arena) override;
  /// Needs a depend entry ("WaitCondNode requires at least one depend node").
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override;
  HcpIdent get_state_operating() const override;
  std::int32_t get_cycle_used() const override { return IN_CONSIST_CYCLE_USED; }
  bool is_state_full_node() const override { return true; }
};

/// Waits a fixed number of cycles.
class WaitCycleNode final : public TriggeredNode {
 public:
  HcpIdent wait_reg;
  std::optional<HcpIdent> raw_end;
  std::optional<HcpIdent> bound_exit_i;
  std::optional<std::int32_t> wait_cycle;

  WaitCycleNode() = default;
  /// Cycle-wait register "{name}_CY" ("assertion failed: cycle > 0").
  static WaitCycleNode new_with_cycle(ModelArena& arena, bool is_user, std::string_view name, std::int32_t cycle);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  void assign_prelim(ModelArena& arena) override;
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override;
  std::int32_t get_cycle_used() const override;
  bool is_state_full_node() const override { return true; }
};

/// Counts the exits of its predecessors; exits when the count reaches
/// `last_loop_cnt` - 1 and returns to 0 with the count's last increment.
class CounterNode final : public TriggeredNode {
 public:
  HcpIdent cnt_reg;
  std::optional<HcpIdent> end_expr_i;
  std::int32_t last_loop_cnt = 0;

  CounterNode() = default;
  /// Counter register "{name}_CNT", increment 1, maximum `last`
  /// ("assertion failed: last_loop_cnt > 0").
  CounterNode(ModelArena& arena, bool is_user, std::string_view name, std::int32_t last);

  ClockMode get_clock_mode() const override { return ClockMode::PosEdge; }
  /// Creates "{N}_LAST_CYCLE", "{N}_ZERO", "{N}_AT_LAST" (the exit),
  /// "{N}_INC_VAL" and "{N}_INC".
  void assign_prelim(ModelArena& arena) override;
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override;
  std::int32_t get_cycle_used() const override { return untriggered() ? last_loop_cnt + 1 : IN_CONSIST_CYCLE_USED; }
  bool is_state_full_node() const override { return true; }
};

}  // namespace velora
