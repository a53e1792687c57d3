// Cross-module IO routing: how the two passes work.
//
// Internal routing visits the modules in depth-first pre-order from the top
// module. For a module M it gathers what the components of kinds REG to EXPR
// read (their update events' sources, clock sources, conditions, selectors,
// expression operands), keeps the components of other modules, and routes
// each of them, in ascending global id, as follows. With S the source's
// module and L the lowest common ancestor of S and M: up from S to the child
// of L, every module gets an output port "IO_OUT_<source>" driven by the
// signal one level below; down from the child of L to M, every module gets an
// input port "IO_IN_<source>" driven by the port one level above. A module
// that already has a port of that direction for the source reuses the first
// such port (`find_reusable_io_wire`). Finally every reference of M's
// components to a routed source is remapped to the last port of its chain.
//
// Cost. Reuse lookups go through `PortIndex`, a hash index from (module,
// direction, source) to the first matching port, built lazily per module and
// updated as ports are made, so a lookup costs O(1) instead of a scan of the
// module's ports. Routes do not re-walk what earlier routes of the same pass
// already resolved: once a port for a source has been resolved in a module on
// the way down, every module between it and the common ancestor has been
// resolved too (by the same earlier walk, with the same ancestor), and its
// ports cannot change any more, because routing only appends ports and only
// when no reusable one exists. The same holds on the way up, from the source's
// module upwards. So a route climbs from M only until it meets a module
// resolved for the source (`down_marks_`), and continues the source's upward
// chain where it stopped (`up_chains_`). Common-ancestor tests use pre-order
// intervals of the module tree (`ModuleTree`). A route whose modules the tree
// does not cover (parent links that disagree with the sub-module lists) takes
// the plain walk over both module paths. Either way the ports, their ids and
// the failures are those of the plain walk.
//
// Global routing visits the modules in the same order and, for every
// component marked as IO, makes a chain of ports to the top module: outputs
// "IO_OUT_<component>" from the component's module up, inputs "IO_IN_anon"
// from the top down, then the component takes its value from the last input
// port. The top-level port carries the mark's io_name. It never reuses ports.
#include "backends/common/routing.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "backends/verilog/backend.h"
#include "common/error.h"
#include "model/model_arena.h"

namespace velora {
namespace {

constexpr int kIoWireKind = static_cast<int>(HwComponentType::IoWire);
/// Internal routing reads the kinds REG to EXPR: not IO wires, not memory blocks.
constexpr int kLastReadingKind = static_cast<int>(HwComponentType::Expression);
constexpr int kLastKind = kHwComponentTypeCount - 1;

// ---------------------------------------------------------------- names

constexpr std::string_view kOutPrefix = "IO_OUT_";
constexpr std::string_view kInPrefix = "IO_IN_";
constexpr std::string_view kAnonInputName = "IO_IN_anon";

/// "IO_OUT_<global name>" or "IO_IN_<global name>".
std::string routed_port_name(bool is_input, const HcpIdent& signal) {
  std::string name(is_input ? kInPrefix : kOutPrefix);
  signal.ident_base.append_abs_name(name);
  return name;
}

void append_module(std::string& out, const ModuleIdent& module) {
  out.push_back('"');
  module.ident_base.append_abs_name(out);
  out.append("\" (id ");
  out.append(std::to_string(module.ident_base.global_id));
  out.push_back(')');
}

// ---------------------------------------------------------------- module access

const ModuleIdent& module_ident_of(const ModelArena& arena, const ArenaHandle& module) {
  return arena.modules.get(module).module_ident;
}

/// Calls `f(ident)` for each component of kinds 0 to `last_kind` of the
/// module, kind by kind, generated ones before the front end's. The module is
/// re-read for every element, so `f` may add components to the arena (and
/// to this module) while the walk goes on.
template <class F>
void for_each_component(const ModelArena& arena, const ArenaHandle& module, int last_kind, F&& f) {
  for (int kind = 0; kind <= last_kind; ++kind) {
    for (const bool user : {false, true}) {
      for (std::size_t i = 0;; ++i) {
        const Module& m = arena.modules.get(module);
        const std::vector<HcpIdent>& list = (user ? m.user_hcps : m.internal_hcps)[kind];
        if (i >= list.size()) break;
        const HcpIdent ident = list[i];
        f(ident);
      }
    }
  }
}

/// The depth-first pre-order walk of the emitter (`DfsModuleIter`), refusing
/// a module reached a second time (listed under two parents, or under
/// itself) instead of visiting it again or forever.
class ModuleWalk {
 public:
  ModuleWalk(const ModelArena& arena, const ModuleIdent& top, std::string_view pass)
      : arena_(arena), pass_(pass), dfs_(top), seen_(arena.modules.size(), false) {}

