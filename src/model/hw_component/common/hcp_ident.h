// Identity of hardware-component identifiers.
//
// Two `HcpIdent`s name the same component when they agree in global id and
// global name, parent module, kind and arena handle. Sets and maps keyed by
// component identifiers (dependency gathering, routing remaps) use the hash
// and equality below.
#pragma once

#include <cstddef>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "model/common/identifier.h"

namespace velora {

inline bool operator==(const HcpIdent& a, const HcpIdent& b) {
  return a.hw_type == b.hw_type && a.ident_base.arena_handle == b.ident_base.arena_handle &&
         a.parent_module == b.parent_module && a.ident_base == b.ident_base;
}

/// Hash of a component identifier: its global id, which is unique.
struct HcpIdentHash {
  std::size_t operator()(const HcpIdent& id) const noexcept {
    return std::hash<std::uint64_t>{}(id.ident_base.global_id);
  }
};

using HcpIdentSet = std::unordered_set<HcpIdent, HcpIdentHash>;
using HcpIdentMap = std::unordered_map<HcpIdent, HcpIdent, HcpIdentHash>;

/// Replaces `id` by its image when it is a key of `map`.
inline void remap_ident(HcpIdent& id, const HcpIdentMap& map) {
  auto it = map.find(id);
  if (it != map.end()) id = it->second;
}

}  // namespace velora
