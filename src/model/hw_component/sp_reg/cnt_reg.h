// The counter register of a counter node. It only holds the counter; the
// node builds its logic and its update events.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/sp_reg/sp_reg_base.h"

namespace velora {

struct CntReg : SpRegBase<CntReg> {
  static constexpr HwComponentType kType = HwComponentType::CntReg;

  struct Support {
    HcpIdent last_cycle;  ///< "{N}_LAST_CYCLE": max_number - 1
    HcpIdent zero;        ///< "{N}_ZERO"
    HcpIdent at_last;     ///< "{N}_AT_LAST": counter == last_cycle
    HcpIdent inc;         ///< "{N}_INC": counter + inc_val
  };
  std::optional<Support> support;
  std::int32_t width = 0;
  std::int32_t inc_val = 1;
  std::int32_t max_number = 1;

  std::int32_t des_width() const { return width; }

  /// Drops the events of the previous build and opens a new one.
  void begin_events();
  /// Closes the build opened by `begin_events`.
  void end_events() { end_build(built_); }
};

/// The counter width for `max_cycle` values: ceil(log2 max_cycle), at least 1.
std::int32_t cnt_reg_width(std::int32_t max_cycle);

}  // namespace velora