  /// The next module's handle, or none when the walk is over.
  std::optional<ArenaHandle> next() {
    const std::optional<ModuleIdent> module = dfs_.next_module(arena_);
    if (!module) return std::nullopt;
    const ArenaHandle handle = module->ident_base.arena_handle;
    if (seen_[handle.index]) {
      std::string msg(pass_);
      msg.append(": module ");
      append_module(msg, module_ident_of(arena_, handle));
      msg.append(" is reached twice in the module tree");
      fatal(std::move(msg));
    }
    seen_[handle.index] = true;
    return handle;
  }

 private:
  const ModelArena& arena_;
  std::string_view pass_;
  DfsModuleIter dfs_;
  std::vector<bool> seen_;
};

/// Creates a port as a generated IO wire of `module`: the module is current
/// on the trace stack (component stage) just while the wire is made.
HcpIdent create_port(ModelArena& arena, const ArenaHandle& module, std::string_view name, bool is_input,
                     std::int32_t width, const std::optional<HcpIdent>& actual,
                     const std::optional<HcpIdent>& agent) {
  arena.module_stack.push_back(ModuleStackEntry{module_ident_of(arena, module), ModuleInitStage::CompInit});
  struct PopOnExit {
    ModelArena& arena;
    ~PopOnExit() { arena.module_stack.pop_back(); }
  } pop{arena};
  return arena.make_io_wire(false, name, is_input, width, actual, agent);
}

std::int32_t whole_width(const ModelArena& arena, const HcpIdent& signal) {
  return arena.get_des_slice(signal).stop;
}

[[noreturn]] [[gnu::cold]] void unrouted_port() { fatal("IoWire: actual_src_signal_i is None"); }

// ---------------------------------------------------------------- port index

/// `find_reusable_io_wire` in O(1): the first port per (module, direction,
/// carried signal) in scan order, and per (module, direction) the first port
/// that carries no signal. A module is indexed when it is first asked about;
/// ports made afterwards are added as they are made.
class PortIndex {
 public:
  explicit PortIndex(const ModelArena& arena) : arena_(arena), modules_(arena.modules.size()) {}

  std::optional<HcpIdent> find(const ArenaHandle& module, const HcpIdent& signal, bool is_input) {
    const ModuleState& state = indexed(module);
    const auto it = ports_.find(Key{module.index, signal, is_input});
    const std::uint64_t match = it == ports_.end() ? kNowhere : it->second.position;
    // The scan would reach a port without a signal before the match.
    if (state.first_unrouted[is_input] < match) unrouted_port();
    if (it == ports_.end()) return std::nullopt;
    return it->second.port;
  }

  /// Records `port`, just appended to the module's generated IO wires.
  void add(const ArenaHandle& module, const HcpIdent& port, bool is_input, const HcpIdent& signal) {
    if (!modules_[module.index].indexed) return;  // the module's first lookup will see it
    const std::size_t index = arena_.modules.get(module).internal_hcps[kIoWireKind].size() - 1;
    const std::uint64_t position = scan_position(false, index);
    auto [it, inserted] = ports_.try_emplace(Key{module.index, signal, is_input}, Entry{position, port});
    if (!inserted && position < it->second.position) it->second = Entry{position, port};
  }

