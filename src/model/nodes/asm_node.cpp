#include "model/nodes/asm_node.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

ClockMode AsmNode::get_clock_mode() const {
  return asm_metas.empty() ? ClockMode::ClkUnused : asm_metas.front().clk_mode;
}

void AsmNode::assign_prelim(ModelArena&) { fatal("AsmNode::assign_prelim(): is not support in AsmNode"); }

void AsmNode::assign_final(ModelArena&) {
  fatal("AsmNode::assign_final(): use assign_from_state_node or dry_assign");
}

void AsmNode::dry_assign(ModelArena& arena) {
  if (asm_metas.empty()) fatal("assertion failed: !self.asm_metas.is_empty()");
  if (!triggers.depends.empty())
    fatal_not_equal("dry assign must have no depend nodes", std::to_string(triggers.depends.size()), "0");
  for (const AssignMeta& meta : asm_metas) ctrl_hw::add_event(arena, meta.des, meta.ue);
}

void AsmNode::assign_from_state_node(ModelArena& arena) {
  if (triggers.depends.size() != 1)
    fatal_not_equal("AsmNode must have exactly one parent depend", std::to_string(triggers.depends.size()), "1");
  if (asm_metas.empty()) fatal("assertion failed: !self.asm_metas.is_empty()");
  const DependEntry parent = triggers.depends.front();

  // pre = ((cond AND NOT hold) AND NOT int_reset) AND parent state; absent
  // parts drop out.
  std::optional<HcpIdent> pre = parent.cond;
  auto combine = [&](const HcpIdent& right) {
    if (!pre)
      pre = right;
    else
      pre = ctrl_hw::make_expr(arena, "node_logic_expr", LogicOp::BitwiseAnd, *pre, std::nullopt, right,
                               std::nullopt);
  };
  if (std::optional<NcpIdent> hold = triggers.hold())
    combine(ctrl_hw::make_expr_single(arena, "asm_hold_inv", LogicOp::BitwiseInvr,
                                      resolve_node_exit_opr(arena, *hold), std::nullopt));
  if (std::optional<NcpIdent> rst = triggers.int_reset())
    combine(ctrl_hw::make_expr_single(arena, "asm_rst_inv", LogicOp::BitwiseInvr,
                                      resolve_node_exit_opr(arena, *rst), std::nullopt));
  // An assignment node has no state of its own: naming itself as its parent
  // ends in the default refusal.
  combine(same_node(parent.pred, ident) ? get_state_operating()
                                        : arena.get_ncp_node(parent.pred).get_state_operating());

  for (AssignMeta& meta : asm_metas) {
    if (pre) meta.add_specific_pre_condition(*pre, arena);
    ctrl_hw::add_event(arena, meta.des, meta.ue);
  }
}

namespace {

bool has_event(const AssignMeta& meta) { return meta.ue.ue_type != UeType::UE_UNTYPE; }

}  // namespace

void AsmNode::set_clk_src(ModelArena& arena) {
  std::optional<NcpIdent> clk = triggers.clk();
  if (!clk) return;
  set_clk_src_direct(arena, resolve_node_exit_opr(arena, *clk));
}

void AsmNode::set_clk_src_direct(ModelArena& arena, const HcpIdent& clk) {
  for (const AssignMeta& meta : asm_metas)
    if (is_edge(meta.clk_mode) && has_event(meta)) ctrl_hw::set_event_clk_src(arena, meta.ue, clk);
}

void AsmNode::apply_pending_pre_cond(ModelArena& arena) {
  for (AssignMeta& meta : asm_metas) meta.apply_pending_pre_cond(arena);
}

NcpIdent make_asm_node(ModelArena& arena, const HcpIdent& des, const UpdateEventIdent& ue, ClockMode clk_mode) {
  std::string name = des.ident_base.abs_name();
  name.append("_asm");
  return arena.make_asm_node(false, name, AssignMeta(des, ue, clk_mode));
}

}  // namespace velora
