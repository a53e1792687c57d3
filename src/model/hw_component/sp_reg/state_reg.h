// The 1-bit state register of a state node or the start node.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/hw_component/sp_reg/sp_reg_base.h"

namespace velora {

struct StateReg : SpRegBase<StateReg> {
  static constexpr HwComponentType kType = HwComponentType::StateReg;

  HcpIdent set_val;    ///< "{name}_SET", 1 bit, value 1
  HcpIdent unset_val;  ///< "{name}_UNSET", 1 bit, value 0

  std::int32_t des_width() const { return 1; }
  /// Fatal "StateReg::do_asm() is not supported; use build_update_event()".
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);

  /// From the stored trigger record: 50 clear every clock; 51 hold sets;
  /// 53 each (qualifier AND trigger) sets; 52 int_reset clears; 54 int_start
  /// sets; reset priority: mrst clears. Needs a clock signal ("StateReg::
  /// build_update_event: clk_sig_i not assigned").
  void build_update_event(ModelArena& arena);
};

}  // namespace velora
