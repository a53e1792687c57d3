#include "model/hw_component/common/asm_meta_helper/pending_asms.h"

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

PendingAsms::PendingAsms(std::vector<AssignMeta> asms) : asms_(std::move(asms)), used_(asms_.size(), false) {
  for (std::size_t i = 0; i < asms_.size(); ++i) by_des_[asms_[i].des.ident_base.global_id].push_back(i);
}

std::optional<UpdateEventIdent> PendingAsms::take_joinable(const ModelArena& arena, const HcpIdent& des,
                                                           const UpdateEventIdent& group_first) {
  auto it = by_des_.find(des.ident_base.global_id);
  if (it == by_des_.end()) return std::nullopt;
  const UeCommon& first = arena.get_ue_common(group_first);
  for (std::size_t i : it->second) {
    if (used_[i] || !(asms_[i].des == des)) continue;
    if (!is_joinable(arena.get_ue_common(asms_[i].ue), first)) continue;
    used_[i] = true;
    return asms_[i].ue;
  }
  return std::nullopt;
}

const UpdateEventIdent& first_present(const std::vector<OptUeIdent>& ues) {
  for (const OptUeIdent& ue : ues)
    if (ue) return *ue;
  fatal("merge group holds no event");
}

}  // namespace velora
