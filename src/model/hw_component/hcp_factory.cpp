// The ModelArena operations on hardware components: creation and stamping
// into the current module, in-place views, port marks, reset and default
// values, width checks and pool sorting.
#include <string>

#include "common/error.h"
#include "model/model_arena.h"

namespace velora {

namespace arena_dispatch {
void not_hcp_base(HwComponentType t) {
  fatal("HwComponentType " + std::string(variant_name(t)) + " is not HcpBase");
}
void not_hcp_assignable(HwComponentType t) {
  fatal("HwComponentType " + std::string(variant_name(t)) + " is not HCP-assignable");
}
}  // namespace arena_dispatch

namespace {

template <class T>
HcpIdent insert_hcp(ArenaGroup<T>& group, T record) {
  HcpIdent ident = record.ident;
  ident.ident_base.arena_handle = group.insert(std::move(record));
  return ident;
}

[[noreturn]] [[gnu::cold]] void unsupported_op(std::string_view ctor, LogicOp op) {
  fatal(std::string(ctor) + " — unsupported op " + std::string(variant_name(op)) + " for this constructor");
}

[[noreturn]] [[gnu::cold]] void not_positive(std::string_view what, std::int32_t value) {
  fatal(std::string(what) + " must be positive, got " + std::to_string(value));
}

VaryVal checked_const(std::int32_t width, std::span<const std::uint64_t> limbs) {
  // A negative width would ask VaryVal for an enormous limb count.
  if (width < 0) fatal("width must not be negative, got " + std::to_string(width));
  return VaryVal::from_limbs(limbs, static_cast<std::uint64_t>(width));
}

}  // namespace

HcpIdent ModelArena::stamp_hw_to_parent_module(HcpIdent ident, bool is_user) {
  const ModuleStackEntry& entry = current_module_entry();
  const ArenaHandle module_handle = entry.module.ident_base.arena_handle;
  const bool building = entry.stage == ModuleInitStage::FlowBlockBuild;
  ident.parent_module = module_handle;
  take_hcp(ident, [&](auto& hcp) { hcp.get_ident_mut().parent_module = module_handle; });
  if (building) {
    pending_hcps.push_back({ident, is_user});
  } else {
    auto module = modules.take(module_handle);
    module->hcp_list(ident.hw_type, is_user).push_back(ident);
  }
  return ident;
}

HcpIdent ModelArena::make_reg(bool is_user, std::string_view name, std::int32_t width) {
  return stamp_hw_to_parent_module(insert_hcp(regs, Reg(is_user, name, width)), is_user);
}

HcpIdent ModelArena::make_wire(bool is_user, std::string_view name, std::int32_t width) {
  return stamp_hw_to_parent_module(insert_hcp(wires, Wire(is_user, name, width)), is_user);
}

HcpIdent ModelArena::make_val(bool is_user, std::string_view name, std::int32_t width, std::uint64_t value) {
  const std::uint64_t limb[1] = {value};
  VaryVal v = checked_const(width, limb);
  return stamp_hw_to_parent_module(insert_hcp(vals, Val(is_user, name, width, std::move(v))), is_user);
}

HcpIdent ModelArena::make_val_vv(bool is_user, std::string_view name, std::int32_t width,
                                 std::span<const std::uint64_t> limbs) {
  VaryVal v = checked_const(width, limbs);
  return stamp_hw_to_parent_module(insert_hcp(vals, Val(is_user, name, width, std::move(v))), is_user);
}

HcpIdent ModelArena::make_mem_blk(bool is_user, std::string_view name, std::int32_t bit_width,
                                  std::int32_t index_width) {
  if (bit_width <= 0) not_positive("bit_width", bit_width);
  if (index_width <= 0) not_positive("index_width", index_width);
  return stamp_hw_to_parent_module(insert_hcp(mem_blks, MemBlk(is_user, name, bit_width, index_width)), is_user);
}

HcpIdent ModelArena::make_mem_ele(bool is_user, std::string_view name, const HcpIdent& master_mem_blk_i,
                                  const HcpIdent& index_ident, std::int32_t bit_width, bool is_read) {
  if (bit_width <= 0) not_positive("bit_width", bit_width);
  return stamp_hw_to_parent_module(
      insert_hcp(mem_eles, MemEle(is_user, name, master_mem_blk_i, index_ident, bit_width, is_read)), is_user);
}

HcpIdent ModelArena::insert_expression(Expression expr, bool is_user) {
  return stamp_hw_to_parent_module(insert_hcp(expressions, std::move(expr)), is_user);
}

HcpIdent ModelArena::make_expression(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a,
                                     const HcpIdent& b, const OptSlice& a_slice, const OptSlice& b_slice) {
  std::int32_t width;
  switch (op) {
    case LogicOp::LogicalAnd: case LogicOp::LogicalOr: case LogicOp::RelationEq: case LogicOp::RelationNeq:
    case LogicOp::RelationLe: case LogicOp::RelationLeq: case LogicOp::RelationGe: case LogicOp::RelationGeq:
    case LogicOp::RelationSlt: case LogicOp::RelationSgt:
      width = 1;
      break;
    case LogicOp::BitwiseAnd: case LogicOp::BitwiseOr: case LogicOp::BitwiseXor: case LogicOp::BitwiseShl:
    case LogicOp::BitwiseShr: case LogicOp::ArithPlus: case LogicOp::ArithMinus: case LogicOp::ArithMul:
    case LogicOp::ArithDiv: case LogicOp::ArithDivr:
      width = resolve_opt_slice(a_slice, get_des_slice(a).size()).size();
      break;
    default:
      unsupported_op("Expression::new", op);
  }
  Expression expr;
  expr.ident = HcpIdent(Expression::kType, is_user, name);
  expr.op = op;
  expr.has_operands = true;
  expr.a = ExprOperand{a, a_slice};
  expr.b = ExprOperand{b, b_slice};
  expr.width = width;
  return insert_expression(std::move(expr), is_user);
}

HcpIdent ModelArena::make_expression_single(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a,
                                            const OptSlice& a_slice) {
  std::int32_t width;
  switch (op) {
    case LogicOp::BitwiseInvr: case LogicOp::SliceBit:
      width = resolve_opt_slice(a_slice, get_des_slice(a).size()).size();
      break;
    case LogicOp::LogicalNot:
      width = 1;
      break;
    default:
      unsupported_op("Expression::new_single_operand", op);
  }
  Expression expr;
  expr.ident = HcpIdent(Expression::kType, is_user, name);
  expr.op = op;
  expr.has_operands = true;
  expr.a = ExprOperand{a, a_slice};
  expr.width = width;
  return insert_expression(std::move(expr), is_user);
}

HcpIdent ModelArena::make_expression_constant(bool is_user, std::string_view name, LogicOp op, const HcpIdent& a,
                                              std::int32_t constant, const OptSlice& a_slice) {
  if (op != LogicOp::ExtendBit) unsupported_op("Expression::new_with_const", op);
  Expression expr;
  expr.ident = HcpIdent(Expression::kType, is_user, name);
  expr.op = op;
  expr.has_operands = true;
  expr.a = ExprOperand{a, a_slice};
  expr.constant = constant;
  expr.width = constant;
  return insert_expression(std::move(expr), is_user);
}

HcpIdent ModelArena::make_expression_empty(bool is_user, std::string_view name, std::int32_t width) {
  Expression expr;
  expr.ident = HcpIdent(Expression::kType, is_user, name);
  expr.op = LogicOp::Assign;
  expr.width = width;
  return insert_expression(std::move(expr), is_user);
}

HcpIdent ModelArena::make_io_wire(bool is_user, std::string_view name, bool is_input, std::int32_t width,
                                  const std::optional<HcpIdent>& actual_src_signal_i,
                                  const std::optional<HcpIdent>& agent_src_signal_i) {
  IoWire wire = IoWire::new_opt_src(is_user, name, is_input, width, actual_src_signal_i, agent_src_signal_i, *this);
  return stamp_hw_to_parent_module(insert_hcp(io_wires, std::move(wire)), is_user);
}

const HcpAssign& ModelArena::get_hcp_assign(const HcpIdent& ident) const {
  return visit_hcp(ident, [](const auto& hcp) -> const HcpAssign& { return hcp.get_hcp_assign(); });
}

HcpAssign& ModelArena::get_hcp_assign_mut(const HcpIdent& ident) {
  // The arena is not const here, so giving up the const of the shared view is sound.
  return const_cast<HcpAssign&>(get_hcp_assign(ident));
}

Slice ModelArena::get_des_slice(const HcpIdent& ident) const {
  return visit_hcp(ident, [](const auto& hcp) { return hcp.get_des_slice(); });
}

void ModelArena::mark_as_io(const HcpIdent& ident, bool is_input, std::string_view io_name) {
  take_hcp(ident, [&](auto& hcp) { hcp.mark_as_io(is_input, io_name); });
}

void ModelArena::set_reg_reset(const HcpIdent& reg_i, const HcpIdent& reset_val_i) {
  regs.take(reg_i.ident_base.arena_handle)->set_reset_val(reset_val_i);
}

void ModelArena::set_wire_default(const HcpIdent& wire_i, const HcpIdent& default_val_i) {
  wires.take(wire_i.ident_base.arena_handle)->set_default_val(default_val_i);
}

void ModelArena::bind_src(const HcpIdent& des, const HcpIdent& src, const OptSlice& des_slice,
                          std::int32_t src_start, std::int32_t src_stop, std::optional<std::int32_t> priority,
                          std::optional<ClockMode> clk_mode, const std::optional<HcpIdent>& clk_src) {
  take_hcp(des, [&](auto& hcp) {
    hcp.bind_src(src, des_slice, src_start, src_stop, priority, clk_mode, clk_src, *this);
  });
}

void ModelArena::check_ident_bit_size(const HcpIdent& ident, std::int32_t expected, std::string_view context,
                                      const std::optional<HcpIdent>& sliced, std::int32_t slice_width) const {
  const std::int32_t actual = (sliced && *sliced == ident) ? slice_width : get_des_slice(ident).size();
  if (actual == expected) return;
  std::string msg = "'";
  msg.append(context);
  msg.append("': signal '");
  ident.ident_base.append_abs_name(msg);
  msg.append("' must be " + std::to_string(expected) + "-bit, got " + std::to_string(actual));
  fatal_not_equal(msg, std::to_string(actual), std::to_string(expected));
}

void ModelArena::sort_update_event_pool(const ModuleIdent& module) {
  const Module& m = modules.get(module.ident_base.arena_handle);
  for (int kind = static_cast<int>(HwComponentType::Reg); kind <= static_cast<int>(HwComponentType::MemBlockIndexer);
       ++kind) {
    for (const auto* list : {&m.internal_hcps[kind], &m.user_hcps[kind]})
      for (const HcpIdent& ident : *list) take_hcp(ident, [&](auto& hcp) { hcp.sort_events(*this); });
  }
}

}  // namespace velora
