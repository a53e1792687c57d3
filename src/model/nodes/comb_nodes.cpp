#include "model/nodes/comb_nodes.h"

#include "common/error.h"
#include "model/hw_component/sp_reg/ctrl_hw.h"
#include "model/model_arena.h"

namespace velora {

void PseudoNode::assign_final(ModelArena& arena) {
  if (triggers.depends.empty()) fatal("PseudoNode requires at least one depend node");
  std::optional<HcpIdent> acc;
  for (const DependEntry& d : triggers.depends) {
    HcpIdent term = resolve_node_exit_opr(arena, d.pred);
    if (d.cond)
      term = ctrl_hw::make_expr(arena, "node_logic_expr", LogicOp::BitwiseAnd, term, std::nullopt, *d.cond,
                                std::nullopt);
    if (!acc) {
      acc = term;
      continue;
    }
    if (join_op != LogicOp::BitwiseAnd && join_op != LogicOp::BitwiseOr)
      fatal("assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr");
    acc = ctrl_hw::make_expr(arena, "node_logic_expr", join_op, *acc, std::nullopt, term, std::nullopt);
  }
  ctrl_hw::assign_expr_src(arena, join_expr, *acc);
}

const NodeTriggers& OprNode::get_node_triggers() const { fatal("OprNode has no triggers"); }

NodeTriggers& OprNode::get_node_triggers_mut() { fatal("OprNode has no triggers"); }

void OprNode::assign_final(ModelArena&) { fatal("OprNode: assign() is not implemented"); }

}  // namespace velora
