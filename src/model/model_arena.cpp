#include "model/model_arena.h"

#include <array>

namespace velora {

std::string_view variant_name(ModuleInitStage s) {
  static constexpr std::array<std::string_view, 3> kNames = {"CompInit", "FlowBlockInit", "FlowBlockBuild"};
  return kNames[static_cast<int>(s)];
}

ModuleIdent ModelArena::mk_module(bool is_user, std::string_view name) {
  Module module;
  module.module_ident = ModuleIdent(is_user, name);
  ArenaHandle handle = modules.insert(std::move(module));
  auto taken = modules.take(handle);
  if (!module_stack.empty()) {
    taken->module_ident.master_module_handle = module_stack.back().module.ident_base.arena_handle;
    taken->module_ident.depth_level = static_cast<std::uint32_t>(module_stack.size());
  }
  return taken->module_ident;
}

void ModelArena::track_module_at_com_init(const ModuleIdent& module) {
  module_stack.push_back({module, ModuleInitStage::CompInit});
}

void ModelArena::track_module_at_flow_init(const ModuleIdent& module) {
  module_stack.push_back({module, ModuleInitStage::FlowBlockInit});
}

ModuleStackEntry ModelArena::pop_module_checked(const ModuleIdent& module) {
  if (module_stack.empty()) fatal("module trace stack is empty");
  ModuleStackEntry top = module_stack.back();
  module_stack.pop_back();
  if (!(top.module == module))
    fatal_not_equal("finalize_module: ident mismatch — wrong module finalized", debug_repr(top.module),
                    debug_repr(module));
  return top;
}

void ModelArena::untrack_module_at_com_init(const ModuleIdent& module) {
  ModuleStackEntry popped = pop_module_checked(module);
  if (module_stack.empty()) return;
  auto parent = modules.take(module_stack.back().module.ident_base.arena_handle);
  parent->sub_modules.push_back(popped.module);
}

void ModelArena::untrack_module_at_flow_init(const ModuleIdent& module) { pop_module_checked(module); }

void ModelArena::set_top_module(const ModuleIdent& module) {
  if (top_module) fatal("top_module is already set");
  top_module = module;
  auto taken = modules.take(module.ident_base.arena_handle);
  taken->is_top_module = true;
}

std::string ModelArena::module_verilog_name(const ModuleIdent& module) {
  auto taken = modules.take(module.ident_base.arena_handle);
  return taken->module_ident.ident_base.abs_name();
}

const ModuleStackEntry& ModelArena::current_module_entry() const {
  if (module_stack.empty()) fatal("module trace stack is empty");
  return module_stack.back();
}

void ModelArena::register_pending_hcps(const ModuleIdent& module) {
  std::vector<PendingHcp> pending = std::move(pending_hcps);
  pending_hcps.clear();
  auto taken = modules.take(module.ident_base.arena_handle);
  for (const PendingHcp& p : pending) taken->hcp_list(p.ident.hw_type, p.is_user).push_back(p.ident);
}

}  // namespace velora
