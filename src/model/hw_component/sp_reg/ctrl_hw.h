// Building blocks of control hardware.
//
// Special registers and control nodes create many small generated
// components (constants, wires, 1-bit expressions) and update events. These
// helpers create them in the current module as generated (not user)
// components, through the arena's ordinary factories, so that the register
// and node code reads as the hardware it builds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/common/identifier.h"
#include "model/controller/clock_mode.h"
#include "model/hw_component/common/operation.h"
#include "model/hw_component/common/slice.h"
#include "model/hw_component/common/update_event.h"

namespace velora {

class ModelArena;
struct BuiltEvents;

namespace ctrl_hw {

/// A generated constant of `width` bits holding `value`.
HcpIdent make_const(ModelArena& arena, std::string_view name, std::int32_t width, std::uint64_t value);
/// A generated constant of `width` bits, all ones (any width).
HcpIdent make_const_ones(ModelArena& arena, std::string_view name, std::int32_t width);
/// A generated wire of `width` bits.
HcpIdent make_wire(ModelArena& arena, std::string_view name, std::int32_t width);
/// A generated two-operand expression.
HcpIdent make_expr(ModelArena& arena, std::string_view name, LogicOp op, const HcpIdent& a, const OptSlice& a_slice,
                   const HcpIdent& b, const OptSlice& b_slice);
/// A generated one-operand expression.
HcpIdent make_expr_single(ModelArena& arena, std::string_view name, LogicOp op, const HcpIdent& a,
                          const OptSlice& a_slice);
/// A generated expression without operands, to be given its source later.
HcpIdent make_expr_empty(ModelArena& arena, std::string_view name, std::int32_t width);
/// Gives an empty expression its one source (operand `a`, whole width).
/// Fatal "multiple expression assign detected" for an expression that
/// already has operands, and an equality assertion "src expression assign
/// wrapper doesn't cover entire expression" when the widths differ.
void assign_expr_src(ModelArena& arena, const HcpIdent& expr, const HcpIdent& src);

/// A double converted to int32 with saturation (NaN gives 0).
std::int32_t saturate_i32(double v);

/// The whole width of a component.
std::int32_t width_of(const ModelArena& arena, const HcpIdent& ident);

/// Removes from the update pool of `des` the events whose global ids lie in
/// `range` (the events an earlier build of a special register made).
void drop_events_of(ModelArena& arena, const HcpIdent& des, const BuiltEvents& range);

/// Appends `ue` to the update pool of `des` (taken out and put back).
void add_event(ModelArena& arena, const HcpIdent& des, const UpdateEventIdent& ue);
/// Sets the clock source of an event (taken out and put back).
void set_event_clk_src(ModelArena& arena, const UpdateEventIdent& ue, const HcpIdent& clk);

/// "when cond_a AND cond_b: des[des_slice] <- src[src_slice]" at `priority`,
/// PosEdge or ClkFree as given, with `clk_src` (a basic event wrapped in a
/// one-entry conditional event when a condition is present).
UpdateEventIdent make_event(ModelArena& arena, const std::optional<HcpIdent>& cond_a,
                            const std::optional<HcpIdent>& cond_b, const HcpIdent& src, Slice des_slice,
                            Slice src_slice, std::int32_t priority, ClockMode clk_mode,
                            const std::optional<HcpIdent>& clk_src);

}  // namespace ctrl_hw
}  // namespace velora
