#include "model/hw_component/sp_reg/ctrl_hw.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/error.h"
#include "model/hw_component/sp_reg/sp_reg_base.h"
#include "model/model_arena.h"

namespace velora::ctrl_hw {

HcpIdent make_const(ModelArena& arena, std::string_view name, std::int32_t width, std::uint64_t value) {
  return arena.make_val(false, name, width, value);
}

HcpIdent make_const_ones(ModelArena& arena, std::string_view name, std::int32_t width) {
  std::vector<std::uint64_t> limbs((static_cast<std::size_t>(width) + 63) / 64, ~std::uint64_t{0});
  return arena.make_val_vv(false, name, width, limbs);
}

HcpIdent make_wire(ModelArena& arena, std::string_view name, std::int32_t width) {
  return arena.make_wire(false, name, width);
}

HcpIdent make_expr(ModelArena& arena, std::string_view name, LogicOp op, const HcpIdent& a, const OptSlice& a_slice,
                   const HcpIdent& b, const OptSlice& b_slice) {
  return arena.make_expression(false, name, op, a, b, a_slice, b_slice);
}

HcpIdent make_expr_single(ModelArena& arena, std::string_view name, LogicOp op, const HcpIdent& a,
                          const OptSlice& a_slice) {
  return arena.make_expression_single(false, name, op, a, a_slice);
}

HcpIdent make_expr_empty(ModelArena& arena, std::string_view name, std::int32_t width) {
  return arena.make_expression_empty(false, name, width);
}

void assign_expr_src(ModelArena& arena, const HcpIdent& expr_i, const HcpIdent& src) {
  std::int32_t src_width = width_of(arena, src);
  auto expr = arena.expressions.take(expr_i.ident_base.arena_handle);
  if (expr->has_operands || expr->a) fatal("multiple expression assign detected");
  if (src_width != expr->width)
    fatal_not_equal("src expression assign wrapper doesn't cover entire expression", std::to_string(src_width),
                    std::to_string(expr->width));
  expr->op = LogicOp::Assign;
  expr->a = ExprOperand{src, std::nullopt};
  expr->has_operands = true;
}

std::int32_t saturate_i32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

void drop_events_of(ModelArena& arena, const HcpIdent& des, const BuiltEvents& range) {
  arena.take_hcp(des, [&](auto& hcp) { drop_built_events(hcp.get_hcp_assign_mut().update_pool, range); });
}

std::int32_t width_of(const ModelArena& arena, const HcpIdent& ident) { return arena.get_des_slice(ident).stop; }

void add_event(ModelArena& arena, const HcpIdent& des, const UpdateEventIdent& ue) {
  arena.take_hcp(des, [&](auto& hcp) { hcp.add_update_event(ue); });
}

void set_event_clk_src(ModelArena& arena, const UpdateEventIdent& ue, const HcpIdent& clk) {
  arena.take_ue(ue, [&](auto& event) { event.set_clk_src_i(clk); });
}

UpdateEventIdent make_event(ModelArena& arena, const std::optional<HcpIdent>& cond_a,
                            const std::optional<HcpIdent>& cond_b, const HcpIdent& src, Slice des_slice,
                            Slice src_slice, std::int32_t priority, ClockMode clk_mode,
                            const std::optional<HcpIdent>& clk_src) {
  return arena.make_ue_full(cond_a, cond_b, src, des_slice.start, des_slice.stop, src_slice.start, src_slice.stop,
                            priority, clk_mode, false, clk_src);
}

}  // namespace velora::ctrl_hw
