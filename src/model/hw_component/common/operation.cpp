#include "model/hw_component/common/operation.h"

#include <array>

namespace velora {

std::string_view variant_name(LogicOp op) {
  static constexpr std::array<std::string_view, kLogicOpCount> kNames = {
      "BitwiseAnd", "BitwiseOr",  "BitwiseXor",  "BitwiseInvr", "BitwiseShl",  "BitwiseShr", "LogicalAnd",
      "LogicalOr",  "LogicalNot", "RelationEq",  "RelationNeq", "RelationLe",  "RelationLeq", "RelationGe",
      "RelationGeq", "RelationSlt", "RelationSgt", "ArithPlus", "ArithMinus", "ArithMul", "ArithDiv",
      "ArithDivr", "ExtendBit", "SliceBit", "Assign", "Dummy"};
  return kNames[static_cast<int>(op)];
}

}  // namespace velora
