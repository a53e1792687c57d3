// Identifiers: the names of model entities.
//
// Every entity is named by a small fixed-size identifier: a process-wide
// unique number (`global_id`), the name the front end gave it (the relative
// name), a derived unique name (the global name, which is also the Verilog
// name), the is-user flag, and the `ArenaHandle` under which it is stored.
// Names are interned (`NameId`); the global name is not stored at all while it
// is the derived "<PREFIX>_<relative name>_<global id>", only when it was
// replaced by `set_global_name`. Identifiers therefore copy without allocating
// and compare cheaply, while reading back exactly the texts a name buffer
// would hold.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/arena_base.h"
#include "util/intern/name_table.h"

namespace velora {

/// Capacity, in bytes, of every name held in an identifier.
inline constexpr std::size_t MAX_NAME_LEN = 256;

/// Draws the next process-wide global id (0, 1, 2, ... in creation order).
std::uint64_t next_global_id();
/// The id the next identifier will receive.
std::uint64_t peek_global_id();

// ---------------------------------------------------------------- kinds

enum class HwComponentType : std::uint8_t {
  Reg = 0,
  StateReg,
  CondWaitStateReg,
  CycleWaitStateReg,
  CntReg,
  SyncReg,
  Wire,
  Nest,
  Val,
  MemBlockIndexer,
  Expression,
  IoWire,
  MemBlock,
};
inline constexpr int kHwComponentTypeCount = 13;

enum class SensitiveType : std::uint8_t { Clocked = 0, Combinational, ReadOnly };

enum class NodeType : std::uint8_t { Asm = 0, State, Syn, Pseudo, Opr, WaitCond, WaitCycle, Counter, Start };
inline constexpr int kNodeTypeCount = 9;

enum class CcpType : std::uint8_t { Arb = 0, Karray, DynCounter };
inline constexpr int kCcpTypeCount = 3;

enum class FlowBlockType : std::uint8_t {
  Sequential = 0,
  Parallel,
  CondIf,
  CondElif,
  ZeroCondIf,
  ZeroCondElif,
  ZeroSwitch,
  ZeroSwitchCase,
  WhileLoop,
  DoWhile,
  CounterLoop,
  Wait,
  Pipeline,
  Zync,
  Pick,
  PickIf,
};
inline constexpr int kFlowBlockTypeCount = 16;

enum class FlowBlockJoinPolicy : std::uint8_t { SubFlow = 0, ConFlow, BasicNodeFlow };

/// Printed forms (used in global names, Python getters and reprs).
std::string_view printed(HwComponentType t);
std::string_view printed(SensitiveType t);
std::string_view printed(NodeType t);
std::string_view printed(CcpType t);
std::string_view printed(FlowBlockType t);
/// Variant names (used in debug forms and messages).
std::string_view variant_name(HwComponentType t);
std::string_view variant_name(NodeType t);
std::string_view variant_name(CcpType t);
std::string_view variant_name(FlowBlockType t);
std::string_view variant_name(FlowBlockJoinPolicy p);

/// The sensitivity every component of a kind carries.
SensitiveType sensitivity_of(HwComponentType t);

// ---------------------------------------------------------------- IdentBase

/// Which printed kind begins a derived global name.
enum class NamePrefix : std::uint8_t {};
NamePrefix prefix_of(HwComponentType t);
NamePrefix prefix_of(NodeType t);
NamePrefix prefix_of(CcpType t);
NamePrefix prefix_of(FlowBlockType t);
NamePrefix module_prefix();
std::string_view prefix_text(NamePrefix p);

class IdentBase {
 public:
  /// An empty identifier: id 0, empty names, the nothing handle (the content
  /// of placeholders).
  IdentBase() = default;

  /// Draws a new global id and stores the relative name; the global name is
  /// "<prefix>_<name>_<id>". Either name longer than MAX_NAME_LEN is fatal
  /// (the id stays consumed).
  IdentBase(NamePrefix prefix, bool is_user, std::string_view rel_name);

