// A combinational operator node.
#pragma once

#include <cstdint>
#include <optional>

#include "model/hw_component/assignable_hcp.h"
#include "model/hw_component/common/operation.h"

namespace velora {

/// An operand: a component and the bits of it that are read.
struct ExprOperand {
  HcpIdent ident;
  OptSlice slice;
};

struct Expression : AssignableHcp<Expression> {
  static constexpr HwComponentType kType = HwComponentType::Expression;
  static constexpr ClockMode kClkMode = ClockMode::ClkFree;

  std::optional<ExprOperand> a;
  std::optional<ExprOperand> b;
  std::int32_t constant = 0;  ///< the extension target of ExtendBit
  std::int32_t width = 0;
  LogicOp op = LogicOp::Assign;
  bool has_operands = false;

  Expression() = default;

  std::int32_t des_width() const { return width; }
  /// Fatal "Expression::do_asm — not implemented".
  [[noreturn]] NcpIdent do_asm(const HcpIdent&, const OptSlice&, std::int32_t, std::int32_t, ModelArena&);
  /// The operands, then the events of the pool.
  void gather_dep_hcps(ModelArena& arena, HcpIdentSet& out) const;
  void remap_dep_hcps(const HcpIdentMap& map, ModelArena& arena);
};

}  // namespace velora
