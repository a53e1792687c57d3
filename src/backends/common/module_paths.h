// Paths through the module hierarchy, as routing walks them.
//
// Each module knows its parent (the arena handle in its identifier) and its
// depth level (the top module is at 0). A path is a list of module
// identifiers in walking order. These functions follow the parent links only;
// a tree whose links and depth levels disagree stops them with an internal
// error naming the module at fault.
#pragma once

#include <utility>
#include <vector>

#include "model/common/identifier.h"

namespace velora {

class ModelArena;

using ModulePath = std::vector<ModuleIdent>;

/// The parent of `module`. A module without a parent fails with an equality
/// test "get_parent_module_ident: module "{name}" (id {id}) is a top module
/// and has no parent — module tree / depth_level is inconsistent".
ModuleIdent get_parent_module_ident(const ModelArena& arena, const ModuleIdent& module);

/// [the component's module, its parent, ..., the top module]: climbs while
/// the depth level is above 0.
ModulePath find_module_path_to_top_from_hcp(const ModelArena& arena, const HcpIdent& hcp);

/// ([a, ..., L], [b, ..., L]) where L is the lowest common ancestor of `a`
/// and `b`; both paths end with L. Modules of different trees fail with
/// "find_common_ancestor_module_paths: modules "{}" (id {}) and "{}" (id {})
/// share no common ancestor — they are in different module trees".
std::pair<ModulePath, ModulePath> find_common_ancestor_module_paths(const ModelArena& arena, const ModuleIdent& a,
                                                                    const ModuleIdent& b);

}  // namespace velora
