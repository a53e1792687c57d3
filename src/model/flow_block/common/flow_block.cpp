#include "model/flow_block/common/flow_block.h"

#include <string>

#include "common/error.h"
#include "model/flow_block/common/deferred_flow_block.h"

namespace velora {

void FlowBlock::add_con_flow_block(const FlowBlockIdent&) {
  fatal("add_con_flow_block: not supported by this block type");
}

HcpIdent FlowBlock::get_loop_id_expr_i() const { fatal("get_loop_id_expr_i: not supported by this block type"); }

NodeWrap FlowBlock::summarize_as_block() const { fatal("summarize_as_block: not supported by this block type"); }

std::optional<NcpIdent> FlowBlock::summarize_as_node() const {
  fatal("summarize_as_node: not supported by this block type");
}

void FlowBlock::adopt_ext_sources(ModelArena&) {}

void expect_asm_node(const NcpIdent& node, const char* message) {
  if (node.node_type != NodeType::Asm)
    fatal_not_equal(message, variant_name(node.node_type), variant_name(NodeType::Asm));
}

FlowBlockKindTraits kind_traits(FlowBlockType type) {
  switch (type) {
    case FlowBlockType::CondIf: return {FlowBlockJoinPolicy::SubFlow, true};
    case FlowBlockType::CondElif: return {FlowBlockJoinPolicy::ConFlow, false};
    case FlowBlockType::ZeroCondIf: return {FlowBlockJoinPolicy::BasicNodeFlow, true};
    case FlowBlockType::ZeroCondElif: return {FlowBlockJoinPolicy::ConFlow, false};
    case FlowBlockType::ZeroSwitch: return {FlowBlockJoinPolicy::BasicNodeFlow, false};
    default: return {FlowBlockJoinPolicy::SubFlow, false};
  }
}

namespace deferred_detail {
void not_buildable(FlowBlockType type) {
  std::string msg(printed(type));
  msg.append(" blocks cannot be built yet");
  fatal(std::move(msg));
}
}  // namespace deferred_detail

}  // namespace velora
