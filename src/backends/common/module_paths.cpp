#include "backends/common/module_paths.h"

#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {
namespace {

/// Appends ""{global name}" (id {global id})".
void append_module(std::string& out, const ModuleIdent& module) {
  out.push_back('"');
  module.ident_base.append_abs_name(out);
  out.append("\" (id ");
  out.append(std::to_string(module.ident_base.global_id));
  out.push_back(')');
}

/// Counts parent steps so that parent links that loop (which no module
/// factory makes, but a damaged model could hold) end in an error instead of
/// an endless climb: a sound climb never takes more steps than there are
/// modules.
class Climb {
 public:
  explicit Climb(const ModelArena& arena) : arena_(arena), limit_(arena.modules.size()) {}

  ModuleIdent parent(const ModuleIdent& module) {
    if (++steps_ > limit_) {
      std::string msg = "module parent links form a cycle through module ";
      append_module(msg, module);
      fatal(std::move(msg));
    }
    return get_parent_module_ident(arena_, module);
  }

 private:
  const ModelArena& arena_;
  std::size_t limit_;
  std::size_t steps_ = 0;
};

}  // namespace

ModuleIdent get_parent_module_ident(const ModelArena& arena, const ModuleIdent& module) {
  if (module.master_module_handle.is_nothing()) {
    std::string msg = "get_parent_module_ident: module ";
    append_module(msg, module);
    msg.append(" is a top module and has no parent \u2014 module tree / depth_level is inconsistent");
    fatal_not_equal(msg, "None", "Some(parent module)");
  }
  return arena.modules.get(module.master_module_handle).module_ident;
}

ModulePath find_module_path_to_top_from_hcp(const ModelArena& arena, const HcpIdent& hcp) {
  ModuleIdent module = arena.modules.get(hcp.parent_module).module_ident;
  ModulePath path;
  path.reserve(module.depth_level + 1);
  path.push_back(module);
  Climb climb(arena);
  while (module.depth_level > 0) {
    module = climb.parent(module);
    path.push_back(module);
  }
  return path;
}

std::pair<ModulePath, ModulePath> find_common_ancestor_module_paths(const ModelArena& arena, const ModuleIdent& a,
                                                                    const ModuleIdent& b) {
  std::pair<ModulePath, ModulePath> paths;
  ModulePath& path_a = paths.first;
  ModulePath& path_b = paths.second;
  ModuleIdent x = a;
  ModuleIdent y = b;
  path_a.push_back(x);
  path_b.push_back(y);
  Climb climb_a(arena);
  Climb climb_b(arena);
  while (x.depth_level > y.depth_level) {
    x = climb_a.parent(x);
    path_a.push_back(x);
  }
  while (y.depth_level > x.depth_level) {
    y = climb_b.parent(y);
    path_b.push_back(y);
  }
  while (!(x == y)) {
    if (x.depth_level == 0 && y.depth_level == 0) {
      std::string msg = "find_common_ancestor_module_paths: modules ";
      append_module(msg, a);
      msg.append(" and ");
      append_module(msg, b);
      msg.append(" share no common ancestor \u2014 they are in different module trees");
      fatal(std::move(msg));
    }
    x = climb_a.parent(x);
    y = climb_b.parent(y);
    path_a.push_back(x);
    path_b.push_back(y);
  }
  return paths;
}

}  // namespace velora
