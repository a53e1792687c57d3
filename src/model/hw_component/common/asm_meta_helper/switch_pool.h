// Merging the cases of a zero-cycle switch: per destination, one switch
// event whose entries are the cases.
#pragma once

#include <cstdint>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velora {

class ModelArena;

struct AssignMetaSwitchGroup {
  HcpIdent des;
  HcpIdent selector;
  std::vector<std::int32_t> match_vals;
  std::vector<OptUeIdent> update_events;

  /// A `UeSwitch` over (match value k, event k).
  AssignMeta gen_assign_meta(ModelArena& arena) const;
};

class AssignMetaSwitchPool {
 public:
  /// One call per case, in case order.
  void insert_asms(ModelArena& arena, const HcpIdent& selector, std::int32_t match_val,
                   std::vector<AssignMeta> asms);
  std::vector<AssignMeta> gen_assign_metas(ModelArena& arena) const;

  std::vector<AssignMetaSwitchGroup> groups;
};

}  // namespace velora
