// The synchronisation register of a sync node: one bit per joined branch.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.h"

namespace velora {

struct SyncReg : SpRegBase<SyncReg> {
  static constexpr HwComponentType kType = HwComponentType::SyncReg;

  struct Support {
    HcpIdent up_state;      ///< "{N}_UP_STATE", 1 bit, 1
    HcpIdent up_full;       ///< "{N}_UP_FULL", S bits, all ones
    HcpIdent down_full;     ///< "{N}_DOWN_FULL", S bits, 0
    HcpIdent test_wire;     ///< "{N}_TEST_WIRE", S bits: branches finishing now
    HcpIdent end_expr;      ///< "{N}_END_EXPR": (reg | test_wire) == all ones
    HcpIdent end_expr_inv;  ///< "{N}_END_EXPR_INV"
  };
  std::optional<Support> support;
  std::int32_t size = 0;  ///< S

  std::int32_t des_width() const { return size; }
  /// Fatal "SyncReg::do_asm() is not supported; use build_update_event()".
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);

  void build_support_signal(ModelArena& arena);
  /// Bit i records that branch i finished; cleared when all have. Needs the
  /// support signals and exactly S depend entries ("SyncReg '{}': {} of {}
  /// bit slots filled", checked after building).
  void build_update_event(ModelArena& arena);
};

}  // namespace velora