 private:
  static constexpr std::uint64_t kNowhere = std::numeric_limits<std::uint64_t>::max();

  struct ModuleState {
    bool indexed = false;
    std::uint64_t first_unrouted[2] = {kNowhere, kNowhere};  // by is_input
  };
  struct Key {
    std::uint64_t module;
    HcpIdent signal;
    bool is_input;
    friend bool operator==(const Key& a, const Key& b) {
      return a.module == b.module && a.is_input == b.is_input && a.signal == b.signal;
    }
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const noexcept {
      std::uint64_t h = k.signal.ident_base.global_id * 0x9E3779B97F4A7C15ull;
      h ^= (k.module << 1) | static_cast<std::uint64_t>(k.is_input);
      return static_cast<std::size_t>(h ^ (h >> 29));
    }
  };
  struct Entry {
    std::uint64_t position;
    HcpIdent port;
  };

  /// Scan order: the generated ports, then the front end's.
  static std::uint64_t scan_position(bool user, std::size_t index) {
    return (static_cast<std::uint64_t>(user) << 63) | static_cast<std::uint64_t>(index);
  }

  const ModuleState& indexed(const ArenaHandle& module) {
    const Module& m = arena_.modules.get(module);
    ModuleState& state = modules_[module.index];
    if (state.indexed) return state;
    state.indexed = true;
    for (const bool user : {false, true}) {
      const std::vector<HcpIdent>& list = (user ? m.user_hcps : m.internal_hcps)[kIoWireKind];
      for (std::size_t i = 0; i < list.size(); ++i) {
        const IoWire& wire = arena_.io_wires.get(list[i].ident_base.arena_handle);
        const std::uint64_t position = scan_position(user, i);
        if (!wire.actual_src_signal_i) {
          std::uint64_t& first = state.first_unrouted[wire.is_input];
          first = std::min(first, position);
        } else {
          ports_.try_emplace(Key{module.index, *wire.actual_src_signal_i, wire.is_input}, Entry{position, list[i]});
        }
      }
    }
    return state;
  }

  const ModelArena& arena_;
  std::vector<ModuleState> modules_;
  std::unordered_map<Key, Entry, KeyHash> ports_;
};

// ---------------------------------------------------------------- module tree

/// Pre-order intervals of the module tree below the top module, for O(1)
/// ancestor tests. Only modules whose parent link and depth level agree with
/// the sub-module list they are reached through are covered (and only below
/// covered parents), so that over covered modules the intervals and the
/// parent links describe the same tree.
class ModuleTree {
 public:
  ModuleTree(const ModelArena& arena, const ArenaHandle& top)
      : enter_(arena.modules.size(), kNone),
        leave_(arena.modules.size(), kNone),
        generation_(arena.modules.size(), 0) {
    const Module& root = arena.modules.get(top);
    if (root.module_ident.depth_level != 0) return;
    std::uint32_t clock = 0;
    struct Frame {
      ArenaHandle module;
      std::size_t next_child;
    };
    std::vector<Frame> stack{{top, 0}};
    enter_[top.index] = clock++;
    generation_[top.index] = top.generation;
    while (!stack.empty()) {
      const ArenaHandle handle = stack.back().module;
      const Module& module = arena.modules.get(handle);
      if (stack.back().next_child == module.sub_modules.size()) {
        leave_[handle.index] = clock++;
        stack.pop_back();
        continue;
      }
      const ArenaHandle child = module.sub_modules[stack.back().next_child++].ident_base.arena_handle;
      if (child.index >= enter_.size() || enter_[child.index] != kNone) continue;
      const ModuleIdent* ident = valid_module(arena, child);
      if (ident == nullptr || !(ident->master_module_handle == handle) ||
          ident->depth_level != module.module_ident.depth_level + 1)
        continue;
      enter_[child.index] = clock++;
      generation_[child.index] = child.generation;
      stack.push_back({child, 0});
    }
  }

