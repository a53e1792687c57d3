// The control node interface.
//
// Flow blocks compile into a graph of control nodes. Every node offers an
// exit signal, a 1-bit signal that is 1 in the cycle in which the node hands
// control on; edges are depend entries stored in the successor. The node
// kinds (assignment, start, state, synchronisation, waits, counter, pseudo
// join, wrapped signal) live in nine arena groups and implement `NcpNode`.
//
// Protocol, as the compilers drive it: create the node; `fill_ext_node` with
// the enclosing block's control nodes; add predecessors; `assign_prelim`
// (support signals and exit signal now exist); `assign_final` (once every
// predecessor has its exit: the node's triggers become a `TriggerSig` and its
// special register builds its update events).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/controller/clock_mode.h"
#include "model/hw_component/sp_reg/trigger_sig.h"
#include "model/nodes/node_triggers.h"

namespace velora {

class ModelArena;

class NcpNode {
 public:
  virtual ~NcpNode() = default;

  // ---- HasNodeTriggerSig
  /// The node's trigger record (fatal "OprNode has no triggers" for OprNode).
  virtual const NodeTriggers& get_node_triggers() const = 0;
  virtual NodeTriggers& get_node_triggers_mut() = 0;
  std::optional<NcpIdent> get_hold_node() const { return get_node_triggers().hold(); }
  std::optional<NcpIdent> get_int_reset_node() const { return get_node_triggers().int_reset(); }
  std::optional<NcpIdent> get_int_start_node() const { return get_node_triggers().int_start(); }
  std::optional<NcpIdent> get_mrst_node() const { return get_node_triggers().mrst(); }
  std::optional<NcpIdent> get_clk_node() const { return get_node_triggers().clk(); }
  void set_hold_node(const std::optional<NcpIdent>& n) { get_node_triggers_mut().set(TriggerSlot::Hold, n); }
  void set_int_reset_node(const std::optional<NcpIdent>& n) {
    get_node_triggers_mut().set(TriggerSlot::IntReset, n);
  }
  void set_int_start_node(const std::optional<NcpIdent>& n) {
    get_node_triggers_mut().set(TriggerSlot::IntStart, n);
  }
  void set_mrst_node(const std::optional<NcpIdent>& n) { get_node_triggers_mut().set(TriggerSlot::Mrst, n); }
  void set_clk_node(const std::optional<NcpIdent>& n) { get_node_triggers_mut().set(TriggerSlot::Clk, n); }
  void add_depend_node(const NcpIdent& pred, const std::optional<HcpIdent>& cond) {
    get_node_triggers_mut().add_depend(pred, cond);
  }
  /// Copies hold, int_reset, mrst and clk of the block's control nodes
  /// (absent ones clear present ones); int_start only when `with_start`.
  void fill_ext_node(const NodeTriggers& ext, bool with_start) { get_node_triggers_mut().fill_ext(ext, with_start); }

  // ---- NcpNode
  virtual const NcpIdent& get_ncp_ident() const = 0;
  virtual ClockMode get_clock_mode() const = 0;
  NodeType get_node_type() const { return get_ncp_ident().node_type; }
  /// Builds the support signals and the exit signal.
  virtual void assign_prelim(ModelArena& arena) = 0;
  /// Turns the triggers into a `TriggerSig` and lets the register build its
  /// update events.
  virtual void assign_final(ModelArena& arena) = 0;
  /// The exit signal (default: fatal "get_exit_opr: not implemented").
  virtual HcpIdent get_exit_opr() const;
  /// The raw in-state signal, before reset and hold are applied (default:
  /// fatal "get_state_operating: not implemented").
  virtual HcpIdent get_state_operating() const;
  /// Cycles the node occupies, or IN_CONSIST_CYCLE_USED.
  virtual std::int32_t get_cycle_used() const = 0;
  /// Assignment without a parent state (default: fatal "dry_assign: not
  /// implemented").
  virtual void dry_assign(ModelArena& arena);
  virtual bool is_state_full_node() const = 0;
  /// Diagnostic label "<display text> @ <token>"; nothing reads it.
  std::string get_md_ident_val() const;

  /// Exit signal of `node`: this node's own when `node` names it, otherwise
  /// the exit of the node found in the arena.
  HcpIdent resolve_node_exit_opr(const ModelArena& arena, const NcpIdent& node) const;
  // The trigger operations below read the record through
  // `get_node_triggers`, so they all refuse for a node without triggers.

  /// Fills hold, int_reset, mrst and clk of `out` with the exit signals of
  /// the trigger nodes (absent trigger: absent signal).
  void init_ctrl_sigs(TriggerSig& out, const ModelArena& arena) const;
  /// Fills int_start of `out` the same way.
  void init_int_start_sig(TriggerSig& out, const ModelArena& arena) const;
  /// The signal-level image of the triggers, depend pairs in order.
  TriggerSig to_trigger_sig(const ModelArena& arena) const;
  /// sig AND NOT int_reset exit ("node_bind_rst", "node_int_inv") when the
  /// node has an int_reset, else `sig`.
  HcpIdent bind_with_rst_output_if_reset(ModelArena& arena, const HcpIdent& sig) const;
  /// sig AND NOT hold exit ("node_bind_hold", "node_hold_inv") when the node
  /// has a hold, else `sig`.
  HcpIdent bind_with_hold_if_hold(ModelArena& arena, const HcpIdent& sig) const;

 protected:
  NcpNode() = default;
  NcpNode(const NcpNode&) = default;
  NcpNode(NcpNode&&) = default;
  NcpNode& operator=(const NcpNode&) = default;
  NcpNode& operator=(NcpNode&&) = default;
};

/// What every node with a trigger record holds.
class TriggeredNode : public NcpNode {
 public:
  NcpIdent ident;
  NodeTriggers triggers;

  void set_arena_handle(const ArenaHandle& h) { ident.ident_base.arena_handle = h; }
  const NodeTriggers& get_node_triggers() const override { return triggers; }
  NodeTriggers& get_node_triggers_mut() override { return triggers; }
  const NcpIdent& get_ncp_ident() const override { return ident; }

 protected:
  TriggeredNode() = default;
  TriggeredNode(NodeType type, bool is_user, std::string_view name) : ident(type, is_user, name) {}
  /// True when the node has none of hold, int_reset and int_start.
  bool untriggered() const;
  /// `raw` bound with int_reset, then with hold.
  HcpIdent bind_exit(ModelArena& arena, const HcpIdent& raw) const;
};

}  // namespace velora
