// The update pool of a component: the events that drive it.
//
// A pool is the ordered list of event identifiers of one component, in
// insertion order until `sort_events` orders it by priority. Rendered in pool
// order, a later event overrides an earlier one, so the sorted order is the
// model's rule for which assignment wins.
#pragma once

#include <cstddef>
#include <vector>

#include "model/hw_component/common/hcp_ident.h"
#include "model/hw_component/common/update_event.h"

namespace velora {

class ModelArena;

class UpdatePool {
 public:
  void push(const UpdateEventIdent& ue) { events_.push_back(ue); }
  std::size_t size() const { return events_.size(); }
  bool empty() const { return events_.empty(); }
  const UpdateEventIdent& operator[](std::size_t i) const { return events_[i]; }
  const std::vector<UpdateEventIdent>& events() const { return events_; }
  auto begin() const { return events_.begin(); }
  auto end() const { return events_.end(); }

  /// Stable sort by priority, then sub-priority, both ascending; equal keys
  /// keep insertion order.
  void sort_events(const ModelArena& arena);
  /// Adds what every event of the pool reads, in pool order.
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  /// Remaps the references of every event of the pool, in pool order.
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);

 private:
  std::vector<UpdateEventIdent> events_;
};

}  // namespace velora