  bool covers(const ArenaHandle& module) const {
    return module.index < enter_.size() && leave_[module.index] != kNone &&
           generation_[module.index] == module.generation;
  }
  /// `ancestor` is `module` or one of its ancestors (both covered).
  bool is_ancestor_or_self(const ArenaHandle& ancestor, const ArenaHandle& module) const {
    return enter_[ancestor.index] <= enter_[module.index] && leave_[module.index] <= leave_[ancestor.index];
  }

 private:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  /// The stored identifier of `handle`, or null for a handle that names no
  /// module (left to the walk, which reports it when it gets there).
  static const ModuleIdent* valid_module(const ModelArena& arena, const ArenaHandle& handle) {
    try {
      const ModuleIdent& ident = arena.modules.get(handle).module_ident;
      return ident.ident_base.arena_handle == handle ? &ident : nullptr;
    } catch (const Error&) {
      return nullptr;
    }
  }

  std::vector<std::uint32_t> enter_;
  std::vector<std::uint32_t> leave_;
  std::vector<std::uint32_t> generation_;  // of the covered handles: a stale handle is not covered
};

// ---------------------------------------------------------------- internal routing

enum class RouteMode : std::uint8_t {
  Fast,          ///< index and shortcuts (plain walk where the tree is not covered)
  PlainIndexed,  ///< plain walk over both paths, index lookups
  PlainScan,     ///< plain walk over both paths, a scan per lookup
};

class InternalRouter {
 public:
  InternalRouter(ModelArena& arena, const ModuleIdent& top, RouteMode mode)
      : arena_(arena), mode_(mode), index_(arena), tree_(arena, top.ident_base.arena_handle) {}

  void route_module(const ArenaHandle& module) {
    gather_foreign_deps(module);
    remap_.clear();
    path_cache_.clear();
    for (const HcpIdent& dep : foreign_) remap_.emplace(dep, route(dep, module));
    if (remap_.empty()) return;
    for_each_component(arena_, module, kLastReadingKind, [&](const HcpIdent& ident) {
      arena_.take_hcp(ident, [&](auto& hcp) { hcp.remap_dep_hcps(remap_, arena_); });
    });
  }

 private:
  struct DownMark {
    HcpIdent port;
    std::uint32_t lca_depth;
  };
  struct MarkKey {
    HcpIdent signal;
    std::uint64_t module;
    friend bool operator==(const MarkKey& a, const MarkKey& b) { return a.module == b.module && a.signal == b.signal; }
  };
  struct MarkKeyHash {
    std::size_t operator()(const MarkKey& k) const noexcept {
      const std::uint64_t h = k.signal.ident_base.global_id * 0x9E3779B97F4A7C15ull ^ k.module;
      return static_cast<std::size_t>(h ^ (h >> 29));
    }
  };

  /// The components of other modules that the module's components read, in
  /// ascending global id.
  void gather_foreign_deps(const ArenaHandle& module) {
    deps_.clear();
    for_each_component(arena_, module, kLastReadingKind, [&](const HcpIdent& ident) {
      arena_.take_hcp(ident, [&](const auto& hcp) { hcp.gather_dep_hcps(arena_, deps_); });
    });
    foreign_.clear();
    for (const HcpIdent& dep : deps_)
      if (!(dep.parent_module == module)) foreign_.push_back(dep);
    std::sort(foreign_.begin(), foreign_.end(), [](const HcpIdent& a, const HcpIdent& b) {
      if (a.ident_base.global_id != b.ident_base.global_id) return a.ident_base.global_id < b.ident_base.global_id;
      return a.parent_module.index < b.parent_module.index;  // only a damaged model has equal ids
    });
  }

  /// Routes `signal` into `reader`; returns the port the reader reads instead.
  HcpIdent route(const HcpIdent& signal, const ArenaHandle& reader) {
    const ArenaHandle source = signal.parent_module;
    width_ = whole_width(arena_, signal);
    if (mode_ == RouteMode::Fast && tree_.covers(source) && tree_.covers(reader)) return route_fast(signal, reader);
    return route_plain(signal, reader);
  }

