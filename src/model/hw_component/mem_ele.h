// One access port of a memory block.
#pragma once

#include <cstdint>

#include "model/hw_component/assignable_hcp.h"

namespace velora {

struct MemEle : AssignableHcp<MemEle> {
  static constexpr HwComponentType kType = HwComponentType::MemBlockIndexer;
  static constexpr ClockMode kClkMode = ClockMode::PosEdge;

  HcpIdent master_mem_blk_i;  ///< the memory block
  HcpIdent index_ident;       ///< the address signal
  std::int32_t bit_width = 0;
  bool is_read = false;  ///< read port when true, write port when false

  MemEle() = default;
  MemEle(bool is_user, std::string_view name, const HcpIdent& mem_blk, const HcpIdent& index, std::int32_t bit_w,
         bool read);

  std::int32_t des_width() const { return bit_width; }
};

}  // namespace velora
