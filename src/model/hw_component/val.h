// A constant value.
#pragma once

#include <cstdint>

#include "model/hw_component/assignable_hcp.h"
#include "util/math/vary_val.h"

namespace velora {

struct Val : AssignableHcp<Val> {
  static constexpr HwComponentType kType = HwComponentType::Val;
  static constexpr ClockMode kClkMode = ClockMode::ClkFree;

  VaryVal value;
  std::int32_t width = 0;

  Val() = default;
  /// `width` must not be negative; the value is cut to the width.
  Val(bool is_user, std::string_view name, std::int32_t bit_width, VaryVal v);

  std::int32_t des_width() const { return width; }

  // A constant is never the destination of an assignment.
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  [[noreturn]] UpdateEventIdent gen_update_event(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t,
                                                 ModelArena&);
  [[noreturn]] AssignMeta gen_asm_meta(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  [[noreturn]] NcpIdent gen_asm_node(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
};

}  // namespace velora
