// Update events: the records through which components are assigned.
//
// An update event says that a destination range of a component takes a value,
// at a priority, under a clocking. Events are trees: a basic event carries one
// source; a group, conditional or switch event carries child events. Each
// kind lives in its own arena group and is named by an `UpdateEventIdent`
// (global id, arena handle and kind); its name "UE_COND_17" is derived from
// the kind and the id, never stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/arena_base.h"
#include "model/common/identifier.h"
#include "model/controller/clock_mode.h"
#include "model/hw_component/common/hcp_ident.h"
#include "model/hw_component/common/slice.h"

namespace velora {

class ModelArena;

// ---------------------------------------------------------------- priorities

/// Generated zero default of a wire.
inline constexpr std::int32_t DEFAULT_UE_PRI_MIN = 0;
/// User default of a wire.
inline constexpr std::int32_t DEFAULT_UE_PRI_FALLBACK = 1;
/// Default priority of an event record.
inline constexpr std::int32_t DEFAULT_UE_PRI_USER = 10;
/// `bind_src` without priority, routed IO wire sources.
inline constexpr std::int32_t DEFAULT_UE_PRI_INTERNAL_MIN = 50;
inline constexpr std::int32_t DEFAULT_UE_PRI_INTERNAL_MAX = 100;
/// Register reset: applied last, overrides everything.
inline constexpr std::int32_t DEFAULT_UE_PRI_RST = 2147483647;
inline constexpr std::int64_t DEFAULT_UE_SUB_PRIORITY_USER = 0;

// ---------------------------------------------------------------- identifiers

enum class UeType : std::uint8_t { UE_BASIC = 0, UE_GRP = 1, UE_COND = 2, UE_SWITCH = 3, UE_UNTYPE = 4 };

/// "UE_BASIC", "UE_GRP", "UE_COND", "UE_SWITCH", "UE_UNTYPE": also the name prefix.
std::string_view ue_type_text(UeType t);

struct UpdateEventIdent {
  std::uint64_t global_id = 0;
  [[no_unique_address]] ArenaHandle arena_handle = ArenaHandle::nothing();
  UeType ue_type = UeType::UE_UNTYPE;

  /// The empty identifier (kind UE_UNTYPE, nothing handle).
  UpdateEventIdent() = default;
  /// Draws a new global id for an event of kind `type`.
  explicit UpdateEventIdent(UeType type) : global_id(next_global_id()), ue_type(type) {}

  /// "{kind}_{global id}", for example UE_COND_17.
  std::string name() const;

  friend bool operator==(const UpdateEventIdent&, const UpdateEventIdent&) = default;
};

/// An event slot that may be empty (a branch that assigns nothing).
using OptUeIdent = std::optional<UpdateEventIdent>;

// ---------------------------------------------------------------- common part

struct UeCommon {
  std::optional<HcpIdent> clk_src;  ///< clock signal for PosEdge / NegEdge
  std::int64_t sub_priority = DEFAULT_UE_SUB_PRIORITY_USER;
  std::int32_t priority = DEFAULT_UE_PRI_USER;  ///< larger is applied later and wins
  UeType ue_type = UeType::UE_UNTYPE;
  ClockMode clk_mode = ClockMode::ClkUnused;
};

/// Same priority, same clock mode and same clock source (both absent, or
/// both present and the same identifier).
bool is_joinable(const UeCommon& a, const UeCommon& b);

/// What every event kind shares: its identifier and its common part, with the
/// accessors of the event interface.
struct UeRecordBase {
  UpdateEventIdent ident;
  UeCommon common;

  void set_arena_handle(const ArenaHandle& h) { ident.arena_handle = h; }

  const UeCommon& get_ue_common() const { return common; }
  UeCommon& get_ue_common_mut() { return common; }
  UeType get_type() const { return common.ue_type; }
  std::int32_t get_priority() const { return common.priority; }
  std::int64_t get_sub_priority() const { return common.sub_priority; }
  ClockMode get_clk_mode() const { return common.clk_mode; }
  const std::optional<HcpIdent>& get_clk_src_i() const { return common.clk_src; }
  bool is_joinable(const UeRecordBase& other) const { return velora::is_joinable(common, other.common); }
  void set_priority(std::int32_t p) { common.priority = p; }
  void set_sub_priority(std::int64_t p) { common.sub_priority = p; }
  void set_clk_mode(ClockMode m) { common.clk_mode = m; }
  void set_clk_src_i(std::optional<HcpIdent> clk) { common.clk_src = std::move(clk); }
  /// Replaces the clock source when it is a key of `map`.
  void remap_clk_src(const HcpIdentMap& map) {
    if (common.clk_src) remap_ident(*common.clk_src, map);
  }
};

// ---------------------------------------------------------------- kinds

/// One source range driving one destination range.
struct UeBasic : UeRecordBase {
  HcpIdent src;
  Slice des_slice;  ///< [start, stop) in destination bits
  Slice src_slice;  ///< [start, stop) in source bits, the same size

  static constexpr UeType kType = UeType::UE_BASIC;
  bool is_leaf() const { return true; }
  /// The source and the clock source.
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);
};

/// Children that all apply, in order (later ones override earlier ones).
struct UeGrp : UeRecordBase {
  std::vector<UpdateEventIdent> children;

  static constexpr UeType kType = UeType::UE_GRP;
  bool is_leaf() const { return false; }
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);
};

/// If / elif / else: entry k applies when its condition holds and no earlier
/// one did; an absent condition is the final else; an absent child assigns
/// nothing.
struct UeCond : UeRecordBase {
  std::vector<std::optional<HcpIdent>> conds;
  std::vector<OptUeIdent> ues;
  bool is_last_occure = false;  ///< an else entry has been added

  static constexpr UeType kType = UeType::UE_COND;
  bool is_leaf() const { return false; }
  /// Appends an entry; after an else entry this is fatal
  /// "assertion failed: !self.is_last_occure".
  void add_entry(std::optional<HcpIdent> cond, OptUeIdent ue);
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);
};

/// Case selection: child k applies when the selector equals match value k.
struct UeSwitch : UeRecordBase {
  HcpIdent selector;
  std::vector<std::int32_t> sub_stmt_idxs;
  std::vector<OptUeIdent> sub_stmts;

  static constexpr UeType kType = UeType::UE_SWITCH;
  bool is_leaf() const { return false; }
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);
};

}  // namespace velora
