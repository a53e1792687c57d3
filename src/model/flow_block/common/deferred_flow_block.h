// Block kinds whose compilers are not written yet.
//
// Conditionals, loops, waits, pipeline stages, zync and pick blocks already
// have their place in the arena and on the flow-block stack: they can be
// created as bare records (the kind's join policy and chain_master, no
// kind-specific fields), opened, filled and closed, so that the stack rules
// hold for every kind. Building one stops with the fatal error
// "<KIND> blocks cannot be built yet" (the kind's display text). Each kind
// gets its own record when its compiler arrives.
#pragma once

#include <optional>
#include <string>

#include "model/flow_block/common/flow_block.h"

namespace velora {

/// The join policy and chain_master every block of a kind is made with.
struct FlowBlockKindTraits {
  FlowBlockJoinPolicy join_policy;
  bool chain_master;
};
FlowBlockKindTraits kind_traits(FlowBlockType type);

/// Whether a kind takes continuation (ConFlow) children.
constexpr bool takes_con_blocks(FlowBlockType type) {
  return type == FlowBlockType::CondIf || type == FlowBlockType::ZeroCondIf;
}

namespace deferred_detail {
[[noreturn]] [[gnu::cold]] void not_buildable(FlowBlockType type);
}  // namespace deferred_detail

template <FlowBlockType Type>
class DeferredFlowBlock final : public FlowBlock {
 public:
  FlowBlockBase base;

  DeferredFlowBlock() = default;
  explicit DeferredFlowBlock(std::string_view name)
      : base(Type, kind_traits(Type).join_policy, name, kind_traits(Type).chain_master) {}

  void set_arena_handle(const ArenaHandle& h) { base.ident.ident_base.arena_handle = h; }

  const FlowBlockBase& get_base() const override { return base; }
  FlowBlockBase& get_base_mut() override { return base; }
  void add_element_in_flow_block(const NcpIdent& node) override { base.push_basic_node(node); }
  void add_sub_flow_block(const FlowBlockIdent& block) override { base.push_sub_block(block); }
  void add_con_flow_block(const FlowBlockIdent& block) override {
    if constexpr (takes_con_blocks(Type))
      base.push_con_block(block);
    else
      FlowBlock::add_con_flow_block(block);
  }
  std::optional<std::string> check_prefinalize() const override { return std::nullopt; }
  /// Fatal "<KIND> blocks cannot be built yet".
  void build_hw_component(ModelArena&) override { deferred_detail::not_buildable(Type); }
};

}  // namespace velora
