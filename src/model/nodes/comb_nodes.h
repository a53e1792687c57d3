// The combinational control nodes: the pseudo join and the wrapped signal.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/hw_component/common/operation.h"
#include "model/nodes/reg_nodes.h"

namespace velora {

/// The join (OR, or AND) of (predecessor exit AND condition) over its depend
/// entries, in one expression that exists from creation on, so successors
/// can read it before the node is final.
class PseudoNode final : public TriggeredNode {
 public:
  HcpIdent join_expr;  ///< "pseudo_init_expr"
  std::int32_t width = 0;
  LogicOp join_op = LogicOp::BitwiseOr;

  PseudoNode() = default;
  PseudoNode(const NcpIdent& id, const HcpIdent& expr, std::int32_t w, LogicOp op)
      : join_expr(expr), width(w), join_op(op) {
    ident = id;
  }

  ClockMode get_clock_mode() const override { return ClockMode::ClkFree; }
  void assign_prelim(ModelArena&) override {}
  /// Needs a depend entry ("PseudoNode requires at least one depend node").
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override { return join_expr; }
  std::int32_t get_cycle_used() const override { return 0; }
  bool is_state_full_node() const override { return false; }
};

/// An existing signal seen as a node; it has no triggers.
class OprNode final : public NcpNode {
 public:
  NcpIdent ident;
  HcpIdent signal;

  OprNode() = default;
  OprNode(const NcpIdent& id, const HcpIdent& sig) : ident(id), signal(sig) {}

  void set_arena_handle(const ArenaHandle& h) { ident.ident_base.arena_handle = h; }
  /// Fatal "OprNode has no triggers" (so is every trigger operation).
  const NodeTriggers& get_node_triggers() const override;
  NodeTriggers& get_node_triggers_mut() override;
  const NcpIdent& get_ncp_ident() const override { return ident; }
  ClockMode get_clock_mode() const override { return ClockMode::ClkFree; }
  void assign_prelim(ModelArena&) override {}
  /// Fatal "OprNode: assign() is not implemented".
  void assign_final(ModelArena& arena) override;
  HcpIdent get_exit_opr() const override { return signal; }
  std::int32_t get_cycle_used() const override { return 0; }
  bool is_state_full_node() const override { return false; }
};

}  // namespace velora
