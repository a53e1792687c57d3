#include "model/flow_block/common/flow_block_base.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/common/asm_meta_helper/grp_pool.h"
#include "model/model_arena.h"

namespace velora {

void FlowBlockBase::push_basic_node(const NcpIdent& node) {
  basic_nodes.push_back(node);
  basic_node_keys.push_back(element_counter++);
}

void FlowBlockBase::push_sub_block(const FlowBlockIdent& block) {
  sub_blocks_i.push_back(block);
  sub_block_keys.push_back(element_counter++);
}

void FlowBlockBase::push_con_block(const FlowBlockIdent& block) {
  con_blocks_i.push_back(block);
  con_block_keys.push_back(element_counter++);
}

std::vector<HcpIdent>& FlowBlockBase::sources(ExtSigType kind) {
  switch (kind) {
    case ExtSigType::Hold: return hold_srcs;
    case ExtSigType::Reset: return rst_srcs;
    case ExtSigType::Start: return start_srcs;
    case ExtSigType::Mrst: return mrst_srcs;
    case ExtSigType::Clk: break;
  }
  return clk_srcs;
}

const std::vector<HcpIdent>& FlowBlockBase::sources(ExtSigType kind) const {
  return const_cast<FlowBlockBase*>(this)->sources(kind);
}

void FlowBlockBase::propagate_ext_sources(ModelArena& arena) const {
  if (rst_srcs.empty() && hold_srcs.empty() && mrst_srcs.empty() && clk_srcs.empty()) return;
  for (std::size_t i = 0, n = child_count(); i < n; ++i) {
    arena.take_flow_block(child_at(i), [&](FlowBlock& child) {
      FlowBlockBase& cb = child.get_base_mut();
      cb.rst_srcs.insert(cb.rst_srcs.end(), rst_srcs.begin(), rst_srcs.end());
      cb.hold_srcs.insert(cb.hold_srcs.end(), hold_srcs.begin(), hold_srcs.end());
      cb.mrst_srcs.insert(cb.mrst_srcs.end(), mrst_srcs.begin(), mrst_srcs.end());
      cb.clk_srcs.insert(cb.clk_srcs.end(), clk_srcs.begin(), clk_srcs.end());
    });
  }
}

namespace {

/// The control node over `srcs` (absent without sources): the one source,
/// or the OR chain of all of them, each link named like the node.
std::optional<NcpIdent> make_ext_node(ModelArena& arena, const char* prefix, std::uint64_t gid,
                                      const std::vector<HcpIdent>& srcs) {
  if (srcs.empty()) return std::nullopt;
  std::string name = prefix;
  name.append(std::to_string(gid));
  HcpIdent acc = srcs.front();
  for (std::size_t i = 1; i < srcs.size(); ++i)
    acc = arena.make_expression(false, name, LogicOp::BitwiseOr, acc, srcs[i], std::nullopt, std::nullopt);
  return arena.make_opr_node(name, acc);
}

}  // namespace

void FlowBlockBase::build_ext_nodes(ModelArena& arena) {
  const std::uint64_t gid = ident.ident_base.global_id;
  if (clk_srcs.size() > 1)
    fatal("ExtSigType::Clk supports exactly one signal, got " + std::to_string(clk_srcs.size()));
  ext_nodes.set(TriggerSlot::Hold, make_ext_node(arena, "flow_hold_", gid, hold_srcs));
  ext_nodes.set(TriggerSlot::IntReset, make_ext_node(arena, "flow_rst_", gid, rst_srcs));
  ext_nodes.set(TriggerSlot::IntStart, make_ext_node(arena, "flow_start_", gid, start_srcs));
  ext_nodes.set(TriggerSlot::Mrst, make_ext_node(arena, "flow_mrst_", gid, mrst_srcs));
  ext_nodes.set(TriggerSlot::Clk, make_ext_node(arena, "flow_clk_", gid, clk_srcs));
}

void FlowBlockBase::prepare_basic_nodes(ModelArena& arena) const {
  for (const NcpIdent& node : basic_nodes) arena.get_ncp_node_mut(node).fill_ext_node(ext_nodes, false);
  for (const NcpIdent& node : basic_nodes) arena.init_asm_node_clk_src(node);
  for (const NcpIdent& node : basic_nodes) arena.apply_asm_node_pending_pre_cond(node);
}

namespace {

const std::vector<AssignMeta>& asm_metas_of(const ModelArena& arena, const NcpIdent& node) {
  if (node.node_type != NodeType::Asm)
    fatal_not_equal("flow-block basic nodes must be AsmNode", variant_name(node.node_type),
                    variant_name(NodeType::Asm));
  return arena.asm_nodes.get(node.ident_base.arena_handle).asm_metas;
}

}  // namespace

std::vector<AssignMeta> FlowBlockBase::gen_unified_asm_meta_flat(ModelArena& arena) const {
  // Both lists are already in key order (keys grow with every element), so
  // program order is their merge by key.
  AssignMetaGrpPool pool;
  std::size_t bi = 0;
  std::size_t si = 0;
  const auto next_basic_flow = [&] {
    while (si < sub_blocks_i.size() && sub_blocks_i[si].join_policy != FlowBlockJoinPolicy::BasicNodeFlow) ++si;
  };
  next_basic_flow();
  while (bi < basic_nodes.size() || si < sub_blocks_i.size()) {
    const bool take_basic =
        si >= sub_blocks_i.size() || (bi < basic_nodes.size() && basic_node_keys[bi] < sub_block_keys[si]);
    if (take_basic) {
      pool.insert_asms(arena, asm_metas_of(arena, basic_nodes[bi]));
      ++bi;
    } else {
      std::optional<NcpIdent> node =
          arena.take_flow_block(sub_blocks_i[si], [](FlowBlock& b) { return b.summarize_as_node(); });
      if (!node) fatal("BasicNodeFlow summarize_as_node must return an AsmNode");
      pool.insert_asms(arena, asm_metas_of(arena, *node));
      ++si;
      next_basic_flow();
    }
  }
  return pool.gen_assign_metas(arena);
}

SplitSubBlocks FlowBlockBase::scan_sub_blocks_by_policy() const {
  SplitSubBlocks out;
  for (const FlowBlockIdent& b : sub_blocks_i) {
    switch (b.join_policy) {
      case FlowBlockJoinPolicy::BasicNodeFlow: out.basic_flow.push_back(b); break;
      case FlowBlockJoinPolicy::SubFlow: out.sub_flow.push_back(b); break;
      case FlowBlockJoinPolicy::ConFlow: fatal("scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i");
    }
  }
  return out;
}

}  // namespace velora
