// The flow block interface.
//
// Every block kind (sequence, parallel, conditionals, loops, waits, pipeline,
// zync, pick) is a record that starts with a `FlowBlockBase` and implements
// `FlowBlock`. Records live in sixteen arena groups of the `ModelArena`, one
// per `FlowBlockType`; `ModelArena::take_flow_block` takes a block out of its
// group and hands it to the caller through this interface.
//
// A block is built once: the arena's tree walk (`ModelArena::build_hw_master`)
// runs `adopt_ext_sources`, the common steps of the base around the build of
// the children, and finally `build_hw_component`, the block's compiler
// (its schematic), which stores the block's summary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/common/identifier.h"
#include "model/flow_block/common/flow_block_base.h"
#include "model/flow_block/common/node_wrap.h"

namespace velora {

class ModelArena;

class FlowBlock {
 public:
  virtual ~FlowBlock() = default;

  virtual const FlowBlockBase& get_base() const = 0;
  virtual FlowBlockBase& get_base_mut() = 0;
  const FlowBlockIdent& get_ident() const { return get_base().ident; }

  /// Adds an assignment node created directly inside the block.
  virtual void add_element_in_flow_block(const NcpIdent& node) = 0;
  /// Adds a closed SubFlow or BasicNodeFlow child.
  virtual void add_sub_flow_block(const FlowBlockIdent& block) = 0;
  /// Adds a closed ConFlow child (default: fatal "add_con_flow_block: not
  /// supported by this block type").
  virtual void add_con_flow_block(const FlowBlockIdent& block);
  /// The loop index signal (default: fatal "get_loop_id_expr_i: not
  /// supported by this block type").
  virtual HcpIdent get_loop_id_expr_i() const;
  /// A copy of the stored summary (default: fatal "summarize_as_block: not
  /// supported by this block type").
  virtual NodeWrap summarize_as_block() const;
  /// The single assignment node of a zero-cycle block (default: fatal
  /// "summarize_as_node: not supported by this block type").
  virtual std::optional<NcpIdent> summarize_as_node() const;
  /// Validation before the block is closed: an error text, or nothing.
  virtual std::optional<std::string> check_prefinalize() const = 0;

  /// First step of the build, before the common steps: a block that draws
  /// control sources from elsewhere adds them to its own lists here.
  virtual void adopt_ext_sources(ModelArena& arena);
  /// Runs the block's compiler only (its children and control nodes exist)
  /// and stores the summary.
  virtual void build_hw_component(ModelArena& arena) = 0;

 protected:
  FlowBlock() = default;
  FlowBlock(const FlowBlock&) = default;
  FlowBlock(FlowBlock&&) = default;
  FlowBlock& operator=(const FlowBlock&) = default;
  FlowBlock& operator=(FlowBlock&&) = default;
};

/// Fatal "flow-block basic nodes must be AsmNode" (an equality test on the
/// node type) unless `node` is an assignment node.
void expect_asm_node(const NcpIdent& node, const char* message);

}  // namespace velora
