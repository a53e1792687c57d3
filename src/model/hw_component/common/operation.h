// The operators of expressions. Values are positions from 0, the same
// numbering as the Python `LogicOp` enumeration.
#pragma once

#include <cstdint>
#include <string_view>

namespace velora {

enum class LogicOp : std::uint8_t {
  BitwiseAnd = 0,
  BitwiseOr,
  BitwiseXor,
  BitwiseInvr,
  BitwiseShl,
  BitwiseShr,
  LogicalAnd,
  LogicalOr,
  LogicalNot,
  RelationEq,
  RelationNeq,
  RelationLe,
  RelationLeq,
  RelationGe,
  RelationGeq,
  RelationSlt,
  RelationSgt,
  ArithPlus,
  ArithMinus,
  ArithMul,
  ArithDiv,
  ArithDivr,
  ExtendBit,
  SliceBit,
  Assign,
  Dummy,
};
inline constexpr int kLogicOpCount = 26;

/// The variant name, which is also the printed form.
std::string_view variant_name(LogicOp op);

}  // namespace velora
