// Merging the assignments of one step: all assignments to a destination that
// may be joined (same priority and clocking) become one group event.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velora {

class ModelArena;

struct AssignMetaGrpGroup {
  HcpIdent des;
  std::vector<UpdateEventIdent> update_events;

  /// A `UeGrp` over the events, clocked like the first; fatal "update_events
  /// must have at least one entry (first_ue from construction)" when empty.
  AssignMeta gen_assign_meta(ModelArena& arena) const;
};

class AssignMetaGrpPool {
 public:
  /// Each existing group takes at most one joinable assignment; the rest
  /// start new groups, in order.
  void insert_asms(ModelArena& arena, std::vector<AssignMeta> asms);
  /// One merged assignment per group, in group order.
  std::vector<AssignMeta> gen_assign_metas(ModelArena& arena) const;

  std::vector<AssignMetaGrpGroup> groups;

 private:
  /// Adds the groups appended since the last call to `by_des_`.
  void index_new_groups();

  /// Group indices per destination global id, in group order: an insertion
  /// visits only the groups of the destinations it assigns, so merging n
  /// single assignments stays linear.
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> by_des_;
  std::size_t indexed_ = 0;
};

}  // namespace velora
