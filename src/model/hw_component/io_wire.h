// A port net made by cross-module routing.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"

namespace velora {

struct IoWire : AssignableHcp<IoWire> {
  static constexpr HwComponentType kType = HwComponentType::IoWire;
  static constexpr ClockMode kClkMode = ClockMode::ClkFree;

  std::optional<HcpIdent> actual_src_signal_i;  ///< the routed signal this port carries
  std::optional<HcpIdent> agent_src_signal_i;   ///< the signal that drives this port
  std::optional<NameId> io_name;                ///< Verilog port name override
  std::int32_t width = 0;
  bool is_input = false;

  IoWire() = default;

  /// A new port record (not inserted). With an agent source, its pool holds
  /// "whole agent -> whole port" at DEFAULT_UE_PRI_INTERNAL_MIN, ClkFree.
  static IoWire new_opt_src(bool is_user, std::string_view name, bool is_input, std::int32_t width,
                            const std::optional<HcpIdent>& actual_src_signal_i,
                            const std::optional<HcpIdent>& agent_src_signal_i, ModelArena& arena);

  std::int32_t des_width() const { return width; }
  /// Fatal "the io wire cannot be do_asm".
  [[noreturn]] NcpIdent do_asm(const HcpIdent& src, const OptSlice& des_slice, std::int32_t src_start,
                               std::int32_t src_stop, ModelArena& arena);
};

}  // namespace velora