  /// Both module paths, every module on them.
  HcpIdent route_plain(const HcpIdent& signal, const ArenaHandle& reader) {
    const auto& [reader_path, source_path] = paths(reader, signal.parent_module);
    HcpIdent cur = signal;
    for (std::size_t i = 0; i + 1 < source_path.size(); ++i)
      cur = reuse_or_create(source_path[i].ident_base.arena_handle, signal, false, cur);
    for (std::size_t i = reader_path.size() - 1; i-- > 0;)
      cur = reuse_or_create(reader_path[i].ident_base.arena_handle, signal, true, cur);
    return cur;
  }

  /// The plain walk's result, skipping what earlier routes resolved.
  HcpIdent route_fast(const HcpIdent& signal, const ArenaHandle& reader) {
    const ArenaHandle source = signal.parent_module;
    // Climb from the reader to the common ancestor, or to the first module
    // already resolved for this signal on the way down.
    pending_down_.clear();
    std::optional<HcpIdent> resolved_down;
    std::uint32_t lca_depth = 0;
    ArenaHandle at = reader;
    while (true) {
      if (tree_.is_ancestor_or_self(at, source)) {
        lca_depth = module_ident_of(arena_, at).depth_level;
        break;
      }
      if (const auto it = down_marks_.find(MarkKey{signal, at.index}); it != down_marks_.end()) {
        resolved_down = it->second.port;
        lca_depth = it->second.lca_depth;
        break;
      }
      pending_down_.push_back(at);
      at = module_ident_of(arena_, at).master_module_handle;
    }

    // Up: the ports of the source's chain, from its module to the child of
    // the common ancestor.
    const std::uint32_t up_count = module_ident_of(arena_, source).depth_level - lca_depth;
    HcpIdent cur = signal;
    if (up_count > 0) {
      std::vector<HcpIdent>& chain = up_chains_[signal];
      if (chain.size() < up_count) {
        ArenaHandle up = source;
        if (!chain.empty()) {
          cur = chain.back();
          up = module_ident_of(arena_, chain.back().parent_module).master_module_handle;
        }
        while (true) {
          cur = reuse_or_create(up, signal, false, cur);
          chain.push_back(cur);
          if (chain.size() == up_count) break;
          up = module_ident_of(arena_, up).master_module_handle;
        }
      }
      cur = chain[up_count - 1];
    }

    // Down: from below the resolved part to the reader.
    if (resolved_down) cur = *resolved_down;
    for (auto it = pending_down_.rbegin(); it != pending_down_.rend(); ++it) {
      cur = reuse_or_create(*it, signal, true, cur);
      down_marks_.insert_or_assign(MarkKey{signal, it->index}, DownMark{cur, lca_depth});
    }
    return cur;
  }

  /// The module's first port for the signal in that direction, or a new one
  /// driven by `agent`.
  HcpIdent reuse_or_create(const ArenaHandle& module, const HcpIdent& signal, bool is_input, const HcpIdent& agent) {
    std::optional<HcpIdent> port =
        mode_ == RouteMode::PlainScan
            ? find_reusable_io_wire(arena_, module_ident_of(arena_, module), signal, is_input)
            : index_.find(module, signal, is_input);
    if (port) return *port;
    const HcpIdent created =
        create_port(arena_, module, routed_port_name(is_input, signal), is_input, width_, signal, agent);
    if (mode_ != RouteMode::PlainScan) index_.add(module, created, is_input, signal);
    return created;
  }

  /// (reader path, source path) of the module pass, computed once per source module.
  const std::pair<ModulePath, ModulePath>& paths(const ArenaHandle& reader, const ArenaHandle& source) {
    auto [it, inserted] = path_cache_.try_emplace(source.index);
    if (inserted)
      it->second = find_common_ancestor_module_paths(arena_, module_ident_of(arena_, reader),
                                                     module_ident_of(arena_, source));
    return it->second;
  }

