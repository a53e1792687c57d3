#include "model/flow_block/common/flow_block.h"

#include <string>

#include "common/error.h"

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

}  // namespace velora
