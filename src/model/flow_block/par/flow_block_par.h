// The parallel block, in its synchronised and its no-sync variant.
//
// All branches (SubFlow sub-blocks) start together; the zero-cycle content
// (direct assignment nodes and BasicNodeFlow sub-blocks) runs in one state
// "par_state_{}" in parallel with them. The synchronised block leaves when
// every branch is done: with fixed durations through its longest branch, else
// through a sync node "par_syn_{}". The no-sync block leaves as soon as any
// branch is done ("par_no_sync_exit" when no single branch can be chosen).
#pragma once

#include <cstdint>
#include <optional>

#include "model/flow_block/common/flow_block.h"

namespace velora {

class FlowBlockPar final : public FlowBlock {
 public:
  FlowBlockBase base;
  /// The state of the merged zero-cycle content, when there is any.
  std::optional<NcpIdent> asm_state_node;
  /// The sync node of the synchronised variant, when one was needed.
  std::optional<NcpIdent> syn_node;
  /// The OR-join exit of the no-sync variant, when one was needed.
  std::optional<NcpIdent> no_sync_exit_node;
  /// The largest cycle count of the branches and the asm state, or
  /// IN_CONSIST_CYCLE_USED.
  std::int32_t max_cycle = 0;
  bool no_sync = false;
  std::optional<NodeWrap> summary;

  FlowBlockPar() = default;
  FlowBlockPar(std::string_view name, bool no_sync_variant)
      : base(FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, name, false), no_sync(no_sync_variant) {}

  void set_arena_handle(const ArenaHandle& h) { base.ident.ident_base.arena_handle = h; }

  const FlowBlockBase& get_base() const override { return base; }
  FlowBlockBase& get_base_mut() override { return base; }
  /// Assignment nodes only.
  void add_element_in_flow_block(const NcpIdent& node) override;
  /// Any child.
  void add_sub_flow_block(const FlowBlockIdent& block) override;
  /// Fatal "flow block has not been built" before the build.
  NodeWrap summarize_as_block() const override;
  /// "parallel flow block has no element" / "parallel flow block does not
  /// support con blocks".
  std::optional<std::string> check_prefinalize() const override;
  void build_hw_component(ModelArena& arena) override;
};

}  // namespace velora
