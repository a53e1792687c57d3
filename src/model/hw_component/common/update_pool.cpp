#include "model/hw_component/common/update_pool.h"

#include <algorithm>

#include "model/model_arena.h"

namespace velora {

void UpdatePool::sort_events(const ModelArena& arena) {
  if (events_.size() < 2) return;
  struct Keyed {
    std::int32_t priority;
    std::int64_t sub_priority;
    UpdateEventIdent ue;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(events_.size());
  for (const UpdateEventIdent& ue : events_) {
    const UeCommon& c = arena.get_ue_common(ue);
    keyed.push_back({c.priority, c.sub_priority, ue});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.priority != b.priority ? a.priority < b.priority : a.sub_priority < b.sub_priority;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) events_[i] = keyed[i].ue;
}

void UpdatePool::gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
  for (const UpdateEventIdent& ue : events_) arena.visit_ue(ue, [&](const auto& e) { e.gather_dep_hcps(arena, out); });
}

void UpdatePool::remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
  for (const UpdateEventIdent& ue : events_) arena.take_ue(ue, [&](auto& e) { e.remap_dep_hcps(map, arena); });
}

}  // namespace velora
