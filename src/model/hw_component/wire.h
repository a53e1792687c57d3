// A combinational net.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"

namespace velora {

struct Wire : AssignableHcp<Wire> {
  static constexpr HwComponentType kType = HwComponentType::Wire;
  static constexpr ClockMode kClkMode = ClockMode::ClkFree;

  std::optional<HcpIdent> default_val;  ///< source when nothing else drives the wire
  std::int32_t width = 0;
  bool default_enabled = true;

  Wire() = default;
  Wire(bool is_user, std::string_view name, std::int32_t bit_width);

  std::int32_t des_width() const { return width; }
  /// Fatal "default_val is set already" or "cannot set default_val on a
  /// no-default wire".
  void set_default_val(const HcpIdent& val);
  /// Appends the default event: `default_val` at DEFAULT_UE_PRI_FALLBACK, or
  /// a new zero constant "{global name}_DEFAULT_ZERO" at DEFAULT_UE_PRI_MIN.
  /// Nothing when the default is disabled.
  void try_build_default(ModelArena& arena);
};

}  // namespace velora
