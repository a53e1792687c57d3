#include "model/nodes/node_triggers.h"

#include <algorithm>

namespace velora {

std::optional<NcpIdent> NodeTriggers::get(TriggerSlot slot) const {
  for (const Present& p : present_)
    if (p.slot == slot) return p.node;
  return std::nullopt;
}

bool NodeTriggers::has(TriggerSlot slot) const {
  return std::any_of(present_.begin(), present_.end(), [slot](const Present& p) { return p.slot == slot; });
}

void NodeTriggers::set(TriggerSlot slot, const std::optional<NcpIdent>& node) {
  auto it = std::find_if(present_.begin(), present_.end(), [slot](const Present& p) { return p.slot == slot; });
  if (node) {
    if (it != present_.end())
      it->node = *node;
    else
      present_.push_back({slot, *node});
  } else if (it != present_.end()) {
    present_.erase(it);
  }
}

void NodeTriggers::fill_ext(const NodeTriggers& ext, bool with_start) {
  set(TriggerSlot::Hold, ext.hold());
  set(TriggerSlot::IntReset, ext.int_reset());
  set(TriggerSlot::Mrst, ext.mrst());
  set(TriggerSlot::Clk, ext.clk());
  if (with_start) set(TriggerSlot::IntStart, ext.int_start());
}

}  // namespace velora
