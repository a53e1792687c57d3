// The control-node operations of the model arena: factories, lookup by node
// type, and the take-run-put-back drivers the compilers use.
#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

namespace {

template <class Node>
NcpIdent insert_node(ArenaGroup<Node>& group, Node node) {
  ArenaHandle h = group.insert(std::move(node));
  return group.get(h).ident;
}

void expect_asm(const NcpIdent& ident) {
  if (ident.node_type != NodeType::Asm)
    fatal_not_equal("NodeType", variant_name(ident.node_type), variant_name(NodeType::Asm));
}

}  // namespace

NcpIdent ModelArena::make_asm_node(bool is_user, std::string_view name, AssignMeta meta) {
  std::vector<AssignMeta> metas;
  metas.push_back(std::move(meta));
  return insert_node(asm_nodes, AsmNode(NcpIdent(NodeType::Asm, is_user, name), std::move(metas)));
}

NcpIdent ModelArena::make_asm_node_many(std::string_view name, std::vector<AssignMeta> metas) {
  if (metas.empty()) fatal("assertion failed: !metas.is_empty()");
  return insert_node(asm_nodes, AsmNode(NcpIdent(NodeType::Asm, false, name), std::move(metas)));
}

NcpIdent ModelArena::make_opr_node(std::string_view name, const HcpIdent& signal) {
  return insert_node(opr_nodes, OprNode(NcpIdent(NodeType::Opr, false, name), signal));
}

NcpIdent ModelArena::make_pseudo_node(std::string_view name, std::int32_t width, LogicOp join) {
  if (join != LogicOp::BitwiseAnd && join != LogicOp::BitwiseOr)
    fatal("assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr");
  HcpIdent expr = make_expression_empty(false, "pseudo_init_expr", width);
  return insert_node(pseudo_nodes, PseudoNode(NcpIdent(NodeType::Pseudo, false, name), expr, width, join));
}

NcpIdent ModelArena::make_start_node(std::string_view name, const HcpIdent& start_signal) {
  return insert_node(start_nodes, StartNode(*this, name, start_signal));
}

NcpIdent ModelArena::make_state_node(bool is_user, std::string_view name) {
  return insert_node(state_nodes, StateNode(*this, is_user, name));
}

NcpIdent ModelArena::make_syn_node(bool is_user, std::string_view name, std::int32_t syn_size) {
  return insert_node(syn_nodes, SynNode(*this, is_user, name, syn_size));
}

NcpIdent ModelArena::make_wait_cond_node(bool is_user, std::string_view name, const HcpIdent& cond,
                                         std::int32_t slice_start, std::int32_t slice_stop) {
  return insert_node(wait_cond_nodes, WaitCondNode(*this, is_user, name, cond, slice_start, slice_stop));
}

NcpIdent ModelArena::make_wait_cycle_node(bool is_user, std::string_view name, std::int32_t cycle) {
  return insert_node(wait_cycle_nodes, WaitCycleNode::new_with_cycle(*this, is_user, name, cycle));
}

NcpIdent ModelArena::make_counter_node(bool is_user, std::string_view name, std::int32_t last_loop_cnt) {
  return insert_node(counter_nodes, CounterNode(*this, is_user, name, last_loop_cnt));
}

const NcpNode& ModelArena::get_ncp_node(const NcpIdent& ident) const {
  const ArenaHandle& h = ident.ident_base.arena_handle;
  switch (ident.node_type) {
    case NodeType::Asm: return asm_nodes.get(h);
    case NodeType::State: return state_nodes.get(h);
    case NodeType::Syn: return syn_nodes.get(h);
    case NodeType::Pseudo: return pseudo_nodes.get(h);
    case NodeType::Opr: return opr_nodes.get(h);
    case NodeType::WaitCond: return wait_cond_nodes.get(h);
    case NodeType::WaitCycle: return wait_cycle_nodes.get(h);
    case NodeType::Counter: return counter_nodes.get(h);
    case NodeType::Start: return start_nodes.get(h);
  }
  fatal("unknown NodeType");
}

NcpNode& ModelArena::get_ncp_node_mut(const NcpIdent& ident) {
  return const_cast<NcpNode&>(static_cast<const ModelArena&>(*this).get_ncp_node(ident));
}

void ModelArena::assign_ncp_node(const NcpIdent& ident, bool prelim, bool final) {
  take_ncp_node(ident, [&](NcpNode& node) {
    if (prelim) node.assign_prelim(*this);
    if (final) node.assign_final(*this);
  });
}

void ModelArena::dry_assign_asm_node(const NcpIdent& ident) {
  expect_asm(ident);
  auto node = asm_nodes.take(ident.ident_base.arena_handle);
  node->dry_assign(*this);
}

void ModelArena::init_asm_node_clk_src(const NcpIdent& ident) {
  expect_asm(ident);
  auto node = asm_nodes.take(ident.ident_base.arena_handle);
  node->set_clk_src(*this);
}

void ModelArena::assign_asm_from_state_node(const NcpIdent& ident) {
  expect_asm(ident);
  auto node = asm_nodes.take(ident.ident_base.arena_handle);
  node->assign_from_state_node(*this);
}

void ModelArena::set_asm_node_clk_src_direct(const NcpIdent& ident, const HcpIdent& clk) {
  expect_asm(ident);
  auto node = asm_nodes.take(ident.ident_base.arena_handle);
  node->set_clk_src_direct(*this, clk);
}

void ModelArena::apply_asm_node_pending_pre_cond(const NcpIdent& ident) {
  expect_asm(ident);
  auto node = asm_nodes.take(ident.ident_base.arena_handle);
  node->apply_pending_pre_cond(*this);
}

}  // namespace velora
