// Text pieces shared by every component's Verilog: range and slice texts,
// constant literals, operator tokens and sensitivity lists.
//
// Each routine appends to a `TextWriter` and checks its inputs before it
// writes anything, so a failure never leaves half a token behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/controller/clock_mode.h"
#include "model/hw_component/common/operation.h"
#include "model/hw_component/common/slice.h"
#include "util/file/file_writer.h"
#include "util/math/vary_val.h"

namespace velora {

/// "[{width - 1}:0] " (with its trailing space) for a width above 1,
/// nothing otherwise.
void write_range_vb(TextWriter& out, std::int64_t width);

/// The bit-select of an operand or destination: "[{stop - 1}:{start}]", or
/// nothing when the signal is narrower than 2 bits, no slice is given, or the
/// slice start is negative. A slice over the whole signal is still written.
void write_slice_vb(TextWriter& out, std::int64_t width, const std::optional<Slice>& slice);

/// The decimal form of 2^exponent - 1 (the last word index of a memory with
/// `exponent` address bits), exact for any exponent.
void write_last_index_vb(TextWriter& out, std::uint32_t exponent);

/// The literal of a constant: "1'b{bit}" for width 1, otherwise
/// "{width}'h{hex digits}" without leading zeros ("8'hff", "64'h0"). A
/// constant of width 0 has no literal of its own and is written "1'b0".
void write_vary_val_vb(TextWriter& out, const VaryVal& value);
std::string vary_val_to_verilog(const VaryVal& value);

/// The Verilog token of an operator. ExtendBit, SliceBit, Assign and Dummy
/// have none and fail.
std::string_view logic_op_to_verilog(LogicOp op);

/// "posedge {clk}", "negedge {clk}", or "*" for the other modes. An edge mode
/// without clock source fails.
void write_sensitivity_list(TextWriter& out, ClockMode mode, const std::optional<std::string>& clk_src);

}  // namespace velora
