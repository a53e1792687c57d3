// The model arena: the single container of a design.
//
// Every entity lives in one typed `ArenaGroup` of the `ModelArena` and is
// named elsewhere by its identifier. Besides the groups, the arena keeps the
// context new entities are created in: the module trace stack (the current
// module and its stage), the components created while a module is being
// compiled (`pending_hcps`), the flow-block stack and the top module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/arena_base.h"
#include "model/common/identifier.h"
#include "model/module/module.h"

namespace velora {

enum class ModuleInitStage : std::uint8_t { CompInit = 0, FlowBlockInit, FlowBlockBuild };
std::string_view variant_name(ModuleInitStage s);

/// Whether an entry of the flow-block stack still receives elements.
enum class BlockTrackStatus : std::uint8_t { Open = 0, LazyClosed = 1 };

struct ModuleStackEntry {
  ModuleIdent module;
  ModuleInitStage stage;
};

struct PendingHcp {
  HcpIdent ident;
  bool is_user;
};

struct FlowBlockStackEntry {
  FlowBlockIdent block;
  BlockTrackStatus status;
};

class ModelArena {
 public:
  ModelArena() = default;
  ModelArena(const ModelArena&) = delete;
  ModelArena& operator=(const ModelArena&) = delete;
  ModelArena(ModelArena&&) noexcept = default;
  ModelArena& operator=(ModelArena&&) noexcept = default;

  // ---- groups
  ArenaGroup<Module> modules;

  // ---- context
  std::vector<ModuleStackEntry> module_stack;
  std::vector<PendingHcp> pending_hcps;
  std::vector<FlowBlockStackEntry> flow_block_stack;
  std::optional<ModuleIdent> top_module;

  // ---- modules and the module trace stack
  /// Creates a module whose parent and depth come from the module trace stack.
  ModuleIdent mk_module(bool is_user, std::string_view name);
  void track_module_at_com_init(const ModuleIdent& module);
  void track_module_at_flow_init(const ModuleIdent& module);
  /// Pops `module`; a module below it on the stack adopts it as a sub-module.
  void untrack_module_at_com_init(const ModuleIdent& module);
  void untrack_module_at_flow_init(const ModuleIdent& module);
  void set_top_module(const ModuleIdent& module);
  /// The global name stored in the module record.
  std::string module_verilog_name(const ModuleIdent& module);

  /// The top entry of the module trace stack ("module trace stack is empty").
  const ModuleStackEntry& current_module_entry() const;

  /// Moves the pending components into `module`, leaving the list empty.
  void register_pending_hcps(const ModuleIdent& module);

 private:
  ModuleStackEntry pop_module_checked(const ModuleIdent& module);
};

}  // namespace velora
