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

void AssignMetaGrpPool::index_new_groups() {
  for (; indexed_ < groups.size(); ++indexed_) by_des_[groups[indexed_].des.ident_base.global_id].push_back(indexed_);
}

void AssignMetaGrpPool::insert_asms(ModelArena& arena, std::vector<AssignMeta> asms) {
  PendingAsms pending(std::move(asms));
  index_new_groups();
  // A group can only take an assignment to its own destination, so only the
  // groups of the assigned destinations are visited, each in group order.
  pending.for_each_des([&](std::uint64_t des_id) {
    auto it = by_des_.find(des_id);
    if (it == by_des_.end()) return;
    for (std::size_t g : it->second) {
      AssignMetaGrpGroup& group = groups[g];
      if (group.update_events.empty()) fatal("update_events must be initialised before try_push_event");
      if (auto ue = pending.take_joinable(arena, group.des, group.update_events.front()))
        group.update_events.push_back(*ue);
    }
  });
  pending.for_each_remaining([&](const AssignMeta& meta) { groups.push_back({meta.des, {meta.ue}}); });
  index_new_groups();
}

std::vector<AssignMeta> AssignMetaGrpPool::gen_assign_metas(ModelArena& arena) const {
  std::vector<AssignMeta> out;
  out.reserve(groups.size());
  for (const AssignMetaGrpGroup& group : groups) out.push_back(group.gen_assign_meta(arena));
  return out;
}

}  // namespace velora
