// Merging the branches of a zero-cycle if / elif / else chain: per
// destination, one conditional event whose entries are the branches.
//
// A group that starts at the first branch follows the chain's own conditions
// (the plain condition of each later branch, and an unconditional entry for
// the else). A group that starts at a later branch must not apply when an
// earlier branch was taken, so each of its entries is guarded by the relative
// condition of its branch (the condition under which exactly that branch is
// the one taken), the else branch included; such a group never has an
// unconditional entry.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velora {

class ModelArena;

struct AssignMetaIfGroup {
  HcpIdent des;
  std::vector<HcpIdent> cond_rel_vecs;    ///< one per branch with a condition
  std::vector<OptUeIdent> update_events;  ///< one per branch since the group started
  bool starts_at_head = true;             ///< started at the chain's first branch

  /// A `UeCond` over (condition k, event k); with one event more than
  /// conditions the last entry is the else.
  AssignMeta gen_assign_meta(ModelArena& arena) const;
};

class AssignMetaIfPool {
 public:
  /// One call per branch, in branch order: `branch_cond` is absent for the
  /// else branch; `rel_cond` is the condition under which this branch is the
  /// one taken.
  void insert_asms(ModelArena& arena, const std::optional<HcpIdent>& branch_cond, const HcpIdent& rel_cond,
                   std::vector<AssignMeta> asms);
  std::vector<AssignMeta> gen_assign_metas(ModelArena& arena) const;

  std::vector<AssignMetaIfGroup> groups;

 private:
  std::size_t branches_ = 0;
};

}  // namespace velora
