// What every assignable component carries, and the shared assignment paths.
//
// Each component record starts with its identifier and an `HcpAssign` (its
// update pool and optional port mark); `HcpRecordBase` holds both and offers
// the pool and port operations that behave alike for every kind. The free
// functions below build update events and assignment metadata from an
// assignment "destination range <- source range"; the component kinds call
// them with their own width and clock mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/common/identifier.h"
#include "model/controller/clock_mode.h"
#include "model/hw_component/common/hcp_ident.h"
#include "model/hw_component/common/slice.h"
#include "model/hw_component/common/update_pool.h"
#include "util/intern/name_table.h"

namespace velora {

class ModelArena;
struct AssignMeta;

/// A component marked as a module port.
struct IoMark {
  NameId io_name_id = kEmptyName;
  bool is_input = false;

  std::string_view io_name() const { return name_text(io_name_id); }
};

struct HcpAssign {
  UpdatePool update_pool;
  std::optional<IoMark> io_mark;
};

/// Identifier and assignment record of a component, with the operations that
/// every kind shares.
struct HcpRecordBase {
  HcpIdent ident;
  HcpAssign hcp_assign;

  void set_arena_handle(const ArenaHandle& h) { ident.ident_base.arena_handle = h; }
  const HcpIdent& get_ident() const { return ident; }
  HcpIdent& get_ident_mut() { return ident; }

  const HcpAssign& get_hcp_assign() const { return hcp_assign; }
  HcpAssign& get_hcp_assign_mut() { return hcp_assign; }
  void add_update_event(const UpdateEventIdent& ue) { hcp_assign.update_pool.push(ue); }
  const UpdatePool& get_update_pool() const { return hcp_assign.update_pool; }
  void sort_events(const ModelArena& arena) { hcp_assign.update_pool.sort_events(arena); }
  /// Sets the port mark, replacing an earlier one.
  void mark_as_io(bool is_input, std::string_view io_name) { hcp_assign.io_mark = IoMark{intern_name(io_name), is_input}; }
  bool is_marked_as_io() const { return hcp_assign.io_mark.has_value(); }
  const std::optional<IoMark>& get_io_mark() const { return hcp_assign.io_mark; }
};

/// The current assignment priority (`CUR_PRIORITY` of the calling thread).
std::int32_t current_asm_priority();

/// Builds the basic update event of "destination slice <- source [src_start,
/// src_stop)" on a destination of `des_width` bits. The destination range
/// [c, e) is the slice when present and valid, else the whole destination;
/// the source range must fit it: fatal "assertion failed:
/// self.is_size_in_range_rel(b.get_size())" otherwise.
UpdateEventIdent gen_assign_update_event(ModelArena& arena, std::int32_t des_width, const HcpIdent& src,
                                         const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                                         std::int32_t priority, ClockMode clk_mode);

/// The assignment metadata of an assignment: destination, a new basic event
/// at the current priority and the destination kind's clock mode.
AssignMeta gen_assign_meta(ModelArena& arena, const HcpIdent& des, std::int32_t des_width, ClockMode clk_mode,
                           const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                           std::int32_t src_stop);

/// The assignment node "{destination global name}_asm" carrying the
/// destination and a new basic event at the current priority.
NcpIdent gen_assign_node(ModelArena& arena, const HcpIdent& des, std::int32_t des_width, ClockMode clk_mode,
                         const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                         std::int32_t src_stop);

/// Binds a source directly into `pool`: clock mode defaults to ClkFree, an
/// edge mode needs `clk_src` (fatal "no clk_src specified for binded source
/// with posedge or negedge clk"), priority defaults to 50.
void bind_src_into(ModelArena& arena, UpdatePool& pool, std::int32_t des_width, const HcpIdent& src,
                   const OptSlice& des_slice, std::int32_t src_start, std::int32_t src_stop,
                   std::optional<std::int32_t> priority, std::optional<ClockMode> clk_mode,
                   const std::optional<HcpIdent>& clk_src);

}  // namespace velora
