// A clocked register.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"

namespace velora {

struct Reg : AssignableHcp<Reg> {
  static constexpr HwComponentType kType = HwComponentType::Reg;
  static constexpr ClockMode kClkMode = ClockMode::PosEdge;

  std::optional<HcpIdent> reset_val;  ///< value loaded on reset
  std::int32_t width = 0;

  Reg() = default;
  Reg(bool is_user, std::string_view name, std::int32_t bit_width);

  std::int32_t des_width() const { return width; }
  /// Fatal "reset_val is set already" the second time.
  void set_reset_val(const HcpIdent& val);
  /// With a reset value: appends the reset event "reset_val -> whole
  /// register when `rst` is 1" at priority DEFAULT_UE_PRI_RST, ClkFree and
  /// without clock source (`clk_src` is not attached). Without one: nothing.
  void try_build_reset(const HcpIdent& clk_src, const HcpIdent& rst, ModelArena& arena);
};

}  // namespace velora
