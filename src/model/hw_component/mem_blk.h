// A memory array of 2^index_width words; read and written through `MemEle`
// ports, never assigned itself.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"

namespace velora {

struct MemBlk : HcpRecordBase {
  static constexpr HwComponentType kType = HwComponentType::MemBlock;

  std::int32_t bit_width = 0;    ///< word width
  std::int32_t index_width = 0;  ///< address width

  MemBlk() = default;
  MemBlk(bool is_user, std::string_view name, std::int32_t bit_w, std::int32_t index_w);

  // Every assignment operation fails with "MemBlk is not an assignment
  // destination".
  [[noreturn]] ClockMode retrieve_clk_mode() const;
  [[noreturn]] Slice get_des_slice() const;
  [[noreturn]] std::int32_t get_priority() const;
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  [[noreturn]] UpdateEventIdent gen_update_event(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t,
                                                 ModelArena&);
  [[noreturn]] UpdateEventIdent gen_update_event_with_pri(const HcpIdent&, const OptSlice&, std::int32_t,
                                                          std::int32_t, std::int32_t, ClockMode, ModelArena&);
  [[noreturn]] AssignMeta gen_asm_meta(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  [[noreturn]] NcpIdent gen_asm_node(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  /// The clock-source check of `bind_src`, then the refusal above.
  [[noreturn]] void bind_src(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t,
                             std::optional<std::int32_t>, std::optional<ClockMode> clk_mode,
                             const std::optional<HcpIdent>& clk_src, ModelArena&);

  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const {
    hcp_assign.update_pool.gather_dep_hcps(arena, out);
  }
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena) {
    hcp_assign.update_pool.remap_dep_hcps(map, arena);
  }
};

}  // namespace velora
