// The sequential block.
//
// A sequence runs its elements one after the other: every direct assignment
// node and every zero-cycle (BasicNodeFlow) sub-block gets a state of its own
// ("seq_state_{}_{}": block global id, element index), and every SubFlow
// sub-block runs for its own duration; each element is entered in the cycle
// after the previous one exits.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/flow_block/common/flow_block.h"

namespace velora {

/// One element of a sequence, in order of addition. `index` points into the
/// base's list of its kind: `basic_nodes` for Basic, `sub_blocks_i` for the
/// two block kinds.
struct SequenceEle {
  enum class Kind : std::uint8_t { Basic = 0, BasicFlow, SubFlow };
  Kind kind = Kind::Basic;
  std::uint32_t index = 0;
};

class FlowBlockSeq final : public FlowBlock {
 public:
  FlowBlockBase base;
  std::vector<SequenceEle> elements;
  std::optional<NodeWrap> summary;

  FlowBlockSeq() = default;
  explicit FlowBlockSeq(std::string_view name)
      : base(FlowBlockType::Sequential, FlowBlockJoinPolicy::SubFlow, name, false) {}

  void set_arena_handle(const ArenaHandle& h) { base.ident.ident_base.arena_handle = h; }

  const FlowBlockBase& get_base() const override { return base; }
  FlowBlockBase& get_base_mut() override { return base; }
  /// Assignment nodes only; appended as a Basic element.
  void add_element_in_flow_block(const NcpIdent& node) override;
  /// SubFlow and BasicNodeFlow children; fatal "FlowBlockSeq::add_sub_flow_block:
  /// ConFlow children are not allowed as sub-blocks of a seq".
  void add_sub_flow_block(const FlowBlockIdent& block) override;
  /// Fatal "flow block has not been built" before the build.
  NodeWrap summarize_as_block() const override;
  /// "seq flow block has no element" / "seq flow block does not support con blocks".
  std::optional<std::string> check_prefinalize() const override;
  void build_hw_component(ModelArena& arena) override;
};

}  // namespace velora
