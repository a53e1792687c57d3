// The summary of a built flow block.
//
// An enclosing compiler sees a built block only through its `NodeWrap`: the
// nodes that enter it (the encloser adds its predecessors to each of them and
// then runs their final assignment), the node whose exit hands control on,
// and how many cycles the block takes when that number is fixed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/error.h"
#include "model/common/identifier.h"
#include "model/nodes/node_triggers.h"

namespace velora {

class NodeWrap {
 public:
  /// Fatal "assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0"
  /// for any other negative count.
  NodeWrap(std::vector<NcpIdent> entry_nodes, std::optional<NcpIdent> exit_node, std::int32_t cycle)
      : entry_nodes_(std::move(entry_nodes)), exit_node_(std::move(exit_node)), cycle_(cycle) {
    if (cycle != IN_CONSIST_CYCLE_USED && cycle < 0)
      fatal("assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
  }

  const std::vector<NcpIdent>& entry_nodes() const { return entry_nodes_; }
  const std::optional<NcpIdent>& exit_node_opt() const { return exit_node_; }
  /// The exit node; fatal "NodeWrap exit node is not set" when absent.
  const NcpIdent& exit_node() const {
    if (!exit_node_) fatal("NodeWrap exit node is not set");
    return *exit_node_;
  }
  /// A fixed number of cycles, or IN_CONSIST_CYCLE_USED.
  std::int32_t cycle() const { return cycle_; }

 private:
  std::vector<NcpIdent> entry_nodes_;
  std::optional<NcpIdent> exit_node_;
  std::int32_t cycle_;
};

/// The sum of fixed cycle counts; IN_CONSIST_CYCLE_USED as soon as one of
/// them is not fixed. A sum beyond the 32-bit range stays at its largest
/// value rather than wrapping into a negative count.
inline std::int32_t add_cycles(std::int32_t a, std::int32_t b) {
  if (a == IN_CONSIST_CYCLE_USED || b == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
  const std::int64_t sum = std::int64_t{a} + std::int64_t{b};
  return sum > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(sum);
}

}  // namespace velora
