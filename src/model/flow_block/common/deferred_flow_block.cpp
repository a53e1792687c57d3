#include "model/flow_block/common/deferred_flow_block.h"

#include <string>

#include "common/error.h"

namespace velora {

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

namespace {

using Sub = DeferredKindRules::Sub;
using Con = DeferredKindRules::Con;
constexpr FlowBlockType kAnyType = FlowBlockType::Sequential;  // unused by the rule

constexpr const char* kZeroSubMsg = "zero-cond-if sub blocks must have BasicNodeFlow join policy";

// One row per block type, in FlowBlockType order. Sequential and Parallel
// have records of their own; their rows are never read.
constexpr DeferredKindRules kRules[kFlowBlockTypeCount] = {
    /* Sequential */ {nullptr, Sub::None, "", kAnyType, Con::NotSupported, "", kAnyType, "", false},
    /* Parallel */ {nullptr, Sub::None, "", kAnyType, Con::NotSupported, "", kAnyType, "", false},
    /* CondIf */
    {"cond block does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "cond block already has a body sub-block", kAnyType, Con::Any, "", kAnyType, "cond block has not been built",
     false},
    /* CondElif */
    {"cond elif/else block does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "cond elif/else already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "cond elif/else block has not been built", false},
    /* ZeroCondIf */
    {nullptr, Sub::BasicFlowOnly, kZeroSubMsg, kAnyType, Con::TypeOnly, "zero-cond-if con blocks must be ZeroCondElif",
     FlowBlockType::ZeroCondElif, "it has not generated yet", true},
    /* ZeroCondElif */
    {nullptr, Sub::BasicFlowOnly, kZeroSubMsg, kAnyType, Con::Refused, "zlif not supported con flow blocks", kAnyType,
     nullptr, false},
    /* ZeroSwitch */
    {"FlowBlockZeroSwitch add_element_in_flow_block shouldn't be called!", Sub::TypeOnly,
     "zero-switch sub blocks must be ZeroSwitchCase", FlowBlockType::ZeroSwitchCase, Con::Refused,
     "FlowBlockZeroSwitch add_con_flow_block shouldn't be called!", kAnyType, "zero-switch has not been built yet",
     true},
    /* ZeroSwitchCase */
    {nullptr, Sub::BasicFlowOnly, "zero-switch-case sub blocks must have BasicNodeFlow join policy", kAnyType,
     Con::Refused, "zero-switch-case does not accept continuation blocks", kAnyType, nullptr, false},
    /* WhileLoop */
    {"while block does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "while block already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "while block has not been built", false},
    /* DoWhile */
    {"do-while block does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "do-while block already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "do-while block has not been built", false},
    /* CounterLoop */
    {"counter loop does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "counter loop already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "counter loop has not been built", false},
    /* Wait */
    {"wait block accepts no direct nodes", Sub::None, "wait block accepts no sub-blocks", kAnyType, Con::NotSupported,
     "", kAnyType, "wait block has not been built", false},
    /* Pipeline */
    {"pipeline block does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "pipeline block already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "pipeline block has not been built", false},
    /* Zync */
    {nullptr, Sub::BasicFlowOnly, "zync block accepts only basic-flow sub-blocks; use a direct asm node or a basic-flow block",
     kAnyType, Con::NotSupported, "", kAnyType, "zync block has not been built", false},
    /* Pick */
    {"pick block does not accept direct asm nodes; use a pif/pidef branch", Sub::TypeOnly,
     "pick sub blocks must be pif/pidef (PickIf)", FlowBlockType::PickIf, Con::Refused,
     "pick block does not accept continuation blocks", kAnyType, "pick block has not been built", false},
    /* PickIf */
    {"pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block", Sub::OneBody,
     "pick branch already has a body sub-block", kAnyType, Con::NotSupported, "", kAnyType,
     "pick branch has not been built", false},
};

std::optional<std::string> text(const char* t) { return std::string(t); }

}  // namespace

const DeferredKindRules& deferred_rules(FlowBlockType type) { return kRules[static_cast<int>(type)]; }

std::optional<std::string> deferred_check_prefinalize(FlowBlockType type, const FlowBlockBase& base) {
  const std::size_t subs = base.sub_blocks_i.size();
  const bool cons = !base.con_blocks_i.empty();
  switch (type) {
    case FlowBlockType::CondIf:
      if (subs == 0) return text("cond block must have at least one body block");
      break;
    case FlowBlockType::CondElif:
      if (subs == 0) return text("cond elif/else block has no body sub-block");
      break;
    case FlowBlockType::Pick:
      if (subs == 0) return text("pick block must have at least one pif branch");
      break;
    case FlowBlockType::PickIf:
      if (subs == 0) return text("pick branch (pif/pidef) has no body sub-block");
      break;
    case FlowBlockType::WhileLoop:
      if (subs == 0) return text("while block must have one body block");
      if (cons) return text("while block does not support con blocks");
      break;
    case FlowBlockType::DoWhile:
      if (subs != 1) return text("do-while block must have exactly one body block");
      if (cons) return text("do-while block does not support con blocks");
      break;
    case FlowBlockType::CounterLoop:
      if (subs != 1) return text("counter loop must have exactly one body block");
      if (cons) return text("counter loop does not support con blocks");
      break;
    case FlowBlockType::Wait:
      if (subs != 0) return text("wait block accepts no sub-blocks");
      if (cons) return text("wait block does not support con blocks");
      break;
    case FlowBlockType::Pipeline:
      if (subs != 1) return text("pipeline block must have exactly one body sub-block");
      if (cons) return text("pipeline block does not support con blocks");
      break;
    case FlowBlockType::Zync:
      if (subs == 0 && base.basic_nodes.empty())
        return text("zync block must hold at least one basic node or basic-flow sub-block");
      if (cons) return text("zync block does not support con blocks");
      break;
    default:  // the four zero-cycle kinds always pass
      break;
  }
  return std::nullopt;
}

namespace deferred_detail {

void not_buildable(FlowBlockType type) {
  std::string msg(printed(type));
  msg.append(" blocks cannot be built yet");
  fatal(std::move(msg));
}

void add_element(FlowBlockType type, FlowBlockBase& base, const NcpIdent& node) {
  const DeferredKindRules& r = deferred_rules(type);
  if (r.no_asm_msg != nullptr) fatal(r.no_asm_msg);
  expect_asm_node(node, "flow-block basic nodes must be AsmNode");
  base.push_basic_node(node);
}

void add_sub(FlowBlockType type, FlowBlockBase& base, const FlowBlockIdent& block) {
  const DeferredKindRules& r = deferred_rules(type);
  switch (r.sub) {
    case Sub::OneBody:
      if (!base.sub_blocks_i.empty()) fatal(r.sub_msg);
      break;
    case Sub::BasicFlowOnly:
      if (block.join_policy != FlowBlockJoinPolicy::BasicNodeFlow) fatal(r.sub_msg);
      break;
    case Sub::TypeOnly:
      if (block.block_type != r.sub_type)
        fatal_not_equal(r.sub_msg, variant_name(block.block_type), variant_name(r.sub_type));
      break;
    case Sub::None: fatal(r.sub_msg);
  }
  base.push_sub_block(block);
}

void add_con(FlowBlockType type, FlowBlockBase& base, const FlowBlockIdent& block) {
  const DeferredKindRules& r = deferred_rules(type);
  switch (r.con) {
    case Con::Any: break;
    case Con::TypeOnly:
      if (block.block_type != r.con_type)
        fatal_not_equal(r.con_msg, variant_name(block.block_type), variant_name(r.con_type));
      break;
    case Con::Refused: fatal(r.con_msg);
    case Con::NotSupported: fatal("add_con_flow_block: not supported by this block type");
  }
  base.push_con_block(block);
}

void not_built(FlowBlockType type) { fatal(deferred_rules(type).not_built_msg); }

}  // namespace deferred_detail

}  // namespace velora