  std::uint64_t global_id = 0;
  [[no_unique_address]] ArenaHandle arena_handle = ArenaHandle::nothing();

  bool is_user_com() const { return is_user_; }
  std::string_view rel_name() const { return name_text(rel_name_); }
  NameId rel_name_id() const { return rel_name_; }
  /// The global name as text.
  std::string abs_name() const;
  /// Appends the global name to `out` without a temporary.
  void append_abs_name(std::string& out) const;
  std::size_t abs_name_len() const;

  void set_rel_name(std::string_view text);
  void set_abs_name(std::string_view text);

  /// Equal global ids and byte-for-byte equal global names.
  friend bool operator==(const IdentBase& a, const IdentBase& b);

 private:
  static constexpr NameId kDerived = 0xFFFFFFFFu;
  NameId rel_name_ = kEmptyName;
  NameId abs_name_ = kEmptyName;  // kDerived: computed from prefix, name and id
  NamePrefix prefix_{};
  bool is_user_ = false;
};

/// The standard record form, name buffers as lists of their 256 byte values.
std::string debug_repr(const IdentBase& ident);

/// Fatal "name exceeds MAX_NAME_LEN (256): "<text>"" when `text` is too long.
void check_name_len(std::string_view text);

// ---------------------------------------------------------------- typed identifiers

struct ModuleIdent {
  IdentBase ident_base;
  [[no_unique_address]] ArenaHandle master_module_handle = ArenaHandle::nothing();
  std::uint32_t depth_level = 0;

  ModuleIdent() = default;
  ModuleIdent(bool is_user, std::string_view name) : ident_base(module_prefix(), is_user, name) {}

  friend bool operator==(const ModuleIdent& a, const ModuleIdent& b) {
    return a.depth_level == b.depth_level && a.ident_base == b.ident_base &&
           a.master_module_handle == b.master_module_handle;
  }
};
std::string debug_repr(const ModuleIdent& ident);

struct HcpIdent {
  IdentBase ident_base;
  /// The module the component was stamped into (the nothing handle before).
  /// Module identifiers never change after creation, so the handle stands for
  /// the copy of the module's identifier.
  [[no_unique_address]] ArenaHandle parent_module = ArenaHandle::nothing();
  HwComponentType hw_type = HwComponentType::Reg;
  SensitiveType sensitivity = SensitiveType::Clocked;

  HcpIdent() = default;
  HcpIdent(HwComponentType type, bool is_user, std::string_view name)
      : ident_base(prefix_of(type), is_user, name), hw_type(type), sensitivity(sensitivity_of(type)) {}
};

struct NcpIdent {
  IdentBase ident_base;
  NodeType node_type = NodeType::Asm;

  NcpIdent() = default;
  NcpIdent(NodeType type, bool is_user, std::string_view name)
      : ident_base(prefix_of(type), is_user, name), node_type(type) {}
};

struct CcpIdent {
  IdentBase ident_base;
  [[no_unique_address]] ArenaHandle parent_module = ArenaHandle::nothing();
  CcpType ccp_type = CcpType::Arb;

  CcpIdent() = default;
  CcpIdent(CcpType type, bool is_user, std::string_view name)
      : ident_base(prefix_of(type), is_user, name), ccp_type(type) {}
};

struct FlowBlockIdent {
  IdentBase ident_base;
  FlowBlockType block_type = FlowBlockType::Sequential;
  FlowBlockJoinPolicy join_policy = FlowBlockJoinPolicy::SubFlow;
  bool chain_master = false;

  FlowBlockIdent() = default;
  FlowBlockIdent(FlowBlockType type, FlowBlockJoinPolicy policy, bool master, std::string_view name)
      : ident_base(prefix_of(type), false, name), block_type(type), join_policy(policy), chain_master(master) {}

  friend bool operator==(const FlowBlockIdent& a, const FlowBlockIdent& b) {
    return a.ident_base == b.ident_base && a.block_type == b.block_type && a.join_policy == b.join_policy &&
           a.chain_master == b.chain_master;
  }
};
std::string debug_repr(const FlowBlockIdent& ident);

}  // namespace velora
