// The record every flow block starts with.
//
// `FlowBlockBase` keeps what all block kinds share: the elements the front
// end added (assignment nodes, sub-blocks, continuation blocks), each with an
// order key that records program order across the three lists; the external
// control sources (hold, reset, start, master reset, clock) the block
// received; the five control nodes made from them when the block is built;
// and the nodes the block's compiler generated.
//
// The common build of a block runs in three steps around the build of its
// children: `propagate_ext_sources` hands reset, hold, master reset and clock
// to every child before the children are built; after them,
// `build_ext_nodes` wraps the sources into the five control nodes
// "flow_hold_{}", "flow_rst_{}", "flow_start_{}", "flow_mrst_{}" and
// "flow_clk_{}" (the block's global id), and `prepare_basic_nodes` gives the
// direct assignment nodes those controls. The walk over the block tree that
// calls these steps is `ModelArena::build_hw_master`.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/common/identifier.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/nodes/node_triggers.h"

namespace velora {

class ModelArena;

/// The kinds of external control source of a block.
enum class ExtSigType : std::uint8_t { Hold = 0, Reset, Start, Mrst, Clk };

/// Where a block is in its one build.
enum class FlowBuildState : std::uint8_t { NotBuilt = 0, Building, Built };

/// The sub-blocks of a block split by join policy, each in order of addition.
struct SplitSubBlocks {
  std::vector<FlowBlockIdent> basic_flow;
  std::vector<FlowBlockIdent> sub_flow;
};

struct FlowBlockBase {
  std::vector<FlowBlockIdent> sub_blocks_i;
  std::vector<std::uint32_t> sub_block_keys;
  std::vector<FlowBlockIdent> con_blocks_i;
  std::vector<std::uint32_t> con_block_keys;
  std::vector<NcpIdent> basic_nodes;
  std::vector<std::uint32_t> basic_node_keys;
  /// The state-like nodes the block's compiler created.
  std::vector<NcpIdent> generated_nodes;
  std::vector<HcpIdent> hold_srcs;
  std::vector<HcpIdent> rst_srcs;
  std::vector<HcpIdent> start_srcs;
  std::vector<HcpIdent> mrst_srcs;
  /// Must hold exactly one signal when the block is built.
  std::vector<HcpIdent> clk_srcs;
  /// hold, int_reset, int_start, mrst and clk receive the block's control
  /// nodes; the depend list stays empty.
  NodeTriggers ext_nodes;
  FlowBlockIdent ident;
  /// The order key of the next element.
  std::uint32_t element_counter = 0;
  FlowBuildState build_state = FlowBuildState::NotBuilt;

  FlowBlockBase() = default;
  /// A new base with a new identifier, empty lists and counter 0.
  FlowBlockBase(FlowBlockType type, FlowBlockJoinPolicy policy, std::string_view name, bool chain_master)
      : ident(type, policy, chain_master, name) {}

  void push_basic_node(const NcpIdent& node);
  void push_sub_block(const FlowBlockIdent& block);
  void push_con_block(const FlowBlockIdent& block);

  std::vector<HcpIdent>& sources(ExtSigType kind);
  const std::vector<HcpIdent>& sources(ExtSigType kind) const;

  /// Children in build order: sub-blocks, then continuation blocks.
  std::size_t child_count() const { return sub_blocks_i.size() + con_blocks_i.size(); }
  const FlowBlockIdent& child_at(std::size_t i) const {
    return i < sub_blocks_i.size() ? sub_blocks_i[i] : con_blocks_i[i - sub_blocks_i.size()];
  }

  // ---- common build
  /// Appends the block's reset, hold, master-reset and clock sources to the
  /// lists of the same kind of every child (start sources stay local).
  void propagate_ext_sources(ModelArena& arena) const;
  /// Creates the five control nodes from the sources (none: absent; one: an
  /// OprNode over it; several: over their OR chain, each link named like the
  /// node). Fatal "ExtSigType::Clk supports exactly one signal, got {}" for
  /// more than one clock.
  void build_ext_nodes(ModelArena& arena);
  /// Gives every direct assignment node the block's control nodes, then its
  /// clock source, then applies its pending pre-condition.
  void prepare_basic_nodes(ModelArena& arena) const;

  // ---- shared by the compilers
  /// The assignments of the direct assignment nodes and of the BasicNodeFlow
  /// sub-blocks, in program order, merged into one meta per destination
  /// group.
  std::vector<AssignMeta> gen_unified_asm_meta_flat(ModelArena& arena) const;
  /// Fatal "scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i".
  SplitSubBlocks scan_sub_blocks_by_policy() const;
  /// The int_start control node, if the block has start sources.
  std::optional<NcpIdent> int_start_node() const { return ext_nodes.int_start(); }
};

}  // namespace velora
