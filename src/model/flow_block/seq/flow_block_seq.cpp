// Sequence schematic.
//
// 1. Every element gets its summary: a SubFlow sub-block its NodeWrap; a
//    direct assignment node, or the assignment node a BasicNodeFlow
//    sub-block reduces to, a new state node "seq_state_{G}_{i}" that becomes
//    the node's only parent.
// 2. Each element's entry gets the previous element's exit as predecessor;
//    the first element is also entered by the block's start control node.
// 3. Nodes are assigned in element order, so every predecessor has its exit
//    before a successor's final assignment reads it. The first element's
//    entry is left without its final assignment: whoever adds its
//    predecessors (the parent block or the module) runs it.
// 4. The summary: the first element's entries, the last element's exit, and
//    the sum of the element cycle counts (-1 when any is not fixed).
#include "model/flow_block/seq/flow_block_seq.h"

#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

void FlowBlockSeq::add_element_in_flow_block(const NcpIdent& node) {
  expect_asm_node(node, "flow-block basic nodes must be AsmNode");
  elements.push_back({SequenceEle::Kind::Basic, static_cast<std::uint32_t>(base.basic_nodes.size())});
  base.push_basic_node(node);
}

void FlowBlockSeq::add_sub_flow_block(const FlowBlockIdent& block) {
  SequenceEle::Kind kind = SequenceEle::Kind::SubFlow;
  switch (block.join_policy) {
    case FlowBlockJoinPolicy::SubFlow: break;
    case FlowBlockJoinPolicy::BasicNodeFlow: kind = SequenceEle::Kind::BasicFlow; break;
    case FlowBlockJoinPolicy::ConFlow:
      fatal("FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as sub-blocks of a seq");
  }
  elements.push_back({kind, static_cast<std::uint32_t>(base.sub_blocks_i.size())});
  base.push_sub_block(block);
}

NodeWrap FlowBlockSeq::summarize_as_block() const {
  if (!summary) fatal("flow block has not been built");
  return *summary;
}

std::optional<std::string> FlowBlockSeq::check_prefinalize() const {
  if (base.sub_blocks_i.empty() && base.basic_nodes.empty()) return std::string("seq flow block has no element");
  if (!base.con_blocks_i.empty()) return std::string("seq flow block does not support con blocks");
  return std::nullopt;
}

namespace {

/// One element while the sequence is compiled.
struct SeqStep {
  std::optional<NodeWrap> wrap;  ///< SubFlow elements
  NcpIdent asm_node;             ///< the other two kinds
  NcpIdent state_node;
  std::int32_t cycle = 0;

  bool is_sub_flow() const { return wrap.has_value(); }
  const NcpIdent& exit() const { return wrap ? wrap->exit_node() : state_node; }
};

void add_predecessor(ModelArena& arena, const SeqStep& step, const NcpIdent& pred) {
  if (step.is_sub_flow()) {
    for (const NcpIdent& entry : step.wrap->entry_nodes()) arena.get_ncp_node_mut(entry).add_depend_node(pred, {});
  } else {
    arena.get_ncp_node_mut(step.state_node).add_depend_node(pred, {});
  }
}

}  // namespace

void FlowBlockSeq::build_hw_component(ModelArena& arena) {
  if (elements.empty()) fatal("seq flow block has no element");
  if (!base.con_blocks_i.empty()) fatal("seq flow block does not support con blocks");

  const std::string state_prefix = "seq_state_" + std::to_string(base.ident.ident_base.global_id) + "_";
  std::vector<SeqStep> steps(elements.size());
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const SequenceEle& ele = elements[i];
    SeqStep& step = steps[i];
    if (ele.kind == SequenceEle::Kind::SubFlow) {
      step.wrap = arena.take_flow_block(base.sub_blocks_i[ele.index],
                                        [](FlowBlock& b) { return b.summarize_as_block(); });
      step.cycle = step.wrap->cycle();
      continue;
    }
    if (ele.kind == SequenceEle::Kind::BasicFlow) {
      std::optional<NcpIdent> node = arena.take_flow_block(base.sub_blocks_i[ele.index],
                                                           [](FlowBlock& b) { return b.summarize_as_node(); });
      if (!node)
        fatal(
            "SequenceEle::Basic: asm_node_i unresolved (add_node forgot the AsmNode, or add_basic_block's block "
            "has no summary)");
      if (node->node_type != NodeType::Asm)
        fatal_not_equal("SequenceEle::Basic: summarize_as_node must yield an AsmNode for BasicNodeFlow sub-block",
                        variant_name(node->node_type), variant_name(NodeType::Asm));
      step.asm_node = *node;
    } else {
      step.asm_node = base.basic_nodes[ele.index];
    }
    step.state_node = arena.make_state_node(false, state_prefix + std::to_string(i));
    NcpNode& state = arena.get_ncp_node_mut(step.state_node);
    state.fill_ext_node(base.ext_nodes, false);
    step.cycle = state.get_cycle_used();
    arena.get_ncp_node_mut(step.asm_node).add_depend_node(step.state_node, {});
    base.generated_nodes.push_back(step.state_node);
  }

  for (std::size_t i = 1; i < steps.size(); ++i) add_predecessor(arena, steps[i], steps[i - 1].exit());
  std::int32_t cycle = 0;
  if (std::optional<NcpIdent> start = base.int_start_node()) {
    add_predecessor(arena, steps.front(), *start);
    cycle = IN_CONSIST_CYCLE_USED;
  }

  for (std::size_t i = 0; i < steps.size(); ++i) {
    const SeqStep& step = steps[i];
    if (step.is_sub_flow()) {
      if (i > 0)
        for (const NcpIdent& entry : step.wrap->entry_nodes()) arena.assign_ncp_node(entry, false, true);
    } else {
      arena.assign_ncp_node(step.state_node, true, i > 0);
      arena.assign_asm_from_state_node(step.asm_node);
    }
    cycle = add_cycles(cycle, step.cycle);
  }

  const SeqStep& first = steps.front();
  std::vector<NcpIdent> entries = first.is_sub_flow() ? first.wrap->entry_nodes() : std::vector<NcpIdent>{first.state_node};
  summary.emplace(std::move(entries), steps.back().exit(), cycle);
}

}  // namespace velora
