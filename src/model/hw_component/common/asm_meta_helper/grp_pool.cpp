#include "model/hw_component/common/asm_meta_helper/grp_pool.h"

#include "common/error.h"
#include "model/hw_component/common/asm_meta_helper/pending_asms.h"
#include "model/model_arena.h"

namespace velora {

AssignMeta AssignMetaGrpGroup::gen_assign_meta(ModelArena& arena) const {
  if (update_events.empty()) fatal("update_events must have at least one entry (first_ue from construction)");
  UpdateEventIdent grp = arena.make_ue_grp(update_events);
  return AssignMeta(des, grp, ClockMode::ClkUnused);
}

void AssignMetaGrpPool::insert_asms(ModelArena& arena, std::vector<AssignMeta> asms) {
  PendingAsms pending(std::move(asms));
  for (AssignMetaGrpGroup& group : groups) {
    if (group.update_events.empty()) fatal("update_events must be initialised before try_push_event");
    if (auto ue = pending.take_joinable(arena, group.des, group.update_events.front()))
      group.update_events.push_back(*ue);
  }
  pending.for_each_remaining([&](const AssignMeta& meta) { groups.push_back({meta.des, {meta.ue}}); });
}

std::vector<AssignMeta> AssignMetaGrpPool::gen_assign_metas(ModelArena& arena) const {
  std::vector<AssignMeta> out;
  out.reserve(groups.size());
  for (const AssignMetaGrpGroup& group : groups) out.push_back(group.gen_assign_meta(arena));
  return out;
}

}  // namespace velora
