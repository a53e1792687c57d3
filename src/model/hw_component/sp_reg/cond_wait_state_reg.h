// The 1-bit register of a condition wait: 1 while waiting.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.h"

namespace velora {

struct CondWaitStateReg : SpRegBase<CondWaitStateReg> {
  static constexpr HwComponentType kType = HwComponentType::CondWaitStateReg;

  struct Support {
    HcpIdent up_state;    ///< "{N}_UP_STATE", 1 bit, 1
    HcpIdent down_state;  ///< "{N}_DOWN_STATE", 1 bit, 0
    HcpIdent self_is_up;  ///< "{N}_SELF_IS_UP": reg == 1
    HcpIdent end_expr;    ///< "{N}_END_EXPR": reg AND condition
  };
  HcpIdent cond;
  std::optional<Support> support;
  Slice cond_slice;

  std::int32_t des_width() const { return 1; }
  /// Fatal "CondWaitStateReg::do_asm() is not supported; use build_update_event()".
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);

  void build_support_signal(ModelArena& arena);
  void build_update_event(ModelArena& arena);
};

}  // namespace velora
