// A module: one node of the design hierarchy.
//
// A module records which components, complex components, sub-modules, flow
// blocks and loose assignment nodes belong to it. It owns only identifiers;
// the entities stay in their arena groups.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/common/identifier.h"

namespace velora {

struct Module {
  /// Generated components, one list per component kind, in registration order.
  std::array<std::vector<HcpIdent>, kHwComponentTypeCount> internal_hcps;
  /// Front-end components, one list per component kind, in registration order.
  std::array<std::vector<HcpIdent>, kHwComponentTypeCount> user_hcps;
  std::vector<ModuleIdent> sub_modules;
  std::vector<CcpIdent> ccps;
  std::vector<FlowBlockIdent> flow_blocks;
  std::vector<NcpIdent> basic_nodes_i;
  ModuleIdent module_ident;
  std::optional<NcpIdent> start_node;
  bool is_top_module = false;

  void set_arena_handle(const ArenaHandle& h) { module_ident.ident_base.arena_handle = h; }
  std::vector<HcpIdent>& hcp_list(HwComponentType t, bool is_user) {
    return (is_user ? user_hcps : internal_hcps)[static_cast<int>(t)];
  }
};

}  // namespace velora
