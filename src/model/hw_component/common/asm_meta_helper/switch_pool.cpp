#include "model/hw_component/common/asm_meta_helper/switch_pool.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/common/asm_meta_helper/pending_asms.h"
#include "model/model_arena.h"

namespace velora {

AssignMeta AssignMetaSwitchGroup::gen_assign_meta(ModelArena& arena) const {
  if (match_vals.size() != update_events.size()) {
    const std::string m = std::to_string(match_vals.size()), u = std::to_string(update_events.size());
    fatal_not_equal("match_vals length (" + m + ") must equal update_events length (" + u + ")", m, u);
  }
  UpdateEventIdent sw = arena.make_ue_switch(selector, match_vals, update_events);
  return AssignMeta(des, sw, ClockMode::ClkUnused);
}

void AssignMetaSwitchPool::insert_asms(ModelArena& arena, const HcpIdent& selector, std::int32_t match_val,
                                       std::vector<AssignMeta> asms) {
  PendingAsms pending(std::move(asms));
  for (AssignMetaSwitchGroup& group : groups) {
    if (group.match_vals.size() != group.update_events.size())
      fatal_not_equal("match_vals and update_events length must match", std::to_string(group.match_vals.size()),
                      std::to_string(group.update_events.size()));
    group.update_events.push_back(pending.take_joinable(arena, group.des, first_present(group.update_events)));
    group.match_vals.push_back(match_val);
  }
  pending.for_each_remaining([&](const AssignMeta& meta) {
    groups.push_back(AssignMetaSwitchGroup{meta.des, selector, {match_val}, {meta.ue}});
  });
}

std::vector<AssignMeta> AssignMetaSwitchPool::gen_assign_metas(ModelArena& arena) const {
  std::vector<AssignMeta> out;
  out.reserve(groups.size());
  for (const AssignMetaSwitchGroup& group : groups) out.push_back(group.gen_assign_meta(arena));
  return out;
}

}  // namespace velora
