// Trigger records of control nodes.
//
// A control node is entered in the cycle after one of its predecessors exits
// (its depend entries) and is steered by up to five trigger nodes: hold,
// internal reset, internal start, master reset and clock. Flow blocks keep the
// same record for their external control nodes. Most nodes carry only a few
// of the five triggers (often none, or clock and master reset), so the present
// ones are kept in a short list rather than in five inline slots.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/common/identifier.h"
#include "model/hw_component/common/hcp_ident.h"

namespace velora {

/// The cycle count of a node or block whose duration is not fixed.
inline constexpr std::int32_t IN_CONSIST_CYCLE_USED = -1;

/// Node identity: equal identifier records and equal node types.
inline bool same_node(const NcpIdent& a, const NcpIdent& b) {
  return a.node_type == b.node_type && a.ident_base == b.ident_base;
}

/// The five trigger roles, in record order.
enum class TriggerSlot : std::uint8_t { Hold = 0, IntReset, IntStart, Mrst, Clk };

/// Edge of the node graph: enter the owner in the cycle after `pred` exits,
/// provided that `cond` (when present) is 1.
struct DependEntry {
  NcpIdent pred;
  std::optional<HcpIdent> cond;
};

class NodeTriggers {
 public:
  std::vector<DependEntry> depends;

  std::optional<NcpIdent> get(TriggerSlot slot) const;
  /// Overwrites the slot; an absent value clears it.
  void set(TriggerSlot slot, const std::optional<NcpIdent>& node);
  bool has(TriggerSlot slot) const;

  std::optional<NcpIdent> hold() const { return get(TriggerSlot::Hold); }
  std::optional<NcpIdent> int_reset() const { return get(TriggerSlot::IntReset); }
  std::optional<NcpIdent> int_start() const { return get(TriggerSlot::IntStart); }
  std::optional<NcpIdent> mrst() const { return get(TriggerSlot::Mrst); }
  std::optional<NcpIdent> clk() const { return get(TriggerSlot::Clk); }

  void add_depend(const NcpIdent& pred, const std::optional<HcpIdent>& cond) { depends.push_back({pred, cond}); }

  /// Copies hold, int_reset, mrst and clk of `ext` (absent values clear
  /// present ones); int_start only when `with_start`; never the depend list.
  void fill_ext(const NodeTriggers& ext, bool with_start);

 private:
  struct Present {
    TriggerSlot slot;
    NcpIdent node;
  };
  std::vector<Present> present_;
};

}  // namespace velora