  ModelArena& arena_;
  RouteMode mode_;
  PortIndex index_;
  ModuleTree tree_;
  std::int32_t width_ = 0;

  // per module
  HcpIdentSet deps_;
  std::vector<HcpIdent> foreign_;
  HcpIdentMap remap_;
  std::unordered_map<std::uint64_t, std::pair<ModulePath, ModulePath>> path_cache_;
  std::vector<ArenaHandle> pending_down_;

  // per pass
  std::unordered_map<HcpIdent, std::vector<HcpIdent>, HcpIdentHash> up_chains_;
  std::unordered_map<MarkKey, DownMark, MarkKeyHash> down_marks_;
};

void route_internal(ModelArena& arena, RouteMode mode) {
  if (!arena.top_module) fatal("route_and_remap_io_model: no top module set");
  const ModuleIdent top = *arena.top_module;
  InternalRouter router(arena, top, mode);
  ModuleWalk walk(arena, top, "route_and_remap_io_model");
  while (const std::optional<ArenaHandle> module = walk.next()) router.route_module(*module);
}

// ---------------------------------------------------------------- global routing

/// The chain of ports of one IO-marked component; returns the top-level port.
HcpIdent route_marked(ModelArena& arena, const HcpIdent& marked, bool is_input) {
  const ModulePath path = find_module_path_to_top_from_hcp(arena, marked);
  const std::int32_t width = whole_width(arena, marked);
  if (!is_input) {
    const std::string name = routed_port_name(false, marked);
    HcpIdent cur = marked;
    for (const ModuleIdent& module : path)
      cur = create_port(arena, module.ident_base.arena_handle, name, false, width, marked, cur);
    return cur;
  }
  std::optional<HcpIdent> top_port;
  std::optional<HcpIdent> cur;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    cur = create_port(arena, it->ident_base.arena_handle, kAnonInputName, true, width, std::nullopt, cur);
    if (!top_port) top_port = cur;
  }
  arena.bind_src(marked, *cur, std::nullopt, 0, width, DEFAULT_UE_PRI_INTERNAL_MIN, std::nullopt, std::nullopt);
  return *top_port;
}

}  // namespace

void route_and_remap_io_model(ModelArena& arena) { route_internal(arena, RouteMode::Fast); }

void routing_detail::route_and_remap_io_model_plain(ModelArena& arena) {
  route_internal(arena, RouteMode::PlainScan);
}

void route_glob_io_model(ModelArena& arena) {
  if (!arena.top_module) fatal("route_glob_io_model: no top module set");
  ModuleWalk walk(arena, *arena.top_module, "route_glob_io_model");
  std::vector<HcpIdent> marked;
  while (const std::optional<ArenaHandle> module = walk.next()) {
    marked.clear();
    for_each_component(arena, *module, kLastKind, [&](const HcpIdent& ident) {
      if (arena.get_hcp_assign(ident).io_mark) marked.push_back(ident);
    });
    for (const HcpIdent& component : marked) {
      const IoMark mark = *arena.get_hcp_assign(component).io_mark;
      const HcpIdent top_port = route_marked(arena, component, mark.is_input);
      auto port = arena.io_wires.take(top_port.ident_base.arena_handle);
      port->io_name = mark.io_name_id;
    }
  }
}

std::optional<HcpIdent> find_reusable_io_wire(const ModelArena& arena, const ModuleIdent& module,
                                              const HcpIdent& signal, bool is_input) {
  const Module& m = arena.modules.get(module.ident_base.arena_handle);
  for (const auto* lists : {&m.internal_hcps, &m.user_hcps}) {
    for (const HcpIdent& port : (*lists)[kIoWireKind]) {
      const IoWire& wire = arena.io_wires.get(port.ident_base.arena_handle);
      if (wire.is_input != is_input) continue;
      if (!wire.actual_src_signal_i) unrouted_port();
      if (*wire.actual_src_signal_i == signal) return port;
    }
  }
  return std::nullopt;
}

}  // namespace velora
