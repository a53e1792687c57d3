#include "model/nodes/ncp_node.h"

#include <cstdio>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

HcpIdent NcpNode::get_exit_opr() const { fatal("get_exit_opr: not implemented"); }

HcpIdent NcpNode::get_state_operating() const { fatal("get_state_operating: not implemented"); }

void NcpNode::dry_assign(ModelArena&) { fatal("dry_assign: not implemented"); }

std::string NcpNode::get_md_ident_val() const {
  std::string out(printed(get_node_type()));
  char buf[32];
  std::snprintf(buf, sizeof buf, " @ %p", static_cast<const void*>(this));
  out.append(buf);
  return out;
}

HcpIdent NcpNode::resolve_node_exit_opr(const ModelArena& arena, const NcpIdent& node) const {
  if (same_node(node, get_ncp_ident())) return get_exit_opr();
  return arena.get_ncp_node(node).get_exit_opr();
}

namespace {

std::optional<HcpIdent> exit_of_opt(const NcpNode& self, const ModelArena& arena, const std::optional<NcpIdent>& n) {
  if (!n) return std::nullopt;
  return self.resolve_node_exit_opr(arena, *n);
}

}  // namespace

void NcpNode::init_ctrl_sigs(TriggerSig& out, const ModelArena& arena) const {
  const NodeTriggers& t = get_node_triggers();
  out.set(TriggerSigSlot::Hold, exit_of_opt(*this, arena, t.hold()));
  out.set(TriggerSigSlot::IntReset, exit_of_opt(*this, arena, t.int_reset()));
  out.set(TriggerSigSlot::Mrst, exit_of_opt(*this, arena, t.mrst()));
  out.set(TriggerSigSlot::Clk, exit_of_opt(*this, arena, t.clk()));
}

void NcpNode::init_int_start_sig(TriggerSig& out, const ModelArena& arena) const {
  out.set(TriggerSigSlot::IntStart, exit_of_opt(*this, arena, get_node_triggers().int_start()));
}

TriggerSig NcpNode::to_trigger_sig(const ModelArena& arena) const {
  TriggerSig sig;
  init_ctrl_sigs(sig, arena);
  init_int_start_sig(sig, arena);
  const NodeTriggers& t = get_node_triggers();
  sig.depends.reserve(t.depends.size());
  for (const DependEntry& d : t.depends) sig.push_depend_node(resolve_node_exit_opr(arena, d.pred), d.cond);
  return sig;
}

HcpIdent NcpNode::bind_with_rst_output_if_reset(ModelArena& arena, const HcpIdent& sig) const {
  std::optional<NcpIdent> rst = get_int_reset_node();
  if (!rst) return sig;
  HcpIdent inv = ctrl_hw::make_expr_single(arena, "node_int_inv", LogicOp::BitwiseInvr,
                                           resolve_node_exit_opr(arena, *rst), std::nullopt);
  return ctrl_hw::make_expr(arena, "node_bind_rst", LogicOp::BitwiseAnd, sig, std::nullopt, inv, std::nullopt);
}

HcpIdent NcpNode::bind_with_hold_if_hold(ModelArena& arena, const HcpIdent& sig) const {
  std::optional<NcpIdent> hold = get_hold_node();
  if (!hold) return sig;
  HcpIdent inv = ctrl_hw::make_expr_single(arena, "node_hold_inv", LogicOp::BitwiseInvr,
                                           resolve_node_exit_opr(arena, *hold), std::nullopt);
  return ctrl_hw::make_expr(arena, "node_bind_hold", LogicOp::BitwiseAnd, sig, std::nullopt, inv, std::nullopt);
}

}  // namespace velora
