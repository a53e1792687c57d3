#include "model/hw_component/common/asm_meta_helper/if_pool.h"

#include <string>

#include "common/error.h"
#include "model/hw_component/common/asm_meta_helper/pending_asms.h"
#include "model/model_arena.h"

namespace velora {

AssignMeta AssignMetaIfGroup::gen_assign_meta(ModelArena& arena) const {
  const std::size_t u = update_events.size(), c = cond_rel_vecs.size();
  if (u != c && u != c + 1)
    fatal("update_events length (" + std::to_string(u) + ") must equal cond_rel_vecs length (" + std::to_string(c) +
          ") or be exactly 1 more (else branch)");
  std::vector<std::optional<HcpIdent>> conds(cond_rel_vecs.begin(), cond_rel_vecs.end());
  if (u == c + 1) conds.push_back(std::nullopt);
  UpdateEventIdent cond_ue = arena.make_ue_cond(conds, update_events);
  return AssignMeta(des, cond_ue, ClockMode::ClkUnused);
}

void AssignMetaIfPool::insert_asms(ModelArena& arena, const std::optional<HcpIdent>& branch_cond,
                                   const HcpIdent& rel_cond, std::vector<AssignMeta> asms) {
  PendingAsms pending(std::move(asms));
  for (AssignMetaIfGroup& group : groups) {
    if (group.cond_rel_vecs.size() != group.update_events.size())
      fatal_not_equal("the number of cond and ue should match", std::to_string(group.cond_rel_vecs.size()),
                      std::to_string(group.update_events.size()));
    group.update_events.push_back(pending.take_joinable(arena, group.des, first_present(group.update_events)));
    if (!group.starts_at_head)
      group.cond_rel_vecs.push_back(rel_cond);
    else if (branch_cond)
      group.cond_rel_vecs.push_back(*branch_cond);
  }
  const bool at_head = branches_ == 0;
  pending.for_each_remaining([&](const AssignMeta& meta) {
    groups.push_back(AssignMetaIfGroup{meta.des, {rel_cond}, {meta.ue}, at_head});
  });
  ++branches_;
}

std::vector<AssignMeta> AssignMetaIfPool::gen_assign_metas(ModelArena& arena) const {
  std::vector<AssignMeta> out;
  out.reserve(groups.size());
  for (const AssignMetaIfGroup& group : groups) out.push_back(group.gen_assign_meta(arena));
  return out;
}

}  // namespace velora
