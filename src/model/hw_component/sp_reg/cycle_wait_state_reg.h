// The counter of a cycle wait: rests at 0, jumps to 3 when triggered and
// climbs by 2 through 3, 5, ..., 2n + 1, so it is active for n cycles.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.h"

namespace velora {

struct CycleWaitStateReg : SpRegBase<CycleWaitStateReg> {
  static constexpr HwComponentType kType = HwComponentType::CycleWaitStateReg;

  struct Support {
    HcpIdent idle_cnt;    ///< "{N}_IDLE_CNT", 0
    HcpIdent start_cnt;   ///< "{N}_START_CNT", 3
    HcpIdent inc_step;    ///< "{N}_INC_STEP", 2
    HcpIdent end_full;    ///< "{N}_END_FULL", 2n + 1
    HcpIdent is_active;   ///< "{N}_IS_ACTIVE": reg != 0
    HcpIdent is_end;      ///< "{N}_IS_END": reg == 2n + 1
    HcpIdent is_not_end;  ///< "{N}_IS_NOT_END"
    HcpIdent inc_cond;    ///< "{N}_INC_COND": active and not at the end
    HcpIdent inc_expr;    ///< "{N}_INC_EXPR": reg + 2
  };
  std::optional<Support> support;
  std::optional<std::int32_t> wait_cycle;  ///< n
  std::int32_t width = 0;                  ///< W = ceil(log2(n + 1)) + 1

  std::int32_t des_width() const { return width; }
  /// Fatal "CycleWaitStateReg::do_asm() is not supported; use build_update_event()".
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);

  void build_support_signal(ModelArena& arena);
  void build_update_event(ModelArena& arena);
};

/// W for a wait of `n` cycles: floor(log2(2(n + 1) - 1)) + 1.
std::int32_t cycle_wait_width(std::int32_t n);

}  // namespace velora
